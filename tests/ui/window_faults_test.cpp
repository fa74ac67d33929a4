// The main window with real modal message boxes: each box takes the focus and
// the activation from the window, as it does for a user at the bench. Focus,
// key and status rules that only held with non-modal stand-ins are checked here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <memory>

#include "editor/form_driver.h"
#include "editor/form_model.h"
#include "image/frequency.h"
#include "link/link_session.h"
#include "modal_dialogs.h"
#include "silent_ptys.h"
#include "sim_process.h"
#include "test_files.h"
#include "ui/app_settings.h"
#include "ui/board_test_splash.h"
#include "ui/dialog_service.h"
#include "ui/elided_text.h"
#include "ui/form_binding.h"
#include "ui/log_window.h"
#include "ui/main_window.h"

namespace mk843nb {
namespace {

QApplication& App() {
    // The file dialogs keep their state with QSettings: in a folder of this process's own.
    static test::TempDir config;
    static int argc = 1;
    static char name[] = "window_faults_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
        return new QApplication(argc, argv);
    }();
    return *app;
}

class WindowFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir_.Path()));
        window_ = std::make_unique<MainWindow>(dialogs_);
        Activate();
    }
    void Activate() {
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
    void TearDown() override {
        window_.reset();
        QDir::setCurrent(previousDir_);
    }

    template <typename T = QWidget>
    T* W(const QString& name) {
        T* w = window_->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void ShowPageOf(QWidget* control) {
        QTabWidget* pages = window_->Pages();
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->isAncestorOf(control)) {
                pages->setTabVisible(i, true);
                pages->setCurrentIndex(i);
            }
        QCoreApplication::processEvents();
    }
    // Lets the boxes close and the window take the activation back.
    void Settle() {
        for (int i = 0; i < 10; ++i) {
            QTest::qWait(20);
            if (QApplication::activeModalWidget() == nullptr && window_->isActiveWindow()) break;
        }
        QTest::qWait(20);
    }
    // The window's focus widget: where the focus is, or goes back to once the
    // window has its activation again (offscreen has no window manager to give it back).
    // Delete as the X server sends it: with the DEL character as its text.
    static void PressDelete(QWidget* w) {
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_Delete, QString(QChar(0x7F)), Qt::NoModifier);
    }
    static void Erase(QLineEdit* edit) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
    }
    QString FocusedName() {
        QWidget* w = window_->focusWidget();
        return w == nullptr ? QString() : w->objectName();
    }

    test::TempDir dir_;
    QString previousDir_;
    test::ModalDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
};

std::vector<std::string> Texts(const std::vector<Message>& messages) {
    std::vector<std::string> texts;
    for (const Message& m : messages) texts.push_back(m.text);
    return texts;
}

