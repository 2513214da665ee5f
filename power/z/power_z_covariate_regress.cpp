#include "power/z/power_z_covariate_regress.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "distributions/chi.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"
#include "power/z/enumeration_workspace.h"

namespace {

// The admissible alpha at most; a one-tailed alpha doubled for the
// two-sided chi-square statistic stays below it.
constexpr double kLargestAlpha = 0.9999999;
// Enough for the steps a search for N takes near its answer.
constexpr size_t kKeptEnumerations = 16;

}  // namespace

void PowerZCovariateRegress::SetStandardValues() {
    alpha = 0.05;
    power = 0.95;
    sampleSize = 100.0;
    groupSize1 = groupSize2 = 50.0;
    allocationRatio = 1.0;
    effectSize = 1.3;
    ratio = kStandardRatio;
    nullSD = 1.0;
    noncentralSD = 1.0;
    effectDirection = 1.0;
    SetNormal(0.0, 1.0);
    xDistribution = kXNormal;
    normalMean = 0.0;
    normalSD = 1.0;
    exponentialLambda = 1.0;
    binomialPi = 0.5;
    uniformLeft = 0.0;
    uniformRight = 1.0;
    lognormalMu = 0.0;
    lognormalSigma = 1.0;
    poissonLambda = 1.0;
    manualVarH0 = 1.0;
    manualVarH1 = 1.5;
    otherR2 = 0.0;
    useEnumeration = false;
    enumerationWald = true;
    demidenko = true;
    varianceCorrection = true;
    enumerationMaxN = 10000.0;
}

std::string PowerZCovariateRegress::GetMethodText() {
    if (UsesEnumeration()) {
        return std::string("Enumeration method, ") + (enumerationWald ? "Wald" : "LR") + "-test";
    }
    std::string text = "Large sample z-Test, ";
    text += demidenko ? "Demidenko (2007)" : "Signorini (1991)";
    if (demidenko && varianceCorrection) text += " with var corr ";
    return text;
}

void PowerZCovariateRegress::CopyCovariateStateTo(PowerZCovariateRegress* copy) const {
    copy->xDistribution = xDistribution;
    copy->normalMean = normalMean;
    copy->normalSD = normalSD;
    copy->exponentialLambda = exponentialLambda;
    copy->binomialPi = binomialPi;
    copy->uniformLeft = uniformLeft;
    copy->uniformRight = uniformRight;
    copy->lognormalMu = lognormalMu;
    copy->lognormalSigma = lognormalSigma;
    copy->poissonLambda = poissonLambda;
    copy->manualVarH0 = manualVarH0;
    copy->manualVarH1 = manualVarH1;
    copy->varianceH0 = varianceH0;
    copy->varianceH1 = varianceH1;
    copy->otherR2 = otherR2;
    copy->enumerationNoncentrality = enumerationNoncentrality;
    copy->useEnumeration = useEnumeration;
    copy->enumerationWald = enumerationWald;
    copy->demidenko = demidenko;
    copy->varianceCorrection = varianceCorrection;
    copy->enumerationMaxN = enumerationMaxN;
}

int PowerZCovariateRegress::CheckSlopeVariances(double effect, PropertyList* inputs) {
    const double saved = effectSize;
    effectSize = effect;
    // An infinite or vanishing variance is an answer the power functions
    // take (no information on the slope, or all of it); an integral or sum
    // that cannot be done is not.
    bool computable = true;
    try {
        GetNoncentralSD();
    } catch (const QuorixError&) {
        computable = false;
    }
    effectSize = saved;
    if (computable) return -1;
    return RefuseCovariate(inputs);
}

bool PowerZCovariateRegress::CovariateVarianceVanishes() const {
    double variance = 1.0;
    switch (xDistribution) {
        case kXExponential:
            variance = 1.0 / (exponentialLambda * exponentialLambda);
            break;
        case kXLognormal: {
            const double s2 = lognormalSigma * lognormalSigma;
            variance = std::expm1(s2) * std::exp(2.0 * lognormalMu + s2);
            break;
        }
        case kXNormal:
            variance = normalSD * normalSD;
            break;
        case kXUniform: {
            const double width = uniformRight - uniformLeft;
            variance = width * width / 12.0;
            break;
        }
        default:
            return false;
    }
    return !std::isfinite(1.0 / variance);
}

