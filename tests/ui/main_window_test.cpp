// The main window as a user meets it: real widgets, real key and mouse events,
// the real link against the emulator on a pseudo-terminal, real table files.
#include "ui/main_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <memory>

#include "editor/control_catalog.h"
#include "editor/numeric_fields.h"
#include "faults.h"
#include "files/table_file_messages.h"
#include "in_process_line.h"
#include "link/link_messages.h"
#include "pager_memory.h"
#include "recording_dialogs.h"
#include "sim_process.h"
#include "test_application.h"
#include "test_files.h"
#include "ui/app_settings.h"
#include "ui/board_test_splash.h"
#include "ui/form_binding.h"
#include "ui/single_instance.h"

namespace mk843nb {
namespace {

using test::RecordingDialogs;

QApplication& App() { return test::TestApplication(); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        AppSettings().SetLastPort({});  // no board remembered from an earlier test
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir_.Path()));
    }
    void TearDown() override {
        window_.reset();
        QDir::setCurrent(previousDir_);
    }

    MainWindow& Window() {
        if (!window_) window_ = std::make_unique<MainWindow>(dialogs_);
        return *window_;
    }
    // Shown and active without the start-up board search.
    MainWindow& ShownWindow() {
        MainWindow& w = Window();
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        return w;
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
    void Press(int key) {
        QTest::keyClick(&Window(), Qt::Key(key));
        QCoreApplication::processEvents();
    }
    // Clicks into a field: the focus arrives as the user's, the entry rule runs.
    QLineEdit* ClickInto(const char* name) {
        QLineEdit* edit = W<QLineEdit>(name);
        QTest::mouseClick(edit, Qt::LeftButton);
        EXPECT_TRUE(edit->hasFocus()) << name;
        return edit;
    }
    void ShowPage(const char* page) {
        QTabWidget* pages = Window().Pages();
        pages->setCurrentWidget(Window().findChild<QWidget*>(QString::fromLatin1(page)));
        QCoreApplication::processEvents();
    }
    QWidget* Focused() { return QApplication::focusWidget(); }
    // Selects everything and deletes it, as a user does (Delete passes every key filter).
    static void Erase(QLineEdit* edit) {
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
    }

    test::TempDir dir_;
    QString previousDir_;
    RecordingDialogs dialogs_;
    sim::InProcessLine line_;  // outlives the window, whose link holds channels onto it
    std::unique_ptr<MainWindow> window_;
};

PagerImage ImageWith(std::size_t offset, std::uint8_t value, std::string_view tag = "MK842") {
    PagerImage image = DefaultImage();
    image[offset] = value;
    for (std::size_t i = 0; i < tag.size(); ++i) image[kModelTagOffset + i] = std::uint8_t(tag[i]);
    return image;
}

std::size_t OffsetOf(std::string_view control) { return FindNumericField(control)->offset; }

// ---------------------------------------------------------------- the binding

// Every input widget of the window is a control of the catalogue, and every
// control of the catalogue has a widget of its kind, named after it.
TEST_F(MainWindowTest, WidgetsAndCatalogueControlsMatchBothWays) {
    FormBinding& binding = Window().Binding();
    EXPECT_TRUE(binding.UnknownInputs().isEmpty())
        << binding.UnknownInputs().join(QLatin1Char(' ')).toStdString();
    for (const ControlInfo& control : ControlCatalog()) {
        SCOPED_TRACE(control.name);
        QObject* o = binding.Widget(control.id);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->objectName().toStdString(), control.name);
        bool kindFits = false;
        switch (control.kind) {
            case ControlKind::Edit:
                kindFits = qobject_cast<QLineEdit*>(o) != nullptr;
                break;
            case ControlKind::Combo:
                kindFits = qobject_cast<QComboBox*>(o) != nullptr;
                break;
            case ControlKind::Check:
                kindFits = qobject_cast<QCheckBox*>(o) != nullptr;
                break;
            case ControlKind::Radio:
                kindFits = qobject_cast<QRadioButton*>(o) != nullptr;
                break;
            case ControlKind::Label:
                kindFits = qobject_cast<QLabel*>(o) != nullptr;
                break;
            case ControlKind::Panel:
                kindFits = qobject_cast<QFrame*>(o) != nullptr;
                break;
            case ControlKind::Tab:
                kindFits = Window().Pages()->indexOf(qobject_cast<QWidget*>(o)) >= 0;
                break;
            case ControlKind::MenuItem:
                kindFits = qobject_cast<QAction*>(o) != nullptr;
                break;
            case ControlKind::Button:
                kindFits = qobject_cast<QAbstractButton*>(o) != nullptr;
                break;
        }
        EXPECT_TRUE(kindFits);
    }
}

