#include "gui/Form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/Settings.h"
#include "support/TestFiles.h"
#include "util/Func2.h"

namespace velmora {
namespace {

class TFakeDialogs final : public IFormDialogs {
  public:
    std::vector<std::string> Messages;
    std::optional<std::string> BrowseAnswer;
    std::string BrowseStart;
    std::string BrowseCaption;

    void ShowMessage(QWidget*, const std::string& text) override { Messages.push_back(text); }
    std::optional<std::string> BrowseForFolder(QWidget*, const std::string& startFolder,
                                               const std::string& caption) override {
        BrowseStart = startFolder;
        BrowseCaption = caption;
        return BrowseAnswer;
    }
    std::optional<TOpenDialogResult> OpenFiles(QWidget*,
                                               const TOpenDialogRequest& request) override {
        OpenRequests.push_back(request);
        return OpenAnswer;
    }

    std::vector<TOpenDialogRequest> OpenRequests;
    std::optional<TOpenDialogResult> OpenAnswer;
};

class Form1Test : public ::testing::Test {
  protected:
    void TearDown() override {
        if (form_) form_->close();
    }

    // The settings the next window starts with; output beside the sources, so that a run
    // needs no dialog.
    void WriteSettings(TFormState st) { ASSERT_TRUE(SaveDatFile(paths_.DatFileName, st)); }
    void WriteBesideSettings() {
        TFormState st;
        st.SetRadioButtonFl(3, true);
        WriteSettings(st);
    }

    TForm1& Open(std::vector<std::string> arguments = {}) {
        form_ = std::make_unique<TForm1>(paths_, std::move(arguments), dialogs_);
        return *form_;
    }

    template <typename T>
    T* Find(const char* name) {
        T* w = form_->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    std::string MakeFile(const char* name) {
        test::WriteBytes(dir_.Path() / name, "x");
        return dir_.File(name);
    }

    std::vector<std::string> Log() {
        std::vector<std::string> lines;
        auto* list = Find<QListWidget>("ListBox1");
        for (int i = 0; i < list->count(); ++i)
            lines.push_back(list->item(i)->text().toStdString());
        return lines;
    }

    // A drop as the window receives it: enter, then drop. Returns whether the window took the
    // drop.
    bool Drop(const std::vector<std::string>& files) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& f : files)
            urls << QUrl::fromLocalFile(QString::fromStdString(f));
        mime.setUrls(urls);
        const QPointF pos(10, 10);
        QDragEnterEvent enter(pos.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QObject* target = form_.get();
        target->event(&enter);
        QDropEvent drop(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        target->event(&drop);
        return enter.isAccepted() && drop.isAccepted();
    }

    // Waits until the run the drop queued has put the log page in front.
    bool WaitForLogPage() {
        auto* pages = Find<QTabWidget>("PageControl1");
        return QTest::qWaitFor([&] { return pages->currentIndex() == 1; }, 2000);
    }

    test::TScopedTempDir dir_;
    TAppPaths paths_ = TAppPaths::FromProgramFile(dir_.File("velmora"));
    TFakeDialogs dialogs_;
    std::unique_ptr<TForm1> form_;
};

TEST_F(Form1Test, ControlsShowTheirCaptionsAndInitialState) {
    TForm1& form = Open();
    EXPECT_EQ(form.windowTitle().toStdString(), "Velmora Ver.1.10");
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);

