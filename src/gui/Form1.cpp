#include "gui/Form1.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/ConversionEngine.h"
#include "app/FormRules.h"
#include "app/Settings.h"
#include "util/Func2.h"

namespace velmora {

namespace {

// The window's own face first; elsewhere the Japanese gothic faces a Linux system usually has
// (IPAGothic comes with fonts-ipafont-gothic).
constexpr const char* kGothicFamilies[] = {
    kFontFace,          "MS Gothic",          "IPAGothic",
    "IPAゴシック",      "IPAexGothic",        "Noto Sans Mono CJK JP",
    "Noto Sans CJK JP", "Source Han Sans JP", "VL Gothic",
    "TakaoGothic",
};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QString Q(const char* s) {
    return QString::fromUtf8(s);
}

QString GothicFamily() {
    const QStringList families = QFontDatabase::families();
    for (const char* name : kGothicFamilies) {
        if (families.contains(Q(name))) return Q(name);
    }
    return {};
}

std::vector<std::string> LocalFiles(const QMimeData* mime) {
    std::vector<std::string> names;
    if (mime == nullptr || !mime->hasUrls()) return names;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) names.push_back(url.toLocalFile().toStdString());
    }
    return names;
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(Q(name));
    return widget;
}

QLabel* NewLabel(const char* name, const char* text, QWidget* parent) {
    return Named(new QLabel(Q(text), parent), name);
}

// A numeric edit: short, and no input method, so digits go in directly.
QLineEdit* NewNumberEdit(const char* name, const char* text, int maxLength, QWidget* parent) {
    auto* edit = Named(new QLineEdit(Q(text), parent), name);
    edit->setMaxLength(maxLength);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    const QString widest(maxLength, QLatin1Char('0'));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(widest) + 16);
    return edit;
}

}  // namespace

TForm1::TForm1(TAppPaths paths, std::vector<std::string> arguments, IFormDialogs& dialogs,
               QWidget* parent)
    : QMainWindow(parent),
      paths_(std::move(paths)),
      arguments_(std::move(arguments)),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmora Ver." VELMORA_VERSION));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QFont f = font();
    const QString family = GothicFamily();
    if (!family.isEmpty()) f.setFamilies({family});
    f.setPixelSize(kFontPixels);
    setFont(f);

    CreateControls();
    resize(kClientWidth, kClientHeight);
    // Escape is a key state polled between files, so every key event of the application is
    // watched, whichever widget has the focus.
    QCoreApplication::instance()->installEventFilter(this);
    FormCreate();
}

TForm1::~TForm1() = default;

bool TForm1::Running() const {
    return batch_ != nullptr && batch_->Running();
}

