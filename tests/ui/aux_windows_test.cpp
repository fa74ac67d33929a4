// The auxiliary windows driven by real key and mouse events on the offscreen
// platform: the tone table and the password window over the real form model,
// the About box, the reset help and the board-test splash.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editor/form_model.h"
#include "image/fields.h"
#include "recording_dialogs.h"
#include "ui/about_box.h"
#include "ui/board_test_splash.h"
#include "ui/dialog_service.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/password_window.h"
#include "ui/tone_table_window.h"

namespace mk843nb {
namespace {

// Records every message box instead of showing it.
class RecordingDialogs : public DialogService {
public:
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return {}; }
    bool AskYesNo(const Message& question) override {
        messages.push_back(question);
        return false;
    }
    void Show(const Message& message) override {
        messages.push_back(message);
        parents.push_back(Parent());
    }
    std::optional<std::string> AskText(const std::string&, const std::string&,
                                       const std::string&) override {
        return {};
    }

    std::vector<Message> messages;
    std::vector<QWidget*> parents;
};

bool HasEffect(const Effects& effects, EffectKind kind) {
    for (const Effect& effect : effects)
        if (effect.kind == kind) return true;
    return false;
}

std::uint32_t Stored(const FormModel& model, const char* field) {
    return GetFieldCode(model.Image(), FieldNamed(field));
}

std::string TextOf(const FormModel& model, const char* control) {
    const ControlState* state = model.Find(control);
    return state ? state->text : std::string("<no such control>");
}

// A user typing a tone into a field of the main window and leaving it.
void TypeTone(FormModel& model, const std::string& field, const std::string& text) {
    model.Enter(field);
    std::string typed;
    for (char c : text) {
        if (model.KeyPress(field, c).accepted) typed += c;
        model.TextEdited(field, typed);
    }
    model.Leave(field);
}

// The default image has only call 1 switched on; the tone fields of the others are disabled.
void SwitchAllCallsOn(FormModel& model) {
    for (const char* box : {"chkDuty2", "chkDuty3", "chkDuty4", "chkGDuty1", "chkGDuty2"}) {
        if (!model.Find(box)->checked) model.Click(box);
    }
}

// --- Tone table -------------------------------------------------------------

class ToneTableTest : public ::testing::Test {
protected:
    ToneTableTest() { SwitchAllCallsOn(model); }

    void Open() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QPoint CellCentre(int column, int row) const {
        QTableWidget* grid = window.StringGrid1();
        return grid->visualRect(grid->model()->index(row - 1, column - 1)).center();
    }
    void ClickCell(int column, int row) {
        QTest::mouseClick(window.StringGrid1()->viewport(), Qt::LeftButton, {},
                          CellCentre(column, row));
    }

