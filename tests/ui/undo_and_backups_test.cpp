// Undo and redo, the pager backups, the compare windows and the verify details
// of the main window, through real widgets and key events, against the
// emulator's board in process (its clock moves only when the link waits), with
// the backup store in a temporary folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <memory>

#include "editor/numeric_fields.h"
#include "faults.h"
#include "files/backup_store.h"
#include "image/fields.h"
#include "in_process_line.h"
#include "pager_memory.h"
#include "recording_dialogs.h"
#include "test_application.h"
#include "test_files.h"
#include "ui/backups_window.h"
#include "ui/compare_window.h"
#include "ui/folder_path_box.h"
#include "ui/main_window.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;
using test::RecordingDialogs;

QApplication& App() { return test::TestApplication(); }

class WindowSafetyNet : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir_.Path()));
        if (const char* previous = ::getenv("MK843NB_BACKUP_DIR")) savedStore_ = previous;
        ::setenv("MK843NB_BACKUP_DIR", store_.c_str(), 1);
        // What the window remembers goes to this test's folder (each test runs
        // in a process of its own), not to the user's settings.
        ::setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    }
    void TearDown() override {
        window_.reset();
        QDir::setCurrent(previousDir_);
        if (savedStore_.empty())
            ::unsetenv("MK843NB_BACKUP_DIR");
        else
            ::setenv("MK843NB_BACKUP_DIR", savedStore_.c_str(), 1);
    }

    MainWindow& Window() {
        if (!window_) {
            MainWindowOptions options;
            options.channels = [this] { return line_.MakeChannel(); };
            options.clock = &line_.clock;
            window_ = std::make_unique<MainWindow>(dialogs_, options);
        }
        return *window_;
    }
    // A board with a pager as the emulator starts it on ttyS0 (faults as mk843nb-sim --fault).
    sim::InProcessBoard& Plug(std::vector<std::string> faults = {},
                              PagerImage memory = sim::MakePagerMemory({})) {
        sim::FaultPlan plan;
        for (const std::string& f : faults) plan.push_back(sim::ParseFault(f));
        return line_.Plug(kPort, memory, plan);
    }
    void StartOn(const std::vector<std::string>& paths) {
        PortTable table;
        for (const std::string& p : paths) table.entries.push_back({p, ""});
        Window().StartWith(table);
        Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    }
    template <typename T = QWidget>
    T* W(const char* name) {
        T* w = Window().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Text(const char* edit) { return W<QLineEdit>(edit)->text(); }
    std::uint8_t Byte(std::size_t offset) { return Window().Model().Image()[offset]; }
    void Keys(QKeyCombination key) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &Window(),
                        key.key(), key.keyboardModifiers());
        QCoreApplication::processEvents();
    }
    void ShowPage(const char* page) {
        Window().Pages()->setCurrentWidget(Window().findChild<QWidget*>(QString::fromLatin1(page)));
        QCoreApplication::processEvents();
    }
    // Clicks into a field, types the value and Enter: the leave check commits it.
    void Enter(const char* field, const char* value) {
        QLineEdit* edit = W<QLineEdit>(field);
        QTest::mouseClick(edit, Qt::LeftButton);
        ASSERT_TRUE(edit->hasFocus()) << field;
        QTest::keyClicks(edit, value);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    std::vector<fs::path> Backups(const std::string& kind) const {
        std::vector<fs::path> found;
        for (const StoredBackup& b : BackupStore(store_).List())
            if (BackupKindText(b.info.kind) == kind) found.push_back(b.table);
        return found;
    }
    static std::size_t WriteFrames(const sim::InProcessBoard& board) {
        std::size_t writes = 0;
        for (const auto& frame : board.Requests()) writes += frame.size() > 11 && frame[11] == 0x53;
        return writes;
    }

    test::TempDir dir_;
    std::string store_ = dir_.File("backups");
    std::string savedStore_;
    QString previousDir_;
    static constexpr const char* kPort = "ttyS0";
    sim::InProcessLine line_;
    RecordingDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
};

const QKeyCombination kUndo(Qt::CTRL, Qt::Key_Z);
const QKeyCombination kRedo(Qt::CTRL | Qt::SHIFT, Qt::Key_Z);

