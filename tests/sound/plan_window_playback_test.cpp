// The "Tone plan…" window's Play against a real sound server started by the
// test: the selected address's page is recorded from the output's monitor and
// measured by the tests' own tone meter.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "editor/form_model.h"
#include "files/table_io.h"
#include "image/codecs.h"
#include "image/fields.h"
#include "recording_dialogs.h"
#include "sound_server.h"
#include "test_application.h"
#include "test_files.h"
#include "tone_meter.h"
#include "ui/tone_plan_window.h"

namespace mk843nb {
namespace {

using namespace std::chrono_literals;

class PlanWindowPlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The window's sound goes to this server: its environment comes before
        // the application and Qt Multimedia look for outputs.
        server_ = new test::SoundServer;
        test::BecomeClientOf(*server_);
        test::TestApplication();
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override { ASSERT_EQ(server_->StartError(), ""); }

    static test::SoundServer* server_;
};

test::SoundServer* PlanWindowPlayback::server_ = nullptr;

TEST_F(PlanWindowPlayback, PlayingAnAddressSoundsItsTone1ThenItsTone2) {
    test::TempDir dir;
    PagerImage image = FormModel().Image();
    SetFieldCode(image, FieldNamed("Duty1"), 1);
    SetFieldCode(image, FieldNamed("T11"), 6009);
    SetFieldCode(image, FieldNamed("W11"), ToneDecoderWord(6009));
    SetFieldCode(image, FieldNamed("T21"), 6345);
    SetFieldCode(image, FieldNamed("W21"), ToneDecoderWord(6345));
    ASSERT_TRUE(WriteTableFile(dir.File("e1.tbl"), image));

    test::RecordingDialogs dialogs;
    TonePlanWindow window(dialogs);
    window.show();
    ASSERT_TRUE(window.OpenPaths({dir.Path()}));
    QTableWidget* addresses = window.Addresses();
    ASSERT_EQ(addresses->rowCount(), 1);
    QTest::mouseClick(addresses->viewport(), Qt::LeftButton, {},
                      addresses->visualItemRect(addresses->item(0, 0)).center());

    test::Recorder recorder(*server_, test::kPagesOutput);
    ASSERT_TRUE(recorder.WaitStarted(5s));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("TonePlanPlay")),
                      Qt::LeftButton);
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.shown[0].text;
    EXPECT_TRUE(window.Status()->text().startsWith(QStringLiteral("Playing e1.tbl (call 1)")))
        << window.Status()->text().toStdString();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window.Status()->text() == QStringLiteral("Played."); }, 10000))
        << window.Status()->text().toStdString();

    const auto heard = test::MeasureTones(recorder.StopAfterSilence(300ms, 10s), test::kServerRate);
    ASSERT_EQ(heard.size(), 2u) << test::Describe(heard);
    EXPECT_NEAR(heard[0].hertz, 600.9, 0.05) << test::Describe(heard);
    EXPECT_NEAR(heard[0].seconds, 1.0, 0.015) << test::Describe(heard);
    EXPECT_NEAR(heard[1].hertz, 634.5, 0.05) << test::Describe(heard);
    EXPECT_NEAR(heard[1].seconds, 3.0, 0.015) << test::Describe(heard);
}

}  // namespace
}  // namespace mk843nb
