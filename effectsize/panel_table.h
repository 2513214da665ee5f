#pragma once

#include <string>
#include <vector>

namespace effectsize {

// The panel of every test without an effect-size calculation of its own.
inline constexpr const char* kDummyPanel = "CEff_Dummy";

// One row of the drawer's panel table: the test ids it serves and the panel
// classes placed in the drawer, first panel first. A selector is followed by
// the sub-panel of its first procedure. Rows whose panels depend on the
// test's option "Use mean correlation in effect size calculation" give the
// panels for the option switched off in `panelsOptionOff`.
struct PanelRow {
    std::vector<int> testIds;
    std::vector<std::string> panels;
    std::vector<std::string> panelsOptionOff;
};

const std::vector<PanelRow>& PanelTable();

// The panel classes the drawer shows for `testId`; CEff_Dummy alone for an
// id the table does not list.
std::vector<std::string> PanelClassesFor(int testId, bool meanCorrelationOption = true);

}  // namespace effectsize
