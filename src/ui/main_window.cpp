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
#include "link/link_session.h"
#include "link/port_diagnosis.h"
#include "link/port_discovery.h"
#include "ui/about_box.h"
#include "ui/app_settings.h"
#include "ui/backups_window.h"
#include "ui/board_test_splash.h"
#include "ui/compare_window.h"
#include "ui/design_builder.h"
#include "ui/dialog_service.h"
#include "ui/elided_text.h"
#include "ui/form_binding.h"
#include "ui/help_window.h"
#include "ui/keyboard_access.h"
#include "ui/log_window.h"
#include "ui/page_builders.h"
#include "ui/password_window.h"
#include "ui/port_watcher.h"
#include "ui/recent_files_menu.h"
#include "ui/tone_table_window.h"
#include "ui/undo_history.h"
#include "ui/window_link_events.h"

namespace mk843nb {

namespace {

constexpr int kDesignWidth = 833;
constexpr int kDesignHeight = 700;
constexpr int kDesignFontPoints = 9;
constexpr int kStatusHeight = 20;

QAction* MenuItem(QMenu* menu, const ObjectName& name, const QString& caption,
                  const QKeySequence& shortcut = {}, const QIcon& icon = {}) {
    QAction* action = menu->addAction(icon, caption);
    action->setObjectName(name.Text());
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

// An image as the window holds it after a fresh start and opening a file with
// these bytes, or after a Read of them: the refresh has run.
PagerImage AsWindowShowsIt(const PagerImage& bytes, std::size_t count = kImageSize) {
    FormModel window;
    PagerImage image = window.Image();
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count), image.begin());
    window.ReplaceImage(image);
    return window.Image();
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
    hooks_->showOutcome = [this](const LinkOutcome& outcome) { ShowOutcome(outcome); };
    link_ = std::make_unique<LinkSession>(&TCommPort::Create, clock_, *hooks_);

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
    if (auto* box = qobject_cast<QComboBox*>(binding_->Widget(ControlId::cboPort)))
        connect(box, &QComboBox::currentIndexChanged, this, [this] { ShowPortTips(); });
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
    compare_ = new CompareWindow(this);
    backups_ = new BackupsWindow(this);
    backups_->open = [this](const StoredBackup& backup) { OpenBackup(backup); };
    backups_->compare = [this](const StoredBackup& backup) {
        const auto bytes = ReadTableBytes(backup.table);
        if (!bytes) {
            dialogs_.ShowOver(backups_, kOpenErrorMessage);
            return;
        }
        CompareWith(QStringLiteral("Compare with backup"),
                    QString::fromStdString(backup.table.filename().string()),
                    AsWindowShowsIt(bytes->bytes, bytes->count));
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
    switch (event->type()) {
        case QEvent::Enter:
            DesignBuilder::Bold(help, true);
            break;
        case QEvent::Leave: {
            QFont font = help->font();
            font.setBold(false);
            font.setUnderline(true);
            help->setFont(font);
            break;
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
    connect(MenuItem(file, "CompareFile1", QStringLiteral("Compare with file…")),
            &QAction::triggered, this, &MainWindow::CompareFile1Click);
    connect(MenuItem(file, "Backups1", QStringLiteral("Backups…")), &QAction::triggered, this,
            &MainWindow::Backups1Click);
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
    connect(MenuItem(pager, "ComparePager1", QStringLiteral("Compare with pager…")),
            &QAction::triggered, this, &MainWindow::ComparePager1Click);
    backupFirst_ = MenuItem(pager, "BackupFirst1", QStringLiteral("Back up pager before Write"));
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
    pb1_->setFixedWidth(320);
    // A range of 0 to 0 would make Qt animate a busy bar; nothing runs yet.
    pb1_->setMaximum(1);
    panel1_ = new QLabel(QStringLiteral("  Ready ......"), bar);
    panel1_->setObjectName(QStringLiteral("StatusBar1Panel1"));
    panel1_->setFixedWidth(330);
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
    StartWith(ListPorts());
}

PortTable MainWindow::ListPorts() const {
    return options_.listPorts ? options_.listPorts(options_.userPorts)
                              : DiscoverPorts(options_.userPorts);
}

void MainWindow::ShowPorts(const PortTable& table) {
    std::vector<std::string> labels;
    for (const PortEntry& e : table.entries) labels.push_back(PortLabel(e));
    model_.SetPorts(labels, table.selected);
    binding_->ApplyStates();
    ShowPortTips();
}

void MainWindow::ShowPortTips() {
    auto* box = qobject_cast<QComboBox*>(binding_->Widget(ControlId::cboPort));
    if (box == nullptr) return;
    const PortTable& ports = link_->Ports();
    for (int i = 0; i < box->count() && i < static_cast<int>(ports.entries.size()); ++i) {
        const std::string& byId = ports.entries[static_cast<std::size_t>(i)].byId;
        box->setItemData(i, byId.empty() ? QVariant() : QVariant(QString::fromStdString(byId)),
                         Qt::ToolTipRole);
    }
    const int current = box->currentIndex();
    // The box's own tip: the item's by-id path, or else the port's whole name.
    if (auto* portBox = qobject_cast<PortComboBox*>(box))
        portBox->UpdateToolTip();
    else
        box->setToolTip(current >= 0 ? box->itemData(current, Qt::ToolTipRole).toString()
                                     : QString());
}

void MainWindow::RefreshPorts() {
    // Never under a running transfer or the start-up search: the link holds the table then.
    if (!isVisible() || !isEnabled()) {
        portWatcher_->Retry();
        return;
    }
    PortTable fresh = ListPorts();
    const PortTable& old = link_->Ports();
    const int current = model_.State(ControlId::cboPort).itemIndex;
    if (current >= 0 && current < static_cast<int>(old.entries.size())) {
        const int kept =
            FindPort(fresh, DevicePathOf(old.entries[static_cast<std::size_t>(current)].name));
        fresh.selected = kept >= 0 ? kept : 0;
    }
    if (fresh.entries == old.entries && fresh.selected == current) return;
    link_->SetPortTable(fresh);
    ShowPorts(fresh);
}

void MainWindow::RememberPort(int index) {
    const PortTable& ports = link_->Ports();
    if (index < 0 || index >= static_cast<int>(ports.entries.size())) return;
    AppSettings().SetLastPort(
        QString::fromStdString(PortToRemember(ports.entries[static_cast<std::size_t>(index)])));
}

bool MainWindow::SearchBoard() {
    const PortTable& ports = link_->Ports();
    const int listed = ports.selected;
    const std::string preferred = options_.userPorts.empty()
                                      ? AppSettings().LastPort().toStdString()
                                      : options_.userPorts.front();
    const int index = FindPort(ports, preferred);
    if (index >= 0) {
        link_->SelectPort(index);
        if (link_->TestBoard()) {
            hooks_->BoardFound(index);
            RememberPort(index);
            return true;
        }
        link_->SelectPort(listed);
    }
    if (!link_->FindBoard(index)) return false;
    RememberPort(link_->Ports().selected);
    return true;
}

void MainWindow::StartWith(const PortTable& table) {
    link_->SetPortTable(table);
    ShowPorts(table);

    splash_->Prepare();
    splash_->ShowOver(this);
    const bool found = SearchBoard();
    splash_->hide();  // the warning never opens over the splash
    if (!found) {
        link_->ClosePort();
        log_->AddMessage(QString::fromStdString(link_->StartupWarning().text));
        dialogs_.Show(link_->StartupWarning());
    }
    PagerImage image = model_.Image();
    Finish(tables_->LoadDefaultTable(image), image);
    history_->Reset(model_.Image());
    UpdateUndoActions();
    pages_->setCurrentIndex(0);
    show();
    if ((discoverPorts_ || options_.listPorts) && portWatcher_ == nullptr) {
        portWatcher_ = new PortWatcher(options_.watchedFolders, options_.portSettleMs, this);
        connect(portWatcher_, &PortWatcher::portsMayHaveChanged, this, &MainWindow::RefreshPorts);
    }
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
}

void MainWindow::UseSettings(AppSettings& settings) {
    settings_ = &settings;
    recent_ = new RecentFilesMenu(recentMenu_, settings);
    recent_->open = [this](const QString& path) { OpenRecentFile(path); };
    recentMenu_->menuAction()->setVisible(true);
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

void MainWindow::ShowOutcome(const LinkOutcome& outcome) {
    if (readInto_ != nullptr) {
        binding_->Show(model_.ApplyReadImage(*readInto_, outcome.imageReplaced));
        readInto_ = nullptr;
    }
    binding_->ApplyStates();
    if (outcome.message) {
        log_->AddMessage(QString::fromStdString(outcome.message->text));
        // A verify that found a difference offers the differing fields, against
        // the image as it went out (a Write prepares it on its way).
        const PagerImage& ours = sending_ != nullptr ? *sending_ : model_.Image();
        dialogs_.ShowWithDetails(
            *outcome.message, outcome.success ? std::string()
                                              : VerifyDifferencesText(ours, outcome.readBack.bytes,
                                                                      outcome.readBack.count));
    }
}

void MainWindow::Finish(const LinkOutcome& outcome) {
    // The board answered the test: this is the port to try first next time.
    if (outcome.failure != LinkFailure::PortOrBoard) RememberPort(link_->Ports().selected);
    if (!outcome.messageShown) ShowOutcome(outcome);
    binding_->ApplyStates();
    // Read replaced the image: nothing before it can be undone. Any command may
    // have changed bytes in place (the version, Write's preparation).
    if (outcome.imageReplaced)
        history_->Reset(model_.Image());
    else
        history_->Rebase(model_.Image());
    UpdateUndoActions();
}

bool MainWindow::StoreBackup(const PagerImage& image, BackupKind kind) {
    const PortEntry* port = link_->Ports().Selected();
    const std::string name = port ? port->name : std::string();
    BackupStore store(BackupStore::DefaultFolder(), BackupStore::DefaultKeep());
    const BackupResult result = store.Store(image, PagerBackupInfo(kind, image, name));
    if (!result.stored) dialogs_.Show({MessageKind::Exclamation, result.error});
    return result.stored;
}

void MainWindow::Read1Click() {
    link_->SelectPort(model_.State(ControlId::cboPort).itemIndex);
    PagerImage image = model_.Image();
    readInto_ = &image;  // the outcome, shown before the closing, refreshes from it
    const LinkOutcome outcome = link_->Read(image);
    Finish(outcome);
    readInto_ = nullptr;
    // The bytes as read, before the refresh touched them.
    if (outcome.success) StoreBackup(image, BackupKind::Read);
}

LinkOutcome MainWindow::ReadQuietly(PagerImage& image) {
    auto show = std::exchange(hooks_->showOutcome, nullptr);
    LinkOutcome outcome = link_->Read(image);
    hooks_->showOutcome = std::move(show);
    return outcome;
}

bool MainWindow::BackUpBeforeWrite() {
    PagerImage before = model_.Image();
    LinkOutcome read = ReadQuietly(before);
    if (!read.success) {
        Message why = read.message.value_or(Message{MessageKind::Stop, ""});
        why.text += "\nThe pager could not be backed up: nothing was written.";
        read.message = why;
        Finish(read);
        return false;
    }
    binding_->ApplyStates();
    return StoreBackup(before, BackupKind::PreWrite);
}

void MainWindow::Write1Click() {
    link_->SelectPort(model_.State(ControlId::cboPort).itemIndex);
    if (backupFirst_->isChecked() && !BackUpBeforeWrite()) return;
    PagerImage image = model_.Image();
    sending_ = &image;
    const LinkOutcome outcome = link_->Write(image);
    sending_ = nullptr;
    model_.ApplyPreparedImage(image);
    Finish(outcome);
    // As sent, whatever its verify found.
    if (outcome.imageSent) StoreBackup(image, BackupKind::Write);
}

void MainWindow::Verify1Click() {
    link_->SelectPort(model_.State(ControlId::cboPort).itemIndex);
    Finish(link_->Verify(model_.Image()));
}

void MainWindow::CompareWith(const QString& title, const QString& otherName,
                             const PagerImage& other) {
    compare_->ShowDifferences(title, QStringLiteral("This window"), otherName,
                              CompareImages(model_.Image(), other));
}

void MainWindow::CompareFile1Click() {
    FileDialogRequest request;
    request.initialDir = tables_->CurrentDirectory().string();
    request.fileMustExist = true;
    const auto path = dialogs_.ChooseOpenFile(request);
    if (!path) return;
    const auto bytes = ReadTableBytes(*path);
    if (!bytes) {
        dialogs_.Show(kOpenErrorMessage);
        return;
    }
    CompareWith(QStringLiteral("Compare with file"),
                QString::fromStdString(std::filesystem::path(*path).filename().string()),
                AsWindowShowsIt(bytes->bytes, bytes->count));
}

void MainWindow::ComparePager1Click() {
    link_->SelectPort(model_.State(ControlId::cboPort).itemIndex);
    PagerImage pager = model_.Image();
    LinkOutcome read = ReadQuietly(pager);
    if (!read.success) {
        read.imageReplaced = false;
        Finish(read);
        return;
    }
    binding_->ApplyStates();
    StoreBackup(pager, BackupKind::Read);
    CompareWith(QStringLiteral("Compare with pager"), QStringLiteral("Pager"),
                AsWindowShowsIt(pager));
}

void MainWindow::Backups1Click() { backups_->ShowStore(BackupStore(BackupStore::DefaultFolder())); }

void MainWindow::OpenBackup(const StoredBackup& backup) {
    const auto bytes = ReadTableBytes(backup.table);
    if (!bytes) {
        dialogs_.ShowOver(backups_, kOpenErrorMessage);
        return;
    }
    PagerImage image = model_.Image();
    std::copy(bytes->bytes.begin(),
              bytes->bytes.begin() + static_cast<std::ptrdiff_t>(bytes->count), image.begin());
    TableFileOutcome opened;
    opened.imageReplaced = true;
    Finish(opened, image);
}

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
