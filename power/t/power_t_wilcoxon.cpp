#include "power/t/power_t_wilcoxon.h"

#include <algorithm>
#include <cmath>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "distributions/normal.h"
#include "power/t/wilcoxon_moments.h"

namespace {

// Parent codes of the efficiency tables beyond the parents themselves.
constexpr int kNoParent = 0;
constexpr int kManualARECode = 6;

double Phi(double x) {
    NormalDistribution normal(0.0, 1.0);
    return normal.Cdf(x);
}

void AddMethodInputs(PowerAnalysis& test, const WilcoxonOptions& w, int areIndex,
                     PropertyList* inputs) {
    if (!w.manualInput) {
        const int option = w.UsesLehmann() ? WilcoxParentIndex(w.method, w.lehmannParentCode)
                                           : WilcoxParentIndex(1, areIndex);
        test.AddParentDistributionInput(inputs, option, !w.UsesLehmann());
        if (w.EffectIsP1()) test.AddRelativeSDInput(inputs);
    } else if (!w.UsesLehmann()) {
        test.AddAREInput(inputs, w.manualARE);
    } else {
        test.AddMomentP3Input(inputs, w.momentP3);
        test.AddMomentP2Input(inputs, w.momentP2);
    }
}

// The row of the first rejected input, or -1 with the values in `read`.
int ReadMethodInputs(PowerAnalysis& test, const WilcoxonOptions& w, PropertyList* inputs,
                     WilcoxonMethodInputs* read) {
    int row = -1;
    if (!w.manualInput) {
        read->code = WilcoxParentCode(w.method, test.ReadParentDistribution(inputs, &row));
        if (w.EffectIsP1()) {
            read->relativeSD = test.ReadRelativeSD(inputs, &row);
            if (!(read->relativeSD >= 1e-6)) {
                test.messages << "The relative standard deviation must be greater than 1e-6";
                return row;
            }
        }
        return -1;
    }
    if (!w.UsesLehmann()) {
        read->manualARE = test.ReadARE(inputs, &row);
        if (!(read->manualARE >= 0.864)) {
            test.messages << "The minimal A.R.E. of the Wilcoxon test versus the t test is 0.864.";
            return row;
        }
        read->code = kManualARECode;
        return -1;
    }
    int p2Row = -1;
    read->p3 = test.ReadMomentP3(inputs, &row);
    read->p2 = test.ReadMomentP2(inputs, &p2Row);
    if (!test.CheckNamedRangeInclusive(ParameterNames[kMomentP2Id], read->p2, 1e-6)) return p2Row;
    if (!test.CheckNamedRangeInclusive(ParameterNames[kMomentP3Id], read->p3, 1e-6)) return row;
    return -1;
}

bool CheckWilcoxonEffect(PowerAnalysis& test, const WilcoxonOptions& w, int type, double effect,
                         const std::string& name) {
    test.ClearMessage();
    if (w.EffectIsP1()) {
        if (type == kAPriori && std::fabs(effect - 0.5) < 1e-5) {
            test.messages << "In an a priori analysis, the absolute difference of p1\n"
                          << "from p = 1/2 must be greater than 0.00001.";
            return false;
        }
        return test.CheckEffectSizeRange("p1", effect, 1e-6, 0.999999);
    }
    if (type == kAPriori && std::fabs(effect) < 1e-5) {
        test.messages << "In an a priori analysis, the absolute value of the\n"
                      << "effect size must be greater than 0.00001.";
        return false;
    }
    return test.CheckEffectSizeRange(name, effect, -20.0, 20.0);
}

// Runs a search with method 2 (effect p1) switched to method 3 (effect d)
// and puts the method back on every way out, a failed search included.
template <class Search>
double SearchingForD(WilcoxonOptions& w, Search search) {
    const int method = w.method;
    if (method == 2) w.method = 3;
    try {
        const double d = search();
        w.method = method;
        return d;
    } catch (...) {
        w.method = method;
        throw;
    }
}

// The rows of the method: the noncentrality, critical t and the fractional
// df of the A.R.E. method, or the critical values of the normal
// approximation; then the standard rows of the type; then the moments
// under a parent.
OutputTable WilcoxonOutputs(PowerAnalysis& test, const WilcoxonOptions& w, AnalysisType type,
                            int samples, ParameterId dOutput) {
    const bool twoGroups = samples == 2;
    OutputTable table;
    if (!w.UsesLehmann()) {
        table = {test.NoncentralityRow(kNoncentralityDeltaId), test.CriticalValueRow(kCriticalTId),
                 test.DfRow(false)};
    } else if (w.zDistributionPlot) {
        table = {test.CriticalValueRow(kCriticalZId)};
    } else {
        table = {test.LowerCriticalRow(kLowerCriticalTId),
                 test.UpperCriticalRow(kUpperCriticalTId)};
    }
    if (type == kAPriori && twoGroups)
        AppendRows(table, {test.SampleSize1Row(), test.SampleSize2Row()});
    AppendRows(table, test.TypeOutputs(type));
    if (!w.UsesLehmann() || w.manualInput || !w.outputMoments) return table;
    if (w.EffectIsP1()) {
        table.push_back(test.Row(dOutput, [&w, samples] {
            return wilcox_p1_to_delta(w.momentP1, samples, w.lehmannParentCode);
        }));
    } else {
        table.push_back(test.Row(kMomentP1Id, [&w] { return w.momentP1; }));
    }
    table.push_back(test.Row(kMomentP2Id, [&w] { return w.momentP2; }));
    // Under a parent the two-group p3 equals p2.
    if (!twoGroups) table.push_back(test.Row(kMomentP3Id, [&w] { return w.momentP3; }));
    return table;
}

// The shift of the effect in units of the parent's standard deviation;
// only its size counts.
double ShiftOf(const PowerAnalysis& test, const WilcoxonOptions& w, double effect, int samples) {
    return std::fabs(WilcoxEffectToDelta(effect, w.method, samples, w.lehmannParentCode)) /
           test.relativeSD;
}

// The distributions of the rank statistic under H0 and H1 on the normal
// distribution the plot draws: standardised, or on the scale of T.
void SetNormalApproximation(Distribution* normal, const WilcoxonOptions& w, bool underH1) {
    const double sd0 = std::sqrt(w.nullVariance);
    double mean = 0.0, sd = 1.0;
    if (underH1) {
        mean = w.zDistributionPlot ? (w.altMean - w.nullMean) / sd0 : w.altMean;
        sd = w.zDistributionPlot ? std::sqrt(w.altVariance) / sd0 : std::sqrt(w.altVariance);
    } else if (!w.zDistributionPlot) {
        mean = w.nullMean;
        sd = sd0;
    }
    normal->SetParam(0, mean);
    normal->SetParam(1, sd);
}

// Under the normal approximation the plot runs on a normal distribution in
// place of the test's t distribution, which is back afterwards whatever
// happens.
template <class Test>
void PlotOnNormal(Test& test, PlotData* plot) {
    NormalDistribution normal(0.0, 1.0);
    Distribution* own = test.distribution;
    test.distribution = &normal;
    try {
        test.PowerAnalysis::MakeDistributionPlot(plot);
    } catch (...) {
        test.distribution = own;
        throw;
    }
    test.distribution = own;
}

}  // namespace

