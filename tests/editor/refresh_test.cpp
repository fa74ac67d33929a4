// The refresh of the window from an image: what every control shows and the
// bytes the rules it runs change.

#include <gtest/gtest.h>

#include "editor/form_driver.h"
#include "editor/form_model.h"

namespace mk843nb {
namespace {

std::string Text(const FormModel& m, std::string_view name) { return m.Find(name)->text; }
std::string Item(const FormModel& m, std::string_view name) {
    const ControlState* c = m.Find(name);
    return c->itemIndex < 0 ? std::string() : c->items[static_cast<std::size_t>(c->itemIndex)];
}

TEST(Refresh, FreshStartShowsTheDefaultImage) {
    FormModel m;
    EXPECT_EQ(Text(m, "edtFreq"), "1590000");
    EXPECT_EQ(Item(m, "cboRangeFreq"), "135-174 MHz");
    EXPECT_EQ(Item(m, "cboCSpace"), "Auto");
    EXPECT_EQ(m.Image()[10], 32);
    EXPECT_EQ(Text(m, "lblPLLR"), "00008011");
    EXPECT_EQ(Text(m, "lblPLLN"), "000AC000");
    EXPECT_EQ(Text(m, "lblMUTL"), "1");
    EXPECT_EQ(Text(m, "edtRSSI"), "0.71");
    EXPECT_EQ(Text(m, "edtRSSI2"), "0.96");
    EXPECT_EQ(Text(m, "edtSSI"), "0.80");
    EXPECT_EQ(Item(m, "cboReminder"), "120 Second");
    EXPECT_EQ(Item(m, "cboRecordMax"), "4 sections (30 second)");
    EXPECT_EQ(Item(m, "cboBandWidth"), "1.5");
    EXPECT_EQ(Text(m, "edtT11"), "669.9");
    EXPECT_TRUE(m.Find("chkDuty1")->checked);
    EXPECT_TRUE(m.Find("edtT11")->enabled);
    for (const char* name :
         {"edtT12", "edtT22", "chkPriority2", "edtT14", "edtT31", "chkGPriority2"})
        EXPECT_FALSE(m.Find(name)->enabled) << name;
    EXPECT_TRUE(m.Find("chkSYSSV")->checked);
    EXPECT_TRUE(m.Find("chkSYSAudio")->checked);
    EXPECT_TRUE(m.Find("chkVolumeLevel")->checked);
    EXPECT_EQ(Text(m, "edtVersion"), "0.0");
    EXPECT_FALSE(m.Find("edtDelay")->visible);
    EXPECT_FALSE(m.Find("edtDelayFullTime")->enabled);
    EXPECT_FALSE(m.Find("TabSheet4")->visible);
    EXPECT_FALSE(m.Find("Write1")->enabled);
}

TEST(Refresh, FreshStartChangesTheSynthesizerWordsAndTheWordOfACheckedTone) {
    FormModel m;
    PagerImage expected = DefaultImage();
    expected[18] =
        0x8B;  // call 1 comes on: its tones are checked and stored, T21's word with 0x8000
    const std::uint8_t synth[] = {0x00, 0x00, 0x80, 0x11, 0x00, 0x0A, 0xC0, 0x00};
    std::copy(std::begin(synth), std::end(synth), expected.begin() + 120);
    for (std::size_t i = 0; i < kImageSize; ++i)
        EXPECT_EQ(m.Image()[i], expected[i]) << "byte " << i;
}

}  // namespace
}  // namespace mk843nb