// Enter in every filter kind, in and out of range: the window ends exactly where the form
// model's own focus play ends (messages, focus, every field's text, the image).
TEST_F(WindowFaultsTest, EnterPlaysTheFocusAsTheFormModelDoes) {
    struct Case {
        const char* field;
        bool userMode;
        const char* typed;
    } cases[] = {
        {"edtT11", true, "4000"},            // tone, User Mode, out of range
        {"edtT11", false, "4000"},           // tone, Standard Mode, out of range
        {"edtT11", true, "1000"},            // tone, accepted
        {"edtDecorderReset", false, "200"},  // one decimal, out of range
        {"edtAutoMonitor", false, "200"},    // one decimal, out of range
        {"edtAutoMonitor", false, "3.3"},    // one decimal, off the half-second grid
        {"edtAutoMonitor", false, "2.5"},    // one decimal, accepted
        {"edtBS_Period", false, "300"},      // digits only, out of range
        {"edtBS_Period", false, "12"},       // digits only, accepted
        {"edtRSSI", false, "1.5"},           // two decimals, out of range
        {"edtRSSI", false, "0.5"},           // two decimals, accepted
        {"edtFreq", false, "9999999"},       // the frequency, out of range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.field << " " << c.typed << (c.userMode ? " user" : ""));
        window_ = std::make_unique<MainWindow>(dialogs_);
        Activate();
        dialogs_.shown.clear();

        FormModel model;
        FormDriver driver(model);
        if (c.userMode) {
            driver.Click("radUser");
            QTest::mouseClick(W<QRadioButton>("radUser"), Qt::LeftButton);
        }
        driver.Focus(c.field);
        driver.TypeText(c.typed);
        driver.PressEnter();

        auto* edit = W<QLineEdit>(QString::fromLatin1(c.field));
        ShowPageOf(edit);
        QTest::mouseClick(edit, Qt::LeftButton);
        ASSERT_TRUE(edit->hasFocus());
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        QTest::keyClick(edit, Qt::Key_Return);
        Settle();

        EXPECT_EQ(dialogs_.Texts(), Texts(driver.Messages()));
        EXPECT_EQ(FocusedName().toStdString(), driver.Focused());
        for (const ControlState& s : model.Controls()) {
            if (s.kind != ControlKind::Edit || s.name == "edtVersion") continue;
            auto* shown = window_->findChild<QLineEdit*>(
                QString::fromUtf8(s.name.data(), qsizetype(s.name.size())));
            if (shown != nullptr) {
                EXPECT_EQ(shown->text().toStdString(), s.text) << s.name;
            }
        }
        EXPECT_EQ(window_->Model().Image(), model.Image());
    }
}

// Delete, the caret keys and the clipboard short-cuts are no typed characters: every filter
// lets them work as in any edit field, without a message.
TEST_F(WindowFaultsTest, EditingKeysPassEveryKeyFilter) {
    struct Case {
        const char* field;
        const char* typed;
    } cases[] = {
        {"edtBS_Period", "123"},    // digits only
        {"edtAutoMonitor", "2.5"},  // one decimal
        {"edtRSSI", "0.75"},        // two decimals
        {"edtT11", "1000"},         // tone
        {"edtFreq", "1590000"},     // the frequency
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        Activate();
        dialogs_.shown.clear();
        auto* edit = W<QLineEdit>(QString::fromLatin1(c.field));
        ShowPageOf(edit);
        QTest::mouseClick(edit, Qt::LeftButton);
        ASSERT_TRUE(edit->hasFocus());
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        const QString typed = QString::fromLatin1(c.typed);

        QTest::keyClick(edit, Qt::Key_Home);
        PressDelete(edit);
        EXPECT_EQ(edit->text(), typed.mid(1));
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Left);
        QTest::keyClick(edit, Qt::Key_Right);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(edit->selectedText(), typed.mid(1));
        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), typed.mid(1));
        PressDelete(edit);
        EXPECT_EQ(edit->text(), QString());
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), typed.mid(1));
        EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{});
        EXPECT_TRUE(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_Escape);
        Erase(edit);
        QTest::keyClick(edit, Qt::Key_Tab);  // empty: the stored value comes back
        Settle();
    }
}