// ---------------------------------------------------------------- start-up

TEST_F(MainWindowTest, StartsWithoutBoardWarnsAndShowsTheDefaultImage) {
    // Ports with no device end the search at once; the three seconds of silent
    // ports, with the splash up, are waited out in the next test.
    StartOn({dir_.File("ttyGONE0"), dir_.File("ttyGONE1")});

    EXPECT_FALSE(Window().Splash()->isVisible());
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].kind, MessageKind::Exclamation);
    EXPECT_EQ(dialogs_.shown[0].caption, "MK843_NB");
    EXPECT_NE(dialogs_.shown[0].text.find("The Board is not responding !"), std::string::npos);

    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("MK843_NB V3.8.5"));
    EXPECT_EQ(Window().Pages()->currentWidget()->objectName(), QStringLiteral("TabSheet1"));
    EXPECT_FALSE(Window().Pages()->isTabVisible(3));
    EXPECT_EQ(Window().StatusText(), QStringLiteral("  Ready ......"));
    EXPECT_EQ(Text("edtFreq"), QStringLiteral("1590000"));
    EXPECT_EQ(W<QComboBox>("cboCSpace")->currentText(), QStringLiteral("Auto"));
    EXPECT_EQ(W<QLabel>("lblPLLR")->text(), QStringLiteral("00008011"));
    EXPECT_EQ(W<QComboBox>("cboPort")->count(), 2);
    EXPECT_FALSE(W<QAction>("Write1")->isEnabled());
    EXPECT_FALSE(W<QLineEdit>("edtT12")->isEnabled());
}

TEST_F(MainWindowTest, StartupLoadsTheDefaultTableOrSaysWhyNot) {
    const std::size_t period = OffsetOf("edtBS_Period");
    struct Case {
        const char* name;
        std::string_view tag;
        const char* shown;    // edtBS_Period after start-up
        const char* message;  // besides the board warning, or nullptr
        bool pipe = false;    // default.tbl is a named pipe nothing writes to
    } cases[] = {
        {"mk842 table", "MK842", "77", nullptr},
        {"other model", "MK843", nullptr, "This default table is not MK842."},
        // It would keep the window from ever coming up if it were read.
        {"named pipe", "", nullptr, "Open default.tbl error!", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        QDir::setCurrent(QString::fromStdString(dir.Path()));
        const PagerImage image = ImageWith(period, 77, c.tag);
        if (c.pipe)
            ASSERT_EQ(::mkfifo(dir.File("default.tbl").c_str(), 0600), 0);
        else
            test::WriteFileBytes(dir.File("default.tbl"), image);
        dialogs_.shown.clear();
        window_.reset();
        StartOn({});

        const std::string stored = std::to_string(DefaultImage()[period]);
        EXPECT_EQ(Text("edtBS_Period").toStdString(), c.shown ? c.shown : stored);
        if (c.message) {
            ASSERT_EQ(dialogs_.shown.size(), 2u);
            EXPECT_EQ(dialogs_.shown[1].text, c.message);
            EXPECT_EQ(dialogs_.shown[1].caption, c.pipe ? "MK843_NB" : "MK843_NB V3.8.5");
        } else {
            EXPECT_EQ(dialogs_.shown.size(), 1u);  // the board warning only
        }
        window_.reset();
        QDir::setCurrent(QString::fromStdString(dir_.Path()));
    }
}

TEST_F(MainWindowTest, StartupFindsTheEmulatorOnALaterPortAndSelectsIt) {
    // On the emulator's board in process: the silent first port costs its 3 s
    // on the board's clock, not the test's (the splash over a real silence has
    // a test of its own).
    line_.Plug("ttyS0", sim::MakePagerMemory({}), {sim::ParseFault("no-answer")});
    line_.Plug("ttyS1", sim::MakePagerMemory({}));
    bool splashSeen = false;
    MainWindowOptions options;
    options.channels = [&] {
        splashSeen = splashSeen || Window().Splash()->isVisible();
        return line_.MakeChannel();
    };
    options.clock = &line_.clock;
    window_ = std::make_unique<MainWindow>(dialogs_, options);
    StartOn({"ttyS0", "ttyS1"});

    EXPECT_TRUE(splashSeen) << "the splash is up while the ports are searched";
    EXPECT_FALSE(Window().Splash()->isVisible());
    EXPECT_TRUE(dialogs_.shown.empty()) << dialogs_.shown.at(0).text;
    QComboBox* port = W<QComboBox>("cboPort");
    EXPECT_EQ(port->currentIndex(), 1);
    EXPECT_EQ(port->currentText().toStdString(), "ttyS1");
    EXPECT_GE(line_.clock.NowMs(), 3000) << "the silent port was waited for, on the board's clock";
    // The search leaves PB1 empty, not running as a busy bar.
    QProgressBar* pb1 = Window().ProgressBar();
    EXPECT_LT(pb1->minimum(), pb1->maximum());
    EXPECT_EQ(pb1->value(), pb1->minimum());
}

// ---------------------------------------------------------------- typing

TEST_F(MainWindowTest, DigitsOnlyFieldFiltersKeysAndCommitsOnEnter) {
    ShownWindow();
    ShowPage("TabSheet2");
    QLineEdit* edit = ClickInto("edtBS_Period");
    EXPECT_EQ(edit->text(), QString());  // entering empties the field

    QTest::keyClicks(edit, "1x2");
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    ASSERT_EQ(dialogs_.Texts(), std::vector<std::string>{"Please insert a numeric!"});
    EXPECT_EQ(dialogs_.shown[0].kind, MessageKind::Exclamation);

    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Focused(), W<QWidget>("edtNull"));
    EXPECT_EQ(Byte(OffsetOf("edtBS_Period")), 12);
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
}

