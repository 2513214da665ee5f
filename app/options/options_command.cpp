// The Options command: the options dialog of the current test, the copy of
// the test's options into it and back, and the conversions of the effect
// size when an option changes which effect the test takes.

#include "app/options/options_command.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/options/options_dialogs.h"
#include "platform/dialogs.h"

#ifdef QUORIX_WITH_POWER_EXACT
#include "power/exact/power_exact_binomial.h"
#include "power/exact/power_exact_correlation.h"
#include "power/exact/power_exact_fisher.h"
#include "power/exact/power_exact_mcnemar.h"
#include "power/exact/power_exact_uncond_offset.h"
#endif
#ifdef QUORIX_WITH_POWER_F
#include "power/f/power_f_multivariate.h"
#include "power/f/power_f_repeated.h"
#endif
#ifdef QUORIX_WITH_POWER_T
#include "power/t/power_t_wilcoxon.h"
#include "power/t/wilcoxon_moments.h"
#endif
#ifdef QUORIX_WITH_POWER_Z
#include "power/z/power_z_logistic_regress.h"
#include "power/z/power_z_poisson_regress.h"
#include "power/z/power_z_tetrachoric_corr.h"
#include "power/z/power_z_two_prop.h"
#endif

namespace {

using Kind = OptionsDialogKind;

struct DialogRow {
    std::vector<int> testIds;
    OptionsDialogInfo info;
};

const std::vector<DialogRow>& DialogTable() {
    static const std::vector<DialogRow> rows = {
        {{108, 109, 110}, {Kind::kRepm, "COpt_Repm", 248}},
        {{111, 112, 113}, {Kind::kRepMMulti, "COpt_RepMMulti", 191}},
        {{114, 115}, {Kind::kFManova, "COpt_F_Manova", 205}},
        {{205, 206, 207}, {Kind::kTWilcoxon, "COpt_T_Wilcoxon", 227}},
        {{301}, {Kind::kZTwoProp, "COpt_Z_TwoProp", 165}},
        {{304, 305}, {Kind::kZLogRegress, "COpt_Z_LogRegress", 226}},
        {{308}, {Kind::kZPoisson, "COpt_Z_Poisson", 242}},
        {{309}, {Kind::kZTetraCorr, "COpt_Z_TetraCorr", 232}},
        {{310}, {Kind::kZLogistic, "COpt_Z_Logistic", 243}},
        {{601, 602, 603}, {Kind::kExactBinomial, "COpt_Exact_Binomial", 166}},
        {{604}, {Kind::kExactMcNemar, "COpt_Exact_McNemar", 167}},
        {{605}, {Kind::kExactOneCorr, "COpt_Exact_OneCorr", 198}},
        {{606}, {Kind::kExactFisherExact, "COpt_Exact_FisherExact", 199}},
        {{607, 608}, {Kind::kExactTwoPropUncIeq, "COpt_Exact_TwoProp_Unc_Ieq", 203}},
        {{611}, {Kind::kExactMRC, "COpt_Exact_MRC", 244}},
    };
    return rows;
}

struct CriterionRow {
    int id;
    int statistic;
    int algorithm;
};

constexpr CriterionRow kCriteria[] = {
    {100, 0, 1}, {101, 0, 0}, {102, 1, 1}, {103, 1, 0},
    {104, 2, 1}, {105, 2, 0}, {106, 3, 1}, {107, 3, 0},
};

std::unique_ptr<OptionsDialogService>& CurrentService() {
    static std::unique_ptr<OptionsDialogService> service = std::make_unique<FormOptionsDialogs>();
    return service;
}

// The text of a converted effect as the input lists show it, remembered
// under the label of the input that takes it from now on.
void RememberEffectText(PropertyList* inputTexts, const std::string& label, double value) {
    PropertyDouble formatted(label, 0.0, false);
    formatted.SetValueWithDigits(value, 7);
    SetNamedString(inputTexts, label.c_str(), formatted.text);
}

double ValueOf(Property* input) {
    switch (input->GetType()) {
        case Property::kLong:
            return static_cast<double>(static_cast<PropertyLong*>(input)->GetValue());
        case Property::kDouble:
        case Property::kExDouble:
            return static_cast<PropertyDouble*>(input)->GetValue();
        default:
            return 0.0;
    }
}

// How one dialog is filled from the test and written back to it. Apply
// returns whether an open drawer must be rebuilt.
struct OptionsBinding {
    std::function<void(OptionsDialogFields*)> fill;
    std::function<bool(const OptionsDialogFields&)> apply;
};

#ifdef QUORIX_WITH_POWER_T
template <class Test>
OptionsBinding WilcoxonBinding(OptionsHost* frame, Test* test, int samples) {
    OptionsBinding b;
    b.fill = [test](OptionsDialogFields* f) {
        const WilcoxonOptions& w = test->wilcoxon;
        f->areMode = w.method == 1;
        f->radios[1164] = w.manualInput ? 1 : 0;
        f->radios[1165] = w.manualInput ? 1 : 0;
        f->radios[1166] = (w.method == 1 || w.method == 3) ? 0 : 1;
        f->radios[1168] = w.zDistributionPlot ? 0 : 1;
        f->checks[1019] = w.outputMoments ? 1 : 0;
        f->checks[1021] = w.continuityCorrection ? 1 : 0;
    };
    b.apply = [frame, test, samples](const OptionsDialogFields& f) {
        WilcoxonOptions& w = test->wilcoxon;
        const int oldMethod = w.method;
        const bool oldManual = w.manualInput;
        const std::string oldEffectLabel = ParameterNames[test->GetEffectSizeId()];
        if (f.areMode) {
            w.manualInput = f.Radio(1164) != 0;
            w.method = 1;
        } else {
            w.manualInput = f.Radio(1165) != 0;
            w.method = (w.manualInput || f.Radio(1166) == 1) ? 2 : 3;
            w.continuityCorrection = f.Check(1021) != 0;
            w.outputMoments = f.Check(1019) != 0;
            w.zDistributionPlot = f.Radio(1168) == 0;
        }
        const bool toP1 = (oldMethod == 1 || oldMethod == 3) && w.method == 2 && !w.manualInput;
        const bool toD = oldMethod == 2 && !oldManual && (w.method == 1 || w.method == 3);
        if (!toP1 && !toD) return false;
        Property* effect = frame->FindParameter(oldEffectLabel);
        Property* parent = frame->Inputs().Find(ParameterNames[kParentDistributionId]);
        if (!effect || !parent || parent->GetType() != Property::kSelection) return false;
        const int option = static_cast<PropertySelection*>(parent)->index;
        const double shown = ValueOf(effect);
        double converted = 0.0;
        if (toP1) {
            converted = WilcoxP1FromDelta(shown, samples, WilcoxParentCode(oldMethod, option));
        } else {
            converted = wilcox_p1_to_delta(shown, samples, WilcoxParentCode(2, option));
        }
        test->effectSize = converted;
        frame->SetEffectSize(converted);
        // A text typed into the new input earlier would stand for another
        // effect; the rebuilt list shows the converted one.
        RememberEffectText(&test->inputTexts, ParameterNames[test->GetEffectSizeId()], converted);
        return false;
    };
    return b;
}
#endif

#ifdef QUORIX_WITH_POWER_EXACT
// A new effect measure is converted from p1 and p2 (and, for the offset
// test, the H0 offset) as the screen shows them, not as the last
// calculation left them. A shown set that describes no proportions keeps
// the test's own.
void UncondEffectFromScreen(OptionsHost* frame, PowerExactUncondTwoProp* t) {
    const double oldP1 = t->proportion1, oldP2 = t->proportion2, oldEffect = t->effectSize;
    const double oldOffset = t->nullDifference;
    auto isProportion = [](double p) { return std::isfinite(p) && 0.0 < p && p < 1.0; };
    const double p2 = GetAnalysisInputDouble(t->proportion2, frame, t, kProportionP2Id, -1);
    if (!isProportion(p2)) return;
    t->proportion2 = p2;
    t->effectSize = GetAnalysisInputDouble(t->effectSize, frame, t, t->GetEffectSizeId(), -1);
    t->UpdateProportionFromEffect();
    bool valid = isProportion(t->proportion1);
    if (auto* offset = dynamic_cast<PowerExactUncTwoPropOffset*>(t)) {
        const double h0 = GetAnalysisInputDouble(offset->H0EffectFromOffset(offset->nullDifference),
                                                 frame, t, offset->GetH0EffectId(), -1);
        valid = valid && isProportion(offset->SetOffsetFromH0Effect(h0) + p2);
    }
    if (valid) return;
    t->proportion1 = oldP1;
    t->proportion2 = oldP2;
    t->effectSize = oldEffect;
    t->nullDifference = oldOffset;
}
#endif

OptionsBinding BindingFor(Kind kind, OptionsHost* frame, PowerAnalysis* test) {
    OptionsBinding b;
    switch (kind) {
#ifdef QUORIX_WITH_POWER_F
        case Kind::kRepm:
            if (auto* t = dynamic_cast<PowerFRepMBetween*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    f->radios[1230] = t->effectSizeSpecification;
                };
                b.apply = [t, frame](const OptionsDialogFields& f) {
                    const int code = f.Radio(1230);
                    if (code == t->effectSizeSpecification || code < 0 || code > 3) return false;
                    t->ChangeEffectSizeSpecification(code, &frame->Inputs());
                    return true;
                };
            }
            break;
        case Kind::kRepMMulti:
            if (auto* t = dynamic_cast<PowerFRepMMultiBetween*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    CriterionToRadios(t->criterion->GetCriterionId(), f);
                    f->checks[1019] = t->useMeanCorrelation ? 1 : 0;
                    f->checkEnabled = t->GetTestId() != kManovaRepeatedInteractionTestId;
                };
                b.apply = [t](const OptionsDialogFields& f) {
                    const int oldId = t->criterion->GetCriterionId();
                    const bool oldFlag = t->useMeanCorrelation;
                    t->SetCriterion(CriterionFromRadios(f));
                    t->useMeanCorrelation = f.Check(1019) != 0;
                    return t->criterion->GetCriterionId() != oldId ||
                           t->useMeanCorrelation != oldFlag;
                };
            }
            break;
        case Kind::kFManova:
            if (auto* t = dynamic_cast<PowerFManovaGlobal*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    CriterionToRadios(t->criterion->GetCriterionId(), f);
                };
                b.apply = [t](const OptionsDialogFields& f) {
                    t->SetCriterion(CriterionFromRadios(f));
                    return true;
                };
            }
            break;
