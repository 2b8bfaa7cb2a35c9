#include "win/WinForm.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/Settings.h"
#include "support/SampleDrawing.h"
#include "support/TestFiles.h"
#include "util/Func2.h"
#include "win/WinDialogs.h"
#include "win/WinSupport.h"

namespace velmora {
namespace {

class TFakeDialogs final : public IWinDialogs {
  public:
    std::vector<std::string> Messages;
    std::optional<std::string> BrowseAnswer;
    std::string BrowseStart;
    std::string BrowseCaption;
    std::vector<TOpenDialogRequest> OpenRequests;
    std::optional<TOpenDialogResult> OpenAnswer;

    void ShowMessage(HWND, const std::string& text) override { Messages.push_back(text); }
    std::optional<std::string> BrowseForFolder(HWND, const std::string& startFolder,
                                               const std::string& caption) override {
        BrowseStart = startFolder;
        BrowseCaption = caption;
        return BrowseAnswer;
    }
    std::optional<TOpenDialogResult> OpenFiles(HWND, const TOpenDialogRequest& request) override {
        OpenRequests.push_back(request);
        return OpenAnswer;
    }
};

// A hidden window that runs an action when a message posted to it is handled: posted before
// a run starts, it runs inside the run, when the window handles its pending messages.
class TProbe {
  public:
    TProbe() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraTestProbe";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TProbe() { DestroyWindow(hwnd_); }
    TProbe(const TProbe&) = delete;
    TProbe& operator=(const TProbe&) = delete;

    void Post(std::function<void()> action) {
        action_ = std::move(action);
        PostMessageW(hwnd_, WM_APP, 0, 0);
    }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* probe = reinterpret_cast<TProbe*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_APP && probe != nullptr && probe->action_) {
            std::function<void()> action = std::move(probe->action_);
            action();
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    HWND hwnd_ = nullptr;
    std::function<void()> action_;
};

// A drop as the shell hands it over: DROPFILES and the wide names, each ended by a NUL, the
// list by a second one. The window releases it with DragFinish.
HDROP MakeDrop(const std::vector<std::string>& files) {
    std::wstring names;
    for (const std::string& f : files) {
        names += Wide(f);
        names += L'\0';
    }
    names += L'\0';
    const size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class WinFormTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (form_ && IsWindow(form_->Handle())) Close();
    }

    void WriteSettings(const TFormState& st) { ASSERT_TRUE(SaveDatFile(paths_.DatFileName, st)); }
    // Output beside the sources, so that a run needs no dialog.
    void WriteBesideSettings() {
        TFormState st;
        st.SetRadioButtonFl(3, true);
        WriteSettings(st);
    }

    TWinForm& Open(std::vector<std::string> arguments = {}) {
        form_ = std::make_unique<TWinForm>(GetModuleHandleW(nullptr), paths_, std::move(arguments),
                                           dialogs_);
        return *form_;
    }
    TWinForm& OpenShown(std::vector<std::string> arguments = {}) {
        Open(std::move(arguments));
        ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
        form_->PumpMessages();
        return *form_;
    }
    void Close() {
        SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
        form_->PumpMessages();
    }

    std::string MakeFile(const char* name, std::string_view bytes = "x") {
        test::WriteBytes(std::filesystem::path(Wide(dir_.File(name))), bytes);
        return dir_.File(name);
    }
    std::string MakeDrawing(const char* name) { return MakeFile(name, test::SampleDrawingBytes()); }

    HWND Control(int id) const { return form_->Control(id); }
    std::string Text(int id) const {
        wchar_t buffer[1024] = {};
        GetWindowTextW(Control(id), buffer, 1024);
        return Narrow(buffer);
    }
    void SetText(int id, const std::string& text) {
        SetWindowTextW(Control(id), Wide(text).c_str());
    }
    bool Checked(int id) const {
        return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    int Selected(int id) const {
        return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
    }
    std::vector<std::string> Items(int id) const {
        std::vector<std::string> items;
        const bool list = id == IdListBox1;
        const int n =
            static_cast<int>(SendMessageW(Control(id), list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t buffer[1024] = {};
            SendMessageW(Control(id), list ? LB_GETTEXT : CB_GETLBTEXT, i,
                         reinterpret_cast<LPARAM>(buffer));
            items.push_back(Narrow(buffer));
        }
        return items;
    }
    std::vector<std::string> Log() const { return Items(IdListBox1); }
    int Page() const {
        return static_cast<int>(SendMessageW(Control(IdPageControl1), TCM_GETCURSEL, 0, 0));
    }
    std::string Status() const {
        wchar_t buffer[1024] = {};
        SendMessageW(Control(IdStatusBar1), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer));
        return Narrow(buffer);
    }
    void Drop(const std::vector<std::string>& files) {
        SendMessageW(form_->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files)), 0);
        form_->PumpMessages();
    }
    TFormState Saved() {
        TFormState saved;
        EXPECT_TRUE(OpenDatFile(paths_.DatFileName, paths_.ExeFolder, saved));
        return saved;
    }