    FormModel model;
    RecordingDialogs dialogs;
    ToneTableWindow window{model, dialogs};
};

TEST_F(ToneTableTest, ShowsTheStandardTonesUnderTheirGroupNames) {
    EXPECT_EQ(window.windowTitle(), "Tone Table");
    EXPECT_EQ(window.size(), QSize(862, 319));
    EXPECT_EQ(window.StringGrid1()->columnCount() + 1, 15);
    EXPECT_EQ(window.StringGrid1()->rowCount() + 1, 11);

    const QStringList heads = {"",       "Mot 1",  "Mot 2",  "Mot 3",  "Mot 4",
                               "Mot 5",  "Mot 6",  "Mot A",  "Mot B",  "Mot Z",
                               "Mot 10", "Mot 11", "GE A' ", "GE B' ", "GE C' "};
    for (int column = 0; column < 15; ++column)
        EXPECT_EQ(window.CellText(column, 0), heads[column]);
    for (int row = 1; row < 11; ++row) EXPECT_EQ(window.CellText(0, row), QString::number(row - 1));

    struct Cell {
        int column, row;
        const char* text;
    };
    for (const Cell& cell : {Cell{1, 1, "330.5"}, Cell{2, 4, "669.9"}, Cell{3, 1, "1092.4"},
                             Cell{3, 2, "288.5"}, Cell{11, 10, "2468.2"}, Cell{14, 10, "622.5"},
                             Cell{8, 8, "767.4"}, Cell{10, 4, "1598.0"}}) {
        EXPECT_EQ(window.CellText(cell.column, cell.row), cell.text)
            << cell.column << "," << cell.row;
        EXPECT_EQ(window.StringGrid1()->item(cell.row - 1, cell.column - 1)->textAlignment(),
                  int(Qt::AlignCenter));
    }
    EXPECT_EQ(window.CurrentColumn(), 1);
    EXPECT_EQ(window.CurrentRow(), 1);
}

// Every way of leaving the window is the pick.
struct LeaveWay {
    const char* name;
    std::function<void(ToneTableWindow&)> leave;
};

void PrintTo(const LeaveWay& way, std::ostream* out) { *out << way.name; }

class ToneTableLeaveTest : public ToneTableTest, public ::testing::WithParamInterface<LeaveWay> {};

TEST_P(ToneTableLeaveTest, PutsTheSelectedToneIntoTheFieldTheMarkersName) {
    // F9 after entering edtT13 in Standard mode opens the table for edtT13.
    model.Enter("edtT13");
    ASSERT_TRUE(HasEffect(model.PressF9(), EffectKind::OpenToneTable));
    Open();
    ClickCell(2, 4);  // "Mot 2", index 3
    GetParam().leave(window);

    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(TextOf(model, "edtT13"), "669.9");
    EXPECT_EQ(Stored(model, "T13"), 6699u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWayOut, ToneTableLeaveTest,
    ::testing::Values(
        LeaveWay{"EnterKey",
                 [](ToneTableWindow& w) { QTest::keyClick(w.StringGrid1(), Qt::Key_Return); }},
        LeaveWay{"KeypadEnter",
                 [](ToneTableWindow& w) { QTest::keyClick(w.StringGrid1(), Qt::Key_Enter); }},
        LeaveWay{"DoubleClick",
                 [](ToneTableWindow& w) {
                     QTableWidget* grid = w.StringGrid1();
                     QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                                        grid->visualRect(grid->currentIndex()).center());
                 }},
        LeaveWay{"EnterButton",
                 [](ToneTableWindow& w) { QTest::mouseClick(w.BtnEnter(), Qt::LeftButton); }},
        LeaveWay{"ExitButton",
                 [](ToneTableWindow& w) { QTest::mouseClick(w.BtnExit(), Qt::LeftButton); }},
        LeaveWay{"Escape",
                 [](ToneTableWindow& w) { QTest::keyClick(w.StringGrid1(), Qt::Key_Escape); }},
        LeaveWay{"EscapeOnButton",
                 [](ToneTableWindow& w) {
                     w.BtnEnter()->setFocus();
                     QTest::keyClick(w.BtnEnter(), Qt::Key_Escape);
                 }},
        LeaveWay{"CloseBox", [](ToneTableWindow& w) { w.close(); }}),
    [](const ::testing::TestParamInfo<LeaveWay>& info) { return std::string(info.param.name); });

TEST_F(ToneTableTest, DoubleClickedFieldTakesTheFirstCellOnExit) {
    model.DoubleClick("edtT22");
    Open();
    QTest::mouseClick(window.BtnExit(), Qt::LeftButton);
    EXPECT_EQ(TextOf(model, "edtT22"), "330.5");
    EXPECT_EQ(Stored(model, "T22"), 3305u);
}

TEST_F(ToneTableTest, GroupFieldTakesThePick) {
    model.DoubleClick("edtT32");
    Open();
    ClickCell(11, 10);
    QTest::keyClick(window.StringGrid1(), Qt::Key_Return);
    EXPECT_EQ(TextOf(model, "edtT32"), "2468.2");
    EXPECT_EQ(Stored(model, "T32"), 24682u);
}

TEST_F(ToneTableTest, ToneEqualToThePartnerIsRefusedAndTheStoredToneStays) {
    TypeTone(model, "edtT21", "330.5");
    ASSERT_EQ(TextOf(model, "edtT21"), "330.5");
    const std::uint32_t storedT11 = Stored(model, "T11");
    const std::string shownT11 = TextOf(model, "edtT11");
    ASSERT_NE(storedT11, 3305u);
    dialogs.messages.clear();

    model.DoubleClick("edtT11");
    Open();
    ClickCell(1, 1);  // 330.5, the partner's tone
    QTest::keyClick(window.StringGrid1(), Qt::Key_Return);

    EXPECT_FALSE(window.isVisible());  // the window closes all the same
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Exclamation);
    EXPECT_EQ(dialogs.messages[0].text.rfind("Tone Frequency Error!", 0), 0u);
    EXPECT_EQ(dialogs.parents[0], &window);  // over the tone table, which is still up
    EXPECT_EQ(Stored(model, "T11"), storedT11);
    EXPECT_EQ(TextOf(model, "edtT11"), shownT11);
}