#endif
#ifdef QUORIX_WITH_POWER_T
        case Kind::kTWilcoxon:
            if (auto* t1 = dynamic_cast<PowerTWilcox1*>(test)) {
                b = WilcoxonBinding(frame, t1, 1);
            } else if (auto* t2 = dynamic_cast<PowerTWilcox2*>(test)) {
                b = WilcoxonBinding(frame, t2, 2);
            }
            break;
#endif
#ifdef QUORIX_WITH_POWER_Z
        case Kind::kZTwoProp:
            if (auto* t = dynamic_cast<PowerZTwoProp*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    f->checks[1019] = t->continuityCorrection ? 1 : 0;
                    f->checks[1021] = t->arcsinTransform ? 1 : 0;
                    f->checks[1093] = t->plotNormal ? 1 : 0;
                    f->radios[1039] = t->inputProportions ? 0 : 1;
                };
                b.apply = [t, frame](const OptionsDialogFields& f) {
                    t->continuityCorrection = f.Check(1019) != 0;
                    t->arcsinTransform = f.Check(1021) != 0;
                    t->plotNormal = f.Check(1093) != 0;
                    const bool proportions = f.Radio(1039) == 0;
                    if (proportions != t->inputProportions) {
                        // The conversion describes the proportions on the
                        // screen, not those of the last calculation.
                        t->proportion1 =
                            GetAnalysisInputDouble(t->proportion1, frame, t, kProportionP1Id, -1);
                        t->effectSize = GetAnalysisInputDouble(
                            t->effectSize, frame, t,
                            t->inputProportions ? kProportionP2Id : kEffectSizeHId, -1);
                        t->SetInputProportions(proportions);
                    }
                    return false;
                };
            }
            break;
        case Kind::kZLogistic:
            if (auto* t = dynamic_cast<PowerZLogisticRegress*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    f->radios[1220] = t->oddsRatioInput ? 0 : 1;
                    f->radios[1218] = t->useEnumeration ? 0 : 1;
                    f->edits[1137] = t->enumerationMaxN;
                    f->radios[1217] = t->enumerationWald ? 0 : 1;
                    f->radios[1219] = t->demidenko ? 0 : 1;
                    f->checks[1019] = t->varianceCorrection ? 1 : 0;
                };
                b.apply = [t, frame](const OptionsDialogFields& f) {
                    t->useEnumeration = f.Radio(1218) == 0;
                    t->enumerationMaxN = f.Edit(1137);
                    t->enumerationWald = f.Radio(1217) == 0;
                    t->demidenko = f.Radio(1219) == 0;
                    t->varianceCorrection = f.Check(1019) != 0;
                    const bool oddsRatio = f.Radio(1220) == 0;
                    if (oddsRatio == t->oddsRatioInput) return false;
                    // The conversion describes the p0 on the screen, which
                    // need not be the one of the last calculation.
                    const double p0 = GetAnalysisInputDouble(t->p0, frame, t, kPrY1X1H0Id, -1);
                    OddsRatioEffect effect;
                    effect.oddsRatioInput = t->oddsRatioInput;
                    effect.effectSize = t->effectSize;
                    effect.p2Id = kPrY1X1H1Id;
                    effect.oddsRatioFromP2 = [p0](double p) {
                        return (p / (1.0 - p)) / (p0 / (1.0 - p0));
                    };
                    effect.p2FromOddsRatio = [p0](double ratio) {
                        return p0 * ratio / ((ratio - 1.0) * p0 + 1.0);
                    };
                    if (!ChooseOddsRatioInput(frame, &effect, oddsRatio, &t->inputTexts))
                        return false;
                    t->oddsRatioInput = effect.oddsRatioInput;
                    t->effectSize = effect.effectSize;
                    // The new effect input takes another panel.
                    return true;
                };
            }
            break;
        case Kind::kZPoisson:
            if (auto* t = dynamic_cast<PowerZPoissonRegress*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    f->radios[1218] = t->useEnumeration ? 0 : 1;
                    f->edits[1137] = t->enumerationMaxN;
                    f->radios[1217] = t->enumerationWald ? 0 : 1;
                    f->radios[1219] = t->demidenko ? 0 : 1;
                    f->checks[1019] = t->varianceCorrection ? 1 : 0;
                };
                b.apply = [t](const OptionsDialogFields& f) {
                    t->useEnumeration = f.Radio(1218) == 0;
                    t->enumerationMaxN = f.Edit(1137);
                    t->enumerationWald = f.Radio(1217) == 0;
                    t->demidenko = f.Radio(1219) == 0;
                    t->varianceCorrection = f.Check(1019) != 0;
                    return false;
                };
            }
            break;
        case Kind::kZTetraCorr:
            if (auto* t = dynamic_cast<PowerZTetrachoricCorr*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    f->radios[1097] = t->useApproximation ? 1 : 0;
                };
                b.apply = [t](const OptionsDialogFields& f) {
                    const bool old = t->useApproximation;
                    t->useApproximation = f.Radio(1097) != 0;
                    return t->useApproximation != old;
                };
            }
            break;