int PowerZCovariateRegress::RefuseCovariate(PropertyList* inputs) {
    // The parameter that sets the covariate's scale or tail.
    ParameterId id = kXParmSigmaId;
    switch (xDistribution) {
        case kXBinomial:
            id = kXParmPiId;
            break;
        case kXExponential:
        case kXPoisson:
            id = kXParmLambdaId;
            break;
        case kXUniform:
            id = kXRightBorderId;
            break;
        case kXManual:
            id = kXVarBetaH1Id;
            break;
        default:
            break;
    }
    int row = -1;
    inputs->FindWithIndex(ParameterNames[id], &row);
    messages << "The variance of the slope cannot be computed for this X distribution:\n"
                "its moments overflow or vanish over the range of X.\n"
                "Please try less extreme X parameters or a smaller effect.";
    return row;
}

void PowerZCovariateRegress::CheckCompromiseRatio(double q, double beta) const {
    const double met = beta / (q * alpha);
    if (!(std::fabs(met - 1.0) <= 1e-4)) {
        throw QuorixError("Solver-Compromise: beta / alpha does not meet the ratio",
                          QuorixError::kUnknown, alpha);
    }
}

PowerZCovariateRegress::CovariateParameters PowerZCovariateRegress::GetCovariateParameters() const {
    switch (xDistribution) {
        case kXBinomial:
            return {xDistribution, binomialPi, 0.0};
        case kXExponential:
            return {xDistribution, exponentialLambda, 0.0};
        case kXLognormal:
            return {xDistribution, lognormalMu, lognormalSigma};
        case kXPoisson:
            return {xDistribution, poissonLambda, 0.0};
        case kXUniform:
            return {xDistribution, uniformLeft, uniformRight};
        case kXManual:
            return {xDistribution, manualVarH0, manualVarH1};
        default:
            return {xDistribution, normalMean, normalSD};
    }
}

PowerZCovariateRegress::VarianceInputs PowerZCovariateRegress::VarianceInputsOf(double beta0,
                                                                                double beta1,
                                                                                int rule) const {
    const CovariateParameters x = GetCovariateParameters();
    const double code = x.code;
    return {
        code, x.a, x.b, beta0, beta1, static_cast<double>(rule), varianceCorrection ? 1.0 : 0.0};
}

bool PowerZCovariateRegress::RecallVariances(double beta0, double beta1, int rule, double* var0,
                                             double* var1) const {
    if (!lastIntegrated_.has_value()) return false;
    // Bit for bit: a signed zero or a NaN is then never taken for another
    // number.
    const VarianceInputs inputs = VarianceInputsOf(beta0, beta1, rule);
    if (std::memcmp(inputs.data(), lastIntegrated_->inputs.data(), sizeof inputs) != 0) {
        return false;
    }
    *var0 = lastIntegrated_->var0;
    *var1 = lastIntegrated_->var1;
    return true;
}

void PowerZCovariateRegress::KeepVariances(double beta0, double beta1, int rule, double var0,
                                           double var1) {
    lastIntegrated_ = IntegratedVariances{VarianceInputsOf(beta0, beta1, rule), var0, var1};
}