TEST_F(MainWindowTest, OutOfRangeValueIsRefusedAndTheFocusComesBack) {
    ShownWindow();
    ShowPage("TabSheet2");
    const std::uint8_t before = Byte(OffsetOf("edtBS_Period"));
    QLineEdit* edit = ClickInto("edtBS_Period");
    QTest::keyClicks(edit, "256");
    QTest::mouseClick(W<QLineEdit>("edtBS_Duty"), Qt::LeftButton);  // leave by clicking elsewhere

    EXPECT_EQ(dialogs_.Texts(),
              std::vector<std::string>{"Please insert a number between 0 to 255"});
    EXPECT_EQ(Focused(), edit);
    EXPECT_EQ(edit->text(), QStringLiteral("256"));  // the typed text stays
    EXPECT_EQ(Byte(OffsetOf("edtBS_Period")), before);

    // The digits filter refuses Backspace with its message.
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(dialogs_.shown.back().text, "Please insert a numeric!");
    EXPECT_EQ(edit->text(), QStringLiteral("256"));

    // Emptying it and leaving brings the stored value back, silently.
    Erase(edit);
    dialogs_.shown.clear();
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(dialogs_.shown.empty());
    EXPECT_EQ(edit->text().toInt(), before);
}

TEST_F(MainWindowTest, DecimalFieldsTakeOneDecimalAndTwoDecimalFieldsTwo) {
    ShownWindow();
    QLineEdit* tone = ClickInto("edtT11");
    QTest::keyClicks(tone, ".28.55");
    EXPECT_EQ(tone->text(), QStringLiteral("28.5"));
    EXPECT_TRUE(W<QLabel>("Label1")->isVisible());  // the F9 prompt in Standard Mode
    Erase(tone);
    QTest::keyClick(tone, Qt::Key_Tab);  // empty: the stored tone comes back

    ShowPage("TabSheet2");
    QLineEdit* volts = ClickInto("edtRSSI");
    QTest::keyClicks(volts, "0.755");
    EXPECT_EQ(volts->text(), QStringLiteral("0.75"));
    QTest::keyClick(volts, Qt::Key_Return);  // commits and keeps the focus
    EXPECT_EQ(Focused(), volts);
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MainWindowTest, ClickingATabCommitsTheFieldAndEmptiesNoFieldOfTheNewPage) {
    ShownWindow();
    ShowPage("TabSheet3");
    QLineEdit* monitor = ClickInto("edtAutoMonitor");
    QTest::keyClicks(monitor, "2.5");
    const QString period = Text("edtBS_Period");
    QTabBar* tabs = Window().Pages()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());  // "Config"
    QCoreApplication::processEvents();
    EXPECT_EQ(Window().Pages()->currentWidget()->objectName(), QStringLiteral("TabSheet2"));
    EXPECT_EQ(Byte(OffsetOf("edtAutoMonitor")), 5);
    // The page's first field is not entered: it keeps showing its value.
    EXPECT_NE(Focused(), W<QLineEdit>("edtBS_Period"));
    EXPECT_EQ(Text("edtBS_Period"), period);
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MainWindowTest, MovingTheMouseOverTheBackgroundRunsTheLeaveCheck) {
    ShownWindow();
    ShowPage("TabSheet2");
    QLineEdit* field = ClickInto("edtBS_Duty");
    QTest::keyClicks(field, "300");
    QWidget* box = W<QWidget>("GroupBox3");
    QTest::mouseMove(box, QPoint(box->width() - 5, box->height() - 5));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs_.Texts(),
              std::vector<std::string>{"Please insert a number between 0 to 255"});
    EXPECT_EQ(Focused(), field);

    Erase(field);
    QTest::keyClicks(field, "40");
    QTest::mouseMove(box, QPoint(box->width() - 6, box->height() - 6));
    QCoreApplication::processEvents();
    EXPECT_EQ(Byte(OffsetOf("edtBS_Duty")), 40);
    EXPECT_EQ(Focused(), W<QWidget>("edtNull"));
}

