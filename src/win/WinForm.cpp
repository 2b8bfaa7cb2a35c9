#ifdef _WIN32

#include "win/WinForm.h"

// After windows.h, which they build on.
#include <commctrl.h>
#include <imm.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <utility>

#include "app/ConversionEngine.h"
#include "app/FormRules.h"
#include "app/Settings.h"
#include "app/ShellFolders.h"
#include "util/Func2.h"

namespace velmora {

namespace {

constexpr const wchar_t* kClassName = L"VelmoraForm1";
// Posted at the first showing: the command-line run starts once the window is on screen.
constexpr UINT kMsgFormShow = WM_APP + 1;
constexpr UINT_PTR kNoteTimer = 1;

enum class TKind { Group, Radio, Check, Edit, Button, Label, Link, Combo, Tab, List, Status };

// Which page of PageControl1 shows a control.
constexpr int kEveryPage = -1;
constexpr int kNever = -2;
constexpr int kSettingsPage = 0;
constexpr int kLogPage = 1;

// How a control follows the window when it is resized.
constexpr int kFixed = 0;
constexpr int kWiden = 1;      // the right edge follows
constexpr int kLengthen = 2;   // the bottom edge follows
constexpr int kKeepRight = 4;  // the whole control follows the right edge

struct TControlDef {
    int Id;
    TKind Kind;
    const char* Caption;
    int X, Y, W, H;  // pixels at 96 dots per inch in a client area of 473 × 457
    int Page;
    int Anchor;
    DWORD Style;  // beyond what the kind gives
};

// Every control of the window, in tab order. The group boxes and the page control come last:
// they lie beneath the controls they frame.
constexpr TControlDef kControls[] = {
    {IdRadioButtonFl1, TKind::Radio, "デスクトップ", 14, 22, 104, 18, kEveryPage, kFixed,
     WS_GROUP | WS_TABSTOP},
    {IdRadioButtonFl2, TKind::Radio, "マイドキュメント", 124, 22, 128, 18, kEveryPage, kFixed, 0},
    {IdRadioButtonFl3, TKind::Radio, "元ファイルのフォルダ", 258, 22, 160, 18, kEveryPage, kFixed,
     0},
    {IdRadioButtonFl4, TKind::Radio, "指定フォルダ", 14, 44, 104, 18, kEveryPage, kFixed, 0},
    {IdRadioButtonFl5, TKind::Radio, "毎回指定", 14, 66, 104, 18, kEveryPage, kFixed, 0},
    {IdEditFl1, TKind::Edit, "", 124, 42, 284, 21, kEveryPage, kWiden, WS_GROUP | WS_TABSTOP},
    {IdButtonFl1, TKind::Button, "参照", 412, 41, 52, 23, kEveryPage, kKeepRight, WS_TABSTOP},
    {IdLabelPreFolder, TKind::Label, "", 124, 67, 340, 16, kEveryPage, kWiden, SS_PATHELLIPSIS},
    {IdLabel2, TKind::Label, "エクスプローラ等からドラッグ＆ドロップするか、または、", 8, 98, 457,
     16, kEveryPage, kWiden, 0},
    {IdLabel3, TKind::Link, "ここをクリックして変換するファイルを選択して下さい。", 8, 116, 457, 16,
     kEveryPage, kWiden, SS_CENTER | SS_NOTIFY},
    {IdLabel1, TKind::Label, "", 0, 0, 0, 0, kNever, kFixed, 0},
    {IdLabel7, TKind::Label, "画面スタイル：", 14, 150, 106, 16, kSettingsPage, kFixed, 0},
    {IdComboBoxSc1, TKind::Combo, "", 122, 146, 130, 200, kSettingsPage, kFixed, WS_TABSTOP},
    {IdLabel8, TKind::Label, "※次回起動時に有効", 260, 150, 200, 16, kSettingsPage, kFixed, 0},
    {IdCheckBox1, TKind::Check, "非表示レイヤ", 20, 190, 136, 18, kSettingsPage, kFixed,
     WS_GROUP | WS_TABSTOP},
    {IdCheckBox2, TKind::Check, "補助線色／補助線種", 158, 190, 150, 18, kSettingsPage, kFixed,
     WS_TABSTOP},
    {IdCheckBox3, TKind::Check, "寸法属性／寸法図形", 310, 190, 150, 18, kSettingsPage, kFixed,
     WS_TABSTOP},
    {IdCheckBox4, TKind::Check, "ハッチング属性", 20, 210, 136, 18, kSettingsPage, kFixed,
     WS_TABSTOP},
    {IdCheckBox5, TKind::Check, "実点", 158, 210, 150, 18, kSettingsPage, kFixed, WS_TABSTOP},
    {IdCheckBox6, TKind::Check, "ソリッド図形", 310, 210, 150, 18, kSettingsPage, kFixed,
     WS_TABSTOP},
    {IdLabel4, TKind::Label, "保存時の座標倍率：", 14, 242, 130, 16, kSettingsPage, kFixed, 0},
    {IdComboBox1, TKind::Combo, "", 146, 238, 80, 200, kSettingsPage, kFixed, WS_TABSTOP},
    {IdLabel5, TKind::Label, "実点の変換形状：", 234, 242, 116, 16, kSettingsPage, kFixed, 0},
    {IdComboBox2, TKind::Combo, "", 352, 238, 60, 200, kSettingsPage, kFixed, WS_TABSTOP},
    {IdLabel6, TKind::Label, "実点サイズ(図寸mm)", 14, 268, 130, 16, kSettingsPage, kFixed, 0},
    {IdEdit2, TKind::Edit, "", 146, 265, 80, 21, kSettingsPage, kFixed, WS_TABSTOP},
    {IdLabel14, TKind::Label, "出力形式", 234, 268, 62, 16, kSettingsPage, kFixed, 0},
    {IdComboBox3, TKind::Combo, "", 298, 264, 162, 200, kSettingsPage, kFixed, WS_TABSTOP},
    {IdRadioButton5, TKind::Radio, "分割数指定", 20, 310, 238, 18, kSettingsPage, kFixed,
     WS_GROUP | WS_TABSTOP},
    {IdRadioButton6, TKind::Radio, "角度(約)指定→分割数換算", 20, 332, 238, 18, kSettingsPage,
     kFixed, 0},
    {IdRadioButton7, TKind::Radio, "長さ(約;図寸mm)指定→分割数換算", 20, 354, 238, 18,
     kSettingsPage, kFixed, 0},
    {IdEdit3, TKind::Edit, "", 278, 308, 40, 21, kSettingsPage, kFixed, WS_GROUP | WS_TABSTOP},
    {IdLabel9, TKind::Label, "分割", 322, 311, 88, 16, kSettingsPage, kFixed, 0},
    {IdLabel11, TKind::Label, "約", 260, 333, 16, 16, kSettingsPage, kFixed, 0},
    {IdEdit4, TKind::Edit, "", 278, 330, 40, 21, kSettingsPage, kFixed, WS_TABSTOP},
    {IdLabel10, TKind::Label, "°最低分割数", 322, 333, 88, 16, kSettingsPage, kFixed, 0},
    {IdEdit5, TKind::Edit, "", 414, 330, 40, 21, kSettingsPage, kFixed, WS_TABSTOP},
    {IdLabel12, TKind::Label, "約", 260, 355, 16, 16, kSettingsPage, kFixed, 0},
    {IdEdit6, TKind::Edit, "", 278, 352, 40, 21, kSettingsPage, kFixed, WS_TABSTOP},
    {IdLabel13, TKind::Label, "最低分割数", 322, 355, 88, 16, kSettingsPage, kFixed, 0},
    {IdEdit7, TKind::Edit, "", 414, 352, 40, 21, kSettingsPage, kFixed, WS_TABSTOP},
    {IdListBox1, TKind::List, "", 8, 142, 457, 266, kLogPage, kWiden | kLengthen, WS_TABSTOP},
    {IdStatusBar1, TKind::Status, "", 0, 0, 0, 0, kEveryPage, kFixed, 0},
    {IdGroupBoxFold, TKind::Group, "保存先(&F)", 4, 4, 465, 86, kEveryPage, kWiden, 0},
    {IdGroupBox2, TKind::Group, "対象図形(&O)", 10, 172, 452, 60, kSettingsPage, kFixed, 0},
    {IdGroupBox3, TKind::Group, "円・円弧→線補間(&C)", 10, 292, 452, 86, kSettingsPage, kFixed, 0},
    {IdPageControl1, TKind::Tab, "", 4, 136, 465, 298, kEveryPage, kWiden | kLengthen,
     TCS_BOTTOM | WS_TABSTOP},
};

constexpr int kFlIds[] = {
    0, IdRadioButtonFl1, IdRadioButtonFl2, IdRadioButtonFl3, IdRadioButtonFl4, IdRadioButtonFl5};
constexpr int kCheckIds[] = {0,           IdCheckBox1, IdCheckBox2, IdCheckBox3,
                             IdCheckBox4, IdCheckBox5, IdCheckBox6};
constexpr int kEditIds[] = {0, 0, IdEdit2, IdEdit3, IdEdit4, IdEdit5, IdEdit6, IdEdit7};
constexpr int kArcIds[] = {0, 0, 0, 0, 0, IdRadioButton5, IdRadioButton6, IdRadioButton7};

constexpr const char* kScaleItems[] = {"×1", "×10", "×100", "×1000"};
constexpr const char* kMarkerItems[] = {"＋", "×", "□", "◇", "○", "■", "◆", "●"};
constexpr const char* kFormatItems[] = {"COLLADA", "COLLADA (compact)", "glTF (.glb)"};
constexpr const char* kPages[] = {"設定(&S)", "ログ(&L)"};

struct TWindowClass {
    const wchar_t* Name;
    DWORD Style;
    DWORD ExStyle;
};

TWindowClass ClassOf(TKind kind) {
    switch (kind) {
        case TKind::Group:
            return {L"BUTTON", BS_GROUPBOX, 0};
        case TKind::Radio:
            return {L"BUTTON", BS_AUTORADIOBUTTON, 0};
        case TKind::Check:
            return {L"BUTTON", BS_AUTOCHECKBOX, 0};
        case TKind::Edit:
            return {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case TKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON, 0};
        case TKind::Label:
        case TKind::Link:
            return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
        case TKind::Combo:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, 0};
        case TKind::Tab:
            return {WC_TABCONTROLW, 0, 0};
        case TKind::List:
            return {L"LISTBOX", WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                    WS_EX_CLIENTEDGE};
        case TKind::Status:
            return {STATUSCLASSNAMEW, SBARS_SIZEGRIP, 0};
    }
    return {L"STATIC", 0, 0};
}

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    auto* screens = reinterpret_cast<std::vector<TScreenRect>*>(data);
    screens->push_back({rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top});
    return TRUE;
}

