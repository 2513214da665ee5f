#include "glm/explorer_report.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <exception>
#include <functional>
#include <utility>

#include "glm/covariance.h"
#include "glm/model/power_glmm.h"
#include "numerics/cancel.h"

namespace {

// The columns "K", "S" and "R" show these; the model's computation does
// not read them.
constexpr double kDisplayK = 1.0, kDisplayS = 1.0, kDisplayR = 1.0;

// A value on a tie of its shown digits in exact arithmetic (0.1875 at
// three decimals, as models of round numbers give) is computed a rounding
// above or below it, which way depending on the scale of B and Sigma.
// Within 1e-12 of a tie it is rounded half up (away from zero) at every
// scale; other values show as they are.
double TieRoundedHalfUp(double x, const wchar_t* format) {
    // "%.Nlf": the tie lies half a unit of the N-th decimal away.
    if (format[0] == L'%' && format[1] == L'.' && L'0' <= format[2] && format[2] <= L'9' &&
        std::wcscmp(format + 3, L"lf") == 0) {
        const double unit = std::pow(10.0, format[2] - L'0');
        const double y = std::fabs(x) * unit;
        if (!(y < 1e15)) return x;
        const double below = std::floor(y);
        if (!(std::fabs(y - below - 0.5) <= 1e-12 * std::max(1.0, y))) return x;
        return std::copysign((below + 1.0) / unit, x);
    }
    // Other formats: to 12 significant digits, then one step away from zero.
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.12g", x);
    const double snapped = std::strtod(digits, nullptr);
    return std::nextafter(snapped, snapped < 0.0 ? -HUGE_VAL : HUGE_VAL);
}

std::wstring Num(double x, const wchar_t* format = L"%.3lf") {
    if (!std::isfinite(x)) return kNotComputed;
    return FormatNumber(TieRoundedHalfUp(x, format), format);
}
// Counts (N and the degrees of freedom) are whole numbers mostly and read
// as such; a fractional one (an N typed so, an approximation's df) keeps
// its decimals. A count off a whole number by rounding only is that number:
// its decimals would show zeros.
std::wstring WholeOr(double x, const wchar_t* fractional) {
    const double whole = std::round(x);
    if (std::isfinite(x) && std::fabs(x) < 1e15 &&
        std::fabs(x - whole) <= 1e-9 * std::max(1.0, std::fabs(x)))
        return Num(whole, L"%.0lf");
    return Num(x, fractional);
}
std::wstring SampleSize(double n) {
    return WholeOr(n, L"%.1lf");
}
std::wstring Df(double df) {
    return WholeOr(df, L"%.3lf");
}
const std::vector<std::wstring>& Display() {
    // Constants, formatted once for every row of every report.
    static const std::vector<std::wstring> shown = {Num(kDisplayK, L"%lg"), Num(kDisplayS, L"%lg"),
                                                    Num(kDisplayR, L"%lg")};
    return shown;
}

void Append(std::vector<std::wstring>& row, const std::vector<std::wstring>& more) {
    row.insert(row.end(), more.begin(), more.end());
}

// The coefficients as "%lg" texts. Every pair writes both of its
// contrasts, and a contrast repeats few values (mostly 0 and ±1): the first
// few distinct values (bit for bit, so -0 stays "-0") are formatted once.
ReportTable ContrastTable(const PowerContrast& contrast) {
    constexpr std::size_t kKept = 16;
    const Matrix& values = contrast.matrix.values;
    std::vector<std::pair<std::uint64_t, std::wstring>> formatted;
    ReportTable table;
    for (int r = 0; r < values.rows(); ++r) {
        std::vector<std::wstring> row;
        for (int c = 0; c < values.cols(); ++c) {
            const double x = values(r, c);
            const auto bits = std::bit_cast<std::uint64_t>(x);
            const auto known =
                std::find_if(formatted.begin(), formatted.end(),
                             [bits](const auto& kept) { return kept.first == bits; });
            if (known != formatted.end()) {
                row.push_back(known->second);
                continue;
            }
            row.push_back(FormatNumber(x, L"%lg"));
            if (formatted.size() < kKept) formatted.push_back({bits, row.back()});
        }
        table.push_back(std::move(row));
    }
    return table;
}

Matrix Copy(const Matrix& m) {
    Matrix out;
    if (m.size() == 0)
        out.resize(m.rows(), m.cols());
    else
        CopyMatrix(m, out);
    return out;
}

Matrix Transposed(const Matrix& m) {
    Matrix out(m.cols(), m.rows());
    for (int i = 0; i < m.rows(); ++i)
        for (int j = 0; j < m.cols(); ++j) out(j, i) = m(i, j);
    return out;
}

// One row's run: post hoc the test on the computed model, a priori the
// sample-size search for the test's selector.
struct RowOutcome {
    bool computed = false;
    bool noSampleSize = false;
    std::wstring reason;  // why a post hoc test was not computed
};

// Why a post hoc test left its row without values, from what it computed
// before it stopped. The univariate tests check their df adjusted by ε.
std::wstring WhyNotComputed(const PowerGLMM& model, unsigned int selector) {
    const bool univariate = selector <= kGlmmBox;
    const double errorDf = model.N - model.r;
    if (!(errorDf > 0.0))
        return L"N = " + SampleSize(model.N) + L" is not above the rank of X (" +
               Num(model.r, L"%.0lf") + L"): there are no error degrees of freedom.";
    if ((selector == kGlmmHotelling2OS || selector == kGlmmHotelling2MP) &&
        !(errorDf - model.b - 1.0 > 0.0))
        return L"at N = " + SampleSize(model.N) + L" the error df (" + Df(errorDf) +
               L") is not above b + 1 = " + Df(model.b + 1.0) +
               L", which its approximation needs (its effect size would divide by " +
               Df(errorDf - model.b - 1.0) + L").";
    if (univariate && !(model.df1Crit >= 1.0 && model.df2Crit >= 1.0 && model.df1Power >= 1.0 &&
                        model.df2Power >= 1.0))
        return L"at N = " + SampleSize(model.N) +
               L" its degrees of freedom, adjusted by epsilon, fall below 1.";
    if (!(model.df1 > 0.0 && model.df2 > 0.0))
        return L"at N = " + SampleSize(model.N) +
               L" the test's approximation has no positive denominator df.";
    const std::wstring tiny = L"the variances in Sigma are tiny against the contrasted means.";
    if (!std::isfinite(model.lambda)) return L"its noncentrality is not finite: " + tiny;
    std::wstring reason = L"its distribution cannot be computed at df1 = " + Df(model.df1) +
                          L", df2 = " + Df(model.df2) + L", λ = " + FormatNumber(model.lambda) +
                          L".";
    if (model.lambda > 1e6) reason += L" In other words, " + tiny;
    return reason;
}

// The rows a block's tables left without values, by reason, in the order
// the reasons first came.
struct Unexplained {
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> rows;
    void Add(const std::wstring& reason, const std::wstring& row) {
        for (auto& [known, names] : rows)
            if (known == reason) {
                names.push_back(row);
                return;
            }
        rows.push_back({reason, {row}});
    }
};

RowOutcome RunRow(PowerGLMM& model, const ReportSettings& settings, unsigned int selector,
                  const std::function<bool()>& postHoc) {
    RowOutcome outcome;
    if (settings.aPriori) {
        model.SetTestSelector(selector);
        model.target = settings.power;
        model.alpha = settings.alpha;
        const double n = model.SolveN();
        outcome.noSampleSize = !(n > 0.0);
        outcome.computed = !outcome.noSampleSize;
        if (outcome.noSampleSize) {
            std::wstring why(model.failure.begin(), model.failure.end());
            if (why.empty()) why = L"No N reaches the target power.";
            why[0] = static_cast<wchar_t>(std::towlower(why[0]));
            outcome.reason = L"no sample size found: " + why;
        }
    } else {
        outcome.computed = postHoc();
        if (!outcome.computed) outcome.reason = WhyNotComputed(model, selector);
    }
    return outcome;
}

// The cells after the name (and the tails or the statistic) when a row has
// no values: N, or the failed search, then "?" for the rest.
void AppendUncomputed(std::vector<std::wstring>& row, const RowOutcome& outcome,
                      const PowerGLMM& model, int remaining, Unexplained& why) {
    if (!outcome.reason.empty())
        why.Add(outcome.reason,
                row.size() > 1 && row[0] == L"t test" ? row[0] + L" (" + row[1] + L")" : row[0]);
    row.push_back(outcome.noSampleSize ? std::wstring(kNoSampleSize) : SampleSize(model.N));
    for (int i = 1; i < remaining; ++i) row.push_back(kNotComputed);
}

ReportTable TTable(PowerGLMM& model, const ReportSettings& settings, Unexplained& why) {
    ReportTable table = {{L"Test", L"tails", L"N", L"Power", L"α", L"K", L"S", L"R", L"crit t",
                          L"df", L"λ", L"η²", L"f²"}};
    for (bool oneTailed : {true, false}) {
        const RowOutcome outcome =
            RunRow(model, settings, oneTailed ? kGlmmContrastTOneTailed : kGlmmContrastTTwoTailed,
                   [&] { return model.ContrastT(oneTailed); });
        std::vector<std::wstring> row = {L"t test", oneTailed ? L"one" : L"two"};
        if (!outcome.computed) {
            AppendUncomputed(row, outcome, model, 11, why);
        } else {
            model.SetEffectFromLambda();
            row.push_back(SampleSize(model.N));
            Append(row, {Num(model.power), Num(model.alpha)});
            Append(row, Display());
            // The t test's df is the error df (df2); df1 is the 1 of its F form.
            Append(row, {Num(model.critical), Df(model.df2), Num(model.lambda), Num(model.eta2),
                         Num(model.effect)});
        }
        table.push_back(std::move(row));
    }
    return table;
}

ReportTable FTable(PowerGLMM& model, const ReportSettings& settings, Unexplained& why) {
    ReportTable table = {{L"Test", L"N", L"Power", L"α", L"K", L"S", L"R", L"crit F", L"df1",
                          L"df2", L"λ", L"η²", L"f²"}};
    const RowOutcome outcome =
        RunRow(model, settings, kGlmmContrastF, [&] { return model.ContrastF(); });
    std::vector<std::wstring> row = {L"F test"};
    if (!outcome.computed) {
        AppendUncomputed(row, outcome, model, 12, why);
    } else {
        model.SetEffectFromLambda();
        row.push_back(SampleSize(model.N));
        Append(row, {Num(model.power), Num(model.alpha)});
        Append(row, Display());
        Append(row, {Num(model.critical), Df(model.df1), Df(model.df2), Num(model.lambda),
                     Num(model.eta2), Num(model.effect)});
    }
    table.push_back(std::move(row));
    return table;
}

ReportTable UnivariateTable(PowerGLMM& model, const ReportSettings& settings, Unexplained& why) {
    ReportTable table = {{L"Test", L"N", L"Power", L"α", L"K", L"S", L"R", L"eps", L"E(eps)",
                          L"crit F", L"df1", L"df2", L"λ", L"η²", L"f²"}};
    const bool common = settings.aPriori || model.UnivariateCommon();
    const struct {
        const wchar_t* name;
        unsigned int selector;
    } rows[] = {{L"Unc", kGlmmUnivariate},
                {L"G-G", kGlmmGreenhouseGeisser},
                {L"H-F", kGlmmHuynhFeldt},
                {L"Box", kGlmmBox}};
    for (const auto& r : rows) {
        RowOutcome outcome = RunRow(model, settings, r.selector,
                                    [&] { return common && model.Univariate(r.selector); });
        if (!common)
            outcome.reason =
                L"epsilon cannot be computed from the eigenvalues of A'ΣA (their squares leave "
                L"the range of numbers): the variances in Sigma are too small or too large to "
                L"compute with.";
        std::vector<std::wstring> row = {r.name};
        if (!outcome.computed) {
            AppendUncomputed(row, outcome, model, 14, why);
        } else {
            model.SetEffectFromLambda();
            row.push_back(SampleSize(model.N));
            Append(row, {Num(model.power), Num(model.alpha)});
            Append(row, Display());
            Append(row,
                   {Num(model.epsShown), Num(model.epsExpShown), Num(model.critical), Df(model.df1),
                    Df(model.df2), Num(model.lambda), Num(model.eta2), Num(model.effect)});
        }
        table.push_back(std::move(row));
    }
    return table;
}

// The multivariate tests divide by the error covariance of the contrasted
// responses, A'ΣA; where it is singular they have no meaning and their
// rows show "?" throughout.
ReportTable MultivariateTable(PowerGLMM& model, const ReportSettings& settings, bool meaningful,
                              Unexplained& why) {
    ReportTable table = {{L"Test", L"val", L"N", L"Power", L"α", L"K", L"S", L"R", L"crit F",
                          L"df1", L"df2", L"λ", L"η²", L"f²"}};
    const struct {
        const wchar_t* name;
        unsigned int selector;
        bool plain;  // the O'Brien-Shieh form, else Muller-Peterson
        bool (PowerGLMM::*test)(bool, bool);
        double PowerGLMM::*statistic;
    } rows[] = {
        {L"Wilks OS", kGlmmWilksOS, true, &PowerGLMM::Wilks, &PowerGLMM::U},
        {L"Wilks MP", kGlmmWilksMP, false, &PowerGLMM::Wilks, &PowerGLMM::UN},
        {L"Pillai OS1", kGlmmPillai1OS, true, &PowerGLMM::Pillai1, &PowerGLMM::V},
        {L"Pillai MP1", kGlmmPillai1MP, false, &PowerGLMM::Pillai1, &PowerGLMM::VN},
        {L"Hotelling OS1", kGlmmHotelling1OS, true, &PowerGLMM::HotellingLawley1, &PowerGLMM::T},
        {L"Hotelling MP1", kGlmmHotelling1MP, false, &PowerGLMM::HotellingLawley1, &PowerGLMM::TN},
        {L"Hotelling OS2", kGlmmHotelling2OS, true, &PowerGLMM::HotellingLawley2, &PowerGLMM::T},
        {L"Hotelling MP2", kGlmmHotelling2MP, false, &PowerGLMM::HotellingLawley2, &PowerGLMM::TN},
    };
    for (const auto& r : rows) {
        std::vector<std::wstring> row = {r.name};
        if (!meaningful) {
            row.resize(table[0].size(), kNotComputed);
            table.push_back(std::move(row));
            continue;
        }
        const RowOutcome outcome =
            RunRow(model, settings, r.selector, [&] { return (model.*r.test)(r.plain, true); });
        if (!outcome.computed) {
            row.push_back(kNotComputed);
            AppendUncomputed(row, outcome, model, 12, why);
        } else {
            row.push_back(Num(model.*r.statistic));
            row.push_back(SampleSize(model.N));
            Append(row, {Num(model.power), Num(model.alpha)});
            Append(row, Display());
            Append(row, {Num(model.critical), Df(model.df1), Df(model.df2), Num(model.lambda)});
            // η² is a share and f² its odds: a value outside their ranges
            // is an approximation taken where it does not hold.
            if (0.0 <= model.eta2 && model.eta2 <= 1.0 && model.effect >= 0.0 &&
                std::isfinite(model.effect)) {
                Append(row, {Num(model.eta2), Num(model.effect)});
            } else {
                Append(row, {kNotComputed, kNotComputed});
                why.Add(L"its effect size (η², f²) is not defined at N = " + SampleSize(model.N) +
                            L" (error df " + Df(model.N - model.r) + L").",
                        std::wstring(r.name) + L" (η², f²)");
            }
        }
        table.push_back(std::move(row));
    }
    return table;
}

std::wstring Count(int n) {
    return std::to_wstring(n);
}

// Why a contrast does not fit the model, or nothing.
std::optional<std::wstring> ContrastMisfit(const PowerContrast& contrast, int expected,
                                           const wchar_t* what, const wchar_t* tab) {
    const int got = contrast.matrix.values.cols();
    if (got == expected && contrast.matrix.values.rows() > 0) return std::nullopt;
    return L"The contrast \"" + contrast.matrix.name + L"\" has " + Count(got) +
           L" coefficients, but the model has " + Count(expected) + L" " + what +
           L": open the tab \"" + tab + L"\" to bring it in step.";
}

// The rank of A'ΣA, the error covariance of the contrasted responses, as
// the model computed it: its singular values above rounding of the largest.
int RankOfSigmaStar(const PowerGLMM& model) {
    // One response contrast: its one singular value is |A'ΣA|.
    if (model.SigmaStar.rows() == 1 && model.SigmaStar.cols() == 1 &&
        std::isfinite(model.SigmaStar(0, 0)))
        return model.SigmaStar(0, 0) != 0.0 ? 1 : 0;
    RealVector values;
    Matrix u, v;
    if (model.SigmaStar.size() == 0 || !SvdFull(model.SigmaStar, values, u, v)) return 0;
    double largest = 0.0;
    for (int i = 0; i < values.extent(0); ++i) largest = std::max(largest, values(i));
    const double zero = 1e-12 * static_cast<double>(model.SigmaStar.rows()) * largest;
    int rank = 0;
    for (int i = 0; i < values.extent(0); ++i)
        if (values(i) > zero) ++rank;
    return rank;
}

ReportBlock PairBlock(PowerGLMM& model, const PowerContrast& c, const PowerContrast& a,
                      const ReportSettings& settings) {
    ReportBlock block;
    block.caption = L"Test of: " + c.matrix.name + L" x " + a.matrix.name + L"\n";
    block.cTable = ContrastTable(c);
    block.aTable = ContrastTable(a);
    if (auto misfit = ContrastMisfit(c, model.predictors, L"predictors", L"Pred. Contrast C")) {
        block.failure = *misfit;
        return block;
    }
    if (auto misfit = ContrastMisfit(a, model.responses, L"responses", L"Var Contrast A")) {
        block.failure = *misfit;
        return block;
    }
    model.C.reference(Copy(c.matrix.values));
    model.A.reference(Transposed(a.matrix.values));
    model.alpha = settings.alpha;
    // The ranks decide the tables; a priori the search computes again at
    // every N it tries.
    model.N = settings.aPriori ? 100.0 : settings.totalN;
    try {
        if (!model.Compute()) {
            block.failure = L"The model cannot be computed: " +
                            std::wstring(model.failure.begin(), model.failure.end());
            return block;
        }
        // A contrast the observed cells cannot estimate has no test: its
        // value would change with how B is written for the same cell means,
        // or rest on the mean of a cell without subjects.
        if (!model.estimable) {
            block.failure =
                L"Not testable: the contrast \"" + c.matrix.name +
                L"\" cannot be estimated from this design. The rows of C must lie in the row "
                L"space of the rows of X whose cells carry weight (a cell of weight 0 has no "
                L"subjects); here they do not, so C·B·A is not determined by the means of the "
                L"cells that have subjects.";
            return block;
        }
        // A singular Σ matters only where the response contrast reaches its
        // null space: then combinations of the contrasted responses have no
        // error variance, and a test that divides by it has no power to show.
        const int rankStar = RankOfSigmaStar(model);
        const std::wstring aName = L"\"" + a.matrix.name + L"\"";
        if (rankStar == 0) {
            block.failure = L"Sigma is singular: the responses of the contrast " + aName +
                            L" have no variance together (A'ΣA = 0), so no test of it can "
                            L"be computed.";
            return block;
        }
        Unexplained why;
        if (model.s == 1.0 && model.b == 1.0 && model.a * model.b == 1.0) {
            block.results.push_back(TTable(model, settings, why));
        } else if (model.s == 1.0 && model.b == 1.0) {
            block.results.push_back(FTable(model, settings, why));
        } else {
            const bool fullRank = rankStar >= model.b;
            block.results.push_back(UnivariateTable(model, settings, why));
            if (!model.orthonormalA)
                block.notes.push_back(
                    L"The rows of " + aName +
                    L" are not orthonormal: the univariate rows (Unc, G-G, H-F, Box) are "
                    L"computed on orthonormal rows spanning the same space, the only rows on "
                    L"which they are defined; the multivariate rows take the rows as written.");
            block.results.push_back(MultivariateTable(model, settings, fullRank, why));
            if (!fullRank)
                block.notes.push_back(
                    L"Sigma is singular along the contrast " + aName + L": A'ΣA has rank " +
                    Count(rankStar) + L", the contrast " + Count(static_cast<int>(model.b)) +
                    L". The multivariate tests divide by it and have no meaning here; "
                    L"their rows show \"?\".");
        }
        for (const auto& [reason, names] : why.rows) {
            std::wstring list;
            for (const std::wstring& name : names) list += (list.empty() ? L"" : L", ") + name;
            block.notes.push_back(L"Not computed (\"?\"): " + list + L": " + reason);
        }
    } catch (const CancelledError&) {
        throw;
    } catch (const std::exception& e) {
        const std::string what = e.what();
        block.results.clear();
        block.failure = L"The model cannot be computed: " + std::wstring(what.begin(), what.end());
    }
    return block;
}

}  // namespace