TEST_F(MainWindowTest, CheckBoxesAndModeButtonsGoThroughTheModel) {
    ShownWindow();
    QTest::mouseClick(W<QCheckBox>("chkDuty2"), Qt::LeftButton);
    EXPECT_TRUE(W<QLineEdit>("edtT12")->isEnabled());
    EXPECT_TRUE(Window().Model().Image()[48] & 0x02);

    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    EXPECT_TRUE(W<QAction>("Write1")->isEnabled());
    EXPECT_FALSE(W<QLineEdit>("edtFreq")->isEnabled());
    EXPECT_FALSE(W<QComboBox>("cboPort")->isEnabled());
    EXPECT_TRUE(W<QRadioButton>("radUser")->isEnabled());
    QTest::mouseClick(W<QRadioButton>("RBtModify"), Qt::LeftButton);
    EXPECT_FALSE(W<QAction>("Write1")->isEnabled());
    EXPECT_TRUE(W<QLineEdit>("edtFreq")->isEnabled());
}

// ---------------------------------------------------------------- re-layout

TEST_F(MainWindowTest, ResizingScalesEveryControlsBoundsAndFont) {
    MainWindow& w = ShownWindow();
    const QSize design = w.Layout().DesignSize();
    ASSERT_GT(w.Layout().Controls().size(), 100u);
    struct Case {
        double rx, ry;
    } cases[] = {{2.0, 2.0}, {0.9, 0.5}, {1.0, 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rx << " x " << c.ry);
        w.resize(int(design.width() * c.rx), int(design.height() * c.ry));
        QCoreApplication::processEvents();
        const double rx = double(w.width()) / design.width();
        const double ry = double(w.height()) / design.height();
        for (const auto& d : w.Layout().Controls()) {
            QWidget* control = d.widget.data();
            ASSERT_NE(control, nullptr);
            if (control->objectName() == QLatin1String("PB1")) continue;  // panel 0 places it
            const QRect scaled(int(d.left * rx), int(d.top * ry), int(d.width * rx),
                               int(d.height * ry));
            // Under a box's title a control may stand lower, to clear the frame's top line,
            // but never lower than its design top.
            const auto* box = qobject_cast<QGroupBox*>(control->parentWidget());
            if (box != nullptr && !box->title().isEmpty() && control->y() != scaled.y()) {
                EXPECT_GT(control->y(), scaled.y()) << control->objectName().toStdString();
                EXPECT_LE(control->y(), d.top) << control->objectName().toStdString();
                EXPECT_EQ(control->geometry(), scaled.translated(0, control->y() - scaled.y()))
                    << control->objectName().toStdString();
                continue;
            }
            EXPECT_EQ(control->geometry(), scaled) << control->objectName().toStdString();
            const int font = int(d.fontSize * std::min(rx, ry));
            if (font > 0) {
                EXPECT_EQ(control->font().pointSize(), font) << control->objectName().toStdString();
            }
        }
    }
}

