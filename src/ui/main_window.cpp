#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPalette>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QUndoStack>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "editor/control_catalog.h"
#include "editor/image_compare.h"
#include "files/table_file_messages.h"
#include "files/table_io.h"
#include "link/comm_port.h"
#include "link/link_messages.h"
#include "link/link_session.h"
#include "link/port_diagnosis.h"
#include "link/port_discovery.h"
#include "ui/about_box.h"
#include "ui/app_settings.h"
#include "ui/board_test_splash.h"
#include "ui/call_page_player.h"
#include "ui/compare_and_backups.h"
#include "ui/design_builder.h"
#include "ui/dialog_service.h"
#include "ui/elided_text.h"
#include "ui/fleet_window.h"
#include "ui/form_binding.h"
#include "ui/help_window.h"
#include "ui/keyboard_access.h"
#include "ui/log_window.h"
#include "ui/page_builders.h"
#include "ui/pager_menu.h"
#include "ui/password_window.h"
#include "ui/port_list_controller.h"
#include "ui/recent_files_menu.h"
#include "ui/tone_plan_window.h"
#include "ui/tone_table_window.h"
#include "ui/undo_history.h"
#include "ui/window_link_events.h"

namespace mk843nb {

namespace {

constexpr int kDesignWidth = 833;
constexpr int kDesignHeight = 700;
constexpr int kDesignFontPoints = 9;
constexpr int kStatusHeight = 20;
// PB1 and the status text panel at the design size; narrower windows narrow them alike.
constexpr int kProgressWidth = 320;
constexpr int kStatusTextWidth = 330;
// The value columns of the verify details: what went out, what came back.
QAction* MenuItem(QMenu* menu, const ObjectName& name, const QString& caption,
                  const QKeySequence& shortcut = {}, const QIcon& icon = {}) {
    QAction* action = menu->addAction(icon, caption);
    action->setObjectName(name.Text());
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

}  // namespace

MainWindow::MainWindow(DialogService& dialogs, Options options, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), options_(std::move(options)) {
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    setObjectName(QStringLiteral("Form1"));
    QFont font = this->font();
    font.setPointSize(kDesignFontPoints);
    setFont(font);
    dialogs_.SetParent(this);

    BuildMenu();
    BuildStatusBar();
    BuildForm();

    SetTabOrderByPosition(form_);
    NameFieldsByTheirLabels(form_);

    binding_ = new FormBinding(model_, form_, pages_, dialogs_);
    binding_->Attach();
    binding_->WatchBackground(form_);
    for (const char* box : {"GroupBox2", "GroupBox7", "GroupBox5", "GroupBox3"})
        if (auto* w = form_->findChild<QGroupBox*>(QString::fromLatin1(box)))
            binding_->WatchBackground(w);
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    f9->setContext(Qt::WindowShortcut);
    connect(f9, &QShortcut::activated, this, [this] { binding_->Show(model_.PressF9()); });

    hooks_ = std::make_unique<WindowLinkEvents>(
        WindowLinkEvents::Widgets{this, panel1_, panel2_, pb1_}, model_, *binding_);
    link_ = std::make_unique<LinkSession>(
        options_.channels ? options_.channels : LinkSession::ChannelFactory(&TCommPort::Create),
        options_.clock ? *options_.clock : clock_, *hooks_);
    pagerMenu_ = std::make_unique<PagerMenu>(*link_, *hooks_, model_, *binding_, dialogs_);
    pagerMenu_->finished = [this](const LinkOutcome& outcome) { AfterPagerCommand(outcome); };
    pagerMenu_->operatorName = [this] {
        return settings_ ? settings_->OperatorName().trimmed().toStdString() : std::string();
    };

    resize(kDesignWidth, kDesignHeight);
    // The layout scales everything with the window; below four fifths of the
    // design size captions no longer fit their controls.
    setMinimumSize(kDesignWidth * 4 / 5, kDesignHeight * 4 / 5);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    layout_.Record(size(), components_);
    statusDesignHeight_ = kStatusHeight;

    startDirectory_ = QDir::currentPath();
    tables_ = std::make_unique<TableFile>(dialogs_, startDirectory_.toStdString());
    binding_->openToneTable = [this] { OpenToneTable(); };
    binding_->closeWindow = [this](const std::string& name) { CloseWindow(name); };
    if (auto* help = qobject_cast<QLabel*>(binding_->Widget(ControlId::lblHelp)))
        help->installEventFilter(this);
    callPlayer_ = new CallPagePlayer(form_, model_, dialogs_, this);
    history_ = new UndoHistory(
        [this](const PagerImage& image) {
            binding_->Show(model_.ReplaceImage(image));
            return model_.Image();
        },
        this);
    history_->Reset(model_.Image());
    binding_->afterEvent = [this] {
        history_->Record(model_.Image());
        UpdateUndoActions();
    };
    connect(&history_->Stack(), &QUndoStack::indexChanged, this, [this] { UpdateUndoActions(); });
    // Ctrl+Z in a field is the window's undo, not the field's own.
    for (QLineEdit* edit : form_->findChildren<QLineEdit*>()) edit->installEventFilter(this);
    UpdateUndoActions();
    binding_->ApplyStates();
    ports_ = new PortListController(
        *this, *link_, *hooks_, model_, *binding_,
        {options_.userPorts, options_.listPorts, options_.watchedFolders, options_.portSettleMs});
    connect(ports_, &PortListController::Shown, this, [this] {
        if (auto* fleet = findChild<FleetWindow*>()) fleet->PortsChanged();
    });
    CreateAuxiliaryWindows();
}

// The windows beside the main one, made once and shown when needed; the splash
// must exist before the board search starts.
void MainWindow::CreateAuxiliaryWindows() {
    aboutBox_ = new AboutBox(this);
    toneTable_ = new ToneTableWindow(model_, dialogs_, this);
    help_ = new HelpWindow(this);
    splash_ = new BoardTestSplash(this);
    password_ = new PasswordWindow(model_, dialogs_, this);
    log_ = new LogWindow(dialogs_, this);
    hooks_->log = log_;
    pagerMenu_->log = log_;
    comparisons_ = std::make_unique<CompareAndBackups>(this, model_, dialogs_);
    comparisons_->openImage = [this](const PagerImage& bytes, std::size_t count) {
        PagerImage image = model_.Image();
        std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count), image.begin());
        TableFileOutcome opened;
        opened.imageReplaced = true;
        Finish(opened, image);
    };
}

