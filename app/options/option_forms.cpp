#include "app/options/option_forms.h"

#include <algorithm>
#include <utility>

namespace {

using Kind = OptionsDialogKind;
using platform::ControlKind;
using platform::ControlSpec;
using platform::DialogRect;
using platform::kNoControlId;

constexpr int kMargin = 7;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kChoiceHeight = 10;

// Builds one form row by row in table order, which is also the tab order.
class Builder {
  public:
    Builder(int id, int width) {
        t_.id = id;
        t_.fontFamily = "Lucida Sans Unicode";
        t_.pointSize = 8.0;
        t_.width = width;
    }
    void Frame(const char* caption, DialogRect rect, int id = kNoControlId) {
        Add(id, ControlKind::GroupBox, caption, rect);
    }
    // `first` begins a new group of choices.
    void Radio(int id, const char* caption, int x, int y, int width, bool first = false) {
        Add(id, ControlKind::RadioButton, caption, {x, y, width, kChoiceHeight},
            first ? platform::kGroup : platform::kStyleNone);
    }
    void Check(int id, const char* caption, int x, int y, int width) {
        Add(id, ControlKind::CheckBox, caption, {x, y, width, kChoiceHeight});
    }
    void Edit(int id, int x, int y, int width) {
        Add(id, ControlKind::Edit, "", {x, y, width, 12}, platform::kAlignRight);
    }
    void Label(const char* caption, DialogRect rect) {
        Add(kNoControlId, ControlKind::Label, caption, rect);
    }
    void List(int id, DialogRect rect) { Add(id, ControlKind::DropDownList, "", rect); }
    // OK and Cancel close the form at its bottom right, below `y`.
    platform::DialogTemplate Finish(int y) {
        const int cancelX = t_.width - kMargin - kButtonWidth;
        Add(kOptionsOk, ControlKind::DefaultButton, "OK",
            {cancelX - 4 - kButtonWidth, y, kButtonWidth, kButtonHeight});
        Add(kOptionsCancel, ControlKind::PushButton, "Cancel",
            {cancelX, y, kButtonWidth, kButtonHeight});
        t_.height = y + kButtonHeight + kMargin;
        return std::move(t_);
    }