    test::TScopedTempDir dir_;
    TAppPaths paths_ = TAppPaths::FromProgramFile(dir_.File("velmora.exe"));
    TFakeDialogs dialogs_;
    std::unique_ptr<TWinForm> form_;
};

constexpr const char* kUsualStatus =
    "※保存先フォルダに同じ名前のファイルが存在する場合は名前に枝番が付きます";
constexpr const char* kEscapeLine = "[ESC]を押しましたので中断します。";

TEST_F(WinFormTest, ControlsShowTheirCaptionsAndInitialState) {
    TWinForm& form = OpenShown();
    EXPECT_EQ(Narrow([&] {
                  wchar_t b[256] = {};
                  GetWindowTextW(form.Handle(), b, 256);
                  return std::wstring(b);
              }()),
              "Velmora Ver.1.10");
    const LONG_PTR style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    struct TCaption {
        int id;
        const char* text;
    };
    const TCaption captions[] = {
        {IdGroupBoxFold, "保存先(&F)"},
        {IdRadioButtonFl1, "デスクトップ"},
        {IdRadioButtonFl2, "マイドキュメント"},
        {IdRadioButtonFl3, "元ファイルのフォルダ"},
        {IdRadioButtonFl4, "指定フォルダ"},
        {IdRadioButtonFl5, "毎回指定"},
        {IdButtonFl1, "参照"},
        {IdLabel2, "エクスプローラ等からドラッグ＆ドロップするか、または、"},
        {IdLabel3, "ここをクリックして変換するファイルを選択して下さい。"},
        {IdLabel7, "画面スタイル："},
        {IdLabel8, "※次回起動時に有効"},
        {IdGroupBox2, "対象図形(&O)"},
        {IdCheckBox1, "非表示レイヤ"},
        {IdCheckBox2, "補助線色／補助線種"},
        {IdCheckBox3, "寸法属性／寸法図形"},
        {IdCheckBox4, "ハッチング属性"},
        {IdCheckBox5, "実点"},
        {IdCheckBox6, "ソリッド図形"},
        {IdLabel4, "保存時の座標倍率："},
        {IdLabel5, "実点の変換形状："},
        {IdLabel6, "実点サイズ(図寸mm)"},
        {IdLabel14, "出力形式"},
        {IdGroupBox3, "円・円弧→線補間(&C)"},
        {IdRadioButton5, "分割数指定"},
        {IdRadioButton6, "角度(約)指定→分割数換算"},
        {IdRadioButton7, "長さ(約;図寸mm)指定→分割数換算"},
        {IdLabel9, "分割"},
        {IdLabel10, "°最低分割数"},
        {IdLabel11, "約"},
        {IdLabel12, "約"},
        {IdLabel13, "最低分割数"},
    };
    for (const TCaption& c : captions) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Text(c.id), c.text);
    }
    EXPECT_EQ(Status(), kUsualStatus);

    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(Checked(IdRadioButtonFl1 + n), n == 0) << n;
    EXPECT_FALSE(IsWindowEnabled(Control(IdEditFl1)));
    EXPECT_FALSE(IsWindowEnabled(Control(IdButtonFl1)));
    EXPECT_EQ(Text(IdLabelPreFolder), paths_.ExeFolder);
    EXPECT_FALSE(IsWindowVisible(Control(IdLabel1)));
    EXPECT_FALSE(IsWindowEnabled(Control(IdLabel1)));
    EXPECT_TRUE(GetWindowLongPtrW(Control(IdLabel3), GWL_STYLE) & SS_NOTIFY);

    EXPECT_TRUE(GetWindowLongPtrW(Control(IdPageControl1), GWL_STYLE) & TCS_BOTTOM);
    const char* const pages[] = {"設定(&S)", "ログ(&L)"};
    for (int page = 0; page < 2; ++page) {
        wchar_t buffer[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = 64;
        SendMessageW(Control(IdPageControl1), TCM_GETITEMW, page, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(Narrow(buffer), pages[page]);
    }
    EXPECT_EQ(Page(), 0);
    EXPECT_TRUE(IsWindowVisible(Control(IdCheckBox1)));
    EXPECT_FALSE(IsWindowVisible(Control(IdListBox1)));

    for (int n = 0; n < 6; ++n)
        EXPECT_EQ(Checked(IdCheckBox1 + n), n != 5) << n;
    EXPECT_EQ(Items(IdComboBox1), (std::vector<std::string>{"×1", "×10", "×100", "×1000"}));
    EXPECT_EQ(Items(IdComboBox2),
              (std::vector<std::string>{"＋", "×", "□", "◇", "○", "■", "◆", "●"}));
    EXPECT_EQ(Items(IdComboBox3),
              (std::vector<std::string>{"COLLADA", "COLLADA (compact)", "glTF (.glb)"}));
    EXPECT_EQ(Items(IdComboBoxSc1), (std::vector<std::string>{"Windows", "Classic"}));
    for (int id : {IdComboBox1, IdComboBox2, IdComboBox3, IdComboBoxSc1})
        EXPECT_EQ(Selected(id), 0) << id;

    struct TEdit {
        int id;
        const char* text;
        int limit;
    };
    const TEdit edits[] = {{IdEdit2, "1", 8}, {IdEdit3, "12", 4}, {IdEdit4, "10", 4},
                           {IdEdit5, "4", 4}, {IdEdit6, "10", 4}, {IdEdit7, "4", 4}};
    for (const TEdit& e : edits) {
        SCOPED_TRACE(e.text);
        EXPECT_EQ(Text(e.id), e.text);
        EXPECT_EQ(SendMessageW(Control(e.id), EM_GETLIMITTEXT, 0, 0), e.limit);
    }
    EXPECT_TRUE(Checked(IdRadioButton5));
    EXPECT_FALSE(Checked(IdRadioButton6));
    EXPECT_TRUE(Log().empty());

    // Alt+L and Alt+S bring the pages to the front.
    PostMessageW(Control(IdCheckBox1), WM_SYSCHAR, L'l', 0);
    form.PumpMessages();
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(IsWindowVisible(Control(IdListBox1)));
    EXPECT_FALSE(IsWindowVisible(Control(IdCheckBox1)));
    PostMessageW(Control(IdListBox1), WM_SYSCHAR, L's', 0);
    form.PumpMessages();
    EXPECT_EQ(Page(), 0);
}

TEST_F(WinFormTest, OnlySpecifiedFolderEnablesTheEditAndItsBrowser) {
    OpenShown();
    Click(IdRadioButtonFl4);
    EXPECT_TRUE(Checked(IdRadioButtonFl4));
    EXPECT_FALSE(Checked(IdRadioButtonFl1));
    EXPECT_TRUE(IsWindowEnabled(Control(IdEditFl1)));
    EXPECT_TRUE(IsWindowEnabled(Control(IdButtonFl1)));

    // An empty edit opens the browser at the program's folder.
    dialogs_.BrowseAnswer = "C:\\出力";
    Click(IdButtonFl1);
    EXPECT_EQ(dialogs_.BrowseStart, paths_.ExeFolder);
    EXPECT_EQ(dialogs_.BrowseCaption, "変換後のファイルを保存するフォルダを指定して下さい");
    EXPECT_EQ(Text(IdEditFl1), "C:\\出力\\");
    // A cancelled browse changes nothing.
    dialogs_.BrowseAnswer.reset();
    Click(IdButtonFl1);
    EXPECT_EQ(Text(IdEditFl1), "C:\\出力\\");

    for (int other : {IdRadioButtonFl1, IdRadioButtonFl2, IdRadioButtonFl3, IdRadioButtonFl5}) {
        SCOPED_TRACE(other);
        Click(IdRadioButtonFl4);
        Click(other);
        EXPECT_TRUE(Checked(other));
        EXPECT_FALSE(Checked(IdRadioButtonFl4));
        EXPECT_FALSE(IsWindowEnabled(Control(IdEditFl1)));
        EXPECT_FALSE(IsWindowEnabled(Control(IdButtonFl1)));
    }
}

TEST_F(WinFormTest, DropOfTwoDrawingsConvertsBothAndLogsThem) {
    WriteBesideSettings();
    const std::string a = MakeDrawing("a.jww");
    const std::string b = MakeDrawing("図面 b.jww");
    const std::string notes = MakeFile("notes.txt");
    OpenShown();
    std::filesystem::remove(paths_.DatFileName);

    Drop({a, notes, b});
    EXPECT_EQ(Page(), 1);
    const std::vector<std::string> log = Log();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], a);
    EXPECT_EQ(log[1], "→ " + dir_.File("a.dae"));
    EXPECT_EQ(log[2], "　…… 変換完了");
    EXPECT_EQ(log[3], b);
    EXPECT_EQ(log[4], "→ " + dir_.File("図面 b.dae"));
    EXPECT_EQ(log[5], "　…… 変換完了");
    for (const char* out : {"a.dae", "図面 b.dae"}) {
        SCOPED_TRACE(out);
        const std::string dae = test::ReadBytes(std::filesystem::path(Wide(dir_.File(out))));
        EXPECT_NE(dae.find("<COLLADA"), std::string::npos);
    }
    // The run saved the settings before its first file, and the status is the usual again.
    EXPECT_TRUE(FileThere(paths_.DatFileName));
    EXPECT_EQ(Status(), kUsualStatus);

    // A second drop of the same drawing gets a branch number.
    Drop({a});
    ASSERT_EQ(Log().size(), 3u);
    EXPECT_EQ(Log()[1], "→ " + dir_.File("a~1.dae"));
}