void MainWindow::OpenToneTable() {
    toneTable_->exec();
    binding_->ApplyStates();
    history_->Record(model_.Image());  // a tone picked from the table is an edit
    UpdateUndoActions();
}

void MainWindow::CloseWindow(const std::string& name) {
    if (name == "TForm2")
        toneTable_->done(QDialog::Accepted);
    else if (name == "TForm4")
        password_->done(QDialog::Accepted);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Left unaccepted, the key reaches the window's Undo and Redo.
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z))
            return true;
    }
    auto* help = qobject_cast<QLabel*>(watched);
    if (help == nullptr || help != binding_->Widget(ControlId::lblHelp))
        return QMainWindow::eventFilter(watched, event);
    // The keyboard's focus shows on the label as the mouse's hover does.
    switch (event->type()) {
        case QEvent::Enter:
        case QEvent::FocusIn:
            DesignBuilder::Bold(help, true);
            break;
        case QEvent::Leave:
        case QEvent::FocusOut: {
            QFont font = help->font();
            font.setBold(help->hasFocus() || help->underMouse());
            font.setUnderline(true);
            help->setFont(font);
            break;
        }
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space) break;
            if (help->isEnabled()) help_->exec();
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (help->isEnabled()) help_->exec();
            return true;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

MainWindow::~MainWindow() {
    if (link_) link_->ClosePort();
    // The history goes before the menu actions it enables.
    binding_->afterEvent = nullptr;
    history_->Stack().disconnect(this);
    delete history_;
    history_ = nullptr;
    // The widgets outlive the model (they die with the QMainWindow base): the
    // binding goes first, so a focus change during their destruction reaches no rule.
    delete binding_;
    binding_ = nullptr;
    delete toneTable_;
    delete password_;
}