TEST_F(WindowSafetyNet, EveryEditIsOneStepBackAndForth) {
    StartOn({});
    const std::size_t period = FindNumericField("edtBS_Period")->offset;
    const PagerImage start = Window().Model().Image();
    EXPECT_FALSE(W<QAction>("Undo1")->isEnabled()) << "nothing to undo after start-up";

    ShowPage("TabSheet2");
    Enter("edtBS_Period", "33");
    const PagerImage afterPeriod = Window().Model().Image();
    ShowPage("TabSheet1");
    QTest::mouseClick(W<QCheckBox>("chkDuty2"), Qt::LeftButton);
    const PagerImage afterDuty = Window().Model().Image();
    ASSERT_EQ(Byte(period), 33);
    ASSERT_TRUE(Byte(48) & 0x02);

    // Ctrl+Z with the focus in a field is the window's undo, one step each.
    QTest::mouseClick(W<QLineEdit>("edtT11"), Qt::LeftButton);
    ASSERT_TRUE(W<QLineEdit>("edtT11")->hasFocus());
    Keys(kUndo);
    EXPECT_EQ(Window().Model().Image(), afterPeriod);
    EXPECT_FALSE(W<QCheckBox>("chkDuty2")->isChecked());
    EXPECT_FALSE(W<QLineEdit>("edtT12")->isEnabled()) << "the row follows its check box";
    Keys(kUndo);
    EXPECT_EQ(Window().Model().Image(), start);
    EXPECT_EQ(Text("edtBS_Period").toStdString(), std::to_string(start[period]));
    EXPECT_FALSE(W<QAction>("Undo1")->isEnabled());

    Keys(kRedo);
    EXPECT_EQ(Window().Model().Image(), afterPeriod);
    EXPECT_EQ(Text("edtBS_Period"), QStringLiteral("33"));
    W<QAction>("Redo1")->trigger();
    EXPECT_EQ(Window().Model().Image(), afterDuty);
    EXPECT_FALSE(W<QAction>("Redo1")->isEnabled());

    // A refused value changes nothing, so it adds no step.
    ShowPage("TabSheet2");
    Enter("edtBS_Period", "256");
    ASSERT_FALSE(dialogs_.shown.empty());
    Keys(kUndo);
    EXPECT_EQ(Window().Model().Image(), afterPeriod);

    // Write Mode edits nothing, undo included.
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    EXPECT_FALSE(W<QAction>("Undo1")->isEnabled());
}

TEST_F(WindowSafetyNet, OpenAndReadStartTheHistoryAgainAndUndoNeverTouchesThePager) {
    sim::InProcessBoard& board = Plug();
    StartOn({kPort});
    ShowPage("TabSheet2");
    Enter("edtBS_Period", "33");
    ASSERT_TRUE(W<QAction>("Undo1")->isEnabled());

    const std::string file = dir_.File("other.tbl");
    test::WriteFileBytes(file, DefaultImage());
    dialogs_.openAnswers.push_back(file);
    W<QAction>("OpenO1")->trigger();
    EXPECT_FALSE(W<QAction>("Undo1")->isEnabled());

    Enter("edtBS_Period", "44");
    const std::size_t frames = board.Requests().size();
    QTest::keyClick(&Window(), Qt::Key_F3);  // Read
    ASSERT_EQ(dialogs_.shown.back().text, "Read Success !");
    EXPECT_FALSE(W<QAction>("Undo1")->isEnabled());

    Enter("edtBS_Period", "55");
    const std::size_t afterRead = board.Requests().size();
    Keys(kUndo);
    EXPECT_NE(Byte(FindNumericField("edtBS_Period")->offset), 55);
    EXPECT_EQ(board.Requests().size(), afterRead) << "undo sends nothing";
    EXPECT_GT(afterRead, frames);
}

TEST_F(WindowSafetyNet, ReadAndWriteKeepBackupsAndTheOptionIsRemembered) {
    sim::InProcessBoard& board = Plug();
    StartOn({kPort});
    QAction* backupFirst = W<QAction>("BackupFirst1");
    ASSERT_TRUE(backupFirst->isCheckable());
    backupFirst->setChecked(true);

    QTest::keyClick(&Window(), Qt::Key_F3);
    ASSERT_EQ(Backups("read").size(), 1u);

    ShowPage("TabSheet2");
    Enter("edtBS_Period", "33");
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    QTest::keyClick(&Window(), Qt::Key_F4);
    ASSERT_EQ(dialogs_.shown.back().text, "Write Sucess !");
    ASSERT_EQ(Backups("pre-write").size(), 1u);
    ASSERT_EQ(Backups("write").size(), 1u);
    const auto bytes = [](const fs::path& p) { return test::ReadFileBytes(p.string()); };
    EXPECT_EQ(bytes(Backups("pre-write")[0]), bytes(Backups("read")[0]))
        << "what the pager held before, as it was read";
    EXPECT_EQ(
        bytes(Backups("write")[0]),
        std::vector<std::uint8_t>(Window().Model().Image().begin(), Window().Model().Image().end()))
        << "as sent";

    // Off: the Write's frames only, and the next window starts with it off.
    backupFirst->setChecked(false);
    const std::size_t before = board.Requests().size();
    QTest::keyClick(&Window(), Qt::Key_F4);
    EXPECT_EQ(board.Requests().size() - before, 37u);
    EXPECT_EQ(Backups("pre-write").size(), 1u);
    window_.reset();
    EXPECT_FALSE(W<QAction>("BackupFirst1")->isChecked());
}