// A full frequency field takes a typed digit over its selection, as every edit field does.
TEST_F(WindowFaultsTest, TypingOverASelectedFullFrequencyReplacesIt) {
    auto* freq = W<QLineEdit>("edtFreq");
    QTest::mouseClick(freq, Qt::LeftButton);
    QTest::keyClicks(freq, "1590000");
    ASSERT_EQ(freq->text(), QStringLiteral("1590000"));
    QTest::keyClick(freq, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(freq, "15");
    EXPECT_EQ(freq->text(), QStringLiteral("15"));
    EXPECT_EQ(window_->Model().Find("edtFreq")->text, "15");
    // Part of it selected: the digit takes the selection's place.
    QTest::keyClicks(freq, "00000");
    QTest::keyClick(freq, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClicks(freq, "5");
    EXPECT_EQ(freq->text(), QStringLiteral("1500005"));
    // Without a selection a full field still takes nothing more.
    QTest::keyClicks(freq, "9");
    EXPECT_EQ(freq->text(), QStringLiteral("1500005"));
    EXPECT_TRUE(dialogs_.shown.empty());
}

// A transfer's message box comes first, beside the status and PB1 it refers to; the closing
// (" Ready", PB1 empty, window usable) follows once it is closed. The box itself is usable.
TEST_F(WindowFaultsTest, TheOutcomeMessageComesBeforeTheClosing) {
    test::SimProcess sim({"--baud", "0"});
    test::SimProcess badSum({"--baud", "0", "--fault", "bad-checksum:5"});
    struct Case {
        const test::SimProcess* board;
        const char* message;
        const char* statusDuring;
        bool barFull;
    } cases[] = {
        {&sim, "Read Success !", "  Reading Now ......", true},
        {&badSum, "Read Error !", "  Reading Now ......", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        window_ = std::make_unique<MainWindow>(dialogs_);
        PortTable ports;
        ports.entries.push_back({c.board->DevicePath(), ""});
        window_->Link().SetPortTable(ports);
        window_->Model().SetPorts({c.board->DevicePath()}, 0);
        window_->Binding().ApplyStates();
        Activate();
        dialogs_.shown.clear();
        QString statusDuring;
        int barDuring = -1;
        bool boxEnabled = false;
        dialogs_.whileShown = [&](const Message&) {
            statusDuring = window_->StatusText();
            barDuring = window_->ProgressBar()->value();
            boxEnabled = QApplication::activeModalWidget() != nullptr &&
                         QApplication::activeModalWidget()->isEnabled();
        };
        QTest::keyClick(window_.get(), Qt::Key_F3);
        Settle();
        dialogs_.whileShown = nullptr;

        ASSERT_EQ(dialogs_.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(statusDuring.toStdString(), c.statusDuring);
        if (c.barFull) {
            EXPECT_EQ(barDuring, window_->ProgressBar()->maximum());
        }
        EXPECT_TRUE(boxEnabled);
        EXPECT_EQ(window_->StatusText(), QStringLiteral(" Ready"));
        EXPECT_EQ(window_->ProgressBar()->value(), 0);
        EXPECT_TRUE(window_->isEnabled());
    }
}

// No board at start: the splash is gone before the warning opens over the window.
// The blue captions keep their meaning under a dark palette and stay readable on it.
TEST_F(WindowFaultsTest, BlueCaptionsStayReadableUnderADarkPalette) {
    const QPalette light = QApplication::palette();
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        QPalette palette = light;
        if (dark) palette.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x30));
        QApplication::setPalette(palette);
        window_ = std::make_unique<MainWindow>(dialogs_);
        const QColor caption = window_->findChild<QWidget*>(QStringLiteral("RBtModify"))
                                   ->palette()
                                   .color(QPalette::WindowText);
        EXPECT_GT(caption.blue(), caption.red() + 60) << "still blue";
        if (dark)
            EXPECT_GE(caption.lightness(), 160) << "light enough on the dark window";
        else
            EXPECT_EQ(caption, QColor(Qt::blue));
    }
    QApplication::setPalette(light);
}

TEST_F(WindowFaultsTest, TheSplashClosesBeforeTheNoBoardWarning) {
    window_ = std::make_unique<MainWindow>(dialogs_);
    test::SilentPtys silent(1);
    PortTable ports;
    ports.entries.push_back({silent.Paths()[0], ""});
    bool splashDuring = true;
    dialogs_.whileShown = [&](const Message&) { splashDuring = window_->Splash()->isVisible(); };
    window_->StartWith(ports);
    dialogs_.whileShown = nullptr;
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_FALSE(splashDuring);
    EXPECT_TRUE(window_->isVisible());
}

// While a transfer disables the window, the status bar draws exactly as when enabled.
TEST_F(WindowFaultsTest, TheStatusBarStaysReadableWhileTheWindowIsDisabled) {
    window_->ProgressBar()->setRange(0, 256);
    window_->ProgressBar()->setValue(128);
    auto* status = W<QLabel>("StatusBar1Panel1");
    status->setText(QStringLiteral("  Reading Now ......"));
    W<QLabel>("StatusBar1Panel2")->setText(QStringLiteral("File Name:default.tbl"));
    for (const char* name : {"PB1", "StatusBar1Panel1", "StatusBar1Panel2"}) {
        SCOPED_TRACE(name);
        QWidget* w = W(QString::fromLatin1(name));
        window_->setEnabled(true);
        const QImage enabled = w->grab().toImage();
        window_->setEnabled(false);
        ASSERT_FALSE(w->isEnabled());
        EXPECT_EQ(w->grab().toImage(), enabled);
    }
    // The pages are drawn disabled as before: the user sees the window is busy.
    const QPalette form = W("edtFreq")->palette();
    EXPECT_NE(form.color(QPalette::Disabled, QPalette::Text),
              form.color(QPalette::Active, QPalette::Text));
    window_->setEnabled(true);
}

// Long port and file names keep the part that tells them apart in view, the whole in a tip.
TEST_F(WindowFaultsTest, LongPortAndFileNamesShowTheirTellingPartAndTheWholeInATip) {
    const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    window_->Model().SetPorts({byId, "/dev/ttyUSB0"}, 0);
    window_->Binding().ApplyStates();
    auto* ports = W<PortComboBox>("cboPort");
    EXPECT_TRUE(ports->ShownText().startsWith(QChar(0x2026)));
    EXPECT_TRUE(ports->ShownText().endsWith(QStringLiteral("port0")));
    ports->UpdateToolTip();
    EXPECT_EQ(ports->toolTip().toStdString(), byId);
    QTest::keyClick(ports, Qt::Key_Down);
    EXPECT_EQ(ports->ShownText(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(ports->toolTip(), QStringLiteral("/dev/ttyUSB0"));

    QDir(QString::fromStdString(dir_.Path()))
        .mkpath(QStringLiteral("bench tables of the second workshop/2026/customer orders"));
    const QString saved = QString::fromStdString(dir_.Path()) +
                          "/bench tables of the second workshop/2026/customer orders/mine.tbl";
    dialogs_.saveAnswers.push_back(saved.toStdString());
    W<QAction>("SaveAs1")->trigger();
    auto* panel = W<ElidedLabel>("StatusBar1Panel2");
    EXPECT_TRUE(window_->StatusPanel2().endsWith(QStringLiteral("customer orders/mine.tbl")));
    EXPECT_TRUE(panel->ShownText().startsWith(QStringLiteral("File Name:")));
    EXPECT_TRUE(panel->ShownText().contains(QChar(0x2026)));
    EXPECT_TRUE(panel->ShownText().endsWith(QStringLiteral("mine.tbl")));
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->ShownText()), panel->width());
    EXPECT_EQ(panel->toolTip(), saved);
    // The mouse resting on the panel brings the whole path up.
    QTest::mouseMove(panel, panel->rect().center());
    QTRY_VERIFY(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), saved);
    QToolTip::hideText();
}