void TForm1::CreateControls() {
    auto* central = Named(new QWidget(this), "Form1Client");
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);

    GroupBoxFold = Named(new QGroupBox(Q("保存先(&F)"), central), "GroupBoxFold");
    auto* fold = new QGridLayout(GroupBoxFold);
    groupFl_ = new QButtonGroup(this);
    constexpr const char* kFlNames[] = {"",
                                        "RadioButtonFl1",
                                        "RadioButtonFl2",
                                        "RadioButtonFl3",
                                        "RadioButtonFl4",
                                        "RadioButtonFl5"};
    constexpr const char* kFlCaptions[] = {
        "", "デスクトップ", "マイドキュメント", "元ファイルのフォルダ", "指定フォルダ", "毎回指定"};
    for (int n = 1; n <= 5; ++n) {
        RadioButtonFl[n] = Named(new QRadioButton(Q(kFlCaptions[n]), GroupBoxFold), kFlNames[n]);
        groupFl_->addButton(RadioButtonFl[n], n);
    }
    EditFl1 = Named(new QLineEdit(GroupBoxFold), "EditFl1");
    ButtonFl1 = Named(new QPushButton(Q("参照"), GroupBoxFold), "ButtonFl1");
    LabelPreFolder = NewLabel("LabelPreFolder", "", GroupBoxFold);
    fold->addWidget(RadioButtonFl[1], 0, 0);
    fold->addWidget(RadioButtonFl[2], 0, 1);
    fold->addWidget(RadioButtonFl[3], 0, 2, 1, 2);
    fold->addWidget(RadioButtonFl[4], 1, 0);
    fold->addWidget(EditFl1, 1, 1, 1, 2);
    fold->addWidget(ButtonFl1, 1, 3);
    fold->addWidget(RadioButtonFl[5], 2, 0);
    fold->addWidget(LabelPreFolder, 2, 1, 1, 3);
    fold->setColumnStretch(2, 1);
    layout->addWidget(GroupBoxFold);

    auto* panel = Named(new QFrame(central), "Panel1");
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(
        NewLabel("Label2", "エクスプローラ等からドラッグ＆ドロップするか、または、", panel));
    Label3 = NewLabel("Label3", "ここをクリックして変換するファイルを選択して下さい。", panel);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setCursor(Qt::PointingHandCursor);
    QPalette pal = Label3->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    Label3->setPalette(pal);
    QFont underlined = Label3->font();
    underlined.setUnderline(true);
    Label3->setFont(underlined);
    panelLayout->addWidget(Label3);
    Label1 = NewLabel("Label1", "", panel);
    Label1->setVisible(false);
    Label1->setEnabled(false);
    layout->addWidget(panel);

    PageControl1 = Named(new QTabWidget(central), "PageControl1");
    PageControl1->setTabPosition(QTabWidget::South);
    layout->addWidget(PageControl1, 1);

    auto* sheet1 = Named(new QWidget(PageControl1), "TabSheet1");
    auto* sheet1Layout = new QVBoxLayout(sheet1);
    sheet1Layout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = Named(new QScrollArea(sheet1), "ScrollBox1");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    sheet1Layout->addWidget(scroll);
    auto* page = Named(new QWidget(scroll), "ScrollBox1Client");
    scroll->setWidget(page);
    auto* settings = new QVBoxLayout(page);

    auto* styleRow = new QHBoxLayout;
    styleRow->addWidget(NewLabel("Label7", "画面スタイル：", page));
    ComboBoxSc1 = Named(new QComboBox(page), "ComboBoxSc1");
    styleRow->addWidget(ComboBoxSc1);
    styleRow->addWidget(NewLabel("Label8", "※次回起動時に有効", page));
    styleRow->addStretch(1);
    settings->addLayout(styleRow);

    auto* group2 = Named(new QGroupBox(Q("対象図形(&O)"), page), "GroupBox2");
    auto* checks = new QGridLayout(group2);
    constexpr const char* kCheckNames[] = {"",          "CheckBox1", "CheckBox2", "CheckBox3",
                                           "CheckBox4", "CheckBox5", "CheckBox6"};
    constexpr const char* kCheckCaptions[] = {
        "",     "非表示レイヤ", "補助線色／補助線種", "寸法属性／寸法図形", "ハッチング属性",
        "実点", "ソリッド図形"};
    for (int n = 1; n <= 6; ++n) {
        CheckBox[n] = Named(new QCheckBox(Q(kCheckCaptions[n]), group2), kCheckNames[n]);
        checks->addWidget(CheckBox[n], (n - 1) / 2, (n - 1) % 2);
    }
    settings->addWidget(group2);

    auto* grid = new QGridLayout;
    grid->addWidget(NewLabel("Label4", "保存時の座標倍率：", page), 0, 0);
    ComboBox1 = Named(new QComboBox(page), "ComboBox1");
    for (const char* item : {"×1", "×10", "×100", "×1000"})
        ComboBox1->addItem(Q(item));
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(NewLabel("Label5", "実点の変換形状：", page), 1, 0);
    ComboBox2 = Named(new QComboBox(page), "ComboBox2");
    for (const char* item : {"＋", "×", "□", "◇", "○", "■", "◆", "●"})
        ComboBox2->addItem(Q(item));
    grid->addWidget(ComboBox2, 1, 1);
    grid->addWidget(NewLabel("Label6", "実点サイズ(図寸mm)", page), 2, 0);
    Edit[2] = NewNumberEdit("Edit2", "1", 8, page);
    grid->addWidget(Edit[2], 2, 1);
    grid->addWidget(NewLabel("Label14", "出力形式", page), 3, 0);
    ComboBox3 = Named(new QComboBox(page), "ComboBox3");
    for (const char* item : {"COLLADA", "COLLADA (compact)", "glTF (.glb)"})
        ComboBox3->addItem(Q(item));
    grid->addWidget(ComboBox3, 3, 1);
    grid->setColumnStretch(2, 1);
    settings->addLayout(grid);

    auto* group3 = Named(new QGroupBox(Q("円・円弧→線補間(&C)"), page), "GroupBox3");
    auto* arc = new QGridLayout(group3);
    groupArc_ = new QButtonGroup(this);
    RadioButton[5] = Named(new QRadioButton(Q("分割数指定"), group3), "RadioButton5");
    RadioButton[6] = Named(new QRadioButton(Q("角度(約)指定→分割数換算"), group3), "RadioButton6");
    RadioButton[7] =
        Named(new QRadioButton(Q("長さ(約;図寸mm)指定→分割数換算"), group3), "RadioButton7");
    for (int n = 5; n <= 7; ++n)
        groupArc_->addButton(RadioButton[n], n);
    Edit[3] = NewNumberEdit("Edit3", "12", 4, group3);
    Edit[4] = NewNumberEdit("Edit4", "10", 4, group3);
    Edit[5] = NewNumberEdit("Edit5", "4", 4, group3);
    Edit[6] = NewNumberEdit("Edit6", "10", 4, group3);
    Edit[7] = NewNumberEdit("Edit7", "4", 4, group3);
    arc->addWidget(RadioButton[5], 0, 0, 1, 5);
    arc->addWidget(Edit[3], 1, 1);
    arc->addWidget(NewLabel("Label9", "分割", group3), 1, 2);
    arc->addWidget(RadioButton[6], 2, 0, 1, 5);
    arc->addWidget(NewLabel("Label11", "約", group3), 3, 0, Qt::AlignRight);
    arc->addWidget(Edit[4], 3, 1);
    arc->addWidget(NewLabel("Label10", "°最低分割数", group3), 3, 2);
    arc->addWidget(Edit[5], 3, 3);
    arc->addWidget(RadioButton[7], 4, 0, 1, 5);
    arc->addWidget(NewLabel("Label12", "約", group3), 5, 0, Qt::AlignRight);
    arc->addWidget(Edit[6], 5, 1);
    arc->addWidget(NewLabel("Label13", "最低分割数", group3), 5, 2);
    arc->addWidget(Edit[7], 5, 3);
    arc->setColumnStretch(4, 1);
    settings->addWidget(group3);
    settings->addStretch(1);
    PageControl1->addTab(sheet1, Q("設定(&S)"));

    auto* sheet2 = Named(new QWidget(PageControl1), "TabSheet2");
    auto* sheet2Layout = new QVBoxLayout(sheet2);
    sheet2Layout->setContentsMargins(0, 0, 0, 0);
    ListBox1 = Named(new QListWidget(sheet2), "ListBox1");
    QFont logFont = font();
    logFont.setPixelSize(kLogFontPixels);
    ListBox1->setFont(logFont);
    sheet2Layout->addWidget(ListBox1);
    PageControl1->addTab(sheet2, Q("ログ(&L)"));
    PageControl1->setCurrentIndex(0);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    auto* panel0 = NewLabel("StatusBar1Panel", kStatusText, bar);
    // Like a status panel, the text is cut at the window's edge instead of widening it.
    panel0->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(panel0, 1);
    StatusPanel = panel0;

    connect(groupFl_, &QButtonGroup::buttonToggled, this, [this] { RadioButtonFl1Click(); });
    connect(ButtonFl1, &QPushButton::clicked, this, [this] { ButtonFl1Click(); });
}

