// Shows each window as a user meets it and saves it as a PNG in the given
// folder: the main window on each of its pages, busy in a transfer and at its
// smallest size, its play buttons close up, the tone table, the password
// window, the About box and its links close up, the reset help, the board-test
// splash, the log, the backup folder's and the report's boxes, the verify
// details, the Tone plan window and the Fleet window on a small plan, before
// and during a run on two of the emulator's boards (in process). With
// --dark every window is shown in a dark palette. No board is searched for;
// the plan's tables and roster live in a temporary folder removed at the end.
#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/form_model.h"
#include "files/table_io.h"
#include "image/fields.h"
#include "in_process_line.h"
#include "link/link_messages.h"
#include "pager_memory.h"
#include "ui/about_box.h"
#include "ui/board_test_splash.h"
#include "ui/call_page_player.h"
#include "ui/dialog_service.h"
#include "ui/fleet_lane.h"
#include "ui/fleet_window.h"
#include "ui/folder_path_box.h"
#include "ui/help_window.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/password_window.h"
#include "ui/tone_plan_window.h"
#include "ui/tone_table_window.h"

namespace {

using namespace mk843nb;

class Pictures {
public:
    explicit Pictures(QString folder) : folder_(std::move(folder)) {}

    // Shows the window, lets it settle and saves it; false when it could not be saved.
    bool Save(QWidget& window, const QString& name) {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) return Fail(name, "the window was not shown");
        QTest::qWait(100);
        const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
        if (!window.grab().save(path)) return Fail(name, "the picture could not be written");
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    // Shows the window and saves part of it, twice as large, to see its details.
    bool SavePart(QWidget& window, QWidget& part, const QString& name) {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) return Fail(name, "the window was not shown");
        QTest::qWait(100);
        const QPixmap picture = part.grab();
        const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
        if (!picture.scaled(picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                 .save(path))
            return Fail(name, "the picture could not be written");
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    // Saves the message box that opens(): the second one up when more is true (the details of
    // a box that offers "Details…"), then closes them.
    bool SaveBox(const QString& name, bool more, const std::function<void()>& opens) {
        bool saved = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            if (more) {
                more = false;
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == QStringLiteral("Details…")) button->click();
                return;
            }
            QTest::qWait(100);
            const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
            saved = box->grab().save(path);
            if (saved) std::printf("%s\n", qPrintable(path));
            box->accept();
        });
        poll.start(50);
        opens();
        return saved || Fail(name, "the picture could not be written");
    }
    bool AllSaved() const { return failures_ == 0; }

private:
    bool Fail(const QString& name, const char* why) {
        std::fprintf(stderr, "mk843nb-screenshots: %s: %s\n", qPrintable(name), why);
        ++failures_;
        return false;
    }

    QString folder_;
    int failures_ = 0;
};

// The real dialogs, but a file dialog is answered with the next of the answers given.
class AnsweringDialogs : public QtDialogService {
public:
    std::deque<std::string> answers;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return Next(); }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return Next(); }

