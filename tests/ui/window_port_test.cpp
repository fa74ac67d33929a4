// The window and its port: what the port box lists, the board remembered
// between runs, devices coming and going while the window is idle, the port
// vanishing under a transfer. Real widgets, the real link against the emulator
// on pseudo-terminals, a real folder watched.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QStandardPaths>
#include <QTest>
#include <memory>

#include "holding_process.h"
#include "link/link_session.h"
#include "link/port_discovery.h"
#include "recording_dialogs.h"
#include "silent_ptys.h"
#include "sim_process.h"
#include "test_application.h"
#include "test_files.h"
#include "ui/app_settings.h"
#include "ui/fleet_window.h"
#include "ui/main_window.h"

namespace mk843nb {
namespace {

QApplication& App() { return test::TestApplication(); }

PortEntry Entry(const std::string& name, const std::string& description = "",
                const std::string& byId = "") {
    PortEntry entry{name, description};
    entry.byId = byId;
    return entry;
}

class WindowPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        AppSettings().SetLastPort({});
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir_.Path()));  // no default.tbl
        QDir().mkpath(Watched());
    }
    void TearDown() override {
        window_.reset();
        AppSettings().SetLastPort({});
        QDir::setCurrent(previousDir_);
    }

    QString Watched() const { return QString::fromStdString(dir_.File("dev")); }

    // A window whose ports come from listed, re-read at every listing.
    MainWindow& Make(std::vector<std::string> userPorts = {}) {
        MainWindow::Options options;
        options.userPorts = std::move(userPorts);
        // As the system lists them: the paths the window adds follow, each once,
        // the first of them selected.
        options.listPorts = [this](const std::vector<std::string>& extra) {
            PortTable table;
            table.entries = listed;
            for (const std::string& path : extra)
                if (FindPort(table, path) < 0) table.entries.push_back(Entry(path));
            if (!extra.empty()) table.selected = FindPort(table, extra.front());
            return table;
        };
        options.watchedFolders = {Watched()};
        options.portSettleMs = 20;
        window_ = std::make_unique<MainWindow>(dialogs_, options);
        return *window_;
    }
    QComboBox* Box() { return window_->findChild<QComboBox*>(QStringLiteral("cboPort")); }
    QStringList Items() {
        QStringList items;
        for (int i = 0; i < Box()->count(); ++i) items << Box()->itemText(i);
        return items;
    }
    // Something appears in the watched folder, as a device node would.
    void Plug(const char* name) {
        QFile node(Watched() + "/" + name);
        ASSERT_TRUE(node.open(QIODevice::WriteOnly));
    }

    test::TempDir dir_;
    QString previousDir_;
    test::RecordingDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
    std::vector<PortEntry> listed;
};

TEST_F(WindowPortTest, ItemsNameTheAdapterAndTheirTooltipsTheByIdName) {
    test::SilentPtys silent(1);
    listed = {Entry("ttyS0"),
              Entry("ttyUSB0", "FT232R USB UART", "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00"),
              Entry(silent.Paths()[0])};
    Make().Start();
    EXPECT_EQ(Items(), (QStringList{"ttyS0", "FT232R USB UART (ttyUSB0)",
                                    QString::fromStdString(silent.Paths()[0])}));
    EXPECT_EQ(Box()->itemData(1, Qt::ToolTipRole).toString(),
              "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00");
    EXPECT_FALSE(Box()->itemData(0, Qt::ToolTipRole).isValid());
    Box()->setCurrentIndex(1);
    EXPECT_EQ(Box()->toolTip(), "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00");
}

TEST_F(WindowPortTest, RememberedBoardIsTriedFirstAndTheSearchSkipped) {
    test::SimProcess first({"--baud", "0"});
    test::SimProcess remembered({"--baud", "0"});
    listed = {Entry(first.DevicePath()), Entry(remembered.DevicePath())};
    AppSettings().SetLastPort(QString::fromStdString(remembered.DevicePath()));
    Make().Start();

    EXPECT_EQ(Box()->currentIndex(), 1);
    EXPECT_TRUE(dialogs_.shown.empty());
    EXPECT_EQ(remembered.Received().size(), 1u) << "one board test";
    EXPECT_TRUE(first.Received().empty()) << "the search never ran";
    EXPECT_EQ(AppSettings().LastPort().toStdString(), remembered.DevicePath());
}