std::optional<std::wstring> ReadReportSettings(const ReportSettingsTexts& texts,
                                               ReportSettings* settings) {
    ReportSettings read;
    read.aPriori = texts.aPriori;
    read.alpha = ReadLeadingNumber(texts.alpha);
    read.power = ReadLeadingNumber(texts.power);
    read.totalN = ReadLeadingNumber(texts.totalN);
    if (!(0.0 < read.alpha && read.alpha < 1.0))
        return L"Alpha must lie between 0 and 1 (it reads \"" + texts.alpha + L"\").";
    if (read.aPriori && !(0.0 < read.power && read.power < 1.0))
        return L"Power must lie between 0 and 1 (it reads \"" + texts.power + L"\").";
    if (!read.aPriori && !(0.0 < read.totalN && read.totalN <= 1e9))
        return L"The total sample size must be a positive number (it reads \"" + texts.totalN +
               L"\").";
    *settings = read;
    return std::nullopt;
}

std::optional<std::wstring> SetModelMatrices(PowerGLMM& model, const LabeledMatrix& X,
                                             const LabeledMatrix& W, const LabeledMatrix& B,
                                             const LabeledMatrix& Sigma) {
    const int cells = X.values.rows(), predictors = X.values.cols();
    const int responses = B.values.cols();
    if (cells == 0 || predictors == 0) return L"The design X has no cells or no predictors.";
    if (W.values.rows() != cells || W.values.cols() == 0)
        return L"The design X has " + Count(cells) + L" cells but " + Count(W.values.rows()) +
               L" sample-size weights.";
    if (B.values.rows() != predictors || responses == 0)
        return L"The means B have " + Count(B.values.rows()) + L" rows, but the design X has " +
               Count(predictors) + L" predictors: open the tab \"Means B\" to bring it in step.";
    if (Sigma.values.rows() != responses || Sigma.values.cols() != responses)
        return L"The covariance matrix Sigma has " + Count(Sigma.values.rows()) +
               L" rows, but the means B have " + Count(responses) +
               L" responses: open the tab \"Cov Sigma\" to bring it in step.";
    std::vector<std::wstring> labels;
    for (int i = 0; i < Sigma.rowLabels.rows() && Sigma.rowLabels.cols() > 0; ++i)
        labels.push_back(Sigma.rowLabels(i, 0));
    if (const auto problem = CheckCovarianceMatrix(Sigma.values, labels)) return problem->message;
    model.SetDimensions(cells, predictors, responses);
    model.X.reference(Copy(X.values));
    model.B.reference(Copy(B.values));
    model.Sigma.reference(Copy(Sigma.values));
    model.Theta.resize(0, 0);
    std::vector<double> weights;
    for (int i = 0; i < cells; ++i) weights.push_back(W.values(i, 0));
    model.SetCellWeights(weights);
    return std::nullopt;
}

std::vector<ReportBlock> BuildReport(PowerGLMM& model, const PowerContrastList& cList,
                                     const PowerContrastList& aList,
                                     const ReportSettings& settings) {
    std::vector<ReportBlock> blocks;
    for (const auto& c : cList)
        for (const auto& a : aList) blocks.push_back(PairBlock(model, *c, *a, settings));
    return blocks;
}