void MainWindow::BuildMenu() {
    QStyle* s = style();
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    connect(MenuItem(file, "OpenO1", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O),
                     s->standardIcon(QStyle::SP_DialogOpenButton)),
            &QAction::triggered, this, &MainWindow::OpenO1Click);
    connect(MenuItem(file, "SaveS1", QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
                     s->standardIcon(QStyle::SP_DialogSaveButton)),
            &QAction::triggered, this, &MainWindow::SaveS1Click);
    connect(MenuItem(file, "SaveAs1", QStringLiteral("Save &As ..."), {},
                     s->standardIcon(QStyle::SP_DriveFDIcon)),
            &QAction::triggered, this, &MainWindow::SaveAs1Click);
    recentMenu_ = file->addMenu(QStringLiteral("Recent &Files"));
    recentMenu_->setObjectName(QStringLiteral("RecentFilesMenu"));
    recentMenu_->menuAction()->setVisible(false);  // until there are settings to keep it in
    connect(MenuItem(file, "CompareFile1", QStringLiteral("&Compare with file…")),
            &QAction::triggered, this, &MainWindow::CompareFile1Click);
    connect(MenuItem(file, "Backups1", QStringLiteral("&Backups…")), &QAction::triggered, this,
            &MainWindow::Backups1Click);
    connect(MenuItem(file, "TonePlan1", QStringLiteral("&Tone plan…")), &QAction::triggered, this,
            [this] {
                if (tonePlan_ == nullptr) tonePlan_ = new TonePlanWindow(dialogs_, this);
                tonePlan_->show();
                tonePlan_->raise();
            });
    connect(MenuItem(file, "Fleet1", QStringLiteral("F&leet…")), &QAction::triggered, this, [this] {
        auto* fleet = findChild<FleetWindow*>();
        if (fleet == nullptr) {
            FleetWindowOptions options;
            options.ports = [this] { return link_->Ports(); };
            options.windowImage = [this] { return model_.Image(); };
            options.releasePorts = [this] { link_->ClosePort(); };
            options.operatorName = [this] {
                return settings_ ? settings_->OperatorName().trimmed().toStdString()
                                 : std::string();
            };
            fleet = new FleetWindow(dialogs_, std::move(options), this);
        }
        fleet->ShowFleet();
    });
    operatorItem_ = MenuItem(file, "Operator1", QStringLiteral("O&perator…"));
    operatorItem_->setVisible(false);  // until there are settings to keep the name in
    connect(operatorItem_, &QAction::triggered, this, &MainWindow::Operator1Click);
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    QAction* exit = MenuItem(file, "ExitE1", QStringLiteral("E&xit"), {},
                             s->standardIcon(QStyle::SP_DialogCloseButton));
    // Ctrl+E has always closed the program; Ctrl+Q is what Linux users try.
    exit->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_E), QKeySequence(Qt::CTRL | Qt::Key_Q)});
    connect(exit, &QAction::triggered, this, &MainWindow::ExitE1Click);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    undo_ = MenuItem(edit, "Undo1", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = MenuItem(edit, "Redo1", QStringLiteral("&Redo"),
                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(undo_, &QAction::triggered, this, [this] { history_->Undo(); });
    connect(redo_, &QAction::triggered, this, [this] { history_->Redo(); });

    QMenu* pager = menuBar()->addMenu(QStringLiteral("&Pager"));
    QAction* write =
        MenuItem(pager, ControlId::Write1, QStringLiteral("&Write"), QKeySequence(Qt::Key_F4));
    write->setEnabled(false);
    connect(write, &QAction::triggered, this, &MainWindow::Write1Click);
    connect(MenuItem(pager, ControlId::Read1, QStringLiteral("&Read"), QKeySequence(Qt::Key_F3)),
            &QAction::triggered, this, &MainWindow::Read1Click);
    connect(
        MenuItem(pager, ControlId::Verify1, QStringLiteral("&Verify"), QKeySequence(Qt::Key_F2)),
        &QAction::triggered, this, &MainWindow::Verify1Click);
    pager->addSeparator();
    connect(MenuItem(pager, "ComparePager1", QStringLiteral("Compare with &pager…")),
            &QAction::triggered, this, &MainWindow::ComparePager1Click);
    backupFirst_ = MenuItem(pager, "BackupFirst1", QStringLiteral("&Back up pager before Write"));
    backupFirst_->setCheckable(true);
    backupFirst_->setChecked(AppSettings().BackupBeforeWrite());
    connect(backupFirst_, &QAction::toggled, this,
            [](bool on) { AppSettings().SetBackupBeforeWrite(on); });

    pager->addSeparator();
    QAction* showLog = pager->addAction(QStringLiteral("Show &log"));
    showLog->setObjectName(QStringLiteral("ShowLog"));
    connect(showLog, &QAction::triggered, this, [this] {
        log_->show();
        log_->raise();
    });

    QMenu* advance = menuBar()->addMenu(QStringLiteral("&Advance"));
    connect(MenuItem(advance, ControlId::Advance2, QStringLiteral("&Advance")), &QAction::triggered,
            this, &MainWindow::Advance2Click);
    QMenu* about = menuBar()->addMenu(QStringLiteral("A&bout"));
    connect(MenuItem(about, "About2", QStringLiteral("&About")), &QAction::triggered, this,
            &MainWindow::About2Click);

    // F10 opens the menu bar, as in most desktop programs.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        menuBar()->setFocus(Qt::ShortcutFocusReason);
        menuBar()->setActiveAction(menuBar()->actions().constFirst());
    });
}