BOOL CALLBACK UnthemeChild(HWND child, LPARAM) {
    SetWindowTheme(child, L"", L"");
    return TRUE;
}

TFont MakeFont(int pixels, UINT dpi, bool underline) {
    return TFont(CreateFontW(-MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI), 0, 0,
                             0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE, SHIFTJIS_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FIXED_PITCH | FF_MODERN, Wide(kFontFace).c_str()));
}

}  // namespace

std::vector<std::string> WinStyles() {
    return {kDefaultStyle, kClassicStyle};
}

TWinForm::TWinForm(HINSTANCE instance, TAppPaths paths, std::vector<std::string> arguments,
                   IWinDialogs& dialogs)
    : instance_(instance),
      paths_(std::move(paths)),
      arguments_(std::move(arguments)),
      dialogs_(dialogs) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // already registered by an earlier window: fine

    constexpr DWORD style =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
    CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, Wide("Velmora Ver." VELMORA_VERSION).c_str(),
                    style, CW_USEDEFAULT, CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr,
                    nullptr, instance_, this);
    if (hwnd_ == nullptr) throw std::runtime_error("the window could not be created");
    // The client area the form was designed for, before the settings move and size it.
    RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_CONTROLPARENT, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    FormCreate();
}

TWinForm::~TWinForm() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool TWinForm::Running() const {
    return batch_ != nullptr && batch_->Running();
}

