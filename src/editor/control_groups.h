#pragma once

// Controls the rules treat together: the rows of the CALL page (four calls and
// two group calls, each enabled as one by its ON box) and the system option boxes.

#include <array>

#include "editor/control_id.h"

namespace mk843nb {

struct CallRow {
    ControlId duty;
    ControlId panel;
    ControlId tone1;
    ControlId tone2;
    ControlId priority;
    ControlId alertType;
    ControlId alertTime;
};

struct GroupRow {
    ControlId duty;
    ControlId panel;
    ControlId tone;
    ControlId priority;
    ControlId alertType;
    ControlId alertTime;
};

inline constexpr std::array<CallRow, 4> kCallRows = {{
    {ControlId::chkDuty1, ControlId::panCall1, ControlId::edtT11, ControlId::edtT21,
     ControlId::chkPriority1, ControlId::cboAlertType1, ControlId::edtAlertTime1},
    {ControlId::chkDuty2, ControlId::panCall2, ControlId::edtT12, ControlId::edtT22,
     ControlId::chkPriority2, ControlId::cboAlertType2, ControlId::edtAlertTime2},
    {ControlId::chkDuty3, ControlId::panCall3, ControlId::edtT13, ControlId::edtT23,
     ControlId::chkPriority3, ControlId::cboAlertType3, ControlId::edtAlertTime3},
    {ControlId::chkDuty4, ControlId::panCall4, ControlId::edtT14, ControlId::edtT24,
     ControlId::chkPriority4, ControlId::cboAlertType4, ControlId::edtAlertTime4},
}};

inline constexpr std::array<GroupRow, 2> kGroupRows = {{
    {ControlId::chkGDuty1, ControlId::panGCall1, ControlId::edtT31, ControlId::chkGPriority1,
     ControlId::cboGAlertType1, ControlId::edtGAlertTime1},
    {ControlId::chkGDuty2, ControlId::panGCall2, ControlId::edtT32, ControlId::chkGPriority2,
     ControlId::cboGAlertType2, ControlId::edtGAlertTime2},
}};

// The eight system option boxes in the order of their bits, lowest first.
inline constexpr std::array<ControlId, 8> kSystemBoxes = {
    ControlId::chkSYSSV,  ControlId::chkSYSPTL, ControlId::chkSYSAudio,   ControlId::chkSYSFIX,
    ControlId::chkSYSPow, ControlId::chkSYSVib, ControlId::chkSYSPowSave, ControlId::chkSYSPrivacy};

}  // namespace mk843nb