// ------------------------------------------------------------ the options

std::string WilcoxonOptions::MethodText() const {
    if (method == 1) return "A.R.E. method";
    std::string text = "Lehmann 3 moments method";
    if (continuityCorrection && !manualInput) text += ", continuity correction";
    return text;
}

std::string WilcoxonOptions::StatisticName() const {
    if (method == 1) return "t";
    return zDistributionPlot ? "z" : "T";
}

ParameterId WilcoxonOptions::CriticalValueId() const {
    return method == 1 ? kCriticalTId : kCriticalZId;
}

double WilcoxonOptions::Power(double alpha, bool oneTailed, double* criticalValue,
                              double* criticalValue2) {
    NormalDistribution normal(0.0, 1.0);
    // The upper point from the lower tail: 1 - alpha rounds to 1 below
    // 1.1e-16.
    const double z = -normal.Quantile(alpha / (oneTailed ? 1.0 : 2.0));
    const double gamma = continuityCorrection ? 0.5 : 0.0;
    const double sd0 = std::sqrt(nullVariance);
    upperCriticalT = nullMean + gamma + z * sd0;
    lowerCriticalT = nullMean - gamma - z * sd0;
    *criticalValue = *criticalValue2 = upperCriticalT;
    // Where the moments leave no spread under H1 (every probability 0 or 1,
    // or their rounding a hair below) the statistic sits at its mean.
    // P(T > x) and P(T < x) under H1; the upper tail as the lower tail of
    // the reflection, which keeps the digits of a small power.
    auto tail = [&](double x, double side) {
        if (!(altVariance > 0.0)) return side * (altMean - x) > 0.0 ? 1.0 : 0.0;
        return Phi(side * (altMean - x) / std::sqrt(altVariance));
    };
    double power = tail(upperCriticalT, 1.0);
    // beta on its own side: the acceptance region from the side away from
    // the bulk of H1, less the far tail beyond the other critical value.
    beta = tail(upperCriticalT, -1.0);
    if (!oneTailed) {
        power += tail(lowerCriticalT, -1.0);
        beta = altMean >= nullMean ? beta - tail(lowerCriticalT, -1.0)
                                   : tail(lowerCriticalT, 1.0) - tail(upperCriticalT, 1.0);
        beta = std::max(beta, 0.0);
        *criticalValue2 = lowerCriticalT;
    }
    if (zDistributionPlot) {
        *criticalValue = (*criticalValue - nullMean - gamma) / sd0;
        *criticalValue2 = (*criticalValue2 - nullMean + gamma) / sd0;
    }
    return power;
}

