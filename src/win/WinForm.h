#pragma once

#ifdef _WIN32

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/BatchRun.h"
#include "app/Engine.h"
#include "app/FormState.h"
#include "app/Platform.h"
#include "win/WinDialogs.h"
#include "win/WinSupport.h"

namespace velmora {

// The control ids of the window; tests find the controls by them.
enum TControlId : int {
    IdGroupBoxFold = 100,
    IdRadioButtonFl1,  // .. IdRadioButtonFl1 + 4 = RadioButtonFl5
    IdRadioButtonFl2,
    IdRadioButtonFl3,
    IdRadioButtonFl4,
    IdRadioButtonFl5,
    IdEditFl1,
    IdButtonFl1,
    IdLabelPreFolder,
    IdLabel2,
    IdLabel3,
    IdLabel1,
    IdPageControl1,
    IdLabel7,
    IdComboBoxSc1,
    IdLabel8,
    IdGroupBox2,
    IdCheckBox1,  // .. IdCheckBox1 + 5 = CheckBox6
    IdCheckBox2,
    IdCheckBox3,
    IdCheckBox4,
    IdCheckBox5,
    IdCheckBox6,
    IdLabel4,
    IdComboBox1,
    IdLabel5,
    IdComboBox2,
    IdLabel6,
    IdEdit2,
    IdLabel14,
    IdComboBox3,
    IdGroupBox3,
    IdRadioButton5,  // .. IdRadioButton5 + 2 = RadioButton7
    IdRadioButton6,
    IdRadioButton7,
    IdEdit3,
    IdLabel9,
    IdLabel11,
    IdEdit4,
    IdLabel10,
    IdEdit5,
    IdLabel12,
    IdEdit6,
    IdLabel13,
    IdEdit7,
    IdListBox1,
    IdStatusBar1,
};

// The styles the window offers: the system's own look, and the look without themes.
inline constexpr const char* kClassicStyle = "Classic";
std::vector<std::string> WinStyles();

// The main window on plain Win32. Like the Qt window it only shows the form state and
// forwards events: drops, the open dialog and the command line all end in TBatchRun::Intake,
// which makes every decision. It is the batch run's platform: the log is ListBox1, the log
// page is page 1 of PageControl1, Escape is the key state its message handling records, and
// the modal dialogs go through IWinDialogs.
class TWinForm final : private IPlatform {
  public:
    // Creating the window creates the working folder, reads the settings file, applies the
    // saved style and places the window (hidden). arguments are converted when it is first
    // shown. dialogs must outlive the window.
    TWinForm(HINSTANCE instance, TAppPaths paths, std::vector<std::string> arguments,
             IWinDialogs& dialogs);
    ~TWinForm() override;
    TWinForm(const TWinForm&) = delete;
    TWinForm& operator=(const TWinForm&) = delete;

    HWND Handle() const { return hwnd_; }
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    // Whether a run is going on; drops and clicks on Label3 are refused meanwhile.
    bool Running() const;
    // The program ends its message loop when the window is gone.
    void QuitWhenDestroyed() { quitOnDestroy_ = true; }

    // Handles every message waiting for this thread, as the message loop would.
    void PumpMessages();
    // What the message loop does with one message: keyboard interface, Escape, then dispatch.
    void TranslateAndDispatch(MSG& msg);

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // Message handlers.
    void OnCreate(HWND hwnd);
    void OnShowWindow(bool shown);
    void OnCommand(int id, int code);
    void OnNotify(const NMHDR& header);
    void OnDropFiles(HDROP drop);
    void OnClose();
    void OnSize();
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnTimer(UINT_PTR timer);
    void OnEscape(bool down);
    // Alt with a letter of a caption: true when the window took it.
    bool OnMnemonic(wchar_t key);
    LRESULT OnCtlColorStatic(HDC dc, HWND control);
    bool OnSetCursor(HWND control);

    // The form's own steps, named as in the Qt window.
    void CreateControls();
    void FormCreate();
    void FormShow();
    void FormClose();
    void RadioButtonFl1Click();
    void ButtonFl1Click();
    void Label3Click();
    void RunIntake(const std::vector<std::string>& names);
    void ControlsToState(TFormState& st) const;
    void StateToControls();
    void WarnSettingsNotSaved();
    void ApplyStyle(const std::string& style);
    void ApplyFonts();
    void ShowPage(int page);
    void ShowStatus(const std::string& text);
    void PlaceWindow();
    int Scale(int pixels) const;

    std::string Text(int id) const;
    void SetText(int id, const std::string& text);
    std::string StatusText() const;
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);

    // IPlatform
    std::string ProgramFolder() override;
    std::string DesktopFolder() override;
    std::string DocumentsFolder() override;
    bool EscapeDown() override;
    void ShowMessage(const std::string& text) override;
    std::optional<std::string> BrowseForFolder(const std::string& startFolder,
                                               const std::string& caption) override;
    void ProcessEvents() override;
    void ClearLog() override;
    void AddLog(const std::string& line) override;
    void ShowLogPage() override;
    void FormTextsChanged(const TFormState& state) override;
    bool KeepsResponsive() override { return true; }
    void Progress(const std::string& text) override;

    HINSTANCE instance_;
    TAppPaths paths_;
    std::vector<std::string> arguments_;
    IWinDialogs& dialogs_;
    TFormState state_;
    std::unique_ptr<IConversionEngine> engine_;
    std::unique_ptr<TBatchRun> batch_;

    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    TFont font_;
    TFont linkFont_;
    TFont logFont_;
    bool shown_ = false;
    bool escapeDown_ = false;
    bool closePending_ = false;
    bool settingsWarned_ = false;
    bool quitOnDestroy_ = false;
};

}  // namespace velmora

#endif