TEST_F(WinFormTest, EscapeTappedAndDropsDuringARunAreHandledBetweenFiles) {
    WriteBesideSettings();
    const std::string a = MakeDrawing("a.jww");
    const std::string b = MakeDrawing("b.jww");
    const std::string late = MakeDrawing("late.jww");
    TWinForm& form = OpenShown();

    // Waiting in the queue, seen when the run handles its messages after the first file: a
    // tap of Escape (released at once) and another drop.
    bool runningThen = false;
    TProbe probe;
    probe.Post([&] { runningThen = form.Running(); });
    PostMessageW(form.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(form.Handle(), WM_KEYUP, VK_ESCAPE, 0);
    PostMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({late})), 0);
    Drop({a, b});

    EXPECT_TRUE(runningThen);
    const std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front(), a);
    EXPECT_EQ(log.back(), kEscapeLine);
    for (const std::string& line : log) {
        EXPECT_NE(line, b);
        EXPECT_NE(line, late);
    }
    EXPECT_FALSE(FileThere(dir_.File("late.dae")));
    EXPECT_FALSE(FileThere(dir_.File("b.dae")));
    // The stop belonged to that run: the next one converts.
    Drop({b});
    EXPECT_EQ(Log().back(), "　…… 変換完了");
}

TEST_F(WinFormTest, SettingsChangedDuringARunSurviveItAndAreSaved) {
    WriteBesideSettings();
    const std::string a = MakeDrawing("a.jww");
    const std::string b = MakeDrawing("b.jww");
    OpenShown();
    SetText(IdEdit3, "1");  // clamped by the run
    std::string progress;
    TProbe probe;
    probe.Post([&] {
        progress = Status();
        Click(IdCheckBox6);
        SetText(IdEdit5, "7");
        SendMessageW(Control(IdComboBox2), CB_SETCURSEL, 5, 0);
        Click(IdRadioButtonFl4);
        SetText(IdEditFl1, "D:\\elsewhere\\");
    });
    Drop({a, b});
    EXPECT_EQ(progress, "変換中 1/2: a.jww");
    EXPECT_EQ(Log().size(), 6u);
    EXPECT_EQ(Status(), kUsualStatus);
    EXPECT_EQ(Text(IdEdit3), "3");
    EXPECT_TRUE(Checked(IdCheckBox6));
    EXPECT_EQ(Text(IdEdit5), "7");

    Close();
    EXPECT_FALSE(IsWindow(form_->Handle()));
    const TFormState saved = Saved();
    EXPECT_TRUE(saved.CheckBox6);
    EXPECT_EQ(saved.Edit5, "7");
    EXPECT_EQ(saved.Edit3, "3");
    EXPECT_EQ(saved.ComboBox2, 5);
    EXPECT_TRUE(saved.RadioButtonFl(4));
    EXPECT_EQ(saved.EditFl1, "D:\\elsewhere\\");
}