// ------------------------------------------------- both tests' methods

template <class Base, int kSamples>
double PowerTWilcoxon<Base, kSamples>::ComputeBeta2(double effect, double alphaValue, double n1,
                                                    double n2) {
    if (!wilcoxon.UsesLehmann()) return this->PowerT::ComputeBeta2(effect, alphaValue, n1, n2);
    ComputePower2(effect, alphaValue, n1, n2);
    return wilcoxon.beta;
}

template <class Base, int kSamples>
ParameterId PowerTWilcoxon<Base, kSamples>::GetEffectSizeId() {
    return wilcoxon.EffectIsP1() ? kMomentP1Id : DOutputId();
}

template <class Base, int kSamples>
void PowerTWilcoxon<Base, kSamples>::SetStandardValues() {
    this->SetDf(1.0);
    this->alpha = 0.05;
    this->power = 0.95;
    this->effectSize = 0.5;
    this->groupSize1 = this->groupSize2 = 50.0;
    this->sampleSize = 100.0;
    this->ratio = kStandardRatio;
    this->relativeSD = 1.0;
    wilcoxon.manualARE = 1.0;
    wilcoxon.momentP2 = 0.65;
    this->areIndex = 3;
    wilcoxon.zDistributionPlot = true;
    wilcoxon.method = 1;
    wilcoxon.lehmannParentCode = 3;
}

template <class Base, int kSamples>
double PowerTWilcoxon<Base, kSamples>::AREFactor() {
    const int index = this->areIndex;
    if (index == kManualARECode) return wilcoxon.manualARE;
    if (0 <= index && index < kManualARECode) {
        return kSamples == 1 ? OneSampleAREFactors[index] : TwoSampleAREFactors[index];
    }
    return 1.0;
}

template <class Base, int kSamples>
void PowerTWilcoxon<Base, kSamples>::SetCentralDistribution() {
    if (!wilcoxon.UsesLehmann()) return this->PowerAnalysis::SetCentralDistribution();
    SetNormalApproximation(this->distribution, wilcoxon, false);
}