void TForm1::FormCreate() {
    paths_.CreateTempFolder();
    // A settings file that cannot be read leaves the defaults for what was not read.
    OpenDatFile(paths_.DatFileName, paths_.ExeFolder, state_);

    std::vector<std::string> styles;
    ComboBoxSc1->clear();
    for (const QString& key : QStyleFactory::keys()) {
        styles.push_back(key.toStdString());
        ComboBoxSc1->addItem(key);
    }
    // A new choice applies at the next start, here.
    state_.gstyle = StyleOrDefault(styles, state_.gstyle);
    if (QStyle* style = QStyleFactory::create(Q(state_.gstyle))) {
        QApplication::setStyle(style);
    } else {
        state_.gstyle = kDefaultStyle;
    }

    StateToControls();
    move(state_.Fm1x, state_.Fm1y);
    resize(state_.Fm1w, state_.Fm1h);
    KeepOnScreen();
}

void TForm1::KeepOnScreen() {
    std::vector<TScreenRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        screens.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    if (FrameOnSomeScreen({state_.Fm1x, state_.Fm1y, state_.Fm1w, state_.Fm1h}, screens)) return;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        move(primary->availableGeometry().topLeft());
    }
}

void TForm1::FormShow() {
    InitData();
    setAcceptDrops(true);
    RunIntake(arguments_);
}