// The status bar from the smallest window to a large one: PB1, the status text and the
// third panel side by side, none over another, each status text whole.
TEST_F(MainWindowTest, TheProgressBarNeverRunsIntoTheStatusText) {
    MainWindow& w = ShownWindow();
    auto* bar = w.findChild<QProgressBar*>(QStringLiteral("PB1"));
    auto* text = w.findChild<QLabel*>(QStringLiteral("StatusBar1Panel1"));
    auto* third = w.findChild<QLabel*>(QStringLiteral("StatusBar1Panel2"));
    ASSERT_TRUE(bar && text && third);
    const QSize design = w.Layout().DesignSize();
    const QSize sizes[] = {
        w.minimumSize(), {design.width() * 9 / 10, design.height()}, design, design * 2};
    for (const QSize size : sizes) {
        for (const std::string_view status :
             {status_text::kStartup, status_text::kReading, status_text::kBoardTesting}) {
            SCOPED_TRACE(testing::Message()
                         << size.width() << " x " << size.height() << " " << status);
            w.resize(size);
            text->setText(QString::fromUtf8(status.data(), qsizetype(status.size())));
            QCoreApplication::processEvents();
            EXPECT_LE(bar->geometry().right(), text->geometry().left())
                << "PB1 " << bar->geometry().right() << " runs into the text at "
                << text->geometry().left();
            EXPECT_LE(text->geometry().right(), third->geometry().left());
            EXPECT_LE(third->geometry().right(), w.statusBar()->width());
            EXPECT_LE(text->fontMetrics().horizontalAdvance(text->text()),
                      text->contentsRect().width());
        }
    }
}

TEST_F(MainWindowTest, NoVisibleControlsOverlapOnAnyPage) {
    MainWindow& w = ShownWindow();
    w.Pages()->setTabVisible(3, true);  // the Advance Setting page is laid out too
    const QString shots = qEnvironmentVariable("MK843NB_SCREENSHOT_DIR");
    for (const char* page : {"TabSheet1", "TabSheet3", "TabSheet2", "TabSheet4"}) {
        SCOPED_TRACE(page);
        ShowPage(page);
        if (!shots.isEmpty())
            w.grab().save(QDir(shots).filePath(QString::fromLatin1(page) + ".png"));
        for (QWidget* parent : w.findChildren<QWidget*>()) {
            if (!parent->isVisible()) continue;
            std::vector<QWidget*> controls;
            for (QWidget* c : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (c->isVisible() && !c->objectName().isEmpty() &&
                    !c->objectName().startsWith("qt_") &&
                    c->objectName() != QLatin1String("edtNull"))
                    controls.push_back(c);
            for (std::size_t i = 0; i < controls.size(); ++i)
                for (std::size_t j = i + 1; j < controls.size(); ++j)
                    EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                        << controls[i]->objectName().toStdString() << " overlaps "
                        << controls[j]->objectName().toStdString();
            // Every caption fits its control.
            for (QWidget* c : controls) {
                if (auto* label = qobject_cast<QLabel*>(c)) {
                    EXPECT_LE(label->sizeHint().width(), label->width())
                        << label->objectName().toStdString();
                } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
                    EXPECT_LE(button->sizeHint().width(), button->width())
                        << button->objectName().toStdString();
                }
            }
        }
    }
}

// ---------------------------------------------------------------- the Pager menu

