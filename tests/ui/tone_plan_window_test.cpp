// File > "Tone plan…" with real widgets and real table files: a folder opened
// through the dialog service, its problem and free pairs listed, the chart
// drawn from the plan, and Play when the sound server cannot be reached.

#include "ui/tone_plan_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor/form_model.h"
#include "files/table_io.h"
#include "image/codecs.h"
#include "image/fields.h"
#include "playback/page_player.h"
#include "recording_dialogs.h"
#include "test_application.h"
#include "tones/plan_suggest.h"
#include "tones/tone_names.h"
#include "ui/main_window.h"
#include "ui/plan_chart_widget.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

void SetTone(PagerImage& image, const char* tone, const char* word, std::uint16_t code) {
    SetFieldCode(image, FieldNamed(tone), code);
    SetFieldCode(image, FieldNamed(word), ToneDecoderWord(code));
}

class TonePlanWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // No sound server here: Play must say so, not hang or pretend.
        static test::TempDir sound;
        ::setenv("PULSE_SERVER", ("unix:" + sound.File("no-server-here")).c_str(), 1);
        ::setenv("PULSE_RUNTIME_PATH", sound.Path().c_str(), 1);
        test::TestApplication();
    }

    void SetUp() override {
        fs::create_directories(dir_.File("county/north"));
        Table("county/north/e1.tbl", 6009, 6345);
        Table("county/north/e2.tbl", 6009, 6345);
        Table("county/m3.tbl", 7468, 7885);
        window_ = std::make_unique<MainWindow>(dialogs_, MainWindowOptions{});
        window_->findChild<QAction*>(QStringLiteral("TonePlan1"))->trigger();
        plan_ = window_->TonePlan();
        ASSERT_NE(plan_, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(plan_));
    }

    void Table(const std::string& relative, std::uint16_t tone1, std::uint16_t tone2) {
        PagerImage image = FormModel().Image();
        SetFieldCode(image, FieldNamed("Duty1"), 1);
        SetTone(image, "T11", "W11", tone1);
        SetTone(image, "T21", "W21", tone2);
        ASSERT_TRUE(WriteTableFile(dir_.File(relative), image));
    }

    template <typename T>
    T* W(const char* name) {
        T* widget = plan_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Click(const char* button) { QTest::mouseClick(W<QPushButton>(button), Qt::LeftButton); }

    test::TempDir dir_;
    test::RecordingDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
    TonePlanWindow* plan_ = nullptr;
};

