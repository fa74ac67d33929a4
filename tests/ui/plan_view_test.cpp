// What the tone plan window shows, without the window: a group call's row and
// page, and a source that cannot be read leaving the plan shown as it was.

#include "ui/plan_view.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "editor/form_model.h"
#include "files/table_io.h"
#include "image/codecs.h"
#include "image/fields.h"
#include "test_files.h"

namespace mk843nb::tones {
namespace {

void SetTone(PagerImage& image, const char* tone, const char* word, std::uint16_t code) {
    SetFieldCode(image, FieldNamed(tone), code);
    SetFieldCode(image, FieldNamed(word), ToneDecoderWord(code));
}

TEST(PlanView, AGroupCallIsARowOfItsOwnAndPagesItsOneToneFor8Seconds) {
    test::TempDir dir;
    PagerImage image = FormModel().Image();
    SetFieldCode(image, FieldNamed("Duty1"), 1);
    SetTone(image, "T11", "W11", 6009);
    SetTone(image, "T21", "W21", 6345);
    SetFieldCode(image, FieldNamed("GDuty1"), 1);
    SetTone(image, "T31", "W31", 10069);
    ASSERT_TRUE(WriteTableFile(dir.File("siren.tbl"), image));

    PlanView view;
    ASSERT_EQ(view.Open({dir.Path()}), "");
    const std::vector<PlanViewRow> rows = view.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "call 1");
    EXPECT_EQ(rows[0].tones, "600.9 (Mot 2, 1) / 634.5 (Mot 2, 2)");
    EXPECT_EQ(rows[1].name, "group call 1");
    EXPECT_EQ(rows[1].tones, "1006.9 (Mot 3, 7)");
    EXPECT_EQ(view.Summary(), "1 pager: no problems");

    const TestPage call = view.PageOf(rows[0]);
    ASSERT_EQ(call.size(), 2u);
    EXPECT_DOUBLE_EQ(call[0].hertz, 600.9);
    EXPECT_DOUBLE_EQ(call[1].seconds, 3.0);
    const TestPage group = view.PageOf(rows[1]);
    ASSERT_EQ(group.size(), 1u);
    EXPECT_DOUBLE_EQ(group[0].hertz, 1006.9);
    EXPECT_DOUBLE_EQ(group[0].seconds, 8.0);

    // A path that cannot be read: said, and the plan shown stays.
    const std::string error = view.Open({dir.File("gone.tbl")});
    EXPECT_EQ(error, dir.File("gone.tbl") + ": no such file or folder");
    EXPECT_EQ(view.Rows().size(), 2u);
    EXPECT_EQ(view.Sources(), std::vector<std::filesystem::path>{dir.Path()});
}

}  // namespace
}  // namespace mk843nb::tones
