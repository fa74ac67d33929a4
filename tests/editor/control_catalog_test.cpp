// The control catalogue against the image's field table and the model's state.

#include "editor/control_catalog.h"

#include <gtest/gtest.h>

#include "editor/control_groups.h"
#include "editor/form_model.h"
#include "editor/numeric_fields.h"
#include "image/fields.h"

namespace mk843nb {
namespace {

TEST(ControlCatalog, NamesAndIdsMapBothWaysAndStateFollowsTheIds) {
    const FormModel model;
    for (const ControlInfo& control : ControlCatalog()) {
        SCOPED_TRACE(control.name);
        EXPECT_EQ(FindControl(control.name), control.id);
        EXPECT_EQ(model.State(control.id).id, control.id);
        EXPECT_EQ(model.State(control.id).name, control.name);
        EXPECT_EQ(model.Find(control.name), &model.State(control.id));
    }
    EXPECT_FALSE(FindControl("edtBS_period"));
    EXPECT_EQ(model.Find("edtT15"), nullptr);
}

// A field the catalogue lists is the one the image's field table says the control edits,
// and a control the field table names for a field is listed with that field.
TEST(ControlCatalog, AgreesWithTheImageFieldTable) {
    for (const ControlInfo& control : ControlCatalog()) {
        SCOPED_TRACE(control.name);
        const Field* byTable = FieldOfControl(control.name);
        if (control.listing.field.empty()) {
            EXPECT_EQ(byTable, nullptr);
            EXPECT_EQ(ImageFieldOf(control.id), nullptr);
            EXPECT_EQ(NumericFieldOf(control.id), nullptr);
            continue;
        }
        ASSERT_NE(byTable, nullptr);
        EXPECT_EQ(byTable->name, control.listing.field);
        EXPECT_EQ(ImageFieldOf(control.id), byTable);
        if (const NumericField* numeric = NumericFieldOf(control.id)) {
            EXPECT_EQ(numeric->offset, byTable->offset);
        }
    }
    for (const Field& field : FieldTable()) {
        if (field.control.empty()) continue;
        const auto id = FindControl(field.control);
        ASSERT_TRUE(id) << field.control;
        EXPECT_EQ(Control(*id).listing.field, field.name);
    }
}

// Each call row holds the controls of one call, in the image's order of calls.
TEST(ControlCatalog, CallRowsHoldTheFieldsOfTheirCall) {
    for (std::size_t k = 0; k < kCallRows.size(); ++k) {
        const CallRow& row = kCallRows[k];
        const std::string n = std::to_string(k + 1);
        EXPECT_EQ(Control(row.duty).listing.field, "Duty" + n);
        EXPECT_EQ(Control(row.tone1).listing.field, "T1" + n);
        EXPECT_EQ(Control(row.tone2).listing.field, "T2" + n);
        EXPECT_EQ(Control(row.priority).listing.field, "Priority" + n);
        EXPECT_EQ(Control(row.alertType).listing.field, "AlertType" + n);
        EXPECT_EQ(Control(row.alertTime).listing.field, "AlertTime" + n);
        EXPECT_EQ(Control(row.panel).text, "CALL #" + n);
    }
    for (std::size_t k = 0; k < kGroupRows.size(); ++k) {
        const GroupRow& row = kGroupRows[k];
        const std::string n = std::to_string(k + 1);
        EXPECT_EQ(Control(row.duty).listing.field, "GDuty" + n);
        EXPECT_EQ(Control(row.tone).listing.field, "T3" + n);
        EXPECT_EQ(Control(row.priority).listing.field, "GPriority" + n);
        EXPECT_EQ(Control(row.alertType).listing.field, "GAlertType" + n);
        EXPECT_EQ(Control(row.alertTime).listing.field, "GAlertTime" + n);
        EXPECT_EQ(Control(row.panel).text, "CALL #" + n);
    }
    for (std::size_t bit = 0; bit < kSystemBoxes.size(); ++bit) {
        const Field* field = ImageFieldOf(kSystemBoxes[bit]);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->offset, FieldNamed("SYS").offset);
        EXPECT_EQ(field->firstBit, static_cast<int>(bit));
    }
}

}  // namespace
}  // namespace mk843nb