double PowerZCovariateRegress::EnumerationPower(double alphaValue, double effectiveN) {
    const CovariateParameters x = GetCovariateParameters();
    const double a = x.a, b = x.b;
    // The chi-square statistic is two-sided: a one-tailed level is doubled,
    // but never to a level of 1 or more.
    const double level = oneTailed ? std::min(2.0 * alphaValue, kLargestAlpha) : alphaValue;
    const double n = std::min(RoundTo(effectiveN, 0), enumerationMaxN);
    const EnumeratedDesign design{
        EnumeratedModel(), EnumerationCovariateOf(xDistribution), a, b, static_cast<int>(n),
        enumerationWald};
    // The data set and its fit do not depend on alpha: a search over alpha
    // enumerates once and then only moves the critical value.
    auto known = std::find_if(enumerated_.begin(), enumerated_.end(),
                              [&](const EnumerationResult& r) { return r.design == design; });
    double noncentrality;
    if (known != enumerated_.end()) {
        noncentrality = known->noncentrality;
    } else {
        if (!workspace_) workspace_ = std::make_unique<EnumerationWorkspace>();
        EnumerationWorkspace& workspace = *workspace_;
        workspace.cancel = &cancelled;
        workspace.SetCovariate(design.covariate, a, b);
        Enumerate(workspace, design.n, level);
        noncentrality = workspace.noncentrality;
        if (enumerated_.size() == kKeptEnumerations) enumerated_.erase(enumerated_.begin());
        enumerated_.push_back(EnumerationResult{design, noncentrality});
    }
    const OneDfChiSquareTest test = ChiSquareTestAt(noncentrality, level);
    criticalValue = criticalValue2 = test.criticalValue;
    enumerationNoncentrality = noncentrality;
    shiftBeta = test.acceptance;
    df = 1.0;
    return test.power;
}

bool PowerZCovariateRegress::EnumerationApplies() {
    return useEnumeration && enumerationMaxN > std::trunc(sampleSize);
}

bool PowerZCovariateRegress::UsesEnumeration() {
    return EnumerationApplies() && xDistribution != kXManual;
}

std::string PowerZCovariateRegress::GetStatisticName() {
    return UsesEnumeration() ? "$\\chi$$^2$" : "z";
}

ParameterId PowerZCovariateRegress::GetCriticalValueId() {
    return UsesEnumeration() ? kCriticalChiSquareId : kCriticalZId;
}

ParameterId PowerZCovariateRegress::GetNoncentralityId() {
    return UsesEnumeration() ? kNoncentralityLambdaId : kNoncentralityMuId;
}

double PowerZCovariateRegress::GetLowerCriticalValue() {
    return UsesEnumeration() ? criticalValue2 : -criticalValue;
}

void PowerZCovariateRegress::SetCentralDistribution() {
    if (auto* chi = dynamic_cast<ChiDistribution*>(distribution)) {
        chi->SetNoncentrality(0.0);
        chi->SetParam(1, 1.0);
        return;
    }
    SetNormal(0.0, 1.0);
}

void PowerZCovariateRegress::SetNoncentralDistribution() {
    if (auto* chi = dynamic_cast<ChiDistribution*>(distribution)) {
        chi->SetNoncentrality(enumerationNoncentrality);
        chi->SetParam(1, 1.0);
        return;
    }
    GetNoncentralSD();
    double mean = 0.0, sd = 1.0;
    NormalUnderH1(&mean, &sd);
    SetNormal(mean, sd);
}

void PowerZCovariateRegress::MakeDistributionPlot(PlotData* plot) {
    if (!UsesEnumeration()) return PowerAnalysis::MakeDistributionPlot(plot);
    // The chi-square statistic in place of the normal one for the plot. Its
    // rejection region is the upper tail whatever the effect's sign.
    Distribution* normal = distribution;
    const bool tails = oneTailed;
    ChiDistribution chi(1.0, 0.0);
    distribution = &chi;
    oneTailed = true;
    try {
        plot->continuous = IsContinuous();
        plot->centralCurve.clear();
        plot->side = 1;
        MakeUpperTailPlot(plot);
    } catch (...) {
        distribution = normal;
        oneTailed = tails;
        throw;
    }
    distribution = normal;
    oneTailed = tails;
}

bool PowerZCovariateRegress::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 5, kLargestTotalSampleSize);
}

void PowerZCovariateRegress::BracketSampleSize() {
    BracketSampleSizeFrom(2.0, 100.0);
}

bool PowerZCovariateRegress::InputsChangeLayout(AnalysisType, PropertyList* inputs) {
    int row = -1;
    int code = xDistribution;
    try {
        code = ReadXDistribution(inputs, &row);
    } catch (const InputFormulaError&) {
        return false;
    }
    if (code == xDistribution || !(kXBinomial <= code && code <= kXManual)) return false;
    xDistribution = code;
    return true;
}