template <class Base, int kSamples>
void PowerTWilcoxon<Base, kSamples>::SetNoncentralDistribution() {
    if (!wilcoxon.UsesLehmann()) return this->PowerAnalysis::SetNoncentralDistribution();
    SetNormalApproximation(this->distribution, wilcoxon, true);
}

template <class Base, int kSamples>
void PowerTWilcoxon<Base, kSamples>::MakeDistributionPlot(PlotData* plot) {
    if (!wilcoxon.UsesLehmann()) return this->PowerAnalysis::MakeDistributionPlot(plot);
    PlotOnNormal(*this, plot);
}

template <class Base, int kSamples>
double PowerTWilcoxon<Base, kSamples>::GetLowerCriticalValue() {
    return wilcoxon.UsesLehmann() ? this->criticalValue2 : -this->criticalValue;
}

template <class Base, int kSamples>
double PowerTWilcoxon<Base, kSamples>::StoreEffectSize(double effect) {
    if (wilcoxon.EffectIsP1() && !wilcoxon.manualInput && effect < 0.5) effect = 1.0 - effect;
    this->effectSize = wilcoxon.momentP1 = effect;
    return effect;
}

template <class Base, int kSamples>
double PowerTWilcoxon<Base, kSamples>::ComputePower(double effect, double alphaValue, double n) {
    return ComputePower2(effect, alphaValue, n / 2.0, n / 2.0);
}

template <class Base, int kSamples>
double PowerTWilcoxon<Base, kSamples>::ComputePower2(double effect, double alphaValue, double n1,
                                                     double n2) {
    if (!wilcoxon.UsesLehmann()) return this->PowerT::ComputePower2(effect, alphaValue, n1, n2);
    this->alpha = alphaValue;
    this->groupSize1 = n1;
    this->groupSize2 = n2;
    this->effectSize = effect;
    this->sampleSize = n1 + n2;
    if (!wilcoxon.manualInput) {
        WilcoxMomentsOfShift(ShiftOf(*this, wilcoxon, effect, kSamples), kSamples,
                             wilcoxon.lehmannParentCode, &wilcoxon.momentP1, &wilcoxon.momentP2,
                             &wilcoxon.momentP3);
    }
    SetRankMoments(alphaValue, n1, n2, wilcoxon.momentP1, wilcoxon.momentP2, wilcoxon.momentP3);
    return wilcoxon.Power(alphaValue, this->oneTailed, &this->criticalValue, &this->criticalValue2);
}

template <class Base, int kSamples>
double PowerTWilcoxon<Base, kSamples>::SensitivityObjective(double x) {
    return ComputePower2(x, this->alpha, this->groupSize1, this->groupSize2) - this->power;
}

template <class Base, int kSamples>
double PowerTWilcoxon<Base, kSamples>::SolveEffectSize(double alphaValue, double powerValue,
                                                       double n) {
    const bool p1 = wilcoxon.EffectIsP1();
    double effect = SearchingForD(
        wilcoxon, [&] { return this->PowerAnalysis::SolveEffectSize(alphaValue, powerValue, n); });
    if (p1) {
        effect = WilcoxP1FromDelta(effect / this->relativeSD, kSamples, wilcoxon.lehmannParentCode);
        wilcoxon.momentP1 = effect;
    }
    this->effectSize = effect;
    return effect;
}

template <class Base, int kSamples>
bool PowerTWilcoxon<Base, kSamples>::CheckEffectSize(int type, double effect) {
    return CheckWilcoxonEffect(*this, wilcoxon, type, effect, EffectName());
}

template <class Base, int kSamples>
OutputTable PowerTWilcoxon<Base, kSamples>::Outputs(AnalysisType type) {
    return WilcoxonOutputs(*this, wilcoxon, type, kSamples, DOutputId());
}

