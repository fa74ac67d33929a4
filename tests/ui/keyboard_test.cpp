// The main window from the keyboard alone: the Tab order, the menus by Alt+letter and F10,
// the exit keys, and the names a screen reader gives the fields.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "recording_dialogs.h"
#include "test_application.h"
#include "test_files.h"
#include "ui/form_binding.h"
#include "ui/help_window.h"
#include "ui/main_window.h"

namespace mk843nb {
namespace {

QApplication& App() { return test::TestApplication(); }

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir_.Path()));
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
    void TearDown() override {
        window_.reset();
        QDir::setCurrent(previousDir_);
    }
    template <typename T = QWidget>
    T* W(const char* name) {
        T* w = window_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString FocusedName() {
        QWidget* w = QApplication::focusWidget();
        return w == nullptr ? QString() : w->objectName();
    }
    // The names of the focus stops Tab visits from start, once round.
    std::vector<std::string> TabRound(QWidget* start) {
        start->setFocus(Qt::TabFocusReason);
        std::vector<std::string> names;
        for (int i = 0; i < 200; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            if (now == start) break;
            names.push_back(now->objectName().isEmpty() ? now->metaObject()->className()
                                                        : now->objectName().toStdString());
        }
        return names;
    }

    test::TempDir dir_;
    QString previousDir_;
    test::RecordingDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
};

std::ptrdiff_t IndexOf(const std::vector<std::string>& names, const std::string& name) {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : it - names.begin();
}