TEST_F(WinFormTest, ClosingDuringARunStopsItThenCloses) {
    WriteBesideSettings();
    const std::string a = MakeDrawing("a.jww");
    const std::string b = MakeDrawing("b.jww");
    TWinForm& form = OpenShown();
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({a, b})), 0);
    EXPECT_TRUE(FileThere(dir_.File("a.dae")));
    EXPECT_FALSE(FileThere(dir_.File("b.dae")));
    form.PumpMessages();
    EXPECT_FALSE(IsWindow(form.Handle()));
    EXPECT_TRUE(dialogs_.Messages.empty());
}

TEST_F(WinFormTest, UnsupportedDropSaysSo) {
    OpenShown();
    Drop({MakeFile("notes.txt"), MakeFile("plan.dxf")});
    EXPECT_EQ(Status(), "対応していないファイルです");
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(Page(), 0);
    // The note gives way to the usual text after a few seconds.
    for (int waited = 0; waited < 8000 && Status() != kUsualStatus; waited += 50) {
        Sleep(50);
        form_->PumpMessages();
    }
    EXPECT_EQ(Status(), kUsualStatus);
}

TEST_F(WinFormTest, WindowOffEveryScreenMovesToThePrimaryOne) {
    MONITORINFO primary{};
    primary.cbSize = sizeof(primary);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary));
    const RECT work = primary.rcWork;
    struct {
        int x, y;
        bool kept;
    } const cases[] = {{static_cast<int>(work.left) + 60, static_cast<int>(work.top) + 70, true},
                       {100000, 100000, false},
                       {-5000, 40, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        TFormState st;
        st.Fm1x = c.x;
        st.Fm1y = c.y;
        WriteSettings(st);
        TWinForm& form = Open();
        RECT frame{};
        GetWindowRect(form.Handle(), &frame);
        if (c.kept) {
            EXPECT_EQ(frame.left, c.x);
            EXPECT_EQ(frame.top, c.y);
        } else {
            EXPECT_EQ(frame.left, work.left);
            EXPECT_EQ(frame.top, work.top);
        }
        Close();
    }
}