TEST_F(WindowSafetyNet, AFailedBackupBeforeWriteWritesNothing) {
    sim::InProcessBoard& board = Plug();
    StartOn({kPort});
    W<QAction>("BackupFirst1")->setChecked(true);
    test::WriteFileBytes(dir_.File("blocker"), DefaultImage());
    ::setenv("MK843NB_BACKUP_DIR", dir_.File("blocker/backups").c_str(), 1);
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    QTest::keyClick(&Window(), Qt::Key_F4);
    ASSERT_FALSE(dialogs_.shown.empty());
    EXPECT_NE(dialogs_.shown.back().text.find("blocker/backups"), std::string::npos)
        << dialogs_.shown.back().text;
    EXPECT_EQ(WriteFrames(board), 0u);
    EXPECT_TRUE(Window().isEnabled());
}

// The kinds and results of the inventory's records, oldest first.
std::vector<std::string> Records(const std::string& file) {
    std::vector<std::string> found;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "records-look");
        db.setDatabaseName(QString::fromStdString(file));
        EXPECT_TRUE(db.open());
        QSqlQuery query("SELECT kind, result FROM records ORDER BY id", db);
        while (query.next())
            found.push_back(query.value(0).toString().toStdString() + " " +
                            query.value(1).toString().toStdString());
    }
    QSqlDatabase::removeDatabase("records-look");
    return found;
}

TEST_F(WindowSafetyNet, ReadAndWriteAreRecordedAndNoWriteStartsThatCannotBe) {
    const std::string inventory = dir_.File("inventory.sqlite");
    ::setenv("MK843NB_INVENTORY", inventory.c_str(), 1);
    sim::InProcessBoard& board = Plug();
    StartOn({kPort});
    W<QAction>("BackupFirst1")->setChecked(true);
    QTest::keyClick(&Window(), Qt::Key_F3);  // Read
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    QTest::keyClick(&Window(), Qt::Key_F4);
    EXPECT_EQ(dialogs_.shown.back().text.substr(0, 13), "Write Sucess ");
    EXPECT_EQ(Records(inventory),
              (std::vector<std::string>{"read read", "pre-write read", "write written"}));
    window_.reset();

    // An inventory that cannot be opened: the Write is refused before any frame.
    test::WriteFileBytes(inventory, std::vector<std::uint8_t>(4096, 0x5a));
    dialogs_.shown.clear();
    const std::size_t writes = WriteFrames(board);
    StartOn({kPort});
    W<QAction>("BackupFirst1")->setChecked(false);
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    QTest::keyClick(&Window(), Qt::Key_F4);
    ASSERT_FALSE(dialogs_.shown.empty());
    EXPECT_EQ(dialogs_.shown.back().kind, MessageKind::Stop);
    EXPECT_NE(dialogs_.shown.back().text.find(
                  "Nothing was written: a pager is programmed only when the inventory can record "
                  "it."),
              std::string::npos)
        << dialogs_.shown.back().text;
    EXPECT_EQ(WriteFrames(board), writes);
    ::unsetenv("MK843NB_INVENTORY");
}