// Each page's stops follow their places: the top strip, then the tab bar, then the page,
// each call row ON, TONE1, TONE2, Priority; edtNull is never one of them.
TEST_F(KeyboardTest, TabFollowsTheVisualOrderOnEveryPage) {
    // All four calls on, so every row's fields take the focus.
    for (const char* on : {"chkDuty2", "chkDuty3", "chkDuty4"})
        QTest::mouseClick(W<QCheckBox>(on), Qt::LeftButton);
    struct Case {
        const char* page;
        std::vector<std::string> inOrder;  // consecutive stops
    } cases[] = {
        {"TabSheet1", {"chkDuty1",  "edtT11",       "edtT21", "btnPlayCall1", "chkPriority1",
                       "chkDuty2",  "edtT12",       "edtT22", "btnPlayCall2", "chkPriority2",
                       "chkDuty3",  "edtT13",       "edtT23", "btnPlayCall3", "chkPriority3",
                       "chkDuty4",  "edtT14",       "edtT24", "btnPlayCall4", "chkPriority4",
                       "chkGDuty1", "btnPlayGroup1"}},
        // Setting and Config: down each column of a box, then down the next, box by box.
        {"TabSheet3",
         {"chkSYSPow", "chkSYSVib", "chkSYSPowSave", "chkSYSFIX", "chkVolumeLevel", "cboResetCon",
          "lblHelp", "cboReminder", "chkSYSPrivacy", "cboPTL", "edtAutoMonitor", "chkSYSAudio",
          "edtAudioLock", "chkSYSSV", "cboRecordMax", "chkFullTimeAutoMonitor"}},
        {"TabSheet2",
         {"edtBS_Period", "edtBS_Duty", "edtTone1Len", "edtTone2Len", "edtRSSI", "edtSSI",
          "edtRSSI2", "edtRFDelay", "edtTone1Limit", "edtTone2Limit", "edtNoiseLimit",
          "edtDecorderReset"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        window_->Pages()->setCurrentWidget(W(c.page));
        const std::vector<std::string> round = TabRound(W("cboPort"));
        EXPECT_EQ(IndexOf(round, "edtNull"), -1);
        std::string all;
        for (const std::string& n : round) all += n + " ";
        SCOPED_TRACE(all);
        // The top strip before the pages, in its order.
        const std::vector<std::string> top = {"radStandard", "RBtModify", "cboRangeFreq",
                                              "edtFreq",     "cboCSpace", "qt_tabwidget_tabbar"};
        for (std::size_t i = 0; i < top.size(); ++i)
            EXPECT_EQ(IndexOf(round, top[i]), std::ptrdiff_t(i)) << top[i];
        const std::ptrdiff_t first = IndexOf(round, c.inOrder.front());
        ASSERT_GT(first, IndexOf(round, "qt_tabwidget_tabbar"));
        for (std::size_t i = 0; i < c.inOrder.size(); ++i)
            EXPECT_EQ(IndexOf(round, c.inOrder[i]), first + std::ptrdiff_t(i)) << c.inOrder[i];
        for (const std::string& name : round) {
            QWidget* w = window_->findChild<QWidget*>(QString::fromStdString(name));
            if (w == nullptr || w == window_->Pages()->tabBar()) continue;
            EXPECT_TRUE(W(c.page)->isAncestorOf(w) || !w->isVisible() ||
                        !window_->Pages()->isAncestorOf(w))
                << name << " of another page";
        }
    }
    EXPECT_TRUE(dialogs_.shown.empty());
}

// Runs act on the modal window as soon as exec() has put it up; closes it after a while
// should act leave it open, so a failing test cannot hang.
void WhenModal(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    const QDeadlineTimer deadline(5000);
    QObject::connect(poll, &QTimer::timeout, [poll, deadline, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && !deadline.hasExpired()) return;
        poll->stop();
        poll->deleteLater();
        if (modal == nullptr) return;
        QTimer::singleShot(3000, modal, [modal] {
            if (modal->isVisible()) modal->close();
        });
        act(modal);
    });
    poll->start(10);
}

// The firmware version, once shown, is no Tab stop (it cannot be edited); the reset-function
// help is one, and Enter or Space opens it as a click does.
TEST_F(KeyboardTest, TabPassesTheVersionAndReachesTheResetHelp) {
    window_->Model().ShowVersion("1.86");
    window_->Binding().ApplyStates();
    ASSERT_TRUE(W("edtVersion")->isVisible());
    const std::vector<std::string> round = TabRound(W("cboPort"));
    EXPECT_EQ(IndexOf(round, "edtVersion"), -1);
    ASSERT_FALSE(round.empty());
    EXPECT_EQ(round.front(), "radStandard");

    window_->Pages()->setCurrentWidget(W("TabSheet3"));
    W("cboResetCon")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    auto* help = W<QLabel>("lblHelp");
    ASSERT_TRUE(help->hasFocus()) << FocusedName().toStdString();
    EXPECT_TRUE(help->font().bold()) << "the focus shows as the mouse's hover does";
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        SCOPED_TRACE(key);
        QWidget* seen = nullptr;
        WhenModal([&](QWidget* modal) {
            seen = modal;
            QTest::mouseClick(window_->Help()->Button1(), Qt::LeftButton);
        });
        QTest::keyClick(help, key);
        EXPECT_EQ(seen, window_->Help());
        EXPECT_FALSE(window_->Help()->isVisible());
        // Offscreen has no window manager to hand the activation back.
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        // The activation hands the focus back from the event loop, later on a slow machine.
        ASSERT_TRUE(QTest::qWaitFor([help] { return help->hasFocus(); }))
            << FocusedName().toStdString();
    }
    QTest::keyClick(help, Qt::Key_Tab);
    EXPECT_EQ(FocusedName(), QStringLiteral("cboReminder"));
    EXPECT_FALSE(help->font().bold());
}