TEST_F(ToneTableTest, WithoutAMarkerThePickOnlyCloses) {
    model.Enter("edtT12");
    model.MouseOverBackground();
    const PagerImage before = model.Image();
    Open();
    ClickCell(4, 5);
    QTest::keyClick(window.StringGrid1(), Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(model.Image(), before);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ToneTableTest, F9OpensOnlyInStandardModeWithAMarkerSet) {
    struct Case {
        const char* name;
        std::function<void(FormModel&)> before;
        bool opens;
    };
    // Switching a call on checks its tones, which sets the markers too, so
    // every case begins with the mouse over the background.
    const auto allOn = [](FormModel& m) {
        SwitchAllCallsOn(m);
        m.MouseOverBackground();
    };
    const std::vector<Case> cases = {
        {"nothing entered", allOn, false},
        {"tone field entered",
         [&](FormModel& m) {
             allOn(m);
             m.Enter("edtT14");
         },
         true},
        {"group field entered",
         [&](FormModel& m) {
             allOn(m);
             m.Enter("edtT31");
         },
         true},
        {"accepted tone, focus moved on by keyboard",
         [&](FormModel& m) {
             allOn(m);
             TypeTone(m, "edtT12", "600");
             m.Enter("chkPriority2");
         },
         true},
        {"mouse over the background after a tone field",
         [&](FormModel& m) {
             allOn(m);
             m.Enter("edtT12");
             m.MouseOverBackground();
         },
         false},
        {"User mode",
         [&](FormModel& m) {
             allOn(m);
             m.Click("radUser");
             m.Enter("edtT12");
         },
         false},
    };
    for (const Case& c : cases) {
        FormModel fresh;
        c.before(fresh);
        EXPECT_EQ(HasEffect(fresh.PressF9(), EffectKind::OpenToneTable), c.opens) << c.name;
    }
}

TEST_F(ToneTableTest, HeadRowAndIndexColumnCannotBeSelected) {
    Open();
    ClickCell(6, 3);
    ASSERT_EQ(window.CurrentColumn(), 6);
    ASSERT_EQ(window.CurrentRow(), 3);

    QHeaderView* heads = window.StringGrid1()->horizontalHeader();
    QTest::mouseClick(heads->viewport(), Qt::LeftButton, {},
                      QPoint(heads->sectionViewportPosition(1) + 10, heads->height() / 2));
    QHeaderView* indexes = window.StringGrid1()->verticalHeader();
    QTest::mouseClick(indexes->viewport(), Qt::LeftButton, {},
                      QPoint(indexes->width() / 2, indexes->sectionViewportPosition(4) + 5));
    EXPECT_EQ(window.CurrentColumn(), 6);
    EXPECT_EQ(window.CurrentRow(), 3);

    ClickCell(6, 1);
    QTest::keyClick(window.StringGrid1(), Qt::Key_Up);
    EXPECT_EQ(window.CurrentRow(), 1);
    ClickCell(1, 1);
    QTest::keyClick(window.StringGrid1(), Qt::Key_Left);
    EXPECT_EQ(window.CurrentColumn(), 1);

    EXPECT_FALSE(window.SelectCell(6, 0));
    EXPECT_FALSE(window.SelectCell(0, 5));
    EXPECT_EQ(window.CurrentColumn(), 1);
    EXPECT_EQ(window.CurrentRow(), 1);
}

TEST_F(ToneTableTest, SecondOpeningStartsOnTheCellPickedBefore) {
    model.DoubleClick("edtT11");
    Open();
    ClickCell(7, 6);
    QTest::keyClick(window.StringGrid1(), Qt::Key_Down);  // keyboard moves count too
    QTest::keyClick(window.StringGrid1(), Qt::Key_Return);
    ASSERT_EQ(TextOf(model, "edtT11"), window.CellText(7, 7).toStdString());

    model.DoubleClick("edtT12");
    Open();
    EXPECT_EQ(window.CurrentColumn(), 7);
    EXPECT_EQ(window.CurrentRow(), 7);
    QTest::mouseClick(window.BtnExit(), Qt::LeftButton);
    EXPECT_EQ(TextOf(model, "edtT12"), window.CellText(7, 7).toStdString());
}

// --- Password ---------------------------------------------------------------

class PasswordTest : public ::testing::Test {
protected:
    void Open() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void Submit(const QString& code, bool byEnter) {
        QTest::keyClicks(window.EdtPwd(), code);
        if (byEnter)
            QTest::keyClick(window.EdtPwd(), Qt::Key_Return);
        else
            QTest::mouseClick(window.BtnOK(), Qt::LeftButton);
    }
    bool TabShown() const { return model.Find("TabSheet4")->visible; }
    bool AdvanceEnabled() const { return model.Find("Advance2")->enabled; }

    FormModel model;
    RecordingDialogs dialogs;
    PasswordWindow window{model, dialogs};
};

TEST_F(PasswordTest, EntryIsMaskedWhiteOnBlack) {
    Open();
    EXPECT_EQ(window.windowTitle(), "Password");
    EXPECT_EQ(window.BtnOK()->text(), "OK");
    EXPECT_EQ(window.BtnCancel()->text(), "Exit");
    EXPECT_TRUE(window.EdtPwd()->hasFocus());
    QTest::keyClicks(window.EdtPwd(), "ab 1");
    EXPECT_EQ(window.EdtPwd()->displayText(), "****");
    const QImage shot = window.EdtPwd()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(shot.width() / 2, 3)), QColor(Qt::black));
}