TEST_F(WinFormTest, ClickOnTheLinkOpensTheDialogAndRunsTheChosenFiles) {
    TFormState st;
    st.SetRadioButtonFl(3, true);
    st.Fidx = 3;
    st.Label1 = dir_.File("");
    WriteSettings(st);
    const std::string a = MakeDrawing("a.jwc");
    TWinForm& form = OpenShown();
    auto clickLink = [&] {
        SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(IdLabel3, STN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(IdLabel3)));
        form.PumpMessages();
    };

    // A cancelled dialog changes nothing.
    clickLink();
    ASSERT_EQ(dialogs_.OpenRequests.size(), 1u);
    const TOpenDialogRequest& request = dialogs_.OpenRequests[0];
    EXPECT_EQ(request.Title, "変換元ファイルを指定");
    EXPECT_EQ(request.InitialFolder, dir_.File(""));
    EXPECT_EQ(request.FilterIndex, 3);
    EXPECT_EQ(request.Filters.size(), 8u);
    EXPECT_TRUE(Log().empty());

    dialogs_.OpenAnswer = TOpenDialogResult{{a, MakeFile("b.txt")}, 2};
    clickLink();
    ASSERT_EQ(dialogs_.OpenRequests.size(), 2u);
    // Not a DOS drawing: refused by its reader, logged as failed.
    EXPECT_EQ(Log(), (std::vector<std::string>{a, "→ " + dir_.File("a.dae"), "　…… 変換失敗"}));
    EXPECT_EQ(Page(), 1);

    Close();
    const TFormState saved = Saved();
    EXPECT_EQ(saved.Fidx, 2);
    EXPECT_EQ(saved.Label1, AddPathDelimiter(dir_.File("")));
}