TEST_F(MainWindowTest, ReadWriteAndVerifyThroughTheMenuAgainstTheEmulator) {
    test::SimProcess sim({"--baud", "0"});
    StartOn({sim.DevicePath()});
    ASSERT_TRUE(dialogs_.shown.empty());

    Press(Qt::Key_F3);  // Read
    ASSERT_EQ(dialogs_.Texts(), std::vector<std::string>{"Read Success !"});
    EXPECT_EQ(dialogs_.shown[0].kind, MessageKind::Information);
    EXPECT_TRUE(W<QLineEdit>("edtVersion")->isVisible());
    EXPECT_EQ(Text("edtVersion"), QStringLiteral("1.86"));
    EXPECT_EQ(Window().StatusText(), QStringLiteral(" Ready"));
    EXPECT_TRUE(Window().isEnabled());
    EXPECT_EQ(Window().ProgressBar()->value(), 0);
    EXPECT_FALSE(W<QAction>("Write1")->isEnabled());  // Modify Mode

    // Edit, then Write needs Write Mode; F4 does nothing before.
    ShowPage("TabSheet2");
    QLineEdit* period = ClickInto("edtBS_Period");
    QTest::keyClicks(period, "33\r");
    Press(Qt::Key_F4);
    EXPECT_EQ(dialogs_.shown.size(), 1u);
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    Press(Qt::Key_F4);
    ASSERT_EQ(dialogs_.shown.size(), 2u);
    EXPECT_EQ(dialogs_.shown[1].text, "Write Sucess !");
    EXPECT_EQ(Window().StatusText(), QStringLiteral("  Ready ....."));

    Press(Qt::Key_F2);
    ASSERT_EQ(dialogs_.shown.size(), 3u);
    EXPECT_EQ(dialogs_.shown[2].text, "Verify Sucess !");
    EXPECT_TRUE(W<QAction>("Write1")->isEnabled());  // Write Mode
    EXPECT_TRUE(W<QAction>("Read1")->isEnabled());
}

// Write asks the pager for its version first: the box shows that pager's
// version even when the image came from another pager, and keeps it.
TEST_F(MainWindowTest, WriteShowsTheVersionOfThePagerItWroteTo) {
    test::SimProcess first({"--baud", "0", "--firmware", "1.83"});
    test::SimProcess second({"--baud", "0", "--firmware", "1.82"});
    StartOn({first.DevicePath(), second.DevicePath()});
    ASSERT_EQ(W<QComboBox>("cboPort")->currentIndex(), 0);
    Press(Qt::Key_F3);
    ASSERT_EQ(dialogs_.Texts(), std::vector<std::string>{"Read Success !"});
    EXPECT_EQ(Text("edtVersion"), QStringLiteral("1.83"));

    QComboBox* port = W<QComboBox>("cboPort");
    port->setFocus(Qt::TabFocusReason);
    QTest::keyClick(port, Qt::Key_Down);
    ASSERT_EQ(Window().Model().State(ControlId::cboPort).itemIndex, 1);
    QTest::mouseClick(W<QRadioButton>("RBtWrite"), Qt::LeftButton);
    Press(Qt::Key_F4);
    ASSERT_EQ(dialogs_.Texts(), (std::vector<std::string>{"Read Success !", "Write Sucess !"}));
    // Both pagers were read once; the second also got the 32 write frames and,
    // with "Back up pager before Write" on as it starts, the read before them.
    ASSERT_TRUE(W<QAction>("BackupFirst1")->isChecked());
    EXPECT_EQ(second.Received().size(), first.Received().size() + 32 + 5)
        << "the write went to the second pager";

    EXPECT_EQ(Text("edtVersion"), QStringLiteral("1.82"));
    EXPECT_EQ(Byte(1), 1);
    EXPECT_EQ(Byte(2), 82);
    // The model holds it: showing the model's state again keeps it.
    Window().Binding().ApplyStates();
    EXPECT_EQ(Text("edtVersion"), QStringLiteral("1.82"));
}