struct CodeCase {
    const char* name;
    const char* typed;
    bool accepted;
    bool byEnter;
};

void PrintTo(const CodeCase& c, std::ostream* out) { *out << c.name; }

class PasswordCodeTest : public PasswordTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(PasswordCodeTest, UpperCasesAndTrimsTheEntry) {
    const CodeCase& c = GetParam();
    Open();
    ASSERT_FALSE(TabShown());
    Submit(c.typed, c.byEnter);
    if (c.accepted) {
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(TabShown());
        EXPECT_FALSE(AdvanceEnabled());
    } else {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0], (Message{MessageKind::Exclamation, "Password is Error !"}));
        EXPECT_EQ(dialogs.parents[0], &window);
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(window.EdtPwd()->text().isEmpty());
        EXPECT_TRUE(window.EdtPwd()->hasFocus());
        EXPECT_FALSE(TabShown());
        EXPECT_TRUE(AdvanceEnabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, PasswordCodeTest,
                         ::testing::Values(CodeCase{"Exact", "HW527", true, false},
                                           CodeCase{"ExactByEnter", "HW527", true, true},
                                           CodeCase{"LowerCase", "hw527", true, false},
                                           CodeCase{"LowerCaseByEnter", "hw527", true, true},
                                           CodeCase{"BlanksAround", "  Hw527 ", true, true},
                                           CodeCase{"ExtraAtEnd", "HW5270", false, false},
                                           CodeCase{"ExtraAtEndByEnter", "hw527x", false, true},
                                           CodeCase{"BlankInside", "HW 527", false, true},
                                           CodeCase{"Short", "HW52", false, false},
                                           CodeCase{"Empty", "", false, true}),
                         [](const ::testing::TestParamInfo<CodeCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(PasswordTest, ThreeWrongEntriesCloseTheWindowWithTheTabStillHidden) {
    Open();
    Submit("one", false);
    Submit("two", true);
    EXPECT_TRUE(window.isVisible());
    Submit("three", false);
    EXPECT_EQ(dialogs.messages.size(), 3u);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(TabShown());
    EXPECT_TRUE(AdvanceEnabled());

    // The next opening allows three more tries, and starts empty.
    Open();
    EXPECT_TRUE(window.EdtPwd()->text().isEmpty());
    Submit("four", true);
    Submit("five", true);
    EXPECT_TRUE(window.isVisible());
    Submit("hw527", true);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(TabShown());
    EXPECT_FALSE(AdvanceEnabled());
}

TEST_F(PasswordTest, ExitChangesNothing) {
    Open();
    QTest::keyClicks(window.EdtPwd(), "HW527");
    QTest::mouseClick(window.BtnCancel(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(TabShown());
    EXPECT_TRUE(AdvanceEnabled());
}

// --- About box --------------------------------------------------------------

TEST(AboutBoxTest, ShowsTheProductAndOpensItsLinks) {
    std::vector<QUrl> opened;
    AboutBox box(nullptr, [&](const QUrl& url) { opened.push_back(url); });
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.ProductName()->text(), "MK843_NB");
    EXPECT_EQ(box.Version()->text(), "Version 3.8.5 (2012.11.14)");
    EXPECT_EQ(box.LblUrl()->text(), AboutBox::kHomePage);
    EXPECT_EQ(box.LblEmail()->text(), AboutBox::kEmailAddress);

    for (int opening = 0; opening < 2; ++opening) {
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        EXPECT_EQ(box.ProductName()->text(), "MK843_NB");
        if (opening == 0)
            QTest::mouseClick(box.OKButton(), Qt::LeftButton);
        else
            box.close();
        EXPECT_FALSE(box.isVisible());
        EXPECT_EQ(box.result(), opening == 0 ? QDialog::Accepted : QDialog::Rejected);
    }

    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.LblUrl(), Qt::LeftButton);
    QTest::mouseClick(box.LblEmail(), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QUrl(AboutBox::kHomePage));
    EXPECT_EQ(opened[1], QUrl("mailto:" + AboutBox::kEmailAddress));
    EXPECT_EQ(opened[1].scheme(), "mailto");
}

TEST(AboutBoxTest, HoveringALinkMakesItBold) {
    AboutBox box(nullptr, [](const QUrl&) {});
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    for (QLabel* link : {box.LblUrl(), box.LblEmail()}) {
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(link->palette().color(link->foregroundRole()), QColor(Qt::blue));
        EXPECT_TRUE(link->font().underline());
        EXPECT_FALSE(link->font().bold());
        const QSize before = box.size();

        QEnterEvent enter(QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)),
                          link->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(link, &enter);
        EXPECT_TRUE(link->font().bold());
        EXPECT_TRUE(link->font().underline());

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        EXPECT_FALSE(link->font().bold());
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(box.size(), before);
    }
}

// --- Reset help -------------------------------------------------------------

TEST(HelpWindowTest, ShowsTheSixteenLinesWithTheirLeadingBlanks) {
    struct Line {
        int blanks;
        const char* text;
    };
    const Line expected[] = {
        {22, "RESET FUNCTION HELP"},
        {1, "This field sets the method to reset the audio."},
        {1, "There are 6 methods, depending on the model."},
        {1, "1. Auto RESET:"},
        {4, "Resets the audio when carrier drops."},
        {1, "2. Delay N sec Auto Reset:"},
        {4, "Waits N seconds before checking carrier drop."},
        {1, "3. Manual RESET:"},
        {4, "Resets the audio only when the Reset Switch is depressed."},
        {1, "4. Time-out RESET:"},
        {4, "Resets after a selected amount of time only."},
        {1, "5. Revert SQ:"},
        {4, "Reverts to Monitor Mode after receiving a SelCall page."},
        {1, "6. Delay AUTO_N with Revert:"},
        {4, "Wait N seconds and then behave as monitor mode "},
        {4, "until the reset button is pushed."},
    };
    HelpWindow help;
    const QTextDocument* document = help.Memo1()->document();
    ASSERT_EQ(document->blockCount(), 16);
    for (int i = 0; i < 16; ++i) {
        const QString want =
            QString(expected[i].blanks, QLatin1Char(' ')) + QString::fromLatin1(expected[i].text);
        EXPECT_EQ(document->findBlockByNumber(i).text(), want) << "line " << i + 1;
    }
    EXPECT_TRUE(help.Memo1()->isReadOnly());
    EXPECT_EQ(help.Memo1()->palette().color(QPalette::Text), QColor(0x00, 0x80, 0x80));
    EXPECT_TRUE(help.Memo1()->font().bold());
}

TEST(HelpWindowTest, BorderlessWindowClosedByOK) {
    HelpWindow help;
    EXPECT_TRUE(help.windowFlags() & Qt::FramelessWindowHint);
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    EXPECT_EQ(help.size(), QSize(561, 305));
    EXPECT_TRUE(help.rect().contains(help.Button1()->geometry()));
    // The button stands over the text area, but covers none of the sixteen lines.
    QPlainTextEdit* memo = help.Memo1();
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next()) {
        QTextCursor start(block);
        QTextCursor end(block);
        end.movePosition(QTextCursor::EndOfBlock);
        const QRect text = memo->cursorRect(start).united(memo->cursorRect(end));
        const QRect onWindow(memo->viewport()->mapTo(&help, text.topLeft()), text.size());
        EXPECT_FALSE(onWindow.intersects(help.Button1()->geometry()))
            << "line " << block.blockNumber() + 1 << " is under the button";
    }
    QTest::mouseClick(help.Button1(), Qt::LeftButton);
    EXPECT_FALSE(help.isVisible());
}