// ------------------------------------------------------------ the covariate

void PowerZCovariateRegress::StartInputList(PropertyList* inputs) {
    inputs->Clear();
    // The manual mode has no covariate to enumerate; the enumeration method
    // offers the others only.
    if (EnumerationApplies() && xDistribution == kXManual) xDistribution = kXNormal;
    AddTailsInput(inputs);
}

void PowerZCovariateRegress::AddCovariateInputs(PropertyList* inputs) {
    AddDoubleInput(inputs, kR2OtherXId, otherR2);
    AddXDistributionInput(inputs, xDistribution, UsesEnumeration());
    switch (xDistribution) {
        case kXBinomial:
            AddDoubleInput(inputs, kXParmPiId, binomialPi);
            break;
        case kXExponential:
            AddDoubleInput(inputs, kXParmLambdaId, exponentialLambda);
            break;
        case kXLognormal:
            AddDoubleInput(inputs, kXParmMuId, lognormalMu);
            AddDoubleInput(inputs, kXParmSigmaId, lognormalSigma);
            break;
        case kXNormal:
            AddDoubleInput(inputs, kXParmMuId, normalMean);
            AddDoubleInput(inputs, kXParmSigmaId, normalSD);
            break;
        case kXPoisson:
            AddDoubleInput(inputs, kXParmLambdaId, poissonLambda);
            break;
        case kXUniform:
            AddDoubleInput(inputs, kXLeftBorderId, uniformLeft);
            AddDoubleInput(inputs, kXRightBorderId, uniformRight);
            break;
        case kXManual:
            AddDoubleInput(inputs, kXVarBetaH0Id, manualVarH0);
            AddDoubleInput(inputs, kXVarBetaH1Id, manualVarH1);
            break;
        default:
            break;
    }
}

int PowerZCovariateRegress::ReadCovariate(PropertyList* inputs) {
    int row = -1, row2 = -1;
    // The row of the parameter whose moments the test cannot carry, with
    // the message; -1 where both can be.
    auto unrepresentable = [&](double first, double second) {
        const int which = UnrepresentableParameter(first, second);
        if (which == 0) return -1;
        messages << "Input error (number out of range)";
        return which == 1 ? row : row2;
    };
    switch (xDistribution) {
        case kXBinomial: {
            const double pi = ReadDouble(inputs, kXParmPiId, &row);
            if (!(0.0 < pi && pi < 1.0)) {
                messages << "The parameter pi must lie in the interval ]0,1[.";
                return row;
            }
            binomialPi = pi;
            return -1;
        }
        case kXExponential:
        case kXPoisson: {
            const double lambda = ReadDouble(inputs, kXParmLambdaId, &row);
            if (!(lambda > 0.0)) {
                messages << "The parameter lambda must be > 0.";
                return row;
            }
            if (const int bad = unrepresentable(lambda, 0.0); bad >= 0) return bad;
            if (xDistribution == kXExponential) {
                exponentialLambda = lambda;
            } else {
                poissonLambda = lambda;
            }
            return -1;
        }
        case kXNormal:
        case kXLognormal: {
            const double mu = ReadDouble(inputs, kXParmMuId, &row);
            const double sigma = ReadDouble(inputs, kXParmSigmaId, &row2);
            if (!(sigma > 0.0)) {
                messages << "The standard deviation must be > 0.";
                return row2;
            }
            if (!CheckFinite(mu)) return row;
            if (const int bad = unrepresentable(mu, sigma); bad >= 0) return bad;
            if (xDistribution == kXNormal) {
                normalMean = mu;
                normalSD = sigma;
            } else {
                lognormalMu = mu;
                lognormalSigma = sigma;
            }
            return -1;
        }
        case kXUniform: {
            const double left = ReadDouble(inputs, kXLeftBorderId, &row);
            const double right = ReadDouble(inputs, kXRightBorderId, &row2);
            if (!(left < right)) {
                messages << "The left interval border must be lower than the right border.";
                return row;
            }
            if (const int bad = unrepresentable(left, right); bad >= 0) return bad;
            uniformLeft = left;
            uniformRight = right;
            return -1;
        }
        case kXManual: {
            const double v0 = ReadDouble(inputs, kXVarBetaH0Id, &row);
            const double v1 = ReadDouble(inputs, kXVarBetaH1Id, &row2);
            if (!(v0 > 0.0)) {
                messages << "The variance under H0 must be greater than zero.";
                return row;
            }
            if (!(v1 > 0.0)) {
                messages << "The variance under H1 must be greater than zero.";
                return row2;
            }
            if (!CheckFinite(v0)) return row;
            if (!CheckFinite(v1)) return row2;
            manualVarH0 = v0;
            manualVarH1 = v1;
            return -1;
        }
        default:
            return -1;
    }
}