// The mode buttons are reached by Tab and switched with the arrow keys, through the model.
TEST_F(KeyboardTest, TheModeButtonsAnswerTheArrowKeys) {
    W("cboPort")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(FocusedName(), QStringLiteral("radStandard"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_TRUE(W<QRadioButton>("radUser")->isChecked());
    EXPECT_TRUE(window_->Model().Find("radUser")->checked);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(FocusedName(), QStringLiteral("RBtModify"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(W<QRadioButton>("RBtWrite")->isChecked());
    EXPECT_TRUE(W<QAction>("Write1")->isEnabled());  // Write Mode, as by a click
}

// Alt+letter and F10 open the menus; Escape closes them.
TEST_F(KeyboardTest, MenusOpenByAltLetterAndF10) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* menuWith;  // an action of the menu that opens
    } cases[] = {
        {Qt::Key_F, Qt::AltModifier, "OpenO1"},   {Qt::Key_P, Qt::AltModifier, "Read1"},
        {Qt::Key_A, Qt::AltModifier, "Advance2"}, {Qt::Key_B, Qt::AltModifier, "About2"},
        {Qt::Key_F10, Qt::NoModifier, "OpenO1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.menuWith);
        QTest::keyClick(window_.get(), Qt::Key(c.key), c.modifiers);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->actions().contains(W<QAction>(c.menuWith)));
        QTest::keyClick(menu, Qt::Key_Escape);
        QTest::keyClick(window_->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    }
}

// Each item of a menu has a letter of its own, so Alt+menu letter and then the
// item's letter reach every item; a letter used twice would only move between them.
TEST_F(KeyboardTest, EveryMenuItemHasALetterOfItsOwn) {
    for (QAction* top : window_->menuBar()->actions()) {
        QMenu* menu = top->menu();
        ASSERT_NE(menu, nullptr);
        std::map<int, QString> letters;
        for (QAction* item : menu->actions()) {
            if (item->isSeparator()) continue;
            const QKeySequence letter = QKeySequence::mnemonic(item->text());
            EXPECT_FALSE(letter.isEmpty()) << item->text().toStdString() << " has no letter";
            if (letter.isEmpty()) continue;
            const auto [where, fresh] = letters.emplace(letter[0].toCombined(), item->text());
            EXPECT_TRUE(fresh) << item->text().toStdString() << " and "
                               << where->second.toStdString() << " share a letter";
        }
    }

    // Typed: the menu's letter, then the item's.
    QAction* backupFirst = W<QAction>("BackupFirst1");
    const bool wasOn = backupFirst->isChecked();
    QTest::keyClick(window_.get(), Qt::Key_P, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_B);
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    EXPECT_NE(backupFirst->isChecked(), wasOn);
    backupFirst->setChecked(wasOn);
}

// Exit answers Ctrl+E, as it always has, and Ctrl+Q.
TEST_F(KeyboardTest, ExitAnswersCtrlEAndCtrlQ) {
    for (int key : {Qt::Key_E, Qt::Key_Q}) {
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key(key), Qt::ControlModifier);
        EXPECT_FALSE(window_->isVisible()) << key;
    }
}

// Every edit, list and check box has a name for a screen reader; each caption is the buddy
// of its field.
TEST_F(KeyboardTest, FieldsAreNamedByTheirLabels) {
    for (QWidget* w : window_->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
        const bool field =
            qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QComboBox*>(w) != nullptr ||
            qobject_cast<QCheckBox*>(w) != nullptr || qobject_cast<QRadioButton*>(w) != nullptr;
        if (!field || w->isHidden() || name == QLatin1String("edtNull")) continue;
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(reader, nullptr);
        EXPECT_FALSE(reader->text(QAccessible::Name).isEmpty()) << name.toStdString();
    }
    struct Case {
        const char* field;
        const char* name;
    } cases[] = {
        {"edtBS_Period", "Battery Save"},
        {"edtFreq", "Frequency"},
        {"cboPort", "COM Port"},
        {"cboRangeFreq", "Range Of Frequency"},
        {"edtT23", "CALL #3 TONE2"},
        {"chkDuty1", "ON"},
        {"edtAutoMonitor", "Auto Monitor key time"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        QWidget* field = W(c.field);
        // A list's name as read out on Linux is its value; the caption is its accessible name.
        EXPECT_EQ(field->accessibleName().toStdString(), c.name);
    }
    // The caption beside each field is its buddy.
    const auto buddyCaption = [&](const char* field) {
        for (QLabel* label : window_->findChildren<QLabel*>())
            if (label->buddy() == W(field)) return label->text().toStdString();
        return std::string();
    };
    EXPECT_EQ(buddyCaption("edtBS_Period"), "Battery Save");
    EXPECT_EQ(buddyCaption("edtFreq"), "Frequency");
    EXPECT_EQ(buddyCaption("cboRangeFreq"), "Range Of Frequency");
}

}  // namespace
}  // namespace mk843nb
