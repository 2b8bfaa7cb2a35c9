#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/BatchRun.h"
#include "app/Engine.h"
#include "app/FormState.h"
#include "app/Platform.h"
#include "gui/FormDialogs.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace velmora {

// The main window. It shows the form state and forwards events: drops, the open dialog and
// the command line all end in TBatchRun::Intake, which makes every decision. The window is
// the batch run's platform: the log is ListBox1, the log page is page 1 of PageControl1,
// Escape is the key state its event filter records, and the modal dialogs go through
// IFormDialogs.
class TForm1 final : public QMainWindow, private IPlatform {
    Q_OBJECT

  public:
    // Creating the window creates the working folder, reads the settings file, applies the
    // saved style (to the whole application) and places the window. arguments are the command
    // line after the program name, converted when the window is first shown. dialogs must
    // outlive the window.
    TForm1(TAppPaths paths, std::vector<std::string> arguments, IFormDialogs& dialogs,
           QWidget* parent = nullptr);
    ~TForm1() override;

    // Whether a run is going on; drops and clicks on Label3 are refused meanwhile.
    bool Running() const;
    // Whether the settings file could not be written and the user was told so.
    bool SettingsWarned() const { return settingsWarned_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    void FormCreate();
    void FormShow();
    void FormClose();
    void InitData();
    void FreeData();
    void RadioButtonFl1Click();
    void ButtonFl1Click();
    void Label3Click();
    // Every intake ends here; a call while a run is going on is refused.
    void RunIntake(const std::vector<std::string>& names);

    void ControlsToState(TFormState& st) const;
    void StateToControls();
    void WarnSettingsNotSaved();

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
    // The usual status text, or a short note that replaces it for a few seconds.
    void ShowStatus(const std::string& text);
    // A saved position outside every screen (a monitor was unplugged) moves to the primary one.
    void KeepOnScreen();

    TAppPaths paths_;
    std::vector<std::string> arguments_;
    IFormDialogs& dialogs_;
    TFormState state_;
    // The conversion objects live from the first showing to the closing.
    std::unique_ptr<IConversionEngine> engine_;
    std::unique_ptr<TBatchRun> batch_;

    bool shown_ = false;
    bool escapeDown_ = false;
    bool closePending_ = false;  // close asked for during a run: stop it, then close
    bool settingsWarned_ = false;

    QGroupBox* GroupBoxFold = nullptr;
    QButtonGroup* groupFl_ = nullptr;
    QRadioButton* RadioButtonFl[6] = {};  // 1..5
    QLineEdit* EditFl1 = nullptr;
    QPushButton* ButtonFl1 = nullptr;
    QLabel* LabelPreFolder = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QComboBox* ComboBoxSc1 = nullptr;
    QCheckBox* CheckBox[7] = {};  // 1..6
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;  // output format
    QLineEdit* Edit[8] = {};         // Edit2..Edit7
    QButtonGroup* groupArc_ = nullptr;
    QRadioButton* RadioButton[8] = {};  // 5..7
    QListWidget* ListBox1 = nullptr;
    QLabel* StatusPanel = nullptr;
};

}  // namespace velmora