// --- Board-test splash ------------------------------------------------------

TEST(BoardTestSplashTest, NamesTheProgrammerOncePrepared) {
    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 833, 700);
    BoardTestSplash splash(&mainWindow);
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.size(), QSize(320, 81));
    EXPECT_EQ(splash.Label1()->text(), "Target board testing .....");

    splash.Prepare();
    EXPECT_EQ(splash.Label2()->text(), "MK843_NB Programmer");
    EXPECT_EQ(splash.Label2()->x(), 85);
    splash.ShowOver(&mainWindow);
    EXPECT_TRUE(splash.isVisible());
    splash.hide();
    EXPECT_FALSE(splash.isVisible());
}

// --- From the main window ----------------------------------------------------

// Runs act on the modal window as soon as exec() has put it up. Should act
// leave it open, it is closed after a while so a failing test cannot hang.
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

class FromTheMainWindowTest : public ::testing::Test {
protected:
    FromTheMainWindowTest() {
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    template <typename T = QWidget>
    T* W(const char* name) {
        T* w = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void ClickCell(ToneTableWindow* table, int column, int row) {
        QTableWidget* grid = table->StringGrid1();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row - 1, column - 1)).center());
    }

    test::RecordingDialogs dialogs;
    MainWindow window{dialogs};
};