void TForm1::FormClose() {
    if (engine_) FreeData();
    paths_.RemoveTempFolderIfEmpty();
    ControlsToState(state_);
    if (!SaveDatFile(paths_.DatFileName, state_)) WarnSettingsNotSaved();
}

void TForm1::InitData() {
    engine_ = MakeConversionEngine(paths_.TempFolder);
    IPlatform& platform = *this;
    batch_ = std::make_unique<TBatchRun>(platform, *engine_, state_, paths_.DatFileName);
}

void TForm1::FreeData() {
    batch_.reset();
    engine_.reset();
}

void TForm1::RadioButtonFl1Click() {
    TFormState st = state_;
    ControlsToState(st);
    EditFl1->setEnabled(st.FolderEditEnabled());
    ButtonFl1->setEnabled(st.FolderEditEnabled());
}

void TForm1::ButtonFl1Click() {
    const std::string start = paths_.StartFolder(EditFl1->text().toStdString());
    if (const auto dir = BrowseForFolder(start, kBrowseCaption)) {
        EditFl1->setText(Q(AddPathDelimiter(*dir)));
    }
}

void TForm1::Label3Click() {
    if (Running() || !batch_) return;
    state_.Label1 = Label1->text().toStdString();
    const std::optional<TOpenDialogResult> chosen =
        dialogs_.OpenFiles(this, OpenDialogRequest(state_));
    if (!chosen) return;
    AcceptOpenDialog(*chosen, state_);
    Label1->setText(Q(state_.Label1));
    RunIntake(chosen->Files);
}

void TForm1::RunIntake(const std::vector<std::string>& names) {
    if (Running() || !batch_) return;
    // The controls hold the settings; the run shows what it changes itself
    // (FormTextsChanged), so what the user changes while it runs stays.
    ControlsToState(state_);
    const TRunReport report = batch_->Intake(names);
    if (SaysUnsupported(names, report)) ShowStatus(kUnsupportedNote);
    if (batch_->SettingsSaveFailed) WarnSettingsNotSaved();
    if (closePending_) {
        closePending_ = false;
        close();
    }
}

void TForm1::WarnSettingsNotSaved() {
    if (settingsWarned_) return;
    settingsWarned_ = true;
    ShowMessage(kSettingsNotSaved + paths_.DatFileName);
}

void TForm1::ControlsToState(TFormState& st) const {
    st.Fm1x = x();
    st.Fm1y = y();
    st.Fm1w = width();
    st.Fm1h = height();
    for (int n = 1; n <= 5; ++n)
        st.SetRadioButtonFl(n, RadioButtonFl[n]->isChecked());
    st.EditFl1 = EditFl1->text().toStdString();
    st.Label1 = Label1->text().toStdString();
    st.LabelPreFolder = LabelPreFolder->text().toStdString();
    if (ComboBoxSc1->currentIndex() >= 0) st.gstyle = ComboBoxSc1->currentText().toStdString();
    bool* const checks[] = {nullptr,       &st.CheckBox1, &st.CheckBox2, &st.CheckBox3,
                            &st.CheckBox4, &st.CheckBox5, &st.CheckBox6};
    for (int n = 1; n <= 6; ++n)
        *checks[n] = CheckBox[n]->isChecked();
    st.ComboBox1 = ComboBox1->currentIndex();
    st.ComboBox2 = ComboBox2->currentIndex();
    st.ComboBox3 = ComboBox3->currentIndex();
    std::string* const edits[] = {nullptr,   nullptr,   &st.Edit2, &st.Edit3,
                                  &st.Edit4, &st.Edit5, &st.Edit6, &st.Edit7};
    for (int n = 2; n <= 7; ++n)
        *edits[n] = Edit[n]->text().toStdString();
    for (int n = 5; n <= 7; ++n)
        st.SetRadioButton(n, RadioButton[n]->isChecked());
}