  private:
    void Add(int id, ControlKind kind, const char* caption, DialogRect rect,
             unsigned style = platform::kStyleNone) {
        t_.controls.push_back(ControlSpec{id, kind, caption, rect, style, {}});
    }
    platform::DialogTemplate t_;
};

// The interior of a full-width frame of a form `width` wide.
int Inner(int width) {
    return width - 2 * kMargin - 14;
}

// A frame with an exact computation up to a limit N and its large-sample
// alternative, at `y`; returns the y below it.
int ComputationFrame(Builder& b, int width, int y, const char* exactText, int exactWidth,
                     const char* approximationText, int exactId = 1097) {
    b.Frame("Computation", {kMargin, y, width - 2 * kMargin, 39});
    b.Radio(exactId, exactText, 14, y + 12, exactWidth, true);
    // The limit's edit ends inside the frame where a long choice leaves it
    // less than its usual width.
    const int editX = 14 + exactWidth + 2;
    b.Edit(1137, editX, y + 11, std::min(50, width - kMargin - 5 - editX));
    b.Radio(1098, approximationText, 14, y + 25, Inner(width));
    return y + 43;
}

// Alpha balancing of the binomial and McNemar tests; the texts are set when
// the dialog starts.
int AlphaBalancingFrame(Builder& b, int width, int y) {
    b.Frame("Alpha balancing in two-sided tests", {kMargin, y, width - 2 * kMargin, 51});
    b.Radio(kAlphaBalancingGroup, "", 14, y + 12, Inner(width), true);
    b.Radio(1095, "", 14, y + 24, Inner(width));
    b.Radio(1096, "", 14, y + 36, Inner(width));
    return y + 55;
}

// The four multivariate statistics and the two algorithms; returns the y
// below them.
int CriterionFrames(Builder& b, int width) {
    const int w = Inner(width);
    b.Frame("Approximation (F-Transformation)", {kMargin, 7, width - 2 * kMargin, 63});
    b.Radio(kStatisticGroup, "Wilks U                           (Rao, 1951)", 14, 19, w, true);
    b.Radio(1040, "Hotelling-Lawley T1    (Pillai and Samson, 1959)", 14, 31, w);
    b.Radio(1041, "Hotelling-Lawley T2    (McKeon, 1974)", 14, 43, w);
    b.Radio(1042, "Pillai V                            (Pillai and Mijares, 1959)", 14, 55, w);
    b.Frame("Algorithm", {kMargin, 74, width - 2 * kMargin, 39});
    b.Radio(kAlgorithmGroup, "O'Brien and Shieh (1999), recommended", 14, 86, w, true);
    b.Radio(1101, "Muller and Peterson (1984)", 14, 99, w);
    return 117;
}

// Test statistic (for the enumeration) and procedure (for the large-sample
// approximation) of the logistic and Poisson regressions, from `y`.
int RegressionFrames(Builder& b, int width, int y, const char* demidenko, const char* other) {
    using namespace computation_form;
    const int w = Inner(width);
    b.Frame("Test statistic", {kMargin, y, width - 2 * kMargin, 26});
    b.Radio(kWald, "Wald", 14, y + 12, 80, true);
    b.Radio(kLikelihoodRatio, "Likelihood ratio", 100, y + 12, 120);
    y += 30;
    b.Frame("Test procedure", {kMargin, y, width - 2 * kMargin, 52});
    b.Radio(kProcedure, demidenko, 14, y + 12, w, true);
    b.Radio(kOtherProcedure, other, 14, y + 25, w);
    b.Check(kVarianceCorrection, "With variance correction", 14, y + 38, w);
    return y + 56;
}

OptionsForm Binomial() {
    const int width = 320;
    Builder b(166, width);
    const int y = AlphaBalancingFrame(b, width, 7);
    return {b.Finish(y + 3), "Choose Options", {{{kAlphaBalancingGroup, 0}}, {}, {}}};
}

OptionsForm McNemar() {
    const int width = 320;
    Builder b(167, width);
    int y = AlphaBalancingFrame(b, width, 7);
    y = ComputationFrame(b, width, y, "exact (unconditional) power if  N  < ", 132,
                         "faster approximation (assume number of discordant pairs as constant)");
    return {b.Finish(y + 3),
            "Choose Options",
            {{{kAlphaBalancingGroup, 0}, {1097, 0}}, {}, {{1137, 100000.0}}}};
}

OptionsForm OneCorr() {
    const int width = 200;
    Builder b(198, width);
    const int y = ComputationFrame(b, width, 7, "use exact distribution if  N  < ", 110,
                                   "use large sample approximation (Fisher Z)");
    return {b.Finish(y + 3), "Choose Options", {{{1097, 0}}, {}, {{1137, 100000.0}}}};
}

OptionsForm FisherExact() {
    const int width = 200;
    Builder b(199, width);
    int y = ComputationFrame(b, width, 7, "Use exact distribution if  N  < ", 110,
                             "Use large sample approximation (z-Test)");
    b.Frame("Alpha-balancing in two-sided exact tests", {kMargin, y, width - 2 * kMargin, 39});
    b.Radio(1102, "Symmetrical with respect to the statistic", 14, y + 12, Inner(width), true);
    b.Radio(1103, "Maximize alpha", 14, y + 25, Inner(width));
    y += 45;
    b.Label("Statistic", {kMargin + 2, y + 1, 36, 10});
    b.List(kStatisticList, {48, y, 120, 52});
    return {b.Finish(y + 20), "Choose Options", {{{1097, 0}, {1102, 0}}, {}, {{1137, 10000.0}}}};
}

OptionsForm TwoPropUncIeq() {
    const int width = 200;
    Builder b(203, width);
    int y = ComputationFrame(b, width, 7, "Use exact distribution if  N  < ", 110,
                             "Use large sample approximation");
    b.Frame("Effect size index", {kMargin, y, width - 2 * kMargin, 30});
    b.List(kEffectIndexList, {14, y + 12, Inner(width), 60});
    y += 34;
    b.Frame("Statistic", {kMargin, y, width - 2 * kMargin, 30});
    b.List(kStatisticList, {14, y + 12, Inner(width), 100});
    y += 34;
    return {b.Finish(y + 3), "Choose Options", {{{1097, 0}}, {}, {{1137, 10000.0}}}};
}

OptionsForm MRC() {
    const int width = 160;
    Builder b(244, width);
    b.Frame("Distribution", {kMargin, 7, width - 2 * kMargin, 39});
    b.Radio(1159, "Exact distribution", 14, 19, Inner(width), true);
    b.Radio(1040, "3-Moment F-Approximation", 14, 32, Inner(width));
    return {b.Finish(53), "Choose Options", {{{1159, 0}}, {}, {}}};
}

OptionsForm Manova() {
    const int width = 240;
    Builder b(205, width);
    const int y = CriterionFrames(b, width);
    return {b.Finish(y + 3),
            "Choose Approximation Method",
            {{{kStatisticGroup, 3}, {kAlgorithmGroup, 0}}, {}, {}}};
}

OptionsForm RepMMulti() {
    const int width = 240;
    Builder b(191, width);
    const int y = CriterionFrames(b, width);
    b.Frame("Effect size calculation", {kMargin, y, width - 2 * kMargin, 26});
    b.Check(1019, "Use mean correlation in effect size calculation", 14, y + 12, Inner(width));
    return {b.Finish(y + 33),
            "Choose Approximation Method",
            {{{kStatisticGroup, 3}, {kAlgorithmGroup, 0}}, {{1019, 1}}, {}}};
}

OptionsForm Repm() {
    const int width = 180;
    Builder b(248, width);
    const int w = Inner(width);
    b.Frame("Effect size specification ...", {kMargin, 7, width - 2 * kMargin, 63});
    b.Radio(1230, "as in Quorix 3.0", 14, 19, w, true);
    b.Radio(1231, "as in Quorix 3.0 with implicit rho", 14, 31, w);
    b.Radio(1100, "as in SPSS", 14, 43, w);
    b.Radio(1099, "as in Cohen (1988) - recommended", 14, 55, w);
    return {b.Finish(77), "Choose Options", {{{1230, 2}}, {}, {}}};
}

OptionsForm Wilcoxon() {
    using namespace wilcoxon_form;
    const int width = 350;
    Builder b(227, width);
    // Each page's frame has no caption of its own: its title radio button
    // lies on the frame's top line.
    b.Frame("", {kMargin, 8, width - 2 * kMargin, 42}, kAreFrame);
    b.Radio(kAreTitle, "Asymptotic Relative Efficiency (based on t test)", 12, 4, 200, true);
    b.Radio(kAreSource, "Use predefined parent distributions", 20, 20, 316, true);
    b.Radio(1099, "Specify A.R.E. manually", 20, 33, 316);
    b.Frame("", {kMargin, 58, width - 2 * kMargin, 106}, kLehmannFrame);
    b.Radio(kLehmannTitle, "Asymptotic Power (Lehmann method based on z test)", 12, 54, 210, true);
    b.Frame("Input method", {14, 70, 160, 41}, kInputMethodFrame);
    b.Radio(kInputMethod, "Use predefined parent distributions", 20, 82, 150, true);
    b.Radio(kManualMoments, "Specify moments p1,p2,p3  manually", 20, 95, 150);
    b.Frame("Effect size parameter", {14, 116, 160, 41}, kEffectParameterFrame);
    // Both texts are set when the dialog starts.
    b.Radio(kEffectParameter, "", 20, 128, 150, true);
    b.Radio(kEffectP1, "", 20, 141, 150);
    b.Frame("Distribution plots", {180, 70, 156, 41}, kPlotFrame);
    b.Radio(kPlotKind, "Normalized z-Distribution", 186, 82, 146, true);
    b.Radio(1161, "Normal approximation of rank sum", 186, 95, 146);
    b.Frame("Other options", {180, 116, 156, 41}, kOtherFrame);
    b.Check(kOutputCheck, "", 186, 128, 146);
    b.Check(kContinuityCheck, "Use continuity correction", 186, 141, 146);
    OptionsDialogFields defaults;
    defaults.areMode = true;
    defaults.radios = {{kAreSource, 0}, {kInputMethod, 0}, {kEffectParameter, 0}, {kPlotKind, 0}};
    defaults.checks = {{kOutputCheck, 1}, {kContinuityCheck, 0}};
    return {b.Finish(170), "Choose Options", defaults};
}

OptionsForm TwoProp() {
    const int width = 170;
    Builder b(165, width);
    const int w = Inner(width);
    b.Frame("Computation", {kMargin, 7, width - 2 * kMargin, 39});
    b.Check(1019, "Use continuity correction", 14, 19, w);
    b.Check(1021, "Use arcsin transform", 14, 32, w);
    b.Frame("Distribution plot", {kMargin, 50, width - 2 * kMargin, 26});
    b.Check(1093, "Plot normal distribution (instead of z)", 14, 62, w);
    b.Frame("Input", {kMargin, 80, width - 2 * kMargin, 39});
    b.Radio(1039, "Use two proportions p1 / p2", 14, 92, w, true);
    b.Radio(1099, "Use Cohen's effect size index h", 14, 105, w);
    return {b.Finish(126), "Choose Options", {{{1039, 0}}, {{1019, 0}, {1021, 0}, {1093, 0}}, {}}};
}

OptionsForm LogRegress() {
    const int width = 160;
    Builder b(226, width);
    b.Frame("Effect size input parameter", {kMargin, 7, width - 2 * kMargin, 39});
    b.Radio(1159, "Odds ratio", 14, 19, Inner(width), true);
    b.Radio(1040, "Proportion p2", 14, 32, Inner(width));
    return {b.Finish(53), "Choose Options", {{{1159, 0}}, {}, {}}};
}

OptionsForm Poisson() {
    using namespace computation_form;
    const int width = 270;
    Builder b(242, width);
    int y =
        ComputationFrame(b, width, 7, "use enumeration procedure (Lyles et al., 2007) if  N  < ",
                         200, "use large sample approximation", kEnumeration);
    y = RegressionFrames(b, width, y, "Demidenko (2007)", "Signorini (1991) - not recommended");
    return {b.Finish(y + 3),
            "Choose Options",
            {{{kEnumeration, 0}, {kWald, 0}, {kProcedure, 0}},
             {{kVarianceCorrection, 0}},
             {{kLimit, 100000.0}}}};
}

OptionsForm TetraCorr() {
    const int width = 220;
    Builder b(232, width);
    b.Frame("Computation of correlation", {kMargin, 7, width - 2 * kMargin, 39});
    b.Radio(1097, "Use exact computation (Brown and Benedetti, 1977)", 14, 19, Inner(width), true);
    b.Radio(1098, "Use approximation (Bonett and Price, 2005)", 14, 32, Inner(width));
    return {b.Finish(53), "Choose Options", {{{1097, 0}}, {}, {}}};
}

OptionsForm Logistic() {
    using namespace computation_form;
    const int width = 270;
    Builder b(243, width);
    b.Frame("Input effect size as ...", {kMargin, 7, width - 2 * kMargin, 26});
    b.Radio(1220, "Odds ratio", 14, 19, 80, true);
    b.Radio(1101, "Two probabilities", 100, 19, 120);
    int y =
        ComputationFrame(b, width, 37, "Use enumeration procedure (Lyles et al., 2007) if  N  < ",
                         200, "Use large sample approximation", kEnumeration);
    y = RegressionFrames(b, width, y, "Demidenko (2007) - recommended",
                         "Hsieh et al. (1998) - for binary and N(0,1) X-Distribution");
    return {b.Finish(y + 3),
            "Choose Options",
            {{{1220, 0}, {kEnumeration, 0}, {kWald, 0}, {kProcedure, 0}},
             {{kVarianceCorrection, 1}},
             {{kLimit, 100000.0}}}};
}

}  // namespace

OptionsForm OptionsFormFor(OptionsDialogKind kind) {
    switch (kind) {
        case Kind::kRepm:
            return Repm();
        case Kind::kRepMMulti:
            return RepMMulti();
        case Kind::kFManova:
            return Manova();
        case Kind::kTWilcoxon:
            return Wilcoxon();
        case Kind::kZTwoProp:
            return TwoProp();
        case Kind::kZLogRegress:
            return LogRegress();
        case Kind::kZPoisson:
            return Poisson();
        case Kind::kZTetraCorr:
            return TetraCorr();
        case Kind::kZLogistic:
            return Logistic();
        case Kind::kExactBinomial:
            return Binomial();
        case Kind::kExactMcNemar:
            return McNemar();
        case Kind::kExactOneCorr:
            return OneCorr();
        case Kind::kExactFisherExact:
            return FisherExact();
        case Kind::kExactTwoPropUncIeq:
            return TwoPropUncIeq();
        case Kind::kExactMRC:
            return MRC();
        case Kind::kNone:
            break;
    }
    return {};
}