    struct TCaption {
        const char* name;
        const char* text;
    };
    const TCaption labels[] = {
        {"Label2", "エクスプローラ等からドラッグ＆ドロップするか、または、"},
        {"Label3", "ここをクリックして変換するファイルを選択して下さい。"},
        {"Label7", "画面スタイル："},
        {"Label8", "※次回起動時に有効"},
        {"Label4", "保存時の座標倍率："},
        {"Label5", "実点の変換形状："},
        {"Label6", "実点サイズ(図寸mm)"},
        {"Label9", "分割"},
        {"Label10", "°最低分割数"},
        {"Label13", "最低分割数"},
        {"StatusBar1Panel",
         "※保存先フォルダに同じ名前のファイルが存在する場合は名前に枝番が付きます"},
    };
    for (const TCaption& c : labels) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Find<QLabel>(c.name)->text().toStdString(), c.text);
    }
    const TCaption buttons[] = {
        {"RadioButtonFl1", "デスクトップ"},
        {"RadioButtonFl2", "マイドキュメント"},
        {"RadioButtonFl3", "元ファイルのフォルダ"},
        {"RadioButtonFl4", "指定フォルダ"},
        {"RadioButtonFl5", "毎回指定"},
        {"ButtonFl1", "参照"},
        {"CheckBox1", "非表示レイヤ"},
        {"CheckBox2", "補助線色／補助線種"},
        {"CheckBox3", "寸法属性／寸法図形"},
        {"CheckBox4", "ハッチング属性"},
        {"CheckBox5", "実点"},
        {"CheckBox6", "ソリッド図形"},
        {"RadioButton5", "分割数指定"},
        {"RadioButton6", "角度(約)指定→分割数換算"},
        {"RadioButton7", "長さ(約;図寸mm)指定→分割数換算"},
    };
    for (const TCaption& c : buttons) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Find<QAbstractButton>(c.name)->text().toStdString(), c.text);
    }
    EXPECT_EQ(Find<QGroupBox>("GroupBoxFold")->title().toStdString(), "保存先(&F)");
    EXPECT_EQ(Find<QGroupBox>("GroupBox2")->title().toStdString(), "対象図形(&O)");
    EXPECT_EQ(Find<QGroupBox>("GroupBox3")->title().toStdString(), "円・円弧→線補間(&C)");

    EXPECT_TRUE(Find<QRadioButton>("RadioButtonFl1")->isChecked());
    EXPECT_FALSE(Find<QLineEdit>("EditFl1")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("ButtonFl1")->isEnabled());
    EXPECT_EQ(Find<QLabel>("LabelPreFolder")->text().toStdString(), paths_.ExeFolder);
    EXPECT_TRUE(Find<QLabel>("Label1")->isHidden());
    auto* link = Find<QLabel>("Label3");
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));

    auto* pages = Find<QTabWidget>("PageControl1");
    EXPECT_EQ(pages->tabPosition(), QTabWidget::South);
    EXPECT_EQ(pages->tabText(0).toStdString(), "設定(&S)");
    EXPECT_EQ(pages->tabText(1).toStdString(), "ログ(&L)");
    EXPECT_EQ(pages->currentIndex(), 0);

    for (int n = 1; n <= 6; ++n) {
        const std::string name = "CheckBox" + std::to_string(n);
        EXPECT_EQ(Find<QCheckBox>(name.c_str())->isChecked(), n != 6) << name;
    }
    auto* scale = Find<QComboBox>("ComboBox1");
    ASSERT_EQ(scale->count(), 4);
    EXPECT_EQ(scale->itemText(3).toStdString(), "×1000");
    EXPECT_EQ(scale->currentIndex(), 0);
    auto* marker = Find<QComboBox>("ComboBox2");
    ASSERT_EQ(marker->count(), 8);
    EXPECT_EQ(marker->itemText(7).toStdString(), "●");
    EXPECT_EQ(marker->currentIndex(), 0);
    auto* format = Find<QComboBox>("ComboBox3");
    ASSERT_EQ(format->count(), 3);
    EXPECT_EQ(format->itemText(1).toStdString(), "COLLADA (compact)");
    EXPECT_EQ(format->itemText(2).toStdString(), "glTF (.glb)");
    EXPECT_EQ(format->currentIndex(), 0);
    EXPECT_EQ(Find<QLabel>("Label14")->text().toStdString(), "出力形式");

    struct TEdit {
        const char* name;
        const char* text;
        int maxLength;
    };
    const TEdit edits[] = {{"Edit2", "1", 8}, {"Edit3", "12", 4}, {"Edit4", "10", 4},
                           {"Edit5", "4", 4}, {"Edit6", "10", 4}, {"Edit7", "4", 4}};
    for (const TEdit& e : edits) {
        SCOPED_TRACE(e.name);
        auto* edit = Find<QLineEdit>(e.name);
        EXPECT_EQ(edit->text().toStdString(), e.text);
        EXPECT_EQ(edit->maxLength(), e.maxLength);
    }
    EXPECT_TRUE(Find<QRadioButton>("RadioButton5")->isChecked());

    auto* styles = Find<QComboBox>("ComboBoxSc1");
    EXPECT_EQ(styles->count(), QStyleFactory::keys().size());
    EXPECT_EQ(styles->currentText().toStdString(), "Windows");
    EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 0);
}