void TForm1::StateToControls() {
    // An exclusive group cannot show "none checked", which a settings file may ask for.
    groupFl_->setExclusive(false);
    for (int n = 1; n <= 5; ++n)
        RadioButtonFl[n]->setChecked(state_.RadioButtonFl(n));
    groupFl_->setExclusive(true);
    EditFl1->setText(Q(state_.EditFl1));
    Label1->setText(Q(state_.Label1));
    LabelPreFolder->setText(Q(state_.LabelPreFolder));
    ComboBoxSc1->setCurrentIndex(ComboBoxSc1->findText(Q(state_.gstyle)));
    const bool checks[] = {false,
                           state_.CheckBox1,
                           state_.CheckBox2,
                           state_.CheckBox3,
                           state_.CheckBox4,
                           state_.CheckBox5,
                           state_.CheckBox6};
    for (int n = 1; n <= 6; ++n)
        CheckBox[n]->setChecked(checks[n]);
    // An index outside the items leaves no item selected.
    ComboBox1->setCurrentIndex(state_.ComboBox1);
    ComboBox2->setCurrentIndex(state_.ComboBox2);
    ComboBox3->setCurrentIndex(state_.ComboBox3);
    const std::string* const edits[] = {nullptr,       nullptr,       &state_.Edit2, &state_.Edit3,
                                        &state_.Edit4, &state_.Edit5, &state_.Edit6, &state_.Edit7};
    for (int n = 2; n <= 7; ++n)
        Edit[n]->setText(Q(*edits[n]));
    groupArc_->setExclusive(false);
    for (int n = 5; n <= 7; ++n)
        RadioButton[n]->setChecked(state_.RadioButton(n));
    groupArc_->setExclusive(true);
    RadioButtonFl1Click();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The run holds the conversion objects: it stops before its next file, then the window
    // closes.
    if (Running()) {
        closePending_ = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!Running() && batch_ && !LocalFiles(event->mimeData()).empty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    if (!Running() && batch_) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TForm1::dropEvent(QDropEvent* event) {
    std::vector<std::string> names = LocalFiles(event->mimeData());
    if (Running() || !batch_ || names.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The drop is released first, so the file manager does not wait for the run.
    QTimer::singleShot(0, this, [this, names = std::move(names)] { RunIntake(names); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                escapeDown_ = true;
                // A tap counts even when it is released before the run looks.
                if (batch_) batch_->RequestStop();
            }
            break;
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) escapeDown_ = false;
            break;
        }
        case QEvent::ApplicationDeactivate:
            // The release of a key held while another program took the focus never arrives.
            escapeDown_ = false;
            break;
        case QEvent::MouseButtonRelease:
            if (watched == Label3) {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton &&
                    Label3->rect().contains(mouse->position().toPoint())) {
                    Label3Click();
                }
                return true;
            }
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

std::string TForm1::ProgramFolder() {
    return paths_.ExeFolder;
}

std::string TForm1::DesktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString();
}

std::string TForm1::DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
}

bool TForm1::EscapeDown() {
    return escapeDown_ || closePending_;
}

void TForm1::ShowMessage(const std::string& text) {
    dialogs_.ShowMessage(this, text);
}

std::optional<std::string> TForm1::BrowseForFolder(const std::string& startFolder,
                                                   const std::string& caption) {
    return dialogs_.BrowseForFolder(this, startFolder, caption);
}

void TForm1::ProcessEvents() {
    QCoreApplication::processEvents();
}

void TForm1::ClearLog() {
    ListBox1->clear();
}

void TForm1::AddLog(const std::string& line) {
    ListBox1->addItem(Q(line));
    ListBox1->scrollToBottom();
}

void TForm1::FormTextsChanged(const TFormState& st) {
    const std::string* const edits[] = {nullptr,   nullptr,   &st.Edit2, &st.Edit3,
                                        &st.Edit4, &st.Edit5, &st.Edit6, &st.Edit7};
    for (int n = 2; n <= 7; ++n)
        Edit[n]->setText(Q(*edits[n]));
    LabelPreFolder->setText(Q(st.LabelPreFolder));
}

void TForm1::Progress(const std::string& text) {
    ShowStatus(text);
}

void TForm1::ShowStatus(const std::string& text) {
    StatusPanel->setText(text.empty() ? Q(kStatusText) : Q(text));
    if (text == kUnsupportedNote) {
        QTimer::singleShot(kNoteMilliseconds, this, [this] {
            if (StatusPanel->text() == Q(kUnsupportedNote)) StatusPanel->setText(Q(kStatusText));
        });
    }
}

void TForm1::ShowLogPage() {
    PageControl1->setCurrentIndex(1);
}

}  // namespace velmora