TEST_F(WinFormTest, CommandLineFilesAreConvertedWhenTheWindowShows) {
    WriteBesideSettings();
    const std::string drawing = MakeDrawing("plan.jww");
    TWinForm& form = Open({drawing, MakeFile("notes.txt")});
    form.PumpMessages();
    EXPECT_TRUE(Log().empty());
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    form.PumpMessages();
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(Log(),
              (std::vector<std::string>{drawing, "→ " + dir_.File("plan.dae"), "　…… 変換完了"}));
}

TEST_F(WinFormTest, SavedStyleIsSelectedAndAnUnknownOneFallsBackToWindows) {
    struct {
        const char* saved;
        const char* shown;
    } const cases[] = {{"Classic", "Classic"}, {"Amethyst Kamri", "Windows"}, {"", "Windows"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved);
        TFormState st;
        st.gstyle = c.saved;
        WriteSettings(st);
        Open();
        EXPECT_EQ(Text(IdComboBoxSc1), c.shown);
        Close();
        EXPECT_EQ(Saved().gstyle, c.shown);
    }
}

TEST_F(WinFormTest, ClosingWritesWhatTheControlsShow) {
    TWinForm& form = OpenShown();
    EXPECT_TRUE(FolderThere(paths_.TempFolder));
    Click(IdRadioButtonFl4);
    SetText(IdEditFl1, "C:\\データ\\出力\\");
    Click(IdCheckBox6);
    SendMessageW(Control(IdComboBox1), CB_SETCURSEL, 2, 0);
    SendMessageW(Control(IdComboBox3), CB_SETCURSEL, 2, 0);
    SetText(IdEdit3, "99");
    Click(IdRadioButton7);
    // Another style applies at the next start only.
    SendMessageW(Control(IdComboBoxSc1), CB_SETCURSEL, 1, 0);
    RECT frame{};
    GetWindowRect(form.Handle(), &frame);

    Close();
    EXPECT_FALSE(IsWindow(form.Handle()));
    EXPECT_FALSE(FolderThere(paths_.TempFolder));
    EXPECT_TRUE(dialogs_.Messages.empty());
    const TFormState saved = Saved();
    EXPECT_TRUE(saved.RadioButtonFl(4));
    EXPECT_EQ(saved.EditFl1, "C:\\データ\\出力\\");
    EXPECT_TRUE(saved.CheckBox6);
    EXPECT_EQ(saved.ComboBox1, 2);
    EXPECT_EQ(saved.ComboBox3, 2);
    EXPECT_EQ(saved.Edit3, "99");
    EXPECT_TRUE(saved.RadioButton(7));
    EXPECT_FALSE(saved.RadioButton(5));
    EXPECT_EQ(saved.gstyle, "Classic");
    EXPECT_EQ(saved.Fm1x, frame.left);
    EXPECT_EQ(saved.Fm1y, frame.top);
    // The size is kept at 96 dots per inch: what the window had when it opened.
    EXPECT_EQ(saved.Fm1w, TFormState{}.Fm1w);
    EXPECT_EQ(saved.Fm1h, TFormState{}.Fm1h);
}

TEST_F(WinFormTest, UnwritableSettingsWarnOnceAndNeverBlockClosing) {
    const std::string a = MakeFile("a.jww");
    // A folder, not empty, where the settings file should be: it is never written.
    std::filesystem::create_directories(std::filesystem::path(Wide(paths_.DatFileName)) / "keep");
    OpenShown();
    Click(IdRadioButtonFl3);
    Drop({a});
    EXPECT_EQ(Page(), 1);
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_NE(dialogs_.Messages[0].find(paths_.DatFileName), std::string::npos);
    Close();
    EXPECT_FALSE(IsWindow(form_->Handle()));
    EXPECT_EQ(dialogs_.Messages.size(), 1u);
}

// A wide literal with the NULs inside it.
template <size_t N>
std::wstring Chars(const wchar_t (&s)[N]) {
    return std::wstring(s, N - 1);
}