// ------------------------------------------------- no alpha above the floor

bool PowerZCovariateRegress::PassesAtAlpha(AnalysisType type, double effect, double target,
                                           double n, double level) {
    if (type == kCriterion) return ComputePower2(effect, level, n / 2.0, n / 2.0) > target;
    // Compromise: beta / alpha below the ratio asked for.
    return ComputeBeta2(effect, level, n / 2.0, n / 2.0) < target * level;
}

std::vector<PowerZCovariateRegress::Setting> PowerZCovariateRegress::CovariateSettings() {
    switch (xDistribution) {
        case kXBinomial:
            return {{kXParmPiId, &binomialPi}};
        case kXExponential:
            return {{kXParmLambdaId, &exponentialLambda}};
        case kXLognormal:
            return {{kXParmMuId, &lognormalMu}, {kXParmSigmaId, &lognormalSigma}};
        case kXNormal:
            return {{kXParmMuId, &normalMean}, {kXParmSigmaId, &normalSD}};
        case kXPoisson:
            return {{kXParmLambdaId, &poissonLambda}};
        case kXUniform:
            return {{kXLeftBorderId, &uniformLeft}, {kXRightBorderId, &uniformRight}};
        case kXManual:
            return {{kXVarBetaH0Id, &manualVarH0}, {kXVarBetaH1Id, &manualVarH1}};
        default:
            return {};
    }
}

int PowerZCovariateRegress::RefuseBelowAlphaFloor(AnalysisType type, double effect, double target,
                                                  double n, double floor, GivenRows rows,
                                                  PropertyList* inputs) {
    // The row of the input that puts the answer out of reach: the first one
    // (N, the model's inputs, the covariate's parameters) whose standard
    // value would bring it back above the floor. Where none does alone (the
    // standard inputs themselves), the effect's. With the enumeration
    // method every trial would enumerate anew; its refusals name the effect.
    int row = rows.effect;
    auto rowOf = [&](ParameterId id) {
        int found = -1;
        inputs->FindWithIndex(ParameterNames[id], &found);
        return found;
    };
    auto passes = [&](double trialN) {
        try {
            return PassesAtAlpha(type, effect, target, trialN, floor);
        } catch (const QuorixError&) {
            return true;  // no answer there either
        }
    };
    if (!UsesEnumeration()) {
        // The same test and covariate at the standard inputs.
        std::unique_ptr<PowerAnalysis> copy(Clone());
        auto* standard = static_cast<PowerZCovariateRegress*>(copy.get());
        standard->SetStandardValues();
        standard->xDistribution = xDistribution;
        auto settingsOf = [](PowerZCovariateRegress* test) {
            std::vector<Setting> settings = test->ModelSettings();
            for (const Setting& setting : test->CovariateSettings()) settings.push_back(setting);
            return settings;
        };
        const std::vector<Setting> settings = settingsOf(this);
        const std::vector<Setting> standards = settingsOf(standard);
        if (n != standard->sampleSize && !passes(standard->sampleSize)) {
            row = rows.n;
        } else {
            for (size_t i = 0; i < settings.size(); ++i) {
                double& value = *settings[i].value;
                const double kept = value;
                if (kept == *standards[i].value) continue;
                value = *standards[i].value;
                const bool stillPasses = passes(n);
                value = kept;
                if (!stillPasses) {
                    row = rowOf(settings[i].id);
                    break;
                }
            }
        }
    }
    // The power at the floor: at least that at every alpha above it.
    const double floorPower = ComputePower2(effect, floor, n / 2.0, n / 2.0);
    ClearMessage();
    messages << "The power is ";
    if (floorPower >= 0.9999995) {
        messages << "1";
    } else {
        messages << "at least " << floorPower;
    }
    messages << " at every $\\alpha$ down to " << floor << ":\n"
             << (type == kCriterion ? "no $\\alpha$ gives the power asked for."
                                    : "no $\\alpha$ meets the $\\beta$/$\\alpha$ ratio asked for.")
             << "\nPlease try a smaller effect or sample size, or less extreme X parameters.";
    return row;
}