// The row of a titled box's frame top line as the style draws it: the first row down the
// box's right part (its title stands at the left) that differs from the background.
int FrameTopLine(QGroupBox& box) {
    QImage image(box.size(), QImage::Format_ARGB32);
    box.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const int x = box.width() - 12;
    const QRgb background = image.pixel(x, 0);
    for (int y = 1; y < image.height(); ++y)
        if (image.pixel(x, y) != background) return y;
    return -1;
}

// What is unreadable in the window as it is laid out now: captions cut, group-box titles
// running through the controls under them, a status text taller than its bar.
std::vector<std::string> Unreadable(MainWindow& w) {
    std::vector<std::string> faults;
    const auto name = [](const QWidget* c) { return c->objectName().toStdString(); };
    for (QWidget* c : w.findChildren<QWidget*>()) {
        if (!c->isVisible() || c->objectName().isEmpty() || c->objectName().startsWith("qt_"))
            continue;
        if (auto* label = qobject_cast<QLabel*>(c); label != nullptr && !label->text().isEmpty()) {
            const QSize need = label->fontMetrics().size(0, label->text());
            if (qobject_cast<ElidedLabel*>(label) == nullptr && need.width() > label->width())
                faults.push_back(name(c) + " cut across");
            if (need.height() > label->height()) faults.push_back(name(c) + " cut in height");
        } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
            if (button->sizeHint().width() > button->width() ||
                button->fontMetrics().height() > button->height())
                faults.push_back(name(c) + " caption cut");
        } else if (auto* box = qobject_cast<QGroupBox*>(c);
                   box != nullptr && !box->title().isEmpty()) {
            QStyleOptionGroupBox option;
            option.initFrom(box);
            option.text = box->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                             QStyle::SC_GroupBoxLabel, box);
            const int frame = FrameTopLine(*box);
            for (QWidget* inside : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (!inside->isVisible()) continue;
                if (inside->geometry().top() < title.bottom())
                    faults.push_back(name(box) + " title runs through " + name(inside));
                if (inside->geometry().top() <= frame)
                    faults.push_back(name(box) + " frame runs through " + name(inside));
            }
        }
    }
    return faults;
}