template <class Base, int kSamples>
void PowerTWilcoxon<Base, kSamples>::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    this->AddTailsInput(inputs);
    AddMethodInputs(*this, wilcoxon, this->areIndex, inputs);
    AddGivenInputs(*this, type, inputs, [&] {
        this->AddEffectSizeInput(inputs, GetEffectSizeId(), this->GetTestId(), "", true);
    });
    if (!GivenInputsOf(type).sampleSize) {
        // A priori splits the total it finds by this ratio.
        if (kSamples == 2) this->AddAllocationRatioInput(inputs, kAllocationRatioId);
    } else if (kSamples == 1) {
        this->AddSampleSizeInput(inputs, kTotalSampleSizeId);
    } else {
        this->AddSampleSize1Input(inputs);
        this->AddSampleSize2Input(inputs);
    }
}

namespace {

// A radio group's chosen index; 0 when the dialog did not return it.
int ChosenIndex(const OptionValues& chosen, int id) {
    const auto it = chosen.find(id);
    return it == chosen.end() ? 0 : static_cast<int>(it->second);
}

bool LehmannPage(const OptionValues& chosen) {
    return ChosenIndex(chosen, kWilcoxonPageOption) != 0;
}

}  // namespace

// The page and the method's choices are written together by the page; the
// Lehmann page's other choices count only when that page was chosen.
template <class Base, int kSamples>
TestOptions PowerTWilcoxon<Base, kSamples>::Options() {
    WilcoxonOptions& w = wilcoxon;
    TestOption page = ShownOption(kWilcoxonPageOption, OptionKind::kPage,
                                  [&w] { return w.method == 1 ? 0.0 : 1.0; });
    page.write = [this](double value, const OptionValues& chosen, OptionScreen& screen) {
        WilcoxonOptions& options = wilcoxon;
        const int oldMethod = options.method;
        const bool oldManual = options.manualInput;
        const std::string oldEffectLabel = ParameterNames[GetEffectSizeId()];
        if (value == 0) {
            options.manualInput = ChosenIndex(chosen, kWilcoxonAreSourceOption) != 0;
            options.method = 1;
        } else {
            options.manualInput = ChosenIndex(chosen, kWilcoxonInputMethodOption) != 0;
            options.method =
                (options.manualInput || ChosenIndex(chosen, kWilcoxonEffectOption) == 1) ? 2 : 3;
        }
        ConvertShownEffect(oldMethod, oldManual, oldEffectLabel, screen);
    };
    const auto manual = [&w] { return w.manualInput ? 1.0 : 0.0; };
    TestOption plot = EitherOption(kWilcoxonPlotOption, w.zDistributionPlot, true);
    TestOption moments = FlagOption(kWilcoxonMomentsOption, w.outputMoments);
    TestOption continuity = FlagOption(kWilcoxonContinuityOption, w.continuityCorrection);
    for (TestOption* lehmann : {&plot, &moments, &continuity}) {
        lehmann->write = [write = lehmann->write](double value, const OptionValues& chosen,
                                                  OptionScreen& screen) {
            if (LehmannPage(chosen)) write(value, chosen, screen);
        };
    }
    return {"COpt_T_Wilcoxon",
            {page, ShownOption(kWilcoxonAreSourceOption, OptionKind::kChoice, manual),
             ShownOption(kWilcoxonInputMethodOption, OptionKind::kChoice, manual),
             ShownOption(kWilcoxonEffectOption, OptionKind::kChoice,
                         [&w] { return (w.method == 1 || w.method == 3) ? 0.0 : 1.0; }),
             plot, moments, continuity}};
}