TEST_F(MainWindowTest, AFailedReadLeavesTheImageAndRestoresTheWindow) {
    // Frame 5 (after the start-up ping and Read's ping, version and model queries) is the first
    // block of the read: its reply comes with a bad sum.
    test::SimProcess sim({"--baud", "0", "--fault", "bad-checksum:5"});
    StartOn({sim.DevicePath()});
    const PagerImage before = Window().Model().Image();
    Press(Qt::Key_F3);
    ASSERT_EQ(dialogs_.Texts(), std::vector<std::string>{"Read Error !"});
    EXPECT_EQ(dialogs_.shown[0].kind, MessageKind::Stop);
    PagerImage after = Window().Model().Image();
    after[1] = before[1];  // the version bytes follow the pager's answer
    after[2] = before[2];
    EXPECT_EQ(after, before);
    EXPECT_TRUE(Window().isEnabled());
    EXPECT_TRUE(W<QAction>("Read1")->isEnabled());
    EXPECT_EQ(Window().StatusText(), QStringLiteral(" Ready"));
    EXPECT_EQ(Window().ProgressBar()->value(), 0);
}

TEST_F(MainWindowTest, VerifyFailsAgainstAPagerThatHoldsSomethingElse) {
    test::SimProcess sim({"--baud", "0"});
    StartOn({sim.DevicePath()});
    Press(Qt::Key_F2);  // the window's image was never written to this pager
    ASSERT_EQ(dialogs_.Texts(), std::vector<std::string>{"Verify Error !"});
    EXPECT_EQ(dialogs_.shown[0].kind, MessageKind::Stop);
    EXPECT_TRUE(Window().isEnabled());
}

// ---------------------------------------------------------------- the File menu

TEST_F(MainWindowTest, SaveAsOpenAndSaveWithTheDialogsAnswering) {
    ShownWindow();
    const std::size_t period = OffsetOf("edtBS_Period");

    // Save As: the chosen file gets the image; panel 2 names it.
    const std::string saved = dir_.File("mine.tbl");
    dialogs_.saveAnswers.push_back(saved);
    W<QAction>("SaveAs1")->trigger();
    EXPECT_EQ(test::ReadFileBytes(saved),
              std::vector<std::uint8_t>(Window().Model().Image().begin(),
                                        Window().Model().Image().end()));
    EXPECT_EQ(Window().StatusPanel2(), QStringLiteral("File Name:mine.tbl"));

    // Open: another file's bytes replace the image and every control shows them.
    const std::string other = dir_.File("other.tbl");
    test::WriteFileBytes(other, ImageWith(period, 99));
    dialogs_.openAnswers.push_back(other);
    QTest::keyClick(&Window(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(Text("edtBS_Period"), QStringLiteral("99"));
    EXPECT_EQ(Byte(period), 99);

    // Cancelling changes nothing.
    dialogs_.openAnswers.push_back(std::nullopt);
    W<QAction>("OpenO1")->trigger();
    EXPECT_EQ(Byte(period), 99);
    EXPECT_TRUE(dialogs_.shown.empty());

    // A named pipe is no table file: refused at once instead of waiting for a writer.
    const std::string pipe = dir_.File("pipe.tbl");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    dialogs_.openAnswers.push_back(pipe);
    W<QAction>("OpenO1")->trigger();
    EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{"Open Error!"});
    EXPECT_EQ(Byte(period), 99);
    dialogs_.shown.clear();

    // Save writes to the Save As name without asking.
    QTest::keyClick(&Window(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(test::ReadFileBytes(saved).at(period), 99);
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MainWindowTest, SaveToTheDefaultTableAsksFirst) {
    ShownWindow();
    const std::string path = dir_.File("default.tbl");
    dialogs_.yesNoAnswers = {false, true};
    W<QAction>("SaveS1")->trigger();
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].text, kSaveDefaultQuestion.text);
    EXPECT_EQ(dialogs_.shown[0].caption, "MK843_NB");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));  // No: nothing written

    W<QAction>("SaveS1")->trigger();
    EXPECT_EQ(dialogs_.shown.size(), 2u);
    EXPECT_EQ(test::ReadFileBytes(path).size(), kImageSize);
}

// ---------------------------------------------------------------- single instance

TEST(SingleInstanceTest, ASecondCopyAsksTheFirstToComeForwardAndEnds) {
    App();
    const QString key = QStringLiteral("mk843nb-test-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(key);
    ASSERT_TRUE(first.Acquire());
    QSignalSpy raised(&first, &SingleInstance::activationRequested);
    SingleInstance second(key);
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(raised.count() > 0 || raised.wait(2000));
}

}  // namespace
}  // namespace mk843nb