TEST(WinDialogsTest, OpenDialogFiltersAndMultipleSelection) {
    TOpenDialogRequest request;
    request.Filters = {{"図面", {"*.jww", "*.jwc"}}, {"全て", {"*"}}};
    EXPECT_EQ(OpenFilterString(request), Chars(L"図面\0*.jww;*.jwc\0全て\0*.*\0\0"));

    struct {
        std::wstring buffer;
        std::vector<std::string> files;
    } const cases[] = {
        {Chars(L"C:\\図面\\a.jww\0\0"), {"C:\\図面\\a.jww"}},
        {Chars(L"C:\\図面\0a.jww\0b.jwc\0\0"), {"C:\\図面\\a.jww", "C:\\図面\\b.jwc"}},
        {Chars(L"C:\\\0a.jww\0\0"), {"C:\\a.jww"}},
        {Chars(L"\0\0"), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitMultiSelection(c.buffer.c_str()), c.files);
}

}  // namespace
}  // namespace velmora

namespace {

// A PNG of 24-bit rows with stored (uncompressed) deflate blocks: no library needed, and the
// picture is small.
class TPngWriter {
  public:
    static bool Write(const std::string& file, int width, int height,
                      const std::vector<unsigned char>& rgb) {
        std::string raw;
        for (int y = 0; y < height; ++y) {
            raw += '\0';  // no filter
            raw.append(
                reinterpret_cast<const char*>(rgb.data()) + static_cast<size_t>(y) * width * 3,
                static_cast<size_t>(width) * 3);
        }
        std::string z = "\x78\x01";
        for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
            const size_t n = std::min<size_t>(65535, raw.size() - at);
            z += static_cast<char>(at + n >= raw.size() ? 1 : 0);
            z += static_cast<char>(n & 0xFF);
            z += static_cast<char>(n >> 8);
            z += static_cast<char>(~n & 0xFF);
            z += static_cast<char>((~n >> 8) & 0xFF);
            z.append(raw, at, n);
        }
        uint32_t a = 1, b = 0;
        for (unsigned char c : raw) {
            a = (a + c) % 65521;
            b = (b + a) % 65521;
        }
        Put32(z, (b << 16) | a);
        std::string header;
        Put32(header, static_cast<uint32_t>(width));
        Put32(header, static_cast<uint32_t>(height));
        header += std::string("\x08\x02\x00\x00\x00", 5);
        std::string png = "\x89PNG\r\n\x1a\n";
        Chunk(png, "IHDR", header);
        Chunk(png, "IDAT", z);
        Chunk(png, "IEND", "");
        velmora::test::WriteBytes(std::filesystem::path(velmora::Wide(file)), png);
        return true;
    }

  private:
    static void Put32(std::string& out, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((v >> shift) & 0xFF);
    }
    static void Chunk(std::string& out, const char* type, const std::string& data) {
        Put32(out, static_cast<uint32_t>(data.size()));
        const std::string body = type + data;
        uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char c : body) {
            crc ^= c;
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        out += body;
        Put32(out, crc ^ 0xFFFFFFFFu);
    }
};

// Shows a fresh window with the default settings and saves what the screen shows of it.
int Screenshot(const std::string& file) {
    using namespace velmora;
    test::TScopedTempDir dir;
    TSystemDialogs dialogs;
    TWinForm form(GetModuleHandleW(nullptr), TAppPaths::FromProgramFile(dir.File("velmora.exe")),
                  {}, dialogs);
    HWND hwnd = form.Handle();
    SetWindowPos(hwnd, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
    ShowWindow(hwnd, SW_SHOW);
    for (int i = 0; i < 20; ++i) {
        form.PumpMessages();
        UpdateWindow(hwnd);
        Sleep(50);
    }
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
    const auto* bgra = static_cast<const unsigned char*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        rgb[i * 3] = bgra[i * 4 + 2];
        rgb[i * 3 + 1] = bgra[i * 4 + 1];
        rgb[i * 3 + 2] = bgra[i * 4];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    return TPngWriter::Write(file, w, h, rgb) ? 0 : 1;
}

}  // namespace

// With --screenshot=FILE the program only shows a fresh window and saves its picture as PNG
// (run it on a display: tools/windows-screenshot.sh).
int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--screenshot=", 13) == 0) return Screenshot(argv[i] + 13);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