void MainWindow::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusHeight);
    // PB1 lives in panel 0, the status text in panel 1, panel 2 takes the rest.
    pb1_ = new QProgressBar(bar);
    pb1_->setObjectName(QStringLiteral("PB1"));
    pb1_->setTextVisible(false);
    pb1_->setRange(0, 0);
    pb1_->setValue(0);
    pb1_->setFixedWidth(kProgressWidth);
    // A range of 0 to 0 would make Qt animate a busy bar; nothing runs yet.
    pb1_->setMaximum(1);
    panel1_ = new QLabel(QStringLiteral("  Ready ......"), bar);
    panel1_->setObjectName(QStringLiteral("StatusBar1Panel1"));
    panel1_->setFixedWidth(kStatusTextWidth);
    panel2_ = new ElidedLabel(bar);
    panel2_->setObjectName(QStringLiteral("StatusBar1Panel2"));
    panel2_->setMinimumWidth(50);
    bar->addWidget(pb1_);
    bar->addWidget(panel1_);
    bar->addWidget(panel2_, 1);
    KeepStatusBarReadable();
}

// A transfer disables the whole window; its status text and PB1 report the
// transfer meanwhile, so the status bar draws its disabled state in its normal colours.
void MainWindow::KeepStatusBarReadable() {
    QPalette palette = QApplication::palette(statusBar());
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = static_cast<QPalette::ColorRole>(role);
        palette.setBrush(QPalette::Disabled, r, palette.brush(QPalette::Active, r));
    }
    statusBar()->setPalette(palette);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange && statusBar() != nullptr)
        KeepStatusBarReadable();
}

void MainWindow::BuildForm() {
    form_ = new QWidget(this);
    form_->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(form_);
    DesignBuilder b(components_);

    BuildTopStrip(b, form_);

    pages_ = new QTabWidget(form_);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    b.Add(pages_, {15, 122, 795, 503});
    const struct {
        ControlId tab;
        void (*build)(DesignBuilder&, QWidget*);
    } pages[] = {{ControlId::TabSheet1, &BuildCallPage},
                 {ControlId::TabSheet3, &BuildSettingPage},
                 {ControlId::TabSheet2, &BuildConfigPage},
                 {ControlId::TabSheet4, &BuildAdvancePage}};
    for (const auto& p : pages) {
        auto* page = new QWidget;
        page->setObjectName(ObjectName(p.tab).Text());
        const std::string_view caption = Control(p.tab).text;
        pages_->addTab(page, QString::fromLatin1(caption.data(), qsizetype(caption.size())));
        p.build(b, page);
    }
    // A click on a tab takes the focus to the tab bar: the field being edited
    // runs its leave check, and no field of the new page is entered (and
    // emptied) without the user going there.
    pages_->tabBar()->setFocusPolicy(Qt::StrongFocus);
    pages_->setTabVisible(3, false);
    pages_->setCurrentIndex(0);
    components_.push_back(pb1_);
}