private:
    std::optional<std::string> Next() {
        if (answers.empty()) return std::nullopt;
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Four pagers, two of them on one address, in folder; the roster that plans them.
void WriteSmallPlan(const QString& folder) {
    const struct {
        const char* label;
        std::uint32_t tone1, tone2;
    } pagers[] = {{"Engine 1", 6009, 8325},
                  {"Engine 2", 6009, 8325},
                  {"Ladder 3", 5105, 7885},
                  {"Medic 4", 11534, 13212}};
    std::ofstream roster(QDir(folder).filePath(QStringLiteral("roster.csv")).toStdString());
    roster << "label,T11,T21\n";
    for (const auto& pager : pagers) {
        PagerImage image = DefaultImage();
        SetFieldCode(image, FieldNamed("T11"), pager.tone1);
        SetFieldCode(image, FieldNamed("T21"), pager.tone2);
        const QString file = QDir(folder).filePath(QString::fromLatin1(pager.label) + ".tbl");
        WriteTableFile(file.toStdString(), image);
        roster << pager.label << ',' << pager.tone1 / 10 << '.' << pager.tone1 % 10 << ','
               << pager.tone2 / 10 << '.' << pager.tone2 % 10 << '\n';
    }
}

// A dark desktop theme, to see that no text or frame relies on a light background.
QPalette DarkPalette() {
    const QColor text(0xe0, 0xe0, 0xe0);
    const QColor grey(0x80, 0x80, 0x80);
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x30));
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x2d, 0x2d, 0x30));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x3c, 0x3c, 0x40));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x7e, 0xd6));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    dark.setColor(QPalette::LinkVisited, QColor(0xc0, 0x9c, 0xff));
    dark.setColor(QPalette::Disabled, QPalette::Text, grey);
    dark.setColor(QPalette::Disabled, QPalette::WindowText, grey);
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, grey);
    return dark;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const bool dark = argc == 3 && std::strcmp(argv[1], "--dark") == 0;
    if (argc != 2 && !dark) {
        std::fprintf(stderr, "usage: mk843nb-screenshots [--dark] FOLDER\n");
        return 2;
    }
    const char* folderArg = argv[argc - 1];
    const QString folder = QString::fromLocal8Bit(folderArg);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "mk843nb-screenshots: cannot create %s\n", folderArg);
        return 1;
    }
    if (dark) QApplication::setPalette(DarkPalette());
    Pictures pictures(folder);

    QtDialogService dialogs;
    MainWindow window(dialogs);
    QTabWidget* pages = window.Pages();
    for (int page = 0; page < pages->count(); ++page) {
        if (!pages->isTabVisible(page)) continue;
        pages->setCurrentIndex(page);
        pictures.Save(window,
                      QStringLiteral("main_window_%1").arg(pages->widget(page)->objectName()));
    }
    // The play buttons close up, the first one playing: their signs on the buttons' colours.
    pages->setCurrentIndex(0);
    if (auto* playing = window.findChild<QAbstractButton*>(QStringLiteral("btnPlayCall1")))
        ShowPlaying(playing, true);
    if (auto* calls = window.findChild<QWidget*>(QStringLiteral("GroupBox2")))
        pictures.SavePart(window, *calls, QStringLiteral("play_buttons"));
    if (auto* playing = window.findChild<QAbstractButton*>(QStringLiteral("btnPlayCall1")))
        ShowPlaying(playing, false);
    // Half-way through a read: the window is locked, the bar and the status text show progress.
    pages->setCurrentIndex(0);
    window.ProgressBar()->setRange(0, 256);
    window.ProgressBar()->setValue(128);
    auto* status = window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel1"));
    const QString idleStatus = status != nullptr ? status->text() : QString();
    if (status != nullptr)
        status->setText(QString::fromUtf8(status_text::kReading.data(),
                                          qsizetype(status_text::kReading.size())));
    window.setEnabled(false);
    pictures.Save(window, QStringLiteral("main_window_busy"));
    window.setEnabled(true);
    window.ProgressBar()->reset();
    if (status != nullptr) status->setText(idleStatus);
    window.resize(window.minimumSize());
    pictures.Save(window, QStringLiteral("main_window_smallest"));
    window.hide();

    FormModel model;
    ToneTableWindow toneTable(model, dialogs);
    toneTable.SelectCell(2, 4);
    pictures.Save(toneTable, QStringLiteral("tone_table"));
    toneTable.hide();

    PasswordWindow password(model, dialogs);
    password.show();
    if (QTest::qWaitForWindowExposed(&password)) QTest::keyClicks(password.EdtPwd(), "hw5");
    pictures.Save(password, QStringLiteral("password"));
    password.hide();

    AboutBox about(nullptr, [](const QUrl&) {});
    pictures.Save(about, QStringLiteral("about"));
    // The links close up, the first as the mouse over it shows it.
    if (auto* link = about.findChild<QWidget*>(QStringLiteral("lblUrl"))) {
        QEnterEvent enter(QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)),
                          link->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(link, &enter);
        if (auto* panel = about.findChild<QWidget*>(QStringLiteral("Panel1")))
            pictures.SavePart(about, *panel, QStringLiteral("about_links"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
    }
    HelpWindow help;
    pictures.Save(help, QStringLiteral("reset_help"));
    BoardTestSplash splash;
    splash.Prepare();
    pictures.Save(splash, QStringLiteral("board_test_splash"));

    // A read as the log shows it, and the message it ended with.
    LogWindow log(dialogs);
    const std::vector<std::uint8_t> request{0x02, 0x52, 0x00, 0x00, 0x80, 0x03, 0xD5};
    const std::vector<std::uint8_t> reply{0x06, 0x4D, 0x4B, 0x38, 0x34, 0x32, 0x20, 0x56};
    for (int i = 0; i < 12; ++i) {
        log.AddFrame(QStringLiteral("/dev/ttyUSB0"), FrameDirection::Sent, request);
        log.AddFrame(QStringLiteral("/dev/ttyUSB0"), FrameDirection::Received, reply);
    }
    log.AddMessage(QStringLiteral("Read Success !"));
    pictures.Save(log, QStringLiteral("log"));
    log.hide();

    FolderPathBox folderBox;
    folderBox.ShowFolder(QDir::home().filePath(QStringLiteral(".local/share/mk843nb/backups")));
    pictures.Save(folderBox, QStringLiteral("backup_folder"));
    folderBox.hide();
    folderBox.ShowPath(FolderPathBox::Kind::Report,
                       QDir::home().filePath(QStringLiteral("fleet/engines/report.csv")));
    pictures.Save(folderBox, QStringLiteral("report_path"));
    folderBox.hide();

    pictures.SaveBox(QStringLiteral("verify_details"), true, [&dialogs] {
        dialogs.ShowWithDetails({MessageKind::Stop, "Verify Error !"},
                                "Page  Field: This window | Pager\n"
                                "CALL  CALL #2 ON: 1 | 0\n"
                                "CALL  CALL #1 TONE1: 669.9 | 700.0\n"
                                "CALL  CALL #2 TONE1 decoder word (W12): 4D07 | 8D07  (derived)");
    });

    QTemporaryDir plans;
    const QString tables = plans.filePath(QStringLiteral("tables"));
    QDir().mkpath(tables);
    WriteSmallPlan(tables);
    TonePlanWindow tonePlan(dialogs);
    tonePlan.resize(1000, 640);
    if (tonePlan.OpenPaths({tables.toStdString()}))
        pictures.Save(tonePlan, QStringLiteral("tone_plan"));
    tonePlan.hide();

    AnsweringDialogs fleetDialogs;
    FleetWindowOptions fleetOptions;
    fleetOptions.ports = [] {
        PortTable table;
        table.entries = {{"/dev/ttyUSB0", "FT232R USB UART"}, {"/dev/ttyUSB1", "FT232R USB UART"}};
        return table;
    };
    fleetOptions.windowImage = [] { return DefaultImage(); };
    // The run's boards: the emulator's, where the operator places a new pager
    // once one is written; its records and backups stay in the temporary folder.
    qputenv("MK843NB_INVENTORY", plans.filePath(QStringLiteral("inventory.sqlite")).toUtf8());
    qputenv("MK843NB_BACKUP_DIR", plans.filePath(QStringLiteral("backups")).toUtf8());
    std::map<std::string, std::unique_ptr<sim::InProcessLine>> boards;
    for (const PortEntry& entry : fleetOptions.ports().entries) {
        auto& line = boards[entry.name] = std::make_unique<sim::InProcessLine>();
        line->Plug(entry.name, sim::MakePagerMemory({})).NewPagerAfterEachWrite(true);
    }
    fleetOptions.channels = [&boards](const std::string& port) {
        return boards.at(port)->MakeChannel();
    };
    fleetOptions.clock = [&boards](const std::string& port) -> LinkClock* {
        return &boards.at(port)->clock;
    };
    FleetWindow fleet(fleetDialogs, fleetOptions);
    fleetDialogs.answers.push_back(
        QDir(tables).filePath(QStringLiteral("roster.csv")).toStdString());
    fleet.ShowFleet();
    if (auto* roster = fleet.findChild<QPushButton*>(QStringLiteral("FleetRosterButton")))
        roster->click();
    pictures.Save(fleet, QStringLiteral("fleet"));

    // Mid-run: board 1 has written a pager and asks for its next, board 2 for its first.
    fleetDialogs.answers.push_back(plans.filePath(QStringLiteral("run/plan.json")).toStdString());
    if (auto* make = fleet.findChild<QPushButton*>(QStringLiteral("FleetMakePlan"))) make->click();
    if (auto* list = fleet.findChild<QListWidget*>(QStringLiteral("FleetBoards")))
        for (int row = 0; row < list->count(); ++row) list->item(row)->setCheckState(Qt::Checked);
    if (auto* run = fleet.findChild<QPushButton*>(QStringLiteral("FleetRun"))) run->click();
    auto asking = [&fleet](std::size_t lane) {
        return QTest::qWaitFor(
            [&] { return fleet.Lanes().size() > lane && fleet.Lanes()[lane]->Go()->isVisible(); });
    };
    if (asking(0) && asking(1)) {
        fleet.Lanes()[0]->Go()->click();
        auto* results = fleet.findChild<QTableWidget*>(QStringLiteral("FleetResults"));
        if (QTest::qWaitFor([&] { return results && results->rowCount() > 0; }) && asking(0))
            pictures.Save(fleet, QStringLiteral("fleet_running"));
    }
    fleet.close();  // ends the run
    fleet.hide();

    return pictures.AllSaved() ? 0 : 1;
}