LRESULT CALLBACK TWinForm::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<TWinForm*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->hwnd_ = hwnd;
    }
    auto* form = reinterpret_cast<TWinForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return form->HandleMessage(msg, wp, lp);
}

LRESULT TWinForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            OnCreate(hwnd_);
            return 0;
        case WM_SHOWWINDOW:
            OnShowWindow(wp != FALSE);
            break;
        case kMsgFormShow:
            if (!shown_) {
                shown_ = true;
                FormShow();
            }
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_NOTIFY:
            OnNotify(*reinterpret_cast<const NMHDR*>(lp));
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (wp == VK_ESCAPE) OnEscape(msg == WM_KEYDOWN);
            return 0;
        case WM_ACTIVATEAPP:
            // The release of a key held while another program took the focus never arrives.
            if (wp == FALSE) escapeDown_ = false;
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            if (quitOnDestroy_) PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_TIMER:
            OnTimer(wp);
            return 0;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wp))) return TRUE;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void TWinForm::OnCreate(HWND hwnd) {
    hwnd_ = hwnd;
    dpi_ = GetDpiForWindow(hwnd_);
    CreateControls();
}

void TWinForm::CreateControls() {
    for (const TControlDef& d : kControls) {
        const TWindowClass wc = ClassOf(d.Kind);
        const DWORD visible = d.Page == kNever ? 0 : WS_VISIBLE;
        CreateWindowExW(wc.ExStyle, wc.Name, Wide(d.Caption).c_str(),
                        WS_CHILD | WS_CLIPSIBLINGS | visible | wc.Style | d.Style, 0, 0, 0, 0,
                        hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.Id)), instance_,
                        nullptr);
    }
    // Beneath everything, in this order: the frames, then the pages they sit on.
    for (int id : {IdGroupBoxFold, IdGroupBox2, IdGroupBox3, IdPageControl1})
        SetWindowPos(Control(id), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EnableWindow(Control(IdLabel1), FALSE);

    auto fill = [this](int id, const auto& items) {
        for (const char* item : items)
            SendMessageW(Control(id), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(Wide(item).c_str()));
    };
    fill(IdComboBox1, kScaleItems);
    fill(IdComboBox2, kMarkerItems);
    fill(IdComboBox3, kFormatItems);
    for (int page = 0; page < 2; ++page) {
        std::wstring caption = Wide(kPages[page]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(Control(IdPageControl1), TCM_INSERTITEMW, page,
                     reinterpret_cast<LPARAM>(&item));
    }
    for (int n = 2; n <= 7; ++n) {
        // Numbers only: no input method, and short.
        SendMessageW(Control(kEditIds[n]), EM_SETLIMITTEXT, n == 2 ? 8 : 4, 0);
        ImmAssociateContext(Control(kEditIds[n]), nullptr);
    }
    ShowStatus("");
    ApplyFonts();
    ShowPage(kSettingsPage);
}

void TWinForm::FormCreate() {
    paths_.CreateTempFolder();
    // A settings file that cannot be read leaves the defaults for what was not read.
    OpenDatFile(paths_.DatFileName, paths_.ExeFolder, state_);

    const std::vector<std::string> styles = WinStyles();
    for (const std::string& style : styles)
        SendMessageW(Control(IdComboBoxSc1), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Wide(style).c_str()));
    // A new choice applies at the next start, here.
    state_.gstyle = StyleOrDefault(styles, state_.gstyle);
    ApplyStyle(state_.gstyle);

    StateToControls();
    PlaceWindow();
}