// However far the window is shrunk, every caption and the status text stay whole and no
// group-box title or frame runs through its controls; the proportional re-layout holds above that.
TEST_F(WindowFaultsTest, ShrinkingStopsWhereTheWindowWouldBecomeUnreadable) {
    const QSize design = window_->Layout().DesignSize();
    struct Case {
        double rx, ry;
    } cases[] = {{0.9, 0.5}, {0.5, 0.9}, {0.3, 0.3}, {0.85, 0.85}, {1.0, 1.0}, {1.5, 1.2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rx << " x " << c.ry);
        window_->resize(int(design.width() * c.rx), int(design.height() * c.ry));
        QCoreApplication::processEvents();
        EXPECT_EQ(Unreadable(*window_), std::vector<std::string>{});
        EXPECT_GE(window_->width(), std::min(design.width(), int(design.width() * c.rx)) * 4 / 5);
        // Above the minimum the window takes the size asked for.
        if (c.rx >= 0.8 && c.ry >= 0.8) {
            EXPECT_EQ(window_->size(),
                      QSize(int(design.width() * c.rx), int(design.height() * c.ry)));
        }
    }
}

// The file dialogs never open a file to guess its type: in /proc such a read may never end and
// the whole program would freeze. Every file opened in the browsed folder is watched for.
TEST_F(WindowFaultsTest, TheFileDialogsOpenNoFileToGuessItsType) {
    const std::string folder = dir_.File("browsed");
    QDir().mkpath(QString::fromStdString(folder));
    for (const char* name : {"kmsg", "notes", "old.tbl", "pager.bin"})
        test::WriteFileBytes(folder + "/" + name,
                             std::vector<std::uint8_t>{0x7F, 'E', 'L', 'F', 2, 1});
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_OPEN | IN_ACCESS), 0);

    QtDialogService real;
    real.SetParent(window_.get());
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        if (++ticks == 1) dialog->setViewMode(QFileDialog::Detail);  // the type column too
        if (ticks == 3) dialog->selectNameFilter(QStringLiteral("*"));
        if (ticks >= 20) dialog->reject();
    });
    ticker.start(50);
    FileDialogRequest request;
    request.filter = "Table files (*.tbl)|*.tbl|All files (*)|*";
    request.initialDir = folder;
    request.fileName = "mine.tbl";
    EXPECT_FALSE(real.ChooseSaveFile(request).has_value());
    request.fileMustExist = true;
    ticks = 0;
    EXPECT_FALSE(real.ChooseOpenFile(request).has_value());

    std::vector<std::string> opened;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            if (event->len > 0 && (event->mask & IN_ISDIR) == 0) opened.push_back(event->name);
            p += sizeof(inotify_event) + event->len;
        }
    ::close(watch);
    EXPECT_EQ(opened, std::vector<std::string>{});
}

