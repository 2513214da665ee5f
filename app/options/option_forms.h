#pragma once

#include <string>

#include "app/options/options_dialog_fields.h"
#include "platform/dialog_template.h"

// The forms of the options dialogs: controls, captions and places in dialog
// units, the window caption and what each dialog shows before the test's
// own choices are filled in.
struct OptionsForm {
    platform::DialogTemplate form;
    std::string caption;
    OptionsDialogFields defaults;
};

// The form of `kind`; an empty form (no controls) for kNone.
OptionsForm OptionsFormFor(OptionsDialogKind kind);

// Controls every options form has.
inline constexpr int kOptionsOk = 1;
inline constexpr int kOptionsCancel = 2;

// The rank tests' dialog: the two pages, each led by a radio button on its
// frame, and the frames of the Lehmann page, which are enabled with it.
namespace wilcoxon_form {
inline constexpr int kAreTitle = 1162;
inline constexpr int kLehmannTitle = 1163;
inline constexpr int kAreSource = 1164;        // group: predefined, manual A.R.E.
inline constexpr int kInputMethod = 1165;      // group: predefined, manual moments
inline constexpr int kEffectParameter = 1166;  // group: d, p1
inline constexpr int kEffectP1 = 1167;
inline constexpr int kManualMoments = 1160;
inline constexpr int kPlotKind = 1168;  // group: z, rank sum
inline constexpr int kOutputCheck = 1019;
inline constexpr int kContinuityCheck = 1021;
inline constexpr int kAreFrame = 1301;
inline constexpr int kLehmannFrame = 1302;
inline constexpr int kInputMethodFrame = 1303;
inline constexpr int kEffectParameterFrame = 1304;
inline constexpr int kPlotFrame = 1305;
inline constexpr int kOtherFrame = 1306;
}  // namespace wilcoxon_form

// The regressions' computation choice and what it enables.
namespace computation_form {
inline constexpr int kEnumeration = 1218;  // group: enumeration, large sample
inline constexpr int kLargeSample = 1098;
inline constexpr int kLimit = 1137;
inline constexpr int kWald = 1217;  // group: Wald, likelihood ratio
inline constexpr int kLikelihoodRatio = 1099;
inline constexpr int kProcedure = 1219;  // group: Demidenko, the other
inline constexpr int kOtherProcedure = 1100;
inline constexpr int kVarianceCorrection = 1019;
}  // namespace computation_form

// The exact tests' lists.
inline constexpr int kStatisticList = 1139;
inline constexpr int kEffectIndexList = 1070;
inline constexpr int kAlphaBalancingGroup = 1039;