void TWinForm::PlaceWindow() {
    // The size is kept in pixels at 96 dots per inch, so it means the same on every monitor.
    SetWindowPos(hwnd_, nullptr, state_.Fm1x, state_.Fm1y, Scale(state_.Fm1w), Scale(state_.Fm1h),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    std::vector<TScreenRect> screens;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&screens));
    if (FrameOnSomeScreen({state_.Fm1x, state_.Fm1y, Scale(state_.Fm1w), Scale(state_.Fm1h)},
                          screens))
        return;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
        SetWindowPos(hwnd_, nullptr, info.rcWork.left, info.rcWork.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TWinForm::ApplyStyle(const std::string& style) {
    if (style != kClassicStyle) return;  // the system's own look is what the window has
    SetWindowTheme(hwnd_, L"", L"");
    EnumChildWindows(hwnd_, UnthemeChild, 0);
}

void TWinForm::ApplyFonts() {
    font_ = MakeFont(kFontPixels, dpi_, false);
    linkFont_ = MakeFont(kFontPixels, dpi_, true);
    logFont_ = MakeFont(kLogFontPixels, dpi_, false);
    for (const TControlDef& d : kControls) {
        HFONT font = d.Id == IdLabel3 ? linkFont_.Get() : font_.Get();
        if (d.Id == IdListBox1) font = logFont_.Get();
        SendMessageW(Control(d.Id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    OnSize();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

int TWinForm::Scale(int pixels) const {
    return MulDiv(pixels, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
}

void TWinForm::OnSize() {
    HWND status = Control(IdStatusBar1);
    SendMessageW(status, WM_SIZE, 0, 0);
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int dw = client.right - Scale(kClientWidth);
    const int dh = client.bottom - Scale(kClientHeight);
    for (const TControlDef& d : kControls) {
        if (d.Kind == TKind::Status || d.Page == kNever) continue;
        int x = Scale(d.X);
        int w = Scale(d.W);
        int h = Scale(d.H);
        if (d.Anchor & kWiden) w += dw;
        if (d.Anchor & kKeepRight) x += dw;
        if (d.Anchor & kLengthen) h += dh;
        SetWindowPos(Control(d.Id), nullptr, x, Scale(d.Y), std::max(w, 0), std::max(h, 0),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TWinForm::OnDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    ApplyFonts();
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinForm::OnShowWindow(bool shown) {
    if (shown && !shown_) PostMessageW(hwnd_, kMsgFormShow, 0, 0);
}

void TWinForm::FormShow() {
    engine_ = MakeConversionEngine(paths_.TempFolder);
    IPlatform& platform = *this;
    batch_ = std::make_unique<TBatchRun>(platform, *engine_, state_, paths_.DatFileName);
    DragAcceptFiles(hwnd_, TRUE);
    RunIntake(arguments_);
}

void TWinForm::OnClose() {
    // The run holds the conversion objects: it stops before its next file, then the window
    // closes.
    if (Running()) {
        closePending_ = true;
        return;
    }
    FormClose();
    DestroyWindow(hwnd_);
}

void TWinForm::FormClose() {
    batch_.reset();
    engine_.reset();
    paths_.RemoveTempFolderIfEmpty();
    ControlsToState(state_);
    if (!SaveDatFile(paths_.DatFileName, state_)) WarnSettingsNotSaved();
}

void TWinForm::OnCommand(int id, int code) {
    if (id >= IdRadioButtonFl1 && id <= IdRadioButtonFl5 && code == BN_CLICKED) {
        RadioButtonFl1Click();
    } else if (id == IdButtonFl1 && code == BN_CLICKED) {
        ButtonFl1Click();
    } else if (id == IdLabel3 && code == STN_CLICKED) {
        Label3Click();
    }
}

void TWinForm::OnNotify(const NMHDR& header) {
    if (header.idFrom == IdPageControl1 && header.code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
    }
}

void TWinForm::OnDropFiles(HDROP drop) {
    std::vector<std::string> names;
    if (!Running() && batch_) {
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring name(DragQueryFileW(drop, i, nullptr, 0), L'\0');
            DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
            names.push_back(Narrow(name));
        }
    }
    // Released first, so the file manager never waits for the run.
    DragFinish(drop);
    if (!names.empty()) RunIntake(names);
}

void TWinForm::OnEscape(bool down) {
    escapeDown_ = down;
    // A tap counts even when it is released before the run looks.
    if (down && batch_) batch_->RequestStop();
}

void TWinForm::OnTimer(UINT_PTR timer) {
    if (timer != kNoteTimer) return;
    KillTimer(hwnd_, kNoteTimer);
    if (StatusText() == kUnsupportedNote) ShowStatus("");
}

LRESULT TWinForm::OnCtlColorStatic(HDC dc, HWND control) {
    const LRESULT brush = DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(control));
    if (control == Control(IdLabel3)) SetTextColor(dc, RGB(0, 0, 255));
    return brush;
}

bool TWinForm::OnSetCursor(HWND control) {
    if (control != Control(IdLabel3)) return false;
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
    return true;
}

void TWinForm::RadioButtonFl1Click() {
    TFormState st = state_;
    ControlsToState(st);
    EnableWindow(Control(IdEditFl1), st.FolderEditEnabled());
    EnableWindow(Control(IdButtonFl1), st.FolderEditEnabled());
}

void TWinForm::ButtonFl1Click() {
    const std::string start = paths_.StartFolder(Text(IdEditFl1));
    if (const auto dir = BrowseForFolder(start, kBrowseCaption)) {
        SetText(IdEditFl1, AddPathDelimiter(*dir));
    }
}

void TWinForm::Label3Click() {
    if (Running() || !batch_) return;
    state_.Label1 = Text(IdLabel1);
    const std::optional<TOpenDialogResult> chosen =
        dialogs_.OpenFiles(hwnd_, OpenDialogRequest(state_));
    if (!chosen) return;
    AcceptOpenDialog(*chosen, state_);
    SetText(IdLabel1, state_.Label1);
    RunIntake(chosen->Files);
}

void TWinForm::RunIntake(const std::vector<std::string>& names) {
    if (Running() || !batch_) return;
    // The controls hold the settings; the run shows what it changes itself
    // (FormTextsChanged), so what the user changes while it runs stays.
    ControlsToState(state_);
    const TRunReport report = batch_->Intake(names);
    if (SaysUnsupported(names, report)) ShowStatus(kUnsupportedNote);
    if (batch_->SettingsSaveFailed) WarnSettingsNotSaved();
    if (closePending_) {
        closePending_ = false;
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    }
}

void TWinForm::WarnSettingsNotSaved() {
    if (settingsWarned_) return;
    settingsWarned_ = true;
    ShowMessage(kSettingsNotSaved + paths_.DatFileName);
}

void TWinForm::ControlsToState(TFormState& st) const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    RECT frame{};
    GetWindowRect(hwnd_, &frame);
    if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement))
        frame = placement.rcNormalPosition;
    st.Fm1x = frame.left;
    st.Fm1y = frame.top;
    st.Fm1w = MulDiv(frame.right - frame.left, USER_DEFAULT_SCREEN_DPI, static_cast<int>(dpi_));
    st.Fm1h = MulDiv(frame.bottom - frame.top, USER_DEFAULT_SCREEN_DPI, static_cast<int>(dpi_));
    for (int n = 1; n <= 5; ++n)
        st.SetRadioButtonFl(n, Checked(kFlIds[n]));
    st.EditFl1 = Text(IdEditFl1);
    st.Label1 = Text(IdLabel1);
    st.LabelPreFolder = Text(IdLabelPreFolder);
    if (SendMessageW(Control(IdComboBoxSc1), CB_GETCURSEL, 0, 0) >= 0)
        st.gstyle = Text(IdComboBoxSc1);
    bool* const checks[] = {nullptr,       &st.CheckBox1, &st.CheckBox2, &st.CheckBox3,
                            &st.CheckBox4, &st.CheckBox5, &st.CheckBox6};
    for (int n = 1; n <= 6; ++n)
        *checks[n] = Checked(kCheckIds[n]);
    auto selected = [this](int id) {
        return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
    };
    st.ComboBox1 = selected(IdComboBox1);
    st.ComboBox2 = selected(IdComboBox2);
    st.ComboBox3 = selected(IdComboBox3);
    std::string* const edits[] = {nullptr,   nullptr,   &st.Edit2, &st.Edit3,
                                  &st.Edit4, &st.Edit5, &st.Edit6, &st.Edit7};
    for (int n = 2; n <= 7; ++n)
        *edits[n] = Text(kEditIds[n]);
    for (int n = 5; n <= 7; ++n)
        st.SetRadioButton(n, Checked(kArcIds[n]));
}

void TWinForm::StateToControls() {
    for (int n = 1; n <= 5; ++n)
        SetChecked(kFlIds[n], state_.RadioButtonFl(n));
    SetText(IdEditFl1, state_.EditFl1);
    SetText(IdLabel1, state_.Label1);
    SetText(IdLabelPreFolder, state_.LabelPreFolder);
    SendMessageW(Control(IdComboBoxSc1), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(Wide(state_.gstyle).c_str()));
    const bool checks[] = {false,
                           state_.CheckBox1,
                           state_.CheckBox2,
                           state_.CheckBox3,
                           state_.CheckBox4,
                           state_.CheckBox5,
                           state_.CheckBox6};
    for (int n = 1; n <= 6; ++n)
        SetChecked(kCheckIds[n], checks[n]);
    // An index outside the items leaves no item selected.
    SendMessageW(Control(IdComboBox1), CB_SETCURSEL, state_.ComboBox1, 0);
    SendMessageW(Control(IdComboBox2), CB_SETCURSEL, state_.ComboBox2, 0);
    SendMessageW(Control(IdComboBox3), CB_SETCURSEL, state_.ComboBox3, 0);
    FormTextsChanged(state_);
    for (int n = 5; n <= 7; ++n)
        SetChecked(kArcIds[n], state_.RadioButton(n));
    RadioButtonFl1Click();
}

void TWinForm::ShowPage(int page) {
    SendMessageW(Control(IdPageControl1), TCM_SETCURSEL, page, 0);
    for (const TControlDef& d : kControls) {
        if (d.Page < 0) continue;
        ShowWindow(Control(d.Id), d.Page == page ? SW_SHOWNA : SW_HIDE);
    }
}

void TWinForm::ShowStatus(const std::string& text) {
    const std::wstring shown = Wide(text.empty() ? kStatusText : text);
    SendMessageW(Control(IdStatusBar1), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    if (text == kUnsupportedNote) SetTimer(hwnd_, kNoteTimer, kNoteMilliseconds, nullptr);
}

std::string TWinForm::StatusText() const {
    HWND status = Control(IdStatusBar1);
    const size_t length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, 0, 0));
    std::vector<wchar_t> buffer(length + 1, L'\0');
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer.data()));
    return Narrow(buffer.data());
}

std::string TWinForm::Text(int id) const {
    HWND control = Control(id);
    std::vector<wchar_t> buffer(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    GetWindowTextW(control, buffer.data(), static_cast<int>(buffer.size()));
    return Narrow(buffer.data());
}

void TWinForm::SetText(int id, const std::string& text) {
    SetWindowTextW(Control(id), Wide(text).c_str());
}

bool TWinForm::Checked(int id) const {
    return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWinForm::SetChecked(int id, bool checked) {
    SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TWinForm::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // For the message loop that waits outside.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateAndDispatch(msg);
    }
}

void TWinForm::TranslateAndDispatch(MSG& msg) {
    // Escape is a key state polled between files, whichever control has the focus.
    if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_ESCAPE) {
        OnEscape(msg.message == WM_KEYDOWN);
    }
    if (msg.message == WM_SYSCHAR && hwnd_ != nullptr &&
        OnMnemonic(static_cast<wchar_t>(msg.wParam)))
        return;
    if (hwnd_ != nullptr && IsDialogMessageW(hwnd_, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool TWinForm::OnMnemonic(wchar_t key) {
    // The frames and pages lie beneath their controls, where the dialog keys do not look.
    auto focusChecked = [this](std::initializer_list<int> ids) {
        for (int id : ids) {
            if (Checked(id)) {
                SetFocus(Control(id));
                return;
            }
        }
        SetFocus(Control(*ids.begin()));
    };
    switch (static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
        CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(key)))))) {
        case L'F':
            focusChecked({IdRadioButtonFl1, IdRadioButtonFl2, IdRadioButtonFl3, IdRadioButtonFl4,
                          IdRadioButtonFl5});
            return true;
        case L'S':
            ShowPage(kSettingsPage);
            return true;
        case L'L':
            ShowPage(kLogPage);
            SetFocus(Control(IdListBox1));
            return true;
        case L'O':
            ShowPage(kSettingsPage);
            SetFocus(Control(IdCheckBox1));
            return true;
        case L'C':
            ShowPage(kSettingsPage);
            focusChecked({IdRadioButton5, IdRadioButton6, IdRadioButton7});
            return true;
        default:
            return false;
    }
}