TEST_F(WindowSafetyNet, TheWriteBackupIsKeptBeforeTheOutcomeBox) {
    // Quitting with the box open must not lose it, whatever the verify found.
    // Frame 6 is the write of bytes 8 to 15 (after the start-up ping, the Write's
    // ping, version and model, and the first write frame): it holds the write mark.
    for (const char* fault : {"", "lost-write:6"}) {
        SCOPED_TRACE(fault);
        Plug(*fault ? std::vector<std::string>{fault} : std::vector<std::string>{});
        StartOn({kPort});
        W<QAction>("BackupFirst1")->setChecked(false);
        const std::size_t kept = Backups("write").size();
        std::size_t keptAtTheBox = 0;
        dialogs_.onShow = [&](const Message&) { keptAtTheBox = Backups("write").size(); };
        QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
        QTest::keyClick(&Window(), Qt::Key_F4);
        dialogs_.onShow = nullptr;
        EXPECT_EQ(dialogs_.shown.back().text.substr(0, 13),
                  *fault ? "Verify Error " : "Write Sucess ");
        EXPECT_EQ(keptAtTheBox, kept + 1);
        window_.reset();
    }
}

TEST_F(WindowSafetyNet, ABrokenWriteSaysThePagerMayHoldPartOfTheImage) {
    const sim::InProcessBoard& board = Plug({"bad-ack:9"});
    StartOn({kPort});
    W<QAction>("BackupFirst1")->setChecked(false);
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    QTest::keyClick(&Window(), Qt::Key_F4);
    ASSERT_FALSE(dialogs_.shown.empty());
    const std::string& text = dialogs_.shown.back().text;
    EXPECT_EQ(text.find("Write Error !"), 0u) << text;
    EXPECT_NE(text.find("may now hold part of the new image (5 of 32 frames were sent)"),
              std::string::npos)
        << text;
    EXPECT_EQ(WriteFrames(board), 5u)
        << "the start-up ping was frame 1; the fifth write is frame 9";
}

TEST_F(WindowSafetyNet, ADamagedMemoryIsKeptAndWrittenOverOnlyWhenTheUserSaysSo) {
    // What a Write broken off half-way leaves: good frames, a wrong image checksum.
    PagerImage damaged = sim::MakePagerMemory({});
    damaged[100] ^= 0x55;
    const sim::InProcessBoard& board = Plug({}, damaged);
    StartOn({kPort});
    W<QAction>("BackupFirst1")->setChecked(true);
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);

    dialogs_.yesNoAnswers = {false};
    QTest::keyClick(&Window(), Qt::Key_F4);
    ASSERT_EQ(Backups("damaged").size(), 1u);
    ASSERT_FALSE(dialogs_.shown.empty());
    const std::string question = dialogs_.shown.back().text;
    EXPECT_NE(question.find(Backups("damaged")[0].filename().string()), std::string::npos)
        << question;
    EXPECT_EQ(WriteFrames(board), 0u) << "no: nothing is written";
    EXPECT_EQ(board.Memory(), damaged);
    EXPECT_TRUE(Window().isEnabled());
    EXPECT_EQ(test::ReadFileBytes(Backups("damaged")[0].string()),
              std::vector<std::uint8_t>(damaged.begin(), damaged.end()));
    const auto listed = BackupStore(store_).List();
    ASSERT_FALSE(listed.empty());
    EXPECT_NE(listed.front().info.reason.find("checksum"), std::string::npos)
        << "the sidecar says why it was kept";

    dialogs_.yesNoAnswers = {true};
    QTest::keyClick(&Window(), Qt::Key_F4);
    EXPECT_EQ(dialogs_.shown.back().text, "Write Sucess !");
    EXPECT_EQ(WriteFrames(board), 32u);
    EXPECT_EQ(board.Memory(), Window().Model().Image());
}

TEST_F(WindowSafetyNet, VerifyErrorOffersTheDifferingFields) {
    Plug();
    StartOn({kPort});
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    QTest::keyClick(&Window(), Qt::Key_F4);
    ASSERT_EQ(dialogs_.shown.back().text, "Write Sucess !");
    QTest::mouseClick(W<QRadioButton>("RBtModify"), Qt::LeftButton);

    QTest::mouseClick(W<QCheckBox>("chkDuty2"), Qt::LeftButton);
    QTest::keyClick(&Window(), Qt::Key_F2);
    ASSERT_EQ(dialogs_.shown.back().text, "Verify Error !");
    ASSERT_FALSE(dialogs_.details.empty());
    // The columns are named: the window's value first, the pager's second.
    EXPECT_EQ(dialogs_.details.back().find("Page  Field: This window | Pager\n"
                                           "CALL  CALL #2 ON: 1 | 0"),
              0u)
        << dialogs_.details.back();
}