template <class Base, int kSamples>
void PowerTWilcoxon<Base, kSamples>::ConvertShownEffect(int oldMethod, bool oldManual,
                                                        const std::string& oldEffectLabel,
                                                        OptionScreen& screen) {
    const WilcoxonOptions& w = wilcoxon;
    const bool toP1 = (oldMethod == 1 || oldMethod == 3) && w.method == 2 && !w.manualInput;
    const bool toD = oldMethod == 2 && !oldManual && (w.method == 1 || w.method == 3);
    if (!toP1 && !toD) return;
    Property* effect = screen.FindParameter(oldEffectLabel);
    Property* parent = screen.Inputs().Find(ParameterNames[kParentDistributionId]);
    if (!effect || !parent || parent->GetType() != Property::kSelection) return;
    const int option = static_cast<PropertySelection*>(parent)->index;
    const double shown = ShownValue(effect);
    const double converted =
        toP1 ? WilcoxP1FromDelta(shown, kSamples, WilcoxParentCode(oldMethod, option))
             : wilcox_p1_to_delta(shown, kSamples, WilcoxParentCode(2, option));
    this->effectSize = converted;
    screen.SetEffectSize(converted);
    RememberEffectText(&this->inputTexts, ParameterNames[GetEffectSizeId()], converted);
}

std::optional<WilcoxonMethodChoice> ChosenWilcoxonMethod(PowerAnalysis* test) {
    if (!test) return std::nullopt;
    const TestOptions options = test->Options();
    const auto page = options.Value(kWilcoxonPageOption);
    if (!page) return std::nullopt;
    WilcoxonMethodChoice choice;
    if (*page == 0) {
        choice.manualInput = options.Value(kWilcoxonAreSourceOption).value_or(0) != 0;
    } else {
        choice.manualInput = options.Value(kWilcoxonInputMethodOption).value_or(0) != 0;
        choice.method =
            (choice.manualInput || options.Value(kWilcoxonEffectOption).value_or(0) == 1) ? 2 : 3;
    }
    return choice;
}

template <class Base, int kSamples>
void PowerTWilcoxon<Base, kSamples>::TakeMethodInputs(const WilcoxonMethodInputs& read) {
    WilcoxonOptions& w = wilcoxon;
    if (!w.manualInput) {
        if (w.UsesLehmann()) {
            w.lehmannParentCode = read.code;
            this->areIndex = 0;
        } else {
            this->areIndex = read.code;
        }
    } else if (!w.UsesLehmann()) {
        wilcoxon.manualARE = read.manualARE;
        this->areIndex = kManualARECode;
    } else {
        wilcoxon.momentP2 = read.p2;
        wilcoxon.momentP3 = read.p3;
    }
    this->relativeSD = w.EffectIsP1() && !w.manualInput ? read.relativeSD : 1.0;
}

template <class Base, int kSamples>
CalculateStatus PowerTWilcoxon<Base, kSamples>::Calculate(AnalysisType type, PropertyList* inputs) {
    constexpr SampleInputs sample = kSamples == 1 ? SampleInputs::kTotal : SampleInputs::kGroups;
    int tails = 0;
    WilcoxonMethodInputs method;
    ReadCheckSolve path = this->FamilyPath(type, inputs, sample, tails, {}, [&](GivenValues& v) {
        TakeMethodInputs(method);
        if (type != kSensitivity) v.effect = StoreEffectSize(v.effect);
        if (sample == SampleInputs::kGroups && type != kAPriori) {
            this->groupSize1 = static_cast<double>(v.sampleSize1);
            this->groupSize2 = static_cast<double>(v.sampleSize2);
            this->sampleSize = this->groupSize1 + this->groupSize2;
        }
    });
    // The tails stand above the model's inputs.
    path.readDesign = [&] {
        int tailsRow = -1;
        tails = this->ReadTails(inputs, &tailsRow);
        if (const int bad = ReadMethodInputs(*this, wilcoxon, inputs, &method); bad >= 0)
            return bad;
        // Moments entered by hand fix no effect to search for.
        if (type == kSensitivity && wilcoxon.manualInput && wilcoxon.UsesLehmann()) {
            this->messages << "A sensitivity analysis is not possible if moments are "
                              "specified manually";
            return tailsRow;
        }
        return -1;
    };
    // The critical values of the alpha found.
    path.afterCriterion = [this](const GivenValues&) {
        ComputePower2(this->effectSize, this->alpha, this->groupSize1, this->groupSize2);
    };
    path.typeChecks = &this->checkTables.Of(type, sample, 0, [this, type] {
        if constexpr (kSamples == 1) {
            return this->FamilyChecks(this->EffectSizeCheck(type),
                                      {TotalSampleSizeIn(*this, 3, kLargestTotalSampleSize)});
        } else {
            return this->TwoGroupFamilyChecks(this->EffectSizeCheck(type),
                                              GroupSizeChecks(*this, 3));
        }
    });
    return RunReadCheckSolve(*this, type, inputs, path);
}