// The colours a picture of a widget or an icon holds, counted.
std::map<QRgb, int> ColoursIn(const QImage& picture) {
    std::map<QRgb, int> colours;
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ++colours[image.pixel(x, y)];
    return colours;
}

// A dark desktop theme as users set one: light text on dark grey.
QPalette DarkTheme() {
    QPalette dark;
    const QColor text(0xdc, 0xdc, 0xdc);
    dark.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x30));
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x3c, 0x3c, 0x40));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    return dark;
}

// The play signs are drawn in the buttons' text colour and the About box's links in the
// link colour, of whatever palette the desktop gives, changed while the window is open too.
TEST_F(FromTheMainWindowTest, PlaySignsAndLinksTakeTheirColoursFromThePalette) {
    const struct {
        const char* name;
        QPalette palette;
    } cases[] = {{"light", QApplication::palette()}, {"dark", DarkTheme()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.setPalette(c.palette);
        for (const char* name : {"btnPlayCall1", "btnPlayGroup2"}) {
            auto* button = W<QAbstractButton>(name);
            for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                const QRgb expected =
                    c.palette
                        .color(mode == QIcon::Normal ? QPalette::Active : QPalette::Disabled,
                               QPalette::ButtonText)
                        .rgb();
                int opaque = 0;
                for (const auto& [colour, count] :
                     ColoursIn(button->icon().pixmap(QSize(16, 16), mode).toImage())) {
                    if (qAlpha(colour) != 255) continue;
                    opaque += count;
                    EXPECT_EQ(colour, expected) << name << " mode " << mode;
                }
                EXPECT_GT(opaque, 20) << name << ": no sign drawn";
            }
        }

        AboutBox box(nullptr, [](const QUrl&) {});
        box.setPalette(c.palette);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        for (QLabel* link : {box.LblUrl(), box.LblEmail()}) {
            // The underline is drawn solid in the text's colour.
            const std::map<QRgb, int> colours = ColoursIn(link->grab().toImage());
            const QRgb linkColour = c.palette.color(QPalette::Link).rgb();
            EXPECT_GT(colours.count(linkColour) ? colours.at(linkColour) : 0, 20)
                << link->objectName().toStdString();
            if (linkColour != QColor(Qt::blue).rgb()) {
                EXPECT_EQ(colours.count(QColor(Qt::blue).rgb()), 0u)
                    << "dark blue on dark grey: " << link->objectName().toStdString();
            }
        }
    }
    window.setPalette(QPalette());
}