// Opening a short table whose frequency is on no spacing: the refresh runs the frequency leave
// rule three times (the spacing rule and the leave rule of the band rule, then the spacing
// rule), so three "Channel Spacing Error!" boxes, and the focus is put back into edtFreq each
// time. A fourth box comes only when the user then leaves edtFreq: its leave check runs again
// on the stored frequency it shows, as for any refused field, and keeps the focus.
TEST_F(WindowFaultsTest, AnOffRasterTableGivesThreeSpacingBoxesAndOneMoreOnLeavingTheField) {
    PagerImage image = DefaultImage();
    ASSERT_TRUE(StoreFrequencyDigits(image, "1590010"));
    image[kCSpaceOffset] = 32;  // Auto
    const std::string file = dir_.File("short.tbl");
    test::WriteFileBytes(file, std::vector<std::uint8_t>(image.begin(), image.begin() + 250));

    FormModel model;
    FormDriver driver(model);
    PagerImage opened = model.Image();
    std::copy(image.begin(), image.begin() + 250, opened.begin());
    driver.ReplaceImage(opened);

    dialogs_.openAnswers.push_back(file);
    W<QAction>("OpenO1")->trigger();
    Settle();
    const std::vector<std::string> three(3, "Channel Spacing Error!");
    EXPECT_EQ(Texts(driver.Messages()), three);
    EXPECT_EQ(dialogs_.Texts(), three);
    EXPECT_EQ(FocusedName(), QStringLiteral("edtFreq"));
    EXPECT_EQ(driver.Focused(), "edtFreq");
    EXPECT_EQ(window_->Model().Image(), model.Image());

    Activate();
    auto* freq = W<QLineEdit>("edtFreq");
    ASSERT_TRUE(freq->hasFocus());
    QTest::keyClick(freq, Qt::Key_Tab);
    Settle();
    EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>(4, "Channel Spacing Error!"));
    EXPECT_EQ(FocusedName(), QStringLiteral("edtFreq"));
    driver.Focus("edtT11");
    EXPECT_EQ(driver.Messages().size(), 4u);
    EXPECT_EQ(driver.Focused(), "edtFreq");
}