TEST_F(WindowSafetyNet, CompareWithFileAndWithPager) {
    Plug();
    StartOn({kPort});
    PagerImage other = Window().Model().Image();
    SetFieldCode(other, FieldNamed("T11"), 7000);
    const std::string file = dir_.File("other.tbl");
    test::WriteFileBytes(file, other);
    dialogs_.openAnswers.push_back(file);
    W<QAction>("CompareFile1")->trigger();
    CompareWindow* compare = Window().Comparison();
    ASSERT_TRUE(compare->isVisible());
    QTableWidget* table = compare->Table();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("CALL"));
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("CALL #1 TONE1"));
    EXPECT_EQ(table->item(0, 2)->text(), QStringLiteral("669.9"));
    EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("700.0"));
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), QStringLiteral("other.tbl"));
    compare->close();

    // The pager holds what the window holds after a Read: no difference.
    QTest::keyClick(&Window(), Qt::Key_F3);
    W<QAction>("ComparePager1")->trigger();
    ASSERT_TRUE(compare->isVisible());
    EXPECT_EQ(compare->Table()->rowCount(), 0);
    EXPECT_EQ(compare->Summary()->text(), QStringLiteral("No difference."));
    EXPECT_EQ(Backups("read").size(), 2u) << "the compare's read is kept as well";
}

TEST_F(WindowSafetyNet, BackupsListOpensAndComparesABackup) {
    Plug();
    StartOn({kPort});
    QTest::keyClick(&Window(), Qt::Key_F3);
    const PagerImage read = Window().Model().Image();
    ShowPage("TabSheet2");
    Enter("edtBS_Period", "33");

    W<QAction>("Backups1")->trigger();
    BackupsWindow* list = Window().Backups();
    ASSERT_TRUE(list->isVisible());
    ASSERT_EQ(list->Table()->rowCount(), 1);
    EXPECT_EQ(list->Table()->item(0, 1)->text(), QStringLiteral("read"));
    EXPECT_EQ(list->Table()->item(0, 2)->text(), QStringLiteral("MK842 V3.8.5"));
    EXPECT_EQ(list->Table()->item(0, 3)->text(), QStringLiteral("1.86"));
    EXPECT_EQ(list->Table()->item(0, 4)->text().toStdString(), "/dev/ttyS0");

    QTest::mouseClick(list->findChild<QPushButton*>(QStringLiteral("BackupCompareButton")),
                      Qt::LeftButton);
    ASSERT_TRUE(Window().Comparison()->isVisible());
    ASSERT_EQ(Window().Comparison()->Table()->rowCount(), 1);
    EXPECT_EQ(Window().Comparison()->Table()->item(0, 2)->text(), QStringLiteral("33"));

    QTest::mouseClick(list->findChild<QPushButton*>(QStringLiteral("BackupOpenButton")),
                      Qt::LeftButton);
    EXPECT_EQ(Window().Model().Image(), read);
    EXPECT_FALSE(W<QAction>("Undo1")->isEnabled()) << "opening a backup is an Open";
}

// "Show folder" opens the backup folder in a file manager; where none opens, a box says where
// the folder is and "Copy" puts its path in the clipboard.
TEST_F(WindowSafetyNet, ShowFolderSaysWhereTheBackupsAreWhenNoFileManagerOpens) {
    W<QAction>("Backups1")->trigger();
    BackupsWindow* list = Window().Backups();
    ASSERT_TRUE(list->isVisible());
    auto* showFolder = list->findChild<QPushButton*>(QStringLiteral("BackupFolderButton"));
    const QString folder = QString::fromStdString(store_);
    QApplication::clipboard()->clear();

    struct Case {
        const char* label;
        bool opens;
    } cases[] = {{"a file manager opens", true}, {"none opens", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QStringList asked;
        list->openFolder = [&](const QUrl& url) {
            asked << url.toLocalFile();
            return c.opens;
        };
        QTest::mouseClick(showFolder, Qt::LeftButton);
        EXPECT_EQ(asked, QStringList{folder});
        EXPECT_TRUE(QFileInfo(folder).isDir()) << "made on the way, so there is one to show";
        FolderPathBox* box = list->PathBox();
        ASSERT_EQ(box->isVisible(), !c.opens);
        if (c.opens) continue;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
        EXPECT_EQ(box->Path()->text(), folder);
        EXPECT_TRUE(box->Path()->textInteractionFlags() & Qt::TextSelectableByMouse);
        QTest::mouseClick(box->CopyButton(), Qt::LeftButton);
        EXPECT_EQ(QApplication::clipboard()->text(), folder);
        EXPECT_FALSE(box->isVisible());
    }
}

}  // namespace
}  // namespace mk843nb