#endif
#ifdef QUORIX_WITH_POWER_EXACT
        case Kind::kExactBinomial:
            if (auto* t = dynamic_cast<PowerExactBinomial*>(test)) {
                b.fill = [t](OptionsDialogFields* f) { f->radios[1039] = t->alphaBalancing; };
                b.apply = [t](const OptionsDialogFields& f) {
                    t->alphaBalancing = f.Radio(1039);
                    return false;
                };
            }
            break;
        case Kind::kExactMcNemar:
            if (auto* t = dynamic_cast<PowerExactMcNemar*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    f->radios[1039] = t->alphaBalancing;
                    f->radios[1097] = t->useApproximation ? 1 : 0;
                    f->edits[1137] = t->exactLimit;
                };
                b.apply = [t](const OptionsDialogFields& f) {
                    t->alphaBalancing = f.Radio(1039);
                    t->useApproximation = f.Radio(1097) != 0;
                    t->exactLimit = f.Edit(1137);
                    return false;
                };
            }
            break;
        case Kind::kExactOneCorr:
            if (auto* t = dynamic_cast<PowerExactOneCorr*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    f->radios[1097] = t->useApproximation ? 1 : 0;
                    f->edits[1137] = t->exactLimit;
                };
                b.apply = [t](const OptionsDialogFields& f) {
                    t->useApproximation = f.Radio(1097) != 0;
                    t->exactLimit = f.Edit(1137);
                    return false;
                };
            }
            break;
        case Kind::kExactFisherExact:
            if (auto* t = dynamic_cast<PowerExactFisherTwoProp*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    f->radios[1097] = t->useApproximation ? 1 : 0;
                    f->edits[1137] = t->exactThreshold;
                    f->radios[1102] = t->alphaBalancing;
                    f->statisticCode = t->statistic;
                };
                b.apply = [t](const OptionsDialogFields& f) {
                    t->useApproximation = f.Radio(1097) != 0;
                    t->exactThreshold = f.Edit(1137);
                    t->alphaBalancing = f.Radio(1102);
                    t->statistic = f.statisticCode;
                    return false;
                };
            }
            break;
        case Kind::kExactTwoPropUncIeq:
            if (auto* t = dynamic_cast<PowerExactUncondTwoProp*>(test)) {
                b.fill = [t](OptionsDialogFields* f) {
                    f->radios[1097] = t->largeSample ? 1 : 0;
                    f->edits[1137] = t->exactLimit;
                    f->statisticCode = t->statistic;
                    f->effectIndexCode = t->effectIndex;
                };
                b.apply = [t, frame](const OptionsDialogFields& f) {
                    t->largeSample = f.Radio(1097) != 0;
                    t->exactLimit = f.Edit(1137);
                    if (f.effectIndexCode != t->effectIndex) {
                        UncondEffectFromScreen(frame, t);
                        t->SetEffectIndex(f.effectIndexCode);
                    }
                    // Also chooses the reference distribution of the statistic.
                    t->SetStatistic(f.statisticCode);
                    return false;
                };
            }
            break;
        case Kind::kExactMRC:
            if (auto* t = dynamic_cast<PowerExactMRC*>(test)) {
                b.fill = [t](OptionsDialogFields* f) { f->radios[1159] = t->GetMethod(); };
                b.apply = [t](const OptionsDialogFields& f) {
                    const int old = t->GetMethod();
                    t->SetMethod(f.Radio(1159));
                    return t->GetMethod() != old;
                };
            }
            break;