// IPlatform

std::string TWinForm::ProgramFolder() {
    return paths_.ExeFolder;
}

std::string TWinForm::DesktopFolder() {
    return ShellDesktopFolder();
}

std::string TWinForm::DocumentsFolder() {
    return ShellDocumentsFolder();
}

bool TWinForm::EscapeDown() {
    return escapeDown_ || closePending_;
}

void TWinForm::ShowMessage(const std::string& text) {
    dialogs_.ShowMessage(hwnd_, text);
}

std::optional<std::string> TWinForm::BrowseForFolder(const std::string& startFolder,
                                                     const std::string& caption) {
    return dialogs_.BrowseForFolder(hwnd_, startFolder, caption);
}

void TWinForm::ProcessEvents() {
    PumpMessages();
}

void TWinForm::ClearLog() {
    SendMessageW(Control(IdListBox1), LB_RESETCONTENT, 0, 0);
    SendMessageW(Control(IdListBox1), LB_SETHORIZONTALEXTENT, 0, 0);
}

void TWinForm::AddLog(const std::string& line) {
    HWND list = Control(IdListBox1);
    const std::wstring text = Wide(line);
    const LRESULT index =
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, LB_SETTOPINDEX, index, 0);
    // Long paths scroll sideways instead of being cut.
    HDC dc = GetDC(list);
    const HGDIOBJ old = SelectObject(dc, logFont_.Get());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    const int width = size.cx + Scale(8);
    if (width > SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0))
        SendMessageW(list, LB_SETHORIZONTALEXTENT, width, 0);
}

void TWinForm::ShowLogPage() {
    ShowPage(kLogPage);
}

void TWinForm::FormTextsChanged(const TFormState& st) {
    const std::string* const edits[] = {nullptr,   nullptr,   &st.Edit2, &st.Edit3,
                                        &st.Edit4, &st.Edit5, &st.Edit6, &st.Edit7};
    for (int n = 2; n <= 7; ++n)
        SetText(kEditIds[n], *edits[n]);
    SetText(IdLabelPreFolder, st.LabelPreFolder);
}

void TWinForm::Progress(const std::string& text) {
    ShowStatus(text);
}

}  // namespace velmora

#endif