TEST_F(Form1Test, SpecifiedFolderButtonEnablesEditAndBrowse) {
    Open();
    auto* edit = Find<QLineEdit>("EditFl1");
    auto* browse = Find<QPushButton>("ButtonFl1");
    QTest::mouseClick(Find<QRadioButton>("RadioButtonFl4"), Qt::LeftButton);
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(browse->isEnabled());

    // An empty edit opens the browser at the program's folder.
    dialogs_.BrowseAnswer = "/chosen/folder";
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_EQ(dialogs_.BrowseStart, paths_.ExeFolder);
    EXPECT_EQ(dialogs_.BrowseCaption, "変換後のファイルを保存するフォルダを指定して下さい");
    EXPECT_EQ(edit->text().toStdString(), "/chosen/folder/");

    for (const char* other :
         {"RadioButtonFl1", "RadioButtonFl2", "RadioButtonFl3", "RadioButtonFl5"}) {
        SCOPED_TRACE(other);
        QTest::mouseClick(Find<QRadioButton>(other), Qt::LeftButton);
        EXPECT_FALSE(edit->isEnabled());
        EXPECT_FALSE(browse->isEnabled());
    }
}

TEST_F(Form1Test, DropStartsOneRunWithOnlyTheSupportedFiles) {
    WriteBesideSettings();
    const std::filesystem::path sample = test::SourceDir() / "samples" / "sample.jww";
    ASSERT_TRUE(std::filesystem::exists(sample));
    std::filesystem::copy_file(sample, dir_.Path() / "a.jww");
    const std::string a = dir_.File("a.jww");
    const std::string b = MakeFile("b.txt");
    const std::string c = MakeFile("C.JWW");
    const std::string d = MakeFile("d.jwc");
    Open().show();
    std::filesystem::remove(paths_.DatFileName);

    EXPECT_TRUE(Drop({a, b, c, dir_.File("missing.jwk"), d}));
    ASSERT_TRUE(WaitForLogPage());
    const std::vector<std::string> log = Log();
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[0], a);
    EXPECT_EQ(log[1], "→ " + dir_.File("a.dae"));
    EXPECT_EQ(log[2], "　…… 変換完了");
    EXPECT_TRUE(FileThere(dir_.File("a.dae")));
    EXPECT_EQ(log[3], c);
    // Not a drawing: the reader refuses it and nothing is written.
    EXPECT_EQ(log[5], "　…… 変換失敗");
    EXPECT_EQ(log[6], d);
    // The run saves the settings before its first file.
    EXPECT_TRUE(FileThere(paths_.DatFileName));
}

TEST_F(Form1Test, DropDuringRunIsRefusedAndEscapeStopsBetweenFiles) {
    WriteBesideSettings();
    const std::string a = MakeFile("a.jww");
    const std::string b = MakeFile("b.jww");
    const std::string late = MakeFile("late.jww");
    TForm1& form = Open();
    form.show();

    // Runs while the window processes its events after the first file.
    bool lateTaken = true;
    bool runningThen = false;
    ASSERT_TRUE(Drop({a, b}));
    QTimer::singleShot(0, &form, [&] {
        runningThen = form.Running();
        lateTaken = Drop({late});
        QTest::keyPress(&form, Qt::Key_Escape);
    });
    ASSERT_TRUE(WaitForLogPage());
    QTest::keyRelease(&form, Qt::Key_Escape);

    EXPECT_TRUE(runningThen);
    EXPECT_FALSE(lateTaken);
    QTest::qWait(50);
    const std::vector<std::string> log = Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], a);
    EXPECT_EQ(log[3], "[ESC]を押しましたので中断します。");
}