void MainWindow::Start() {
    discoverPorts_ = true;
    StartWith(ports_->List());
}

void MainWindow::RememberPort(int index) { ports_->Remember(index); }

void MainWindow::StartWith(const PortTable& table) {
    ports_->Show(table);

    splash_->Prepare();
    splash_->ShowOver(this);
    const bool found = ports_->SearchBoard();
    splash_->hide();  // the warning never opens over the splash
    if (!found) {
        link_->ClosePort();
        Message warning = link_->StartupWarning();
        warning.text += PortsNotThereNote(ports_->MissingUserPorts());
        log_->AddMessage(QString::fromStdString(warning.text));
        dialogs_.Show(warning);
    }
    PagerImage image = model_.Image();
    Finish(tables_->LoadDefaultTable(image), image);
    history_->Reset(model_.Image());
    UpdateUndoActions();
    pages_->setCurrentIndex(0);
    show();
    if (discoverPorts_ || options_.listPorts) ports_->WatchDevices();
}

void MainWindow::BringToFront() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

QString MainWindow::StatusText() const { return panel1_->text(); }
QString MainWindow::StatusPanel2() const { return panel2_->text(); }

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layout_.Apply(size());
    const double ry = double(height()) / layout_.DesignSize().height();
    // The status bar stays at the bottom; of its bounds only the height follows.
    // It never gets lower than its text (whose font does not shrink with the
    // window) and the margins of the bar around it.
    if (statusDesignHeight_ > 0)
        statusBar()->setFixedHeight(
            std::max(int(statusDesignHeight_ * ry), panel1_->fontMetrics().height() + 8));
    // Below the design width the two fixed panels no longer fit the bar at their design
    // widths: the bar would squeeze them and PB1, which cannot shrink, would run over the
    // start of the status text. Both narrow with the window; the text panel never below
    // its longest text.
    const double rx = std::min(1.0, double(width()) / layout_.DesignSize().width());
    pb1_->setFixedWidth(int(kProgressWidth * rx));
    int longest = 0;
    for (const std::string_view text :
         {status_text::kBoardTesting, status_text::kReading, status_text::kWriting,
          status_text::kVerifying, status_text::kStartup})
        longest = std::max(longest, panel1_->fontMetrics().horizontalAdvance(
                                        QString::fromUtf8(text.data(), qsizetype(text.size()))));
    panel1_->setFixedWidth(std::max(int(kStatusTextWidth * rx), longest + 8));
}

void MainWindow::UseSettings(AppSettings& settings) {
    settings_ = &settings;
    recent_ = new RecentFilesMenu(recentMenu_, settings);
    recent_->open = [this](const QString& path) { OpenRecentFile(path); };
    recentMenu_->menuAction()->setVisible(true);
    operatorItem_->setVisible(true);
    const QByteArray geometry = settings.WindowGeometry();
    if (!geometry.isEmpty()) restoreGeometry(geometry);
}

void MainWindow::OpenRecentFile(const QString& path) {
    PagerImage image = model_.Image();
    const TableFileOutcome outcome = tables_->OpenTableFile(image, path.toStdString());
    Finish(outcome, image);
    // A file that can no longer be read ("Open Error!" has said so) leaves the list.
    if (outcome.imageReplaced)
        recent_->Add(path);
    else
        recent_->Remove(path);
}

void MainWindow::Remember(const std::string& file) {
    if (recent_ != nullptr)
        recent_->Add(QFileInfo(QString::fromStdString(file)).absoluteFilePath());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (settings_ != nullptr) settings_->SetWindowGeometry(saveGeometry());
    link_->ClosePort();
    QMainWindow::closeEvent(event);
}