TEST_F(WindowPortTest, WithoutAnAnswerThereTheSearchRunsAndTheFoundPortIsRemembered) {
    test::SilentPtys silent(1);
    test::SimProcess board({"--baud", "0"});
    listed = {Entry(silent.Paths()[0]), Entry(board.DevicePath())};
    struct Case {
        const char* what;
        std::string remembered;
    };
    for (const Case& c : {Case{"a port no longer listed", dir_.File("ttyUSB7")},
                          Case{"a silent port", silent.Paths()[0]}}) {
        SCOPED_TRACE(c.what);
        AppSettings().SetLastPort(QString::fromStdString(c.remembered));
        Make().Start();
        EXPECT_EQ(Box()->currentIndex(), 1);
        EXPECT_TRUE(dialogs_.shown.empty());
        EXPECT_EQ(AppSettings().LastPort().toStdString(), board.DevicePath());
        window_.reset();
    }
}

TEST_F(WindowPortTest, GivenPortIsTriedFirstAndABoardAnsweringACommandIsRemembered) {
    test::SimProcess given({"--baud", "0"});
    test::SimProcess other({"--baud", "0"});
    listed = {Entry(other.DevicePath()), Entry(given.DevicePath())};
    AppSettings().SetLastPort(QString::fromStdString(other.DevicePath()));
    Make({given.DevicePath()}).Start();
    EXPECT_EQ(Box()->currentIndex(), 1);
    EXPECT_TRUE(other.Received().empty());

    // The user picks the other board and reads from it: that one is remembered.
    QTest::keyClick(Box(), Qt::Key_Up);
    ASSERT_EQ(Box()->currentIndex(), 0);
    window_->Read1Click();
    EXPECT_EQ(AppSettings().LastPort().toStdString(), other.DevicePath());
}

TEST_F(WindowPortTest, WhileIdleTheListFollowsDevicesAndKeepsTheSelection) {
    listed = {Entry("ttyS0"), Entry("ttyUSB0", "CP2102")};
    MainWindow& window = Make();
    window.Start();  // no board on these: the warning, then an idle window
    QTest::keyClick(Box(), Qt::Key_Down);
    ASSERT_EQ(Box()->currentIndex(), 1);

    listed = {Entry("ttyACM0", "Board"), Entry("ttyS0"), Entry("ttyUSB0", "CP2102")};
    Plug("ttyACM0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Box()->count() == 3; }, 3000));
    EXPECT_EQ(Items(), (QStringList{"Board (ttyACM0)", "ttyS0", "CP2102 (ttyUSB0)"}));
    EXPECT_EQ(Box()->currentIndex(), 2) << "ttyUSB0 stays selected";
    EXPECT_EQ(window.Link().Ports().entries.size(), 3u) << "the link opens what the box shows";

    // Nothing changes under a running transfer: the window is disabled then.
    window.setEnabled(false);
    listed = {Entry("ttyS0")};
    Plug("gone");
    QTest::qWait(200);
    EXPECT_EQ(Box()->count(), 3);
    window.setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Box()->count() == 1; }, 3000));
    EXPECT_EQ(Box()->currentIndex(), 0) << "the selected adapter is gone: the first port";
}

TEST_F(WindowPortTest, TheFleetWindowsBoardsFollowThePortsAndTheTickedOnesStayTicked) {
    listed = {Entry("ttyS0"), Entry("ttyUSB0", "CP2102")};
    MainWindow& window = Make();
    window.Start();
    window.findChild<QAction*>(QStringLiteral("Fleet1"))->trigger();
    auto* fleet = window.findChild<FleetWindow*>();
    ASSERT_NE(fleet, nullptr);
    auto* boards = fleet->findChild<QListWidget*>(QStringLiteral("FleetBoards"));
    ASSERT_EQ(boards->count(), 2);
    boards->item(1)->setCheckState(Qt::Checked);

    listed = {Entry("ttyUSB0", "CP2102")};
    Plug("gone");
    ASSERT_TRUE(QTest::qWaitFor([&] { return boards->count() == 1; }, 3000))
        << "the board whose port is gone leaves the list";
    EXPECT_EQ(boards->item(0)->text(), QStringLiteral("CP2102 (ttyUSB0)"));
    EXPECT_EQ(boards->item(0)->checkState(), Qt::Checked);
}

TEST_F(WindowPortTest, PortGivenOnceIsListedAtTheNextStartAndItsBoardTriedFirst) {
    // An emulator's link is no device the system lists.
    QDir().mkpath(QString::fromStdString(dir_.File("links")));
    const std::string link = dir_.File("links/ttyPAGER");
    test::SimProcess other({"--baud", "0"});
    test::SimProcess board({"--baud", "0", "--link", link});
    listed = {Entry(other.DevicePath())};
    Make({link}).Start();
    ASSERT_EQ(Box()->currentIndex(), 1);
    EXPECT_EQ(AppSettings().LastPort().toStdString(), link);
    window_.reset();

    Make().Start();  // without --port: the remembered link
    EXPECT_EQ(Items(), (QStringList{QString::fromStdString(other.DevicePath()),
                                    QString::fromStdString(link)}));
    EXPECT_EQ(Box()->currentIndex(), 1);
    EXPECT_TRUE(dialogs_.shown.empty());
    EXPECT_EQ(board.Received().size(), 2u) << "one board test at each start";
    EXPECT_TRUE(other.Received().empty()) << "the search never ran";
}