TEST_F(Form1Test, SettingsChangedDuringARunSurviveItAndAreSaved) {
    WriteBesideSettings();
    const std::string a = MakeFile("a.jww");
    const std::string b = MakeFile("b.jww");
    TForm1& form = Open();
    Find<QLineEdit>("Edit3")->setText(QStringLiteral("1"));  // clamped by the run
    form.show();
    std::string progress;
    ASSERT_TRUE(Drop({a, b}));
    QTimer::singleShot(0, &form, [&] {
        progress = Find<QLabel>("StatusBar1Panel")->text().toStdString();
        Find<QCheckBox>("CheckBox6")->setChecked(true);
        Find<QLineEdit>("Edit5")->setText(QStringLiteral("7"));
        Find<QComboBox>("ComboBox2")->setCurrentIndex(5);
        Find<QRadioButton>("RadioButtonFl4")->setChecked(true);
        Find<QLineEdit>("EditFl1")->setText(QStringLiteral("/elsewhere/"));
    });
    ASSERT_TRUE(WaitForLogPage());
    EXPECT_EQ(progress.rfind("変換中 ", 0), 0u) << progress;
    EXPECT_EQ(Find<QLabel>("StatusBar1Panel")->text().toStdString(),
              "※保存先フォルダに同じ名前のファイルが存在する場合は名前に枝番が付きます");
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text().toStdString(), "3");
    form.close();
    TFormState saved;
    ASSERT_TRUE(OpenDatFile(paths_.DatFileName, paths_.ExeFolder, saved));
    EXPECT_TRUE(saved.CheckBox6);
    EXPECT_EQ(saved.Edit5, "7");
    EXPECT_EQ(saved.Edit3, "3");
    EXPECT_EQ(saved.ComboBox2, 5);
    EXPECT_TRUE(saved.RadioButtonFl(4));
    EXPECT_EQ(saved.EditFl1, "/elsewhere/");
}

TEST_F(Form1Test, EscapeTappedDuringARunStopsIt) {
    WriteBesideSettings();
    TForm1& form = Open();
    form.show();
    ASSERT_TRUE(Drop({MakeFile("a.jww"), MakeFile("b.jww")}));
    QTimer::singleShot(0, &form, [&] {
        QTest::keyPress(&form, Qt::Key_Escape);
        QTest::keyRelease(&form, Qt::Key_Escape);
    });
    ASSERT_TRUE(WaitForLogPage());
    EXPECT_EQ(Log().back(), "[ESC]を押しましたので中断します。");
}

TEST_F(Form1Test, UnsupportedDropSaysSo) {
    Open().show();
    EXPECT_TRUE(Drop({MakeFile("notes.txt")}));
    auto* status = Find<QLabel>("StatusBar1Panel");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return status->text() == "対応していないファイルです"; }, 2000));
    EXPECT_TRUE(Log().empty());
}

TEST_F(Form1Test, WindowOffEveryScreenMovesToThePrimaryOne) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct {
        int x, y;
        bool kept;
    } const cases[] = {
        {screen.left() + 60, screen.top() + 70, true}, {100000, 100000, false}, {-5000, 40, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        TFormState st;
        st.Fm1x = c.x;
        st.Fm1y = c.y;
        WriteSettings(st);
        TForm1& form = Open();
        if (c.kept) {
            EXPECT_EQ(form.pos(), QPoint(c.x, c.y));
        } else {
            EXPECT_TRUE(screen.contains(form.pos()));
        }
        form.close();
    }
}

TEST_F(Form1Test, ClickOnTheLinkOpensTheDialogAndRunsTheChosenFiles) {
    TFormState st;
    st.SetRadioButtonFl(3, true);
    st.Fidx = 3;
    st.Label1 = dir_.File("");
    WriteSettings(st);
    const std::string a = MakeFile("a.jwc");
    TForm1& form = Open();
    form.show();

    // A cancelled dialog changes nothing.
    QTest::mouseClick(Find<QLabel>("Label3"), Qt::LeftButton);
    ASSERT_EQ(dialogs_.OpenRequests.size(), 1u);
    const TOpenDialogRequest& request = dialogs_.OpenRequests[0];
    EXPECT_EQ(request.Title, "変換元ファイルを指定");
    EXPECT_EQ(request.InitialFolder, dir_.File(""));
    EXPECT_EQ(request.FilterIndex, 3);
    ASSERT_EQ(request.Filters.size(), 8u);
    EXPECT_EQ(request.Filters[0].Caption, "Jw_cad ファイル(*.jw?)");
    EXPECT_EQ(request.Filters[7].Caption, "全てのファイル(*.*)");
    EXPECT_TRUE(Log().empty());

    dialogs_.OpenAnswer = TOpenDialogResult{{a, MakeFile("b.txt")}, 2};
    QTest::mouseClick(Find<QLabel>("Label3"), Qt::LeftButton);
    ASSERT_EQ(dialogs_.OpenRequests.size(), 2u);
    EXPECT_EQ(Log().size(), 3u);
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 1);

    form.close();
    TFormState saved;
    ASSERT_TRUE(OpenDatFile(paths_.DatFileName, paths_.ExeFolder, saved));
    EXPECT_EQ(saved.Fidx, 2);
    EXPECT_EQ(saved.Label1, AddPathDelimiter(dir_.File("")));
}