void MainWindow::ExitE1Click() {
    link_->ClosePort();
    close();
}

void MainWindow::AfterPagerCommand(const LinkOutcome& outcome) {
    // The board answered the test: this is the port to try first next time.
    if (outcome.failure != LinkFailure::PortOrBoard) RememberPort(link_->Ports().selected);
    // Read replaced the image: nothing before it can be undone. Any command may
    // have changed bytes in place (the version, Write's preparation).
    if (outcome.imageReplaced)
        history_->Reset(model_.Image());
    else
        history_->Rebase(model_.Image());
    UpdateUndoActions();
}

// A fleet run has the boards: a command of this window on one of them would
// share its line with a lane's session.
void MainWindow::Operator1Click() {
    if (settings_ == nullptr) return;
    const std::optional<std::string> name = dialogs_.AskText(
        "Operator", "Your name in the records of fleet runs (empty: the login name):",
        settings_->OperatorName().toStdString());
    if (name) settings_->SetOperatorName(QString::fromStdString(*name).trimmed());
}

bool MainWindow::FleetHasTheBoards() {
    const auto* fleet = findChild<FleetWindow*>();
    if (fleet == nullptr || !fleet->Running()) return false;
    dialogs_.Show({MessageKind::Exclamation,
                   "The Fleet window is programming pagers: Read, Write, Verify and Compare "
                   "with pager wait until its run ends."});
    return true;
}

void MainWindow::Read1Click() {
    if (!FleetHasTheBoards()) pagerMenu_->Read1Click();
}
void MainWindow::Write1Click() {
    if (!FleetHasTheBoards()) pagerMenu_->Write1Click(backupFirst_->isChecked());
}
void MainWindow::Verify1Click() {
    if (!FleetHasTheBoards()) pagerMenu_->Verify1Click();
}

void MainWindow::CompareFile1Click() {
    comparisons_->CompareFile(tables_->CurrentDirectory().string());
}

void MainWindow::ComparePager1Click() {
    if (FleetHasTheBoards()) return;
    if (const auto pager = pagerMenu_->ReadForComparison()) comparisons_->ComparePager(*pager);
}

void MainWindow::Backups1Click() { comparisons_->ShowBackups(); }

CompareWindow* MainWindow::Comparison() const { return comparisons_->Comparison(); }
BackupsWindow* MainWindow::Backups() const { return comparisons_->Backups(); }

void MainWindow::UpdateUndoActions() {
    // Write Mode allows no edit, and an undo is one.
    const bool editing = !model_.WriteMode();
    undo_->setEnabled(editing && history_->Stack().canUndo());
    redo_->setEnabled(editing && history_->Stack().canRedo());
}

void MainWindow::Finish(const TableFileOutcome& outcome, const PagerImage& image) {
    if (outcome.imageReplaced) {
        binding_->Show(model_.ReplaceImage(image));
        history_->Reset(model_.Image());
        UpdateUndoActions();
    }
    if (outcome.statusText) {
        panel2_->setText(QString::fromStdString(*outcome.statusText));
        panel2_->setToolTip(QDir(QString::fromStdString(tables_->CurrentDirectory().string()))
                                .absoluteFilePath(QString::fromStdString(tables_->SaveFileName())));
    }
}

void MainWindow::OpenO1Click() {
    PagerImage image = model_.Image();
    const TableFileOutcome outcome = tables_->OpenTable(image);
    Finish(outcome, image);
    if (outcome.imageReplaced) Remember(tables_->OpenFileName());
}

void MainWindow::SaveS1Click() { tables_->SaveTable(model_.Image()); }

void MainWindow::SaveAs1Click() {
    const TableFileOutcome outcome = tables_->SaveTableAs(model_.Image());
    Finish(outcome, model_.Image());
    if (outcome.statusText) Remember(tables_->SaveFileName());
}

void MainWindow::Advance2Click() {
    password_->exec();
    binding_->ApplyStates();
}

void MainWindow::About2Click() { aboutBox_->exec(); }

}  // namespace mk843nb
