#pragma once

#include "model/form_model.h"
#include "values/result.h"

#include <string_view>

namespace velmora::cli {

// Changes one control as an operator at the window could, from "NAME=VALUE":
//   text boxes   Txtnumero=101, Text2(3)=300, txttx=161.5: every character must pass the
//                box's typing filter, the text its typing limit and the check made on
//                leaving the box (with the band selected at that moment);
//   check boxes  Check1=1, Check3(2)=0;
//   options      Optrete(3)=1 selects; Optrete(3)=0 clears the row as its "Annulla" does;
//                Option1..Option4 are changed by selecting the other member;
//   tone list    Combotono=123, the row's text as the list shows it.
// A control the window has disabled or hidden cannot be changed. Reactions run as
// for a click. A refused assignment changes nothing and names the control.
Status applyAssignment(FormModel& form, std::string_view assignment);

} // namespace velmora::cli
