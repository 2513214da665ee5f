#pragma once

#include "platform/dialog_template.h"

// The dialog tables of the main window's panes, by template id.
namespace form_tables {

// Control ids of the edit-field form, row by row (11 rows).
int InputLabelId(int row);
int InputEditId(int row);
int DetermineButtonId(int row);
int InputListId(int row);
int OutputLabelId(int row);
int OutputEditId(int row);
inline constexpr int kRowCount = 11;

// Command ids of the command forms.
inline constexpr int kCalculateButton = 1009;
inline constexpr int kXYPlotButton = 1020;
inline constexpr int kOptionsButton = 1010;

platform::DialogTemplate EditFieldForm();      // 143
platform::DialogTemplate FullCommandForm();    // 137
platform::DialogTemplate ShortCommandForm();   // 133
platform::DialogTemplate InputHelpForm();      // 134
platform::DialogTemplate RangeForm();          // 131
platform::DialogTemplate TestSelectionForm();  // 146
platform::DialogTemplate ResultTabsForm();     // 148

}  // namespace form_tables