// "Show log": the frames of a transfer with their times and the message it ended with, saved
// whole with "Save log...", or not at all.
TEST_F(WindowFaultsTest, TheLogShowsTheFramesAndMessagesAndIsSavedWhole) {
    test::SimProcess sim({"--baud", "0"});
    PortTable ports;
    ports.entries.push_back({sim.DevicePath(), ""});
    window_->Link().SetPortTable(ports);
    window_->Model().SetPorts({sim.DevicePath()}, 0);
    window_->Binding().ApplyStates();
    QTest::keyClick(window_.get(), Qt::Key_F3);
    Settle();
    ASSERT_EQ(dialogs_.Texts(), std::vector<std::string>{"Read Success !"});

    W<QAction>("ShowLog")->trigger();
    LogWindow* log = window_->Log();
    ASSERT_TRUE(log->isVisible());
    const QString text = W<QPlainTextEdit>("LogText")->toPlainText();
    EXPECT_GE(text.count(QStringLiteral(" -> ")), 5);  // ping, version, model, two blocks
    EXPECT_GE(text.count(QStringLiteral(" <- ")), 5);
    EXPECT_TRUE(text.contains(QStringLiteral("message: Read Success !")));
    // Every line under the local time to the millisecond; every frame names its port.
    const QRegularExpression time(QStringLiteral(R"(^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})  )"));
    const QString port = QString::fromStdString(sim.DevicePath());
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        SCOPED_TRACE(line.toStdString());
        const QRegularExpressionMatch match = time.match(line);
        ASSERT_TRUE(match.hasMatch());
        const QDateTime at =
            QDateTime::fromString(match.captured(1), QString::fromLatin1(LogWindow::kTimeFormat));
        EXPECT_LE(std::abs(at.msecsTo(QDateTime::currentDateTime())), 60000);
        if (line.contains(QStringLiteral(" -> ")) || line.contains(QStringLiteral(" <- "))) {
            EXPECT_EQ(line.mid(match.capturedLength(), port.size() + 1), port + ' ');
        }
    }

    const std::string file = dir_.File("session.log");
    dialogs_.saveAnswers.push_back(file);
    EXPECT_TRUE(log->SaveLog());
    ASSERT_FALSE(dialogs_.requests.empty());
    EXPECT_FALSE(dialogs_.requests.back().tableFolder);
    const std::vector<std::uint8_t> saved = test::ReadFileBytes(file);
    EXPECT_EQ(
        QString::fromUtf8(reinterpret_cast<const char*>(saved.data()), qsizetype(saved.size())),
        log->Text());

    dialogs_.shown.clear();
    dialogs_.saveAnswers.push_back(dir_.File("no such folder/session.log"));
    EXPECT_FALSE(log->SaveLog());
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_NE(dialogs_.shown[0].text.find("could not be saved"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir_.File("no such folder"))));
    log->close();
}

// A verify that found differences, with the real message boxes: "Details…" opens a box that
// names its value columns ("This window | Pager") and keeps the message's stop icon.
TEST_F(WindowFaultsTest, TheVerifyDetailsNameTheirColumnsAndKeepTheStopIcon) {
    window_.reset();
    QtDialogService real;
    window_ = std::make_unique<MainWindow>(real);
    test::SimProcess sim({"--baud", "0"});
    PortTable ports;
    ports.entries.push_back({sim.DevicePath(), ""});
    window_->StartWith(ports);
    Activate();

    struct Box {
        QMessageBox::Icon icon;
        QString text, informative;
    };
    std::vector<Box> boxes;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        boxes.push_back({box->icon(), box->text(), box->informativeText()});
        QAbstractButton* details = nullptr;
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QStringLiteral("Details…")) details = button;
        QTest::mouseClick(details != nullptr ? details : box->button(QMessageBox::Ok),
                          Qt::LeftButton);
    });
    poll.start(20);
    QTest::keyClick(window_.get(), Qt::Key_F2);  // this pager holds something else
    poll.stop();

    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Verify Error !"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[1].text, QStringLiteral("Verify Error !"));
    EXPECT_EQ(boxes[1].icon, QMessageBox::Critical);
    const QStringList lines = boxes[1].informative.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Page  Field: This window | Pager"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral(" | "))) << lines[1].toStdString();
    // A decoder word is named after its tone ("CALL  CALL #1 TONE1 decoder word (W11): ..."),
    // never as a bare word no control shows.
    const QRegularExpression bareWord(QStringLiteral("^\\(not shown\\)  W[1-3][1-8]:"));
    for (const QString& line : lines)
        EXPECT_FALSE(bareWord.match(line).hasMatch()) << line.toStdString();
}