TEST_F(WindowPortTest, ListedPathLeavesTheListWhenItGoesAndComesBackWithIt) {
    QDir().mkpath(QString::fromStdString(dir_.File("links")));
    const std::string link = dir_.File("links/ttyPAGER");
    test::SilentPtys silent(1);
    ASSERT_EQ(::symlink(silent.Paths()[0].c_str(), link.c_str()), 0);
    listed = {Entry(dir_.File("ttyUSB7"))};  // unplugged since it was listed
    AppSettings().SetLastPort(QString::fromStdString(link));
    Make().Start();  // no board: the warning, then an idle window
    ASSERT_EQ(Items(), (QStringList{QString::fromStdString(dir_.File("ttyUSB7")),
                                    QString::fromStdString(link)}));
    Box()->setCurrentIndex(1);

    // The link's folder is watched though it is none of the device folders.
    ASSERT_EQ(::unlink(link.c_str()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Box()->count() == 1; }, 3000)) << "still listed";
    EXPECT_EQ(Box()->currentIndex(), 0);
    EXPECT_EQ(window_->Link().Ports().entries.size(), 1u);

    ASSERT_EQ(::symlink(silent.Paths()[0].c_str(), link.c_str()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Box()->count() == 2; }, 3000)) << "not back";
    EXPECT_EQ(Box()->itemText(1).toStdString(), link);
    // The board's port is back: the next Read goes there, not to the port that stood in.
    EXPECT_EQ(Box()->currentIndex(), 1);
    EXPECT_EQ(window_->Link().Ports().selected, 1);
}

// A --port path that is not there at start (the emulator not started yet, even its
// folder not made) is named in the start-up box, and listed and selected once it appears.
TEST_F(WindowPortTest, GivenPortThatAppearsLaterIsListedAndSelected) {
    test::SilentPtys silent(1);
    listed = {Entry(dir_.File("ttyS0"))};
    Make({"later/ttyPAGER"}).Start();  // as typed, from the folder the program started in
    const std::string link = dir_.File("later/ttyPAGER");
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_NE(dialogs_.shown[0].text.find(link + " does not exist yet"), std::string::npos)
        << dialogs_.shown[0].text;
    ASSERT_EQ(Items(), QStringList{QString::fromStdString(dir_.File("ttyS0"))});

    QDir().mkpath(QString::fromStdString(dir_.File("later")));
    QTest::qWait(200);  // the new folder is watched from now on
    ASSERT_EQ(::symlink(silent.Paths()[0].c_str(), link.c_str()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Box()->count() == 2; }, 3000)) << "never listed";
    EXPECT_EQ(Box()->itemText(1).toStdString(), link);
    EXPECT_EQ(Box()->currentIndex(), 1);
    EXPECT_EQ(window_->Link().Ports().selected, 1);
}

TEST_F(WindowPortTest, PortAnotherProgramHoldsIsNamedAtStartAndGetsNothing) {
    test::SimProcess board({"--baud", "0"});
    test::HoldingProcess holder(board.DevicePath(), "minicom");
    listed = {Entry(board.DevicePath())};
    Make().Start();
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_NE(dialogs_.shown[0].text.find(board.DevicePath() + " is in use by minicom (pid " +
                                          std::to_string(holder.Pid()) + ")"),
              std::string::npos)
        << dialogs_.shown[0].text;
    window_->Read1Click();
    EXPECT_TRUE(board.Received().empty()) << "not one frame reached the board";
}

TEST_F(WindowPortTest, HangUpDuringATransferIsNamedInWords) {
    // Frame 1 is the start-up board test; Read's first block is frame 5, after
    // which the emulator closes the terminal.
    test::SimProcess sim({"--baud", "0", "--fault", "hangup:5"});
    listed = {Entry(sim.DevicePath())};
    Make().Start();
    window_->Read1Click();
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].kind, MessageKind::Stop);
    EXPECT_EQ(dialogs_.shown[0].text,
              "Read stopped: the serial port failed (the device was unplugged or closed).");
    EXPECT_TRUE(window_->isEnabled());
}

}  // namespace
}  // namespace mk843nb