TEST_F(TonePlanWindowTest, AFolderOpenedThroughTheDialogShowsItsAddressesProblemsAndChart) {
    dialogs_.openAnswers.push_back(dir_.File("county/north"));
    Click("TonePlanOpenFolder");
    EXPECT_EQ(plan_->Addresses()->rowCount(), 2);
    // A table file added to what is open.
    dialogs_.openAnswers.push_back(dir_.File("county/m3.tbl"));
    Click("TonePlanAddFile");
    ASSERT_EQ(dialogs_.requests.size(), 2u);
    EXPECT_TRUE(dialogs_.requests[0].folder);
    EXPECT_EQ(dialogs_.requests[0].defaultExt, "");
    EXPECT_FALSE(dialogs_.requests[1].folder);
    EXPECT_TRUE(dialogs_.requests[1].fileMustExist);
    ASSERT_TRUE(dialogs_.shown.empty()) << dialogs_.shown[0].text;

    EXPECT_EQ(W<QLabel>("TonePlanSummary")->text(), QStringLiteral("3 pagers: 1 problem"));
    QTableWidget* addresses = plan_->Addresses();
    ASSERT_EQ(addresses->rowCount(), 3);
    EXPECT_EQ(addresses->item(0, 0)->text(), QStringLiteral("e1.tbl"));
    EXPECT_EQ(addresses->item(2, 0)->text(), QStringLiteral("m3.tbl"));
    EXPECT_EQ(addresses->item(1, 1)->text(), QStringLiteral("call 1"));
    EXPECT_EQ(addresses->item(1, 2)->text().toStdString(), "600.9 (Mot 2, 1) / 634.5 (Mot 2, 2)");
    EXPECT_EQ(addresses->item(1, 3)->text().toStdString(), "±1.5%");

    // The same words as tones check.
    ASSERT_EQ(plan_->Problems()->count(), 1);
    EXPECT_EQ(plan_->Problems()->item(0)->text().toStdString(),
              "same address: 'e1.tbl' (call 1) and 'e2.tbl' (call 1) have the same address 600.9 "
              "(Mot 2, 1) / 634.5 (Mot 2, 2): both ring on one page.");

    const tones::ChartLayout& chart = plan_->Chart()->Layout();
    ASSERT_EQ(chart.points.size(), 3u);
    int red = 0;
    for (const tones::ChartPoint& point : chart.points) red += point.red;
    EXPECT_EQ(red, 2);
    EXPECT_EQ(chart.size.width, plan_->Chart()->width());
    EXPECT_EQ(chart.size.height, plan_->Chart()->height());
    // Drawn on screen without trouble.
    EXPECT_FALSE(plan_->Chart()->grab().isNull());

    // Free pairs: as many as asked, each clear of the plan.
    QSpinBox* count = W<QSpinBox>("TonePlanSuggestCount");
    QLineEdit* countText = count->findChild<QLineEdit*>();
    ASSERT_NE(countText, nullptr);
    QTest::keyClick(countText, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(countText, "3");
    QTest::keyClick(countText, Qt::Key_Return);
    ASSERT_EQ(count->value(), 3);
    Click("TonePlanSuggest");
    ASSERT_EQ(plan_->Suggestions()->count(), 3);
    for (int i = 0; i < 3; ++i) {
        const std::string text = plan_->Suggestions()->item(i)->text().toStdString();
        const auto hertzAt = [&](std::size_t at) {
            return text.substr(at, text.find(' ', at) - at);
        };
        const auto pair = tones::ParsePair(hertzAt(0) + "/" + hertzAt(text.find(" / ") + 3));
        ASSERT_TRUE(pair) << text;
        EXPECT_TRUE(tones::IsFreePair(plan_->View().Plan(), *pair, 15)) << text;
    }
}

TEST_F(TonePlanWindowTest, AFolderWithoutTablesIsRefusedAndThePlanShownStays) {
    dialogs_.openAnswers.push_back(dir_.File("county/north"));
    Click("TonePlanOpenFolder");
    ASSERT_EQ(plan_->Addresses()->rowCount(), 2);

    fs::create_directories(dir_.File("empty"));
    dialogs_.openAnswers.push_back(dir_.File("empty"));
    Click("TonePlanOpenFolder");
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].kind, MessageKind::Exclamation);
    EXPECT_EQ(dialogs_.shown[0].text, dir_.File("empty") + " holds no table files (*.tbl)");
    EXPECT_EQ(plan_->Addresses()->rowCount(), 2);
    EXPECT_EQ(plan_->Chart()->Layout().points.size(), 2u);
}

TEST_F(TonePlanWindowTest, PlayMakesTheAddressPageAndSaysWhenThereIsNoSoundOutput) {
    dialogs_.openAnswers.push_back(dir_.File("county/north"));
    Click("TonePlanOpenFolder");
    QPushButton* play = W<QPushButton>("TonePlanPlay");
    EXPECT_FALSE(play->isEnabled()) << "nothing selected yet";
    QTableWidget* addresses = plan_->Addresses();
    QTest::mouseClick(addresses->viewport(), Qt::LeftButton, {},
                      addresses->visualItemRect(addresses->item(1, 0)).center());
    ASSERT_TRUE(play->isEnabled());

    const auto rows = plan_->View().Rows();
    const TestPage page = plan_->View().PageOf(rows[1]);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_DOUBLE_EQ(page[0].hertz, 600.9);
    EXPECT_DOUBLE_EQ(page[0].seconds, 1.0);
    EXPECT_DOUBLE_EQ(page[1].hertz, 634.5);
    EXPECT_DOUBLE_EQ(page[1].seconds, 3.0);

    QTest::mouseClick(play, Qt::LeftButton);
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].kind, MessageKind::Exclamation);
    EXPECT_EQ(QString::fromStdString(dialogs_.shown[0].text), NoSoundOutputText());
    EXPECT_EQ(plan_->Status()->text(), NoSoundOutputText());
    EXPECT_FALSE(W<QPushButton>("TonePlanStop")->isEnabled());
}

}  // namespace
}  // namespace mk843nb
