#include "app/forms/form_tables.h"

#include <string>

namespace form_tables {

using platform::ControlKind;
using platform::ControlSpec;
using platform::DialogRect;
using platform::DialogTemplate;
using platform::kNoControlId;

namespace {

// Rows 0-9 take consecutive ids from `first`; row 10 has an id of its own.
int RowId(int row, int first, int last) {
    if (row < 0 || row >= kRowCount) return kNoControlId;
    return row < 10 ? first + row : last;
}

DialogTemplate Form(int id, int width, int height) {
    DialogTemplate t;
    t.id = id;
    t.fontFamily = "Lucida Sans Unicode";
    t.pointSize = 8.0;
    t.width = width;
    t.height = height;
    return t;
}

void Add(DialogTemplate& t, int id, ControlKind kind, std::string caption, DialogRect rect,
         unsigned style = platform::kStyleNone, std::vector<std::string> items = {}) {
    t.controls.push_back(ControlSpec{id, kind, std::move(caption), rect, style, std::move(items)});
}

}  // namespace

int InputLabelId(int row) {
    return RowId(row, 1004, 1213);
}
int InputEditId(int row) {
    return RowId(row, 1020, 1229);
}
int DetermineButtonId(int row) {
    return RowId(row, 1030, 1239);
}
int InputListId(int row) {
    return RowId(row, 1040, 1249);
}
int OutputLabelId(int row) {
    return RowId(row, 1060, 1269);
}
int OutputEditId(int row) {
    return RowId(row, 1050, 1259);
}

DialogTemplate EditFieldForm() {
    DialogTemplate t = Form(143, 345, 157);
    Add(t, kNoControlId, ControlKind::GroupBox, "Input Parameters", {4, 2, 167, 153});
    Add(t, kNoControlId, ControlKind::GroupBox, "Output Parameters  ", {174, 2, 167, 153});
    // A test shows only some of the rows, and of each input row either the
    // edit or the list: the rows' controls are made when first shown.
    const unsigned later = platform::kMadeOnFirstUse;
    for (int row = 0; row < kRowCount; ++row) {
        const int y = 10 + 13 * row;
        Add(t, InputLabelId(row), ControlKind::Label, "", {13, y, 99, 12},
            platform::kAlignRight | later);
        Add(t, InputEditId(row), ControlKind::Edit, "", {115, y, 52, 12},
            platform::kAlignRight | later);
        // After the label in the table, so that it lies over the label's left part.
        Add(t, DetermineButtonId(row), ControlKind::PushButton, "Determine", {8, y, 50, 12}, later);
        std::vector<std::string> items;
        if (row <= 6) items = {"1", "2", "3"};
        Add(t, InputListId(row), ControlKind::DropDownList, "", {203, y, 54, 60}, later, items);
        Add(t, OutputLabelId(row), ControlKind::Label, "", {179, y, 88, 12}, later);
        Add(t, OutputEditId(row), ControlKind::Edit, "", {271, y, 65, 12},
            platform::kAlignRight | platform::kReadOnly | later);
    }
    return t;
}

DialogTemplate FullCommandForm() {
    DialogTemplate t = Form(137, 345, 15);
    Add(t, kOptionsButton, ControlKind::PushButton, "Options", {113, 1, 48, 13});
    Add(t, kXYPlotButton, ControlKind::PushButton, "X-Y plot for a range of values",
        {166, 1, 118, 13});
    Add(t, kCalculateButton, ControlKind::DefaultButton, "Calculate", {291, 1, 50, 13});
    return t;
}

DialogTemplate ShortCommandForm() {
    DialogTemplate t = Form(133, 345, 14);
    Add(t, 1019, ControlKind::CheckBox, "Range of input values", {8, 1, 100, 12});
    Add(t, 1021, ControlKind::CheckBox, "Central/Noncentral dist plot", {113, 1, 120, 12});
    Add(t, kCalculateButton, ControlKind::DefaultButton, "Calculate", {291, 1, 50, 12});
    return t;
}

DialogTemplate InputHelpForm() {
    DialogTemplate t = Form(134, 345, 22);
    Add(t, 1001, ControlKind::Edit, "", {4, 4, 337, 14}, platform::kReadOnly);
    return t;
}

DialogTemplate RangeForm() {
    DialogTemplate t = Form(131, 345, 62);
    Add(t, kNoControlId, ControlKind::GroupBox, "Range of input values", {4, 2, 337, 58});
    Add(t, kNoControlId, ControlKind::Label, "as a function of ...", {20, 12, 90, 10});
    Add(t, kNoControlId, ControlKind::Label, "from", {115, 12, 50, 10});
    Add(t, kNoControlId, ControlKind::Label, "to", {170, 12, 50, 10});
    Add(t, kNoControlId, ControlKind::Label, "in steps of", {225, 12, 50, 10});
    Add(t, kNoControlId, ControlKind::Label, "1.", {8, 24, 10, 12});
    Add(t, 1006, ControlKind::DropDownList, "", {20, 24, 90, 60});
    Add(t, 1012, ControlKind::Edit, "", {115, 24, 50, 12}, platform::kAlignRight);
    Add(t, 1013, ControlKind::Edit, "", {170, 24, 50, 12}, platform::kAlignRight);
    Add(t, 1014, ControlKind::Edit, "", {225, 24, 50, 12}, platform::kAlignRight);
    Add(t, kNoControlId, ControlKind::Label, "2.", {8, 40, 10, 12});
    Add(t, 1008, ControlKind::DropDownList, "", {20, 40, 90, 60});
    Add(t, 1016, ControlKind::Edit, "", {115, 40, 50, 12}, platform::kAlignRight);
    Add(t, 1017, ControlKind::Edit, "", {170, 40, 50, 12}, platform::kAlignRight);
    Add(t, 1018, ControlKind::Edit, "", {225, 40, 50, 12}, platform::kAlignRight);
    Add(t, 1010, ControlKind::DropDownList, "", {280, 12, 56, 60});
    Add(t, 1009, ControlKind::PushButton, "Plot", {280, 27, 56, 13});
    Add(t, 1020, ControlKind::PushButton, "Tabulate", {280, 42, 56, 13});
    return t;
}

DialogTemplate TestSelectionForm() {
    DialogTemplate t = Form(146, 345, 54);
    Add(t, kNoControlId, ControlKind::GroupBox, "Test family", {4, 0, 58, 26});
    Add(t, kNoControlId, ControlKind::GroupBox, "Statistical test", {66, 0, 275, 26});
    Add(t, kNoControlId, ControlKind::GroupBox, "Type of power analysis", {4, 26, 337, 26});
    Add(t, 1000, ControlKind::DropDownList, "", {8, 9, 51, 72});
    Add(t, 1001, ControlKind::DropDownList, "", {71, 9, 266, 103});
    Add(t, 1002, ControlKind::DropDownList, "", {8, 35, 329, 89});
    return t;
}

DialogTemplate ResultTabsForm() {
    DialogTemplate t = Form(148, 345, 170);
    Add(t, 1041, ControlKind::TabBar, "", {4, 2, 337, 14});
    Add(t, 1042, ControlKind::Area, "", {4, 16, 337, 151});
    return t;
}

}  // namespace form_tables