#endif
        default:
            // The dialogs of tests that this build does not carry.
            break;
    }
    return b;
}

}  // namespace

int OptionsDialogFields::Radio(int id) const {
    const auto it = radios.find(id);
    return it == radios.end() ? 0 : it->second;
}

int OptionsDialogFields::Check(int id) const {
    const auto it = checks.find(id);
    return it == checks.end() ? 0 : it->second;
}

double OptionsDialogFields::Edit(int id) const {
    const auto it = edits.find(id);
    return it == edits.end() ? 0.0 : it->second;
}

OptionsDialogInfo OptionsDialogFor(int testId) {
    for (const DialogRow& row : DialogTable()) {
        if (std::find(row.testIds.begin(), row.testIds.end(), testId) != row.testIds.end())
            return row.info;
    }
    return {};
}

OptionsDialogService& OptionsDialogs() {
    return *CurrentService();
}

std::unique_ptr<OptionsDialogService> SetOptionsDialogService(
    std::unique_ptr<OptionsDialogService> service) {
    std::unique_ptr<OptionsDialogService> old = std::move(CurrentService());
    CurrentService() = service ? std::move(service) : std::make_unique<FormOptionsDialogs>();
    return old;
}

bool CriterionToRadios(int criterionId, OptionsDialogFields* fields) {
    for (const CriterionRow& row : kCriteria) {
        if (row.id != criterionId) continue;
        fields->radios[kStatisticGroup] = row.statistic;
        fields->radios[kAlgorithmGroup] = row.algorithm;
        return true;
    }
    return false;
}