TEST_F(FromTheMainWindowTest, F9InAToneFieldOpensTheTableAndThePickFillsTheField) {
    QTest::mouseClick(W<QCheckBox>("chkDuty3"), Qt::LeftButton);
    QLineEdit* field = W<QLineEdit>("edtT13");
    QTest::mouseClick(field, Qt::LeftButton);
    ASSERT_TRUE(field->hasFocus());

    bool opened = false;
    WhenModal([&](QWidget* modal) {
        opened = modal == window.ToneTable();
        ClickCell(window.ToneTable(), 2, 4);
        QTest::keyClick(window.ToneTable()->StringGrid1(), Qt::Key_Return);
    });
    QTest::keyClick(field, Qt::Key_F9);

    EXPECT_TRUE(opened);
    EXPECT_FALSE(window.ToneTable()->isVisible());
    EXPECT_EQ(field->text(), "669.9");
    EXPECT_EQ(GetFieldCode(window.Model().Image(), FieldNamed("T13")), 6699u);
}

TEST_F(FromTheMainWindowTest, DoubleClickOnAToneFieldOpensTheTable) {
    QString picked;
    WhenModal([&](QWidget*) {
        ClickCell(window.ToneTable(), 9, 3);
        picked = window.ToneTable()->CellText(9, 3);
        QTest::mouseClick(window.ToneTable()->BtnExit(), Qt::LeftButton);
    });
    QTest::mouseDClick(W<QLineEdit>("edtT21"), Qt::LeftButton);
    EXPECT_EQ(picked.toStdString(), "426.6");  // "Mot Z", index 2
    EXPECT_EQ(W<QLineEdit>("edtT21")->text().toStdString(), "426.6");
}

TEST_F(FromTheMainWindowTest, TheRightAccessCodeShowsTheAdvanceSettingTab) {
    QTabWidget* pages = window.Pages();
    const int advance = pages->indexOf(W("TabSheet4"));
    ASSERT_GE(advance, 0);
    EXPECT_FALSE(pages->isTabVisible(advance));
    QAction* menuItem = W<QAction>("Advance2");

    WhenModal([&](QWidget*) {
        QTest::keyClicks(window.Password()->EdtPwd(), " hw527");
        QTest::keyClick(window.Password()->EdtPwd(), Qt::Key_Return);
    });
    menuItem->trigger();

    EXPECT_FALSE(window.Password()->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(pages->isTabVisible(advance));
    EXPECT_FALSE(menuItem->isEnabled());
}

TEST_F(FromTheMainWindowTest, HelpLabelAndAboutMenuOpenTheirWindows) {
    QWidget* seen = nullptr;
    WhenModal([&](QWidget* modal) {
        seen = modal;
        QTest::mouseClick(window.Help()->Button1(), Qt::LeftButton);
    });
    QTest::mouseClick(W<QLabel>("lblHelp"), Qt::LeftButton);
    EXPECT_EQ(seen, window.Help());
    EXPECT_FALSE(window.Help()->isVisible());

    WhenModal([&](QWidget* modal) {
        seen = modal;
        QTest::mouseClick(window.About()->OKButton(), Qt::LeftButton);
    });
    W<QAction>("About2")->trigger();
    EXPECT_EQ(seen, window.About());
    EXPECT_FALSE(window.About()->isVisible());
}

}  // namespace
}  // namespace mk843nb

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
