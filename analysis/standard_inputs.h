#pragma once

// The input factories of the standard parameters are operations of
// PowerAnalysis (see power_analysis.h): each appends one input named with its
// label from ParameterNames. A label with a remembered text in inputTexts
// shows that text again, so a typed formula stays a formula; otherwise the
// input shows the analysis's member value: reals with seven significant
// digits, the df inputs with "%.16g", counts as whole numbers.

#include "analysis/power_analysis.h"

// Whole-number display of a count member: truncated toward zero and held in
// the 32-bit range (NaN shows 0).
long TruncateToLong(double v);