int CriterionFromRadios(const OptionsDialogFields& fields) {
    const auto statistic = fields.radios.find(kStatisticGroup);
    const auto algorithm = fields.radios.find(kAlgorithmGroup);
    if (statistic == fields.radios.end() || algorithm == fields.radios.end()) return -1;
    for (const CriterionRow& row : kCriteria) {
        if (row.statistic == statistic->second && row.algorithm == algorithm->second) return row.id;
    }
    return -1;
}

bool ChooseOddsRatioInput(ParameterSource* frame, OddsRatioEffect* test, bool oddsRatio,
                          PropertyList* inputTexts) {
    const std::string oddsRatioLabel = ParameterNames[test->oddsRatioId];
    const std::string p2Label = ParameterNames[test->p2Id];
    if (oddsRatio && !test->oddsRatioInput) {
        Property* shown = frame ? frame->FindParameter(p2Label) : nullptr;
        test->previousEffect = test->effectSize;
        test->oddsRatioInput = true;
        const double p2 = shown ? ValueOf(shown) : test->effectSize;
        test->effectSize = test->oddsRatioFromP2(p2);
        RememberEffectText(inputTexts, oddsRatioLabel, test->effectSize);
        return true;
    }
    if (!oddsRatio && test->oddsRatioInput) {
        Property* shown = frame ? frame->FindParameter(oddsRatioLabel) : nullptr;
        const double ratio = shown ? ValueOf(shown) : std::min(test->effectSize, 0.5);
        test->effectSize = test->p2FromOddsRatio(ratio);
        RememberEffectText(inputTexts, p2Label, test->effectSize);
        test->oddsRatioInput = false;
        return true;
    }
    return false;
}

bool RunOptionsDialog(OptionsHost* host, QWidget* parent, bool* rebuildDrawer) {
    *rebuildDrawer = false;
    PowerAnalysis* test = host ? host->CurrentTest() : nullptr;
    if (!test || !test->HasOptions()) return false;
    const int testId = test->GetTestId();
    const OptionsDialogInfo dialog = OptionsDialogFor(testId);
    if (dialog.kind == Kind::kNone) return false;
    OptionsBinding binding = BindingFor(dialog.kind, host, test);
    if (!binding.fill || !binding.apply) return false;

    OptionsDialogFields fields;
    fields.testId = testId;
    binding.fill(&fields);
    const int answer = OptionsDialogs().DoModal(parent, dialog, &fields);
    if (answer == kNoDialog) return false;
    *rebuildDrawer = answer == 1 && binding.apply(fields);
    return true;
}