// The log opens at its newest line and follows the new ones; a user who scrolled back to read
// stays where they are until they come back to the end.
TEST_F(WindowFaultsTest, TheLogOpensAtTheNewestLineAndFollowsNewOnes) {
    LogWindow* log = window_->Log();
    for (int i = 0; i < 300; ++i) log->AddMessage(QStringLiteral("line %1").arg(i));
    W<QAction>("ShowLog")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log));
    auto* view = W<QPlainTextEdit>("LogText");
    QScrollBar* bar = view->verticalScrollBar();
    const auto lastShown = [&] {
        return view->cursorForPosition(QPoint(4, view->viewport()->height() - 4))
            .block()
            .text()
            .section(QStringLiteral("message: "), 1);
    };
    QTRY_COMPARE(bar->value(), bar->maximum());
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(lastShown(), QStringLiteral("line 299"));

    for (int i = 300; i < 320; ++i) log->AddMessage(QStringLiteral("line %1").arg(i));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(lastShown(), QStringLiteral("line 319"));

    QTest::keyClick(view, Qt::Key_Home);
    ASSERT_EQ(bar->value(), 0);
    log->AddMessage(QStringLiteral("line 320"));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), 0) << "reading back is not interrupted";
    QTest::keyClick(view, Qt::Key_End);
    log->AddMessage(QStringLiteral("line 321"));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(lastShown(), QStringLiteral("line 321"));
    log->close();
}

// "Save log..." opens in the user's documents (or home) folder even when the program was
// started in /, and neither takes nor moves the folder the table dialogs remember.
TEST_F(WindowFaultsTest, SaveLogStartsInTheUsersFolderAndLeavesTheTableFolderAlone) {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(documents).isDir()) documents = QDir::homePath();
    const QString tables = QString::fromStdString(dir_.File("tables"));
    const QString logs = QString::fromStdString(dir_.File("logs"));
    QDir().mkpath(tables);
    QDir().mkpath(logs);
    AppSettings settings;
    settings.SetLastFolder(tables);
    QtDialogService real;
    real.RememberFoldersIn(&settings);
    real.SetParent(window_.get());
    LogWindow log(real, window_.get());
    log.AddMessage(QStringLiteral("Read Success !"));
    QDir::setCurrent(QStringLiteral("/"));

    // Where each dialog opened; then, once it has listed its folder, the answer (none: it is
    // cancelled), given again while the dialog stays up.
    std::vector<QString> openedIn;
    const auto answerWith = [&openedIn](const QString& file) {
        auto* poll = new QTimer;
        auto ticks = std::make_shared<int>(0);
        auto mine = std::make_shared<QPointer<QFileDialog>>();
        QObject::connect(poll, &QTimer::timeout, [poll, file, ticks, mine, &openedIn] {
            if (*ticks > 0 && mine->isNull()) {  // answered and gone
                poll->deleteLater();
                return;
            }
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            if ((*ticks)++ == 0) {
                *mine = dialog;
                openedIn.push_back(dialog->directory().absolutePath());
            }
            if (*ticks < 10) return;
            if (file.isEmpty()) {
                dialog->reject();
                return;
            }
            // As a user does: the whole path typed into the name box, then Enter.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name == nullptr) return;
            name->setText(file);
            QTest::keyClick(name, Qt::Key_Return);
        });
        poll->start(20);
    };
    answerWith(logs + QStringLiteral("/bench.log"));
    EXPECT_TRUE(log.SaveLog());
    answerWith(logs + QStringLiteral("/bench2.log"));
    EXPECT_TRUE(log.SaveLog());
    // The table dialogs still open where the last of them closed.
    answerWith(QString());
    FileDialogRequest open;
    open.fileMustExist = true;
    EXPECT_FALSE(real.ChooseOpenFile(open).has_value());

    ASSERT_EQ(openedIn.size(), 3u);
    EXPECT_EQ(openedIn[0], QDir(documents).absolutePath());
    EXPECT_EQ(openedIn[1], logs) << "then where the last log went";
    EXPECT_EQ(openedIn[2], tables);
    EXPECT_TRUE(QFileInfo::exists(logs + QStringLiteral("/bench2.log")));
    EXPECT_EQ(settings.LastFolder(), tables);
    QDir::setCurrent(QString::fromStdString(dir_.Path()));
}

}  // namespace
}  // namespace mk843nb