template class PowerTWilcoxon<PowerTOneMean, 1>;
template class PowerTWilcoxon<PowerTMeans, 2>;

// ------------------------------------------------------ signed-rank test

PowerTWilcox1::PowerTWilcox1() {
    PowerTWilcox1::SetStandardValues();
}

PowerAnalysis* PowerTWilcox1::Clone() {
    return CloneWilcoxon<PowerTWilcox1>();
}

std::string PowerTWilcox1::GetTestName() {
    return "Means: Wilcoxon signed-rank test (one sample case)";
}

void PowerTWilcox1::SetStandardValues() {
    PowerTWilcoxon::SetStandardValues();
    allocationRatio = 1.0;
    wilcoxon.momentP1 = 0.6;
    wilcoxon.momentP3 = 0.6;
}

void PowerTWilcox1::SetRankMoments(double alphaValue, double n1, double n2, double p1, double p2,
                                   double p3) {
    const double n = n1 + n2;
    wilcoxon.altMean = n * (n - 1.0) * p2 / 2.0 + n * p1;
    wilcoxon.altVariance =
        n * (n - 1.0) / 2.0 * (3.0 * p2 * (1.0 - p2) + 2.0 * (p1 - p2) * (p1 - p2)) +
        n * (n - 1.0) * (n - 2.0) * (p3 - p2 * p2) + n * p1 * (1.0 - p1);
    WilcoxSignedRankNullMoments(alphaValue / (oneTailed ? 1.0 : 2.0), n, &wilcoxon.lowerCriticalT,
                                &wilcoxon.upperCriticalT, &wilcoxon.nullMean,
                                &wilcoxon.nullVariance, wilcoxon.continuityCorrection);
}

// ------------------------------------------------------------ matched pairs

PowerAnalysis* PowerTWilcoxPair::Clone() {
    return CloneWilcoxon<PowerTWilcoxPair>();
}

std::string PowerTWilcoxPair::GetTestName() {
    return "Means: Wilcoxon signed-rank test (matched pairs)";
}

// ------------------------------------------------------- two-group test

PowerTWilcox2::PowerTWilcox2() {
    PowerTWilcox2::SetStandardValues();
}

PowerAnalysis* PowerTWilcox2::Clone() {
    return CloneWilcoxon<PowerTWilcox2>();
}

std::string PowerTWilcox2::GetTestName() {
    return "Means: Wilcoxon-Mann-Whitney test (two groups)";
}

void PowerTWilcox2::SetStandardValues() {
    PowerTWilcoxon::SetStandardValues();
    wilcoxon.momentP1 = 0.55;
    wilcoxon.momentP3 = 0.65;
    wilcoxon.manualInput = false;
}

void PowerTWilcox2::SetRankMoments(double /*alpha*/, double n1, double n2, double p1, double p2,
                                   double p3) {
    wilcoxon.altMean = n1 * n2 * p1;
    wilcoxon.altVariance =
        n1 * n2 * (p1 * (1.0 - p1) + (n2 - 1.0) * (p2 - p1 * p1) + (n1 - 1.0) * (p3 - p1 * p1));
    wilcoxon.nullMean = n1 * n2 / 2.0;
    wilcoxon.nullVariance = n1 * n2 * (n1 + n2 + 1.0) / 12.0;
}