TEST_F(Form1Test, CommandLineFilesAreConvertedWhenTheWindowShows) {
    WriteBesideSettings();
    const std::string drawing = MakeFile("plan.jww");
    TForm1& form = Open({drawing, MakeFile("notes.txt")});
    EXPECT_TRUE(Log().empty());
    form.show();
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 1);
    const std::vector<std::string> log = Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], drawing);
    EXPECT_EQ(log[1], "→ " + dir_.File("plan.dae"));
}

TEST_F(Form1Test, UnknownStyleFallsBackToWindows) {
    TFormState st;
    st.gstyle = "Amethyst Kamri";
    WriteSettings(st);
    Open();
    EXPECT_EQ(Find<QComboBox>("ComboBoxSc1")->currentText().toStdString(), "Windows");
    EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("windows"));
}

TEST_F(Form1Test, ClosingWritesWhatTheControlsShow) {
    Open().show();
    EXPECT_TRUE(FolderThere(paths_.TempFolder));
    QTest::mouseClick(Find<QRadioButton>("RadioButtonFl4"), Qt::LeftButton);
    Find<QLineEdit>("EditFl1")->setText(QStringLiteral("/データ/出力/"));
    Find<QCheckBox>("CheckBox6")->setChecked(true);
    Find<QComboBox>("ComboBox1")->setCurrentIndex(2);
    Find<QLineEdit>("Edit3")->setText(QStringLiteral("99"));
    Find<QRadioButton>("RadioButton7")->setChecked(true);
    auto* styles = Find<QComboBox>("ComboBoxSc1");
    styles->setCurrentIndex(styles->count() - 1);
    const std::string chosenStyle = styles->currentText().toStdString();
    const QStyle* before = QApplication::style();

    form_->close();
    // The style applies at the next start only.
    EXPECT_EQ(QApplication::style(), before);
    EXPECT_FALSE(FolderThere(paths_.TempFolder));
    EXPECT_TRUE(dialogs_.Messages.empty());

    TFormState saved;
    ASSERT_TRUE(OpenDatFile(paths_.DatFileName, paths_.ExeFolder, saved));
    EXPECT_TRUE(saved.RadioButtonFl(4));
    EXPECT_EQ(saved.EditFl1, "/データ/出力/");
    EXPECT_TRUE(saved.CheckBox6);
    EXPECT_EQ(saved.ComboBox1, 2);
    EXPECT_EQ(saved.Edit3, "99");
    EXPECT_TRUE(saved.RadioButton(7));
    EXPECT_EQ(saved.gstyle, chosenStyle);
    EXPECT_EQ(saved.Fm1w, form_->width());
    EXPECT_EQ(saved.Fm1h, form_->height());
}

TEST_F(Form1Test, UnwritableSettingsWarnOnceAndNeverBlockClosing) {
    const std::string a = MakeFile("a.jww");
    // A folder, not empty, where the settings file should be: it is never written.
    std::filesystem::create_directories(paths_.DatFileName + "/keep");
    TForm1& form = Open();
    QTest::mouseClick(Find<QRadioButton>("RadioButtonFl3"), Qt::LeftButton);
    form.show();

    ASSERT_TRUE(Drop({a}));
    ASSERT_TRUE(WaitForLogPage());
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_NE(dialogs_.Messages[0].find(paths_.DatFileName), std::string::npos);

    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(dialogs_.Messages.size(), 1u);
}

}  // namespace
}  // namespace velmora

// The window needs a QApplication around the tests. With --screenshot=FILE the program only
// shows a fresh window and saves its picture (run it under a real display server for the
// system's fonts and style).
int main(int argc, char** argv) {
    const char* shot = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--screenshot=", 13) == 0) shot = argv[i] + 13;
    }
    if (shot == nullptr && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (shot != nullptr) {
        velmora::test::TScopedTempDir dir;
        velmora::TQtDialogs dialogs;
        velmora::TForm1 form(velmora::TAppPaths::FromProgramFile(dir.File("velmora")), {}, dialogs);
        form.resize(473, 457);
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) return 1;
        QTest::qWait(200);
        const bool saved = form.grab().save(QString::fromUtf8(shot));
        form.close();
        return saved ? 0 : 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
