// The CALL page's play buttons against a real sound server started for these
// tests (null outputs recorded back from their monitors), clicked with the
// mouse in the window; what was heard is measured by the tests' own tone meter.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "editor/form_model.h"
#include "image/fields.h"
#include "recording_dialogs.h"
#include "sound_server.h"
#include "test_application.h"
#include "tone_meter.h"
#include "ui/call_page_player.h"
#include "ui/main_window.h"

namespace mk843nb {
namespace {

using namespace std::chrono_literals;

class CallPagePlayTest : public ::testing::Test {
protected:
    // One server for the whole program: Qt Multimedia reaches its sound server
    // once, through the environment it finds at its first use.
    static void SetUpTestSuite() {
        server_ = new test::SoundServer;
        test::BecomeClientOf(*server_);
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        ASSERT_EQ(server_->StartError(), "");
        test::TestApplication();
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        window_->Pages()->setCurrentIndex(0);
    }

    QToolButton* Button(const char* name) {
        auto* button = window_->findChild<QToolButton*>(QString::fromLatin1(name));
        EXPECT_NE(button, nullptr) << name;
        return button;
    }
    bool WaitUntilQuiet(std::chrono::milliseconds timeout) {
        return QTest::qWaitFor([&] { return !window_->CallPlayer()->IsPlaying(); },
                               static_cast<int>(timeout.count()));
    }

    static test::SoundServer* server_;
    test::RecordingDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
};

test::SoundServer* CallPagePlayTest::server_ = nullptr;

TEST_F(CallPagePlayTest, ACallsButtonSoundsItsTonesFromTheWindowAndShowsItPlays) {
    // The tones the window holds: CALL #1's TONE1 typed and not yet left when Play is clicked.
    auto* tone1 = window_->findChild<QLineEdit*>(QStringLiteral("edtT11"));
    ASSERT_NE(tone1, nullptr);
    QTest::mouseClick(tone1, Qt::LeftButton);
    QTest::keyClicks(tone1, "600.9");

    test::Recorder recorder(*server_, test::kPagesOutput);
    ASSERT_TRUE(recorder.WaitStarted(5s));
    QToolButton* play = Button("btnPlayCall1");
    ASSERT_NE(play, nullptr);
    ASSERT_TRUE(play->isVisible());
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_TRUE(window_->CallPlayer()->IsPlaying());
    EXPECT_TRUE(play->isChecked());
    EXPECT_EQ(GetFieldCode(window_->Model().Image(), FieldNamed("T11")), 6009u)
        << "the typed tone was kept as the click took the focus";
    ASSERT_TRUE(WaitUntilQuiet(10s));
    EXPECT_FALSE(play->isChecked());
    EXPECT_TRUE(dialogs_.shown.empty()) << dialogs_.Texts().at(0);

    const auto heard = test::MeasureTones(recorder.StopAfterSilence(300ms, 10s), test::kServerRate);
    ASSERT_EQ(heard.size(), 2u) << test::Describe(heard);
    EXPECT_NEAR(heard[0].hertz, 600.9, 0.05);
    EXPECT_NEAR(heard[0].seconds, 1.0, 0.015);
    EXPECT_NEAR(heard[1].hertz, 707.3, 0.05);
    EXPECT_NEAR(heard[1].seconds, 3.0, 0.015);
}

TEST_F(CallPagePlayTest, ASecondClickStopsThePageAndAnotherButtonTakesOver) {
    test::Recorder recorder(*server_, test::kPagesOutput);
    ASSERT_TRUE(recorder.WaitStarted(5s));
    QToolButton* first = Button("btnPlayCall1");
    QToolButton* second = Button("btnPlayCall2");
    ASSERT_TRUE(first != nullptr && second != nullptr);

    // CALL #1 (1 s, then 3 s) for 3 s, then CALL #2 for 3 s; the sound server
    // starts a stream a little after it is opened.
    QTest::mouseClick(first, Qt::LeftButton);
    QTest::qWait(3000);
    QTest::mouseClick(second, Qt::LeftButton);  // CALL #1 stops, CALL #2 starts
    EXPECT_FALSE(first->isChecked());
    EXPECT_TRUE(second->isChecked());
    QTest::qWait(3000);
    QTest::mouseClick(second, Qt::LeftButton);  // and stops
    EXPECT_FALSE(window_->CallPlayer()->IsPlaying());
    EXPECT_FALSE(second->isChecked());

    const auto heard = test::MeasureTones(recorder.StopAfterSilence(300ms, 5s), test::kServerRate);
    const std::string described = test::Describe(heard);
    ASSERT_FALSE(heard.empty()) << described;
    double heardOfCall2 = 0;
    for (const test::MeasuredTone& tone : heard) {
        const bool call1 =
            std::abs(tone.hertz - 669.9) < 0.05 || std::abs(tone.hertz - 707.3) < 0.05;
        const bool call2 =
            std::abs(tone.hertz - 433.7) < 0.05 || std::abs(tone.hertz - 788.5) < 0.05;
        EXPECT_TRUE(call1 || call2) << described;
        if (std::abs(tone.hertz - 707.3) < 0.05) {
            EXPECT_LT(tone.seconds, 2.9) << described;
        }
        if (call2) heardOfCall2 += tone.seconds;
    }
    EXPECT_GT(heardOfCall2, 0.0) << "CALL #2 was heard: " << described;
    EXPECT_LT(heardOfCall2, 3.1) << "CALL #2 ended at the stop: " << described;
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(CallPagePlayTest, ACallWithoutTonesSaysWhyAndPlaysNothing) {
    PagerImage image = window_->Model().Image();
    SetFieldCode(image, FieldNamed("T23"), 0);
    window_->Model().ReplaceImage(image);
    QToolButton* play = Button("btnPlayCall3");
    ASSERT_NE(play, nullptr);
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_FALSE(window_->CallPlayer()->IsPlaying());
    EXPECT_FALSE(play->isChecked());
    EXPECT_EQ(dialogs_.Texts(),
              std::vector<std::string>{"CALL #3 cannot be paged: its TONE2 (T23) is not set "
                                       "(0.0 Hz), not a tone from 280.0 to 3500.0 Hz"});
}

}  // namespace
}  // namespace mk843nb