// ---------------------------------------------------------------- the run

double PowerZCovariateRegress::SolveSensitivity(double alphaValue, double powerValue) {
    return SolveEffectSize2(alphaValue, powerValue, sampleSize / 2.0, sampleSize / 2.0);
}

CalculateStatus PowerZCovariateRegress::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    int row = -1;
    const int code = ReadXDistribution(inputs, &row);
    if (code == kXManual && type == kSensitivity) {
        messages << "Sensitivity analyses are not possible when using\n'manual mode' in "
                    "specifying the X distribution";
        return row;
    }

    int tailsRow = -1;
    const int tails = ReadTails(inputs, &tailsRow);
    const double r2 = ReadDouble(inputs, kR2OtherXId, &row);
    if (!CheckProportion("R$^2$ other X", r2)) return row;
    if (const int bad = ReadModelInputs(inputs); bad >= 0) return bad;
    otherR2 = r2;

    if (const int bad = ReadCovariate(inputs); bad >= 0) return bad;
    // Before any type's own inputs, so that every type refuses it alike
    // (a search would end in a failure of its own instead).
    if (CovariateVarianceVanishes()) return RefuseCovariate(inputs);

    if (type == kSensitivity) {
        const SensitivityGiven given = ReadSensitivityGiven(inputs);
        if (!CheckAlphaRange(given.alpha)) return given.alphaRow;
        if (!CheckPowerRange(given.power)) return given.powerRow;
        if (!CheckPowerAboveAlpha(given.alpha, given.power)) return given.powerRow;
        if (!CheckSampleSizeMinimum(static_cast<int>(given.n), 2)) return given.nRow;
        effectDirection = given.direction == 1 ? 1.0 : -1.0;
        oneTailed = tails == 0;
        sampleSize = static_cast<double>(given.n);
        groupSize1 = groupSize2 = sampleSize / 2.0;
        double tried = effectSize;
        try {
            effectSize = RestoringOnFailure(effectSize, [&] {
                try {
                    return SolveSensitivity(given.alpha, given.power);
                } catch (const QuorixError&) {
                    tried = effectSize;
                    throw;
                }
            });
        } catch (const QuorixError&) {
            // A search that needed the slope variances at an effect where
            // they cannot be computed is refused as the other types refuse
            // the effect they are given. A copy takes that effect, so that
            // the failed search leaves this test as it was.
            std::unique_ptr<PowerAnalysis> copy(Clone());
            auto* probe = static_cast<PowerZCovariateRegress*>(copy.get());
            probe->ClearMessage();
            probe->KeepDesign(sampleSize, tried);
            const int bad = probe->CheckSlopeVariances(tried, inputs);
            if (bad < 0) throw;
            messages << probe->GetMessage();
            return bad;
        }
        // The critical values of the effect found.
        ComputePower(effectSize, given.alpha, sampleSize);
        power = given.power;
        return kCalculateDone;
    }

    int effectRow = -1;
    const double e = ReadEffectSize(inputs, &effectRow, GetEffectSizeId());
    if (!CheckEffectDiffers(e)) return effectRow;
    // Once the given inputs have passed their checks: the design, and the
    // slope variances at the effect, which every search then takes.
    auto takeDesign = [&](double n) {
        oneTailed = tails == 0;
        groupSize1 = groupSize2 = n / 2.0;
        KeepDesign(n, e);
        return CheckSlopeVariances(e, inputs);
    };

    int alphaRow = -1, powerRow = -1, nRow = -1;
    switch (type) {
        case kAPriori: {
            const double a = ReadAlpha(inputs, &alphaRow);
            const double p = ReadPower(inputs, &powerRow);
            if (!CheckEffectInput(type, e)) return effectRow;
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckPowerAboveAlpha(a, p)) return powerRow;
            if (const int bad = takeDesign(sampleSize); bad >= 0) return bad;
            effectSize = e;
            const double n = SolveSampleSize(e, a, p, true);
            groupSize1 = groupSize2 = n / 2.0;
            KeepDesign(n, e);
            actualPower = ComputePower2(e, a, n / 2.0, n / 2.0);
            break;
        }
        case kPostHoc: {
            const double a = ReadAlpha(inputs, &alphaRow);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectInput(type, e)) return effectRow;
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckSampleSizeMinimum(static_cast<int>(n), 2)) return nRow;
            if (const int bad = takeDesign(static_cast<double>(n)); bad >= 0) return bad;
            power = ComputePower2(e, a, n / 2.0, n / 2.0);
            break;
        }
        case kCriterion: {
            const double p = ReadPower(inputs, &powerRow);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectInput(type, e)) return effectRow;
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckSampleSizeMinimum(static_cast<int>(n), 2)) return nRow;
            if (const int bad = takeDesign(static_cast<double>(n)); bad >= 0) return bad;
            try {
                alpha = SolveAlpha2(e, p, n / 2.0, n / 2.0);
            } catch (const QuorixError& error) {
                if (error.GetCode() != QuorixError::kBelowLowerBound) throw;
                return RefuseBelowAlphaFloor(type, e, p, static_cast<double>(n), error.GetValue(),
                                             {effectRow, nRow}, inputs);
            }
            // The critical values of the alpha found.
            ComputePower2(e, alpha, n / 2.0, n / 2.0);
            power = p;
            break;
        }
        case kCompromise: {
            const double q = ReadRatio(inputs, &row);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectInput(type, e)) return effectRow;
            if (!CheckSampleSizeMinimum(static_cast<int>(n), 2)) return nRow;
            if (!CheckRatio(q, 0.01, 100.0)) return row;
            if (const int bad = takeDesign(static_cast<double>(n)); bad >= 0) return bad;
            try {
                alpha = SolveCompromise2(e, q, n / 2.0, n / 2.0);
            } catch (const QuorixError& error) {
                if (error.GetCode() != QuorixError::kBelowLowerBound) throw;
                return RefuseBelowAlphaFloor(type, e, q, static_cast<double>(n), error.GetValue(),
                                             {effectRow, nRow}, inputs);
            }
            power = ComputePower2(e, alpha, n / 2.0, n / 2.0);
            CheckCompromiseRatio(q, ComputeBeta2(e, alpha, n / 2.0, n / 2.0));
            break;
        }
        case kSensitivity:
            break;
    }
    return kCalculateDone;
}

// --------------------------------------------------------------- outputs

OutputTable PowerZCovariateRegress::Outputs(AnalysisType type) {
    const bool enumeration = UsesEnumeration();
    OutputTable table;
    if (enumeration) {
        table.push_back(Row(kNoncentralityLambdaId, [this] { return enumerationNoncentrality; }));
    }
    table.push_back(CriticalValueRow(GetCriticalValueId()));
    if (enumeration) table.push_back(DfRow());
    AppendRows(table, TypeOutputs(type));
    return table;
}

void PowerZCovariateRegress::GetOutputs(AnalysisType type, PropertyList* outputs) {
    // N decides the method, so the rows follow the last result; the
    // enumeration's statistic has one df.
    BuildOutputList(type, outputs);
    if (UsesEnumeration()) df = 1.0;
    PowerAnalysis::GetOutputs(type, outputs);
}
