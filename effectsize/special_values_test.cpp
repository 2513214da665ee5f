// Every panel's check, formula and transfer plan, with each field in turn
// (and then every field at once) given a value a user may type by mistake
// or to see what happens: NaN, infinities, formulas that overflow, ±0,
// denormals, the edges of the double range, integers past int and long,
// and -1. Each either refuses on a field with a message, or computes
// results that can be results: finite, within their range, and a transfer
// whose counts are whole. Built with the sanitizers (float-cast-overflow
// included), the sweep also catches a conversion out of range on the way.

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/ids.h"
#include "effectsize/anova_omnibus.h"
#include "effectsize/anova_special.h"
#include "effectsize/correlations.h"
#include "effectsize/design_counts.h"
#include "effectsize/goodness_of_fit.h"
#include "effectsize/hotelling.h"
#include "effectsize/leading_number.h"
#include "effectsize/logistic_regression.h"
#include "effectsize/manova.h"
#include "effectsize/matrix_panels.h"
#include "effectsize/multiple_regression.h"
#include "effectsize/one_mean_pairs.h"
#include "effectsize/proportions.h"
#include "effectsize/regression_slopes.h"
#include "effectsize/regression_special.h"
#include "effectsize/rm_criterion.h"
#include "effectsize/rm_mean_cov.h"
#include "effectsize/rm_omnibus.h"
#include "effectsize/rm_special.h"
#include "effectsize/tetrachoric_panel.h"
#include "effectsize/text_fields.h"
#include "effectsize/two_group_means.h"
#include "effectsize/variance_ratio.h"
#include "power/multivariate/power_mult_criterion.h"

namespace {

using effectsize::FieldError;
using effectsize::TransferPlan;

// The texts typed into every field. "1e999" and "=1e308*10" overflow to
// infinity while they are read; 2^31 and 2^63 are one past int and long.
const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = {"nan",
                                                   "inf",
                                                   "-inf",
                                                   "=0/0",
                                                   "=1/0",
                                                   "=-1/0",
                                                   "=1e308*10",
                                                   "1e999",
                                                   "-1e999",
                                                   "0",
                                                   "-0",
                                                   "4.9e-324",
                                                   "1e-320",
                                                   "1e-300",
                                                   "1e308",
                                                   "-1e308",
                                                   "1e300",
                                                   "-1e300",
                                                   "-1",
                                                   "2147483648",
                                                   "2147483647",
                                                   "-2147483649",
                                                   "9223372036854775808",
                                                   "123456789012345678901234567890",
                                                   "0.9999999999999999",
                                                   "1"};
    return texts;
}

// The same values for the panels whose inputs are numbers already.
const std::vector<double>& Values() {
    static const std::vector<double> values = {
        std::nan(""), INFINITY, -INFINITY, 0.0,          -0.0,
        4.9e-324,     1e-320,   1e-300,    1e308,        -1e308,
        1e300,        -1e300,   -1.0,      2147483648.0, 9223372036854775808.0,
        1.0,          0.5};
    return values;
}

constexpr double kLargest = DBL_MAX;

bool IsCountLabel(const std::string& label) {
    return label.rfind("Number of", 0) == 0 || label.find("ample size") != std::string::npos ||
           label == "Response variables";
}

// A transfer that may reach the main window: every value finite, counts
// whole within 1 .. INT_MAX, SDs and ratios above 0, the effect size within
// [low, high]. A refusal writes nothing and is always sound.
void ExpectSoundPlan(const TransferPlan& plan, double low, double high, const std::string& where) {
    if (!plan.refusal.empty()) return;
    for (const effectsize::ParameterWrite& write : plan.writes) {
        EXPECT_TRUE(std::isfinite(write.value))
            << where << ": " << write.label << " " << write.value;
        if (IsCountLabel(write.label)) {
            EXPECT_EQ(write.value, std::trunc(write.value)) << where << ": " << write.label;
            EXPECT_TRUE(write.value >= 1.0 && write.value <= INT_MAX)
                << where << ": " << write.label << " " << write.value;
        }
        // A perfect correlation leaves no residual: its SD may be 0.
        if (write.label == "Std dev residual $\\sigma$") {
            EXPECT_GE(write.value, 0.0) << where << ": " << write.label;
        } else if (write.label.rfind("Std dev", 0) == 0 ||
                   write.label.rfind("Allocation ratio", 0) == 0) {
            EXPECT_GT(write.value, 0.0) << where << ": " << write.label;
        }
    }
    ASSERT_TRUE(plan.effectSize) << where;
    EXPECT_TRUE(*plan.effectSize >= low && *plan.effectSize <= high)
        << where << ": effect size " << *plan.effectSize;
}

void ExpectWithin(double value, double low, double high, const std::string& where) {
    EXPECT_TRUE(value >= low && value <= high) << where << ": " << value;
}

void ExpectRefusalNamesAField(const std::optional<FieldError>& error, const std::string& where) {
    if (!error) return;
    EXPECT_GE(error->field, 0) << where;
    EXPECT_FALSE(error->message.empty()) << where;
}

// Runs `run` on the defaults with each field in turn, and then every field
// at once, set to each text.
template <class Inputs>
void Sweep(const Inputs& defaults, int fields,
           const std::function<void(Inputs&, int, const std::string&)>& set,
           const std::function<void(const Inputs&, const std::string&)>& run) {
    for (const std::string& text : Texts()) {
        for (int field = 0; field < fields; ++field) {
            Inputs in = defaults;
            set(in, field, text);
            run(in, "field " + std::to_string(field) + " = " + text);
        }
        Inputs all = defaults;
        for (int field = 0; field < fields; ++field) set(all, field, text);
        run(all, "every field = " + text);
    }
}

template <class Inputs>
void SetText(Inputs& in, int field, const std::string& text) {
    in.text[field] = text;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

TEST(SpecialValues, TextReadersRefuseOrGiveFiniteValuesInTheirRange) {
    for (const std::string& text : Texts()) {
        double value = 0.0;
        std::string message;
        if (effectsize::ReadPanelNumber(text, &value)) {
            EXPECT_TRUE(std::isfinite(value)) << text;
        }
        if (effectsize::ReadPanelFormula(text, &value, &message)) {
            EXPECT_TRUE(std::isfinite(value)) << text;
        } else {
            EXPECT_FALSE(message.empty()) << text;
        }
        if (const auto count = effectsize::ReadCount(text, 1, 100000000))
            ExpectWithin(static_cast<double>(*count), 1, 1e8, text);
        if (const auto whole = effectsize::WholeOf(text))
            ExpectWithin(static_cast<double>(*whole), -2147483648.0, 2147483647.0, text);
        if (const auto count = effectsize::ReadCount(text)) ExpectWithin(*count, -1e9, 1e9, text);
        effectsize::ReadLeadingInt(text);
        // A decimal that overflows reads as an infinity, by design: the
        // checks after it refuse it. NaN never comes out.
        EXPECT_FALSE(std::isnan(effectsize::ReadLeadingNumber(text))) << text;
    }
}

TEST(SpecialValues, MultipleRegressionPanels) {
    namespace om = effectsize::regression_omnibus;
    namespace rr = effectsize::regression_random;
    // The fields, then the three outcome correlations and the three
    // predictor correlations below the diagonal.
    auto setOmnibus = [](om::Inputs& in, int field, const std::string& text) {
        if (field < om::kFieldCount) {
            in.text[field] = text;
        } else if (field < om::kFieldCount + 3) {
            in.correlations.outcome.cells(0, field - om::kFieldCount) = Wide(text);
        } else {
            static const int pairs[3][2] = {{1, 0}, {2, 0}, {2, 1}};
            const int* p = pairs[field - om::kFieldCount - 3];
            in.correlations.predictors.cells(p[0], p[1]) = Wide(text);
            in.correlations.predictors.cells(p[1], p[0]) = Wide(text);
        }
    };
    for (int mode : {om::kFromR2, om::kFromCorrelations}) {
        om::Inputs defaults;
        defaults.mode = mode;
        Sweep<om::Inputs>(defaults, om::kFieldCount + 6, setOmnibus,
                          [](const om::Inputs& in, const std::string& where) {
                              const auto error = om::Check(in);
                              ExpectRefusalNamesAField(error, where);
                              if (error) return;
                              const om::Result r = om::Compute(in);
                              ExpectWithin(r.r2, 0.0, 1.0, where);
                              ExpectSoundPlan(om::PlanTransfer(r), 0.0, kLargest, where);
                          });
    }
    for (int mode : {rr::kFromInterval, rr::kFromCorrelations}) {
        rr::Inputs defaults;
        defaults.mode = mode;
        Sweep<rr::Inputs>(
            defaults, rr::kFieldCount, SetText<rr::Inputs>,
            [](const rr::Inputs& in, const std::string& where) {
                const auto error = rr::Check(in);
                ExpectRefusalNamesAField(error, where);
                if (error) return;
                const rr::Result r = rr::Compute(in);
                ExpectRefusalNamesAField(r.failure, where);
                if (r.failure) return;
                for (double v : {r.lower, r.upper, r.lowerBound, r.upperBound, r.rho2})
                    ExpectWithin(v, 0.0, 1.0, where);
                ExpectSoundPlan(rr::PlanTransfer(in, r), 0.0, 1.0, where);
            });
    }
}

// The group tables: field kFieldCount + 2 i is the mean of group i, the
// next one its size.
template <class Inputs, int kFields>
void SetFieldOrCell(Inputs& in, int field, const std::string& text) {
    if (field < kFields) {
        in.text[field] = text;
        return;
    }
    auto& row = in.table[(field - kFields) / 2];
    ((field - kFields) % 2 == 0 ? row.mean : row.size) = text;
}

TEST(SpecialValues, RepeatedMeasuresPanels) {
    namespace ro = effectsize::rm_omnibus;
    namespace rs = effectsize::rm_special;
    for (int spec = 0; spec <= 3; ++spec) {
        Sweep<ro::Inputs>(
            ro::Inputs{}, ro::kFieldCount + 8, SetFieldOrCell<ro::Inputs, ro::kFieldCount>,
            [spec](const ro::Inputs& in, const std::string& where) {
                const auto error = ro::Check(in, spec);
                ExpectRefusalNamesAField(error, where);
                if (error) return;
                const ro::Result r = ro::Compute(in, spec);
                ro::TestContext context;
                context.specification = spec;
                context.mainGroups = 3;
                context.mainMeasurements = 3;
                context.mainTotal = 7;
                ExpectSoundPlan(ro::PlanTransfer(in, r, context), 0.0, kLargest, where);
            });
        for (int testId :
             {kRepeatedBetweenTestId, kRepeatedWithinTestId, kRepeatedInteractionTestId}) {
            for (int mode : {0, 1}) {
                rs::Inputs defaults;
                defaults.mode = mode;
                Sweep<rs::Inputs>(defaults, rs::kFieldCount, SetText<rs::Inputs>,
                                  [spec, testId](const rs::Inputs& in, const std::string& where) {
                                      const rs::TestContext context{spec, testId};
                                      const rs::Result r = rs::Compute(in, context);
                                      ExpectRefusalNamesAField(r.error, where);
                                      if (r.error) return;
                                      ExpectWithin(r.eta2, 0.0, 1.0, where);
                                      ExpectSoundPlan(rs::PlanTransfer(in, r.f, context, {1, 1, 1}),
                                                      0.0, kLargest, where);
                                  });
            }
        }
    }
}

TEST(SpecialValues, RepeatedMeasuresMeanAndCovariance) {
    namespace mc = effectsize::rm_mean_cov;
    mc::Inputs base;
    base.means = {{1, 0.5}, {0, 0}};
    base.covariance = {{1, 0.3}, {0.3, 1}};
    base.weights = {1, 1};
    // Cells 0-3 the means, 4-7 the covariance, 8-9 the weights, 10 N.
    auto set = [](mc::Inputs& in, int cell, double v) {
        if (cell < 4)
            in.means[cell / 2][cell % 2] = v;
        else if (cell < 8)
            in.covariance[(cell - 4) / 2][(cell - 4) % 2] = v;
        else if (cell < 10)
            in.weights[cell - 8] = v;
        else
            in.n = v;
    };
    for (int method : {mc::kCovariance, mc::kSdCorrelation, mc::kSdPattern}) {
        for (int variant : {0, 1, 2}) {
            for (int criterion : {100, 103, 104, 107}) {
                for (double v : Values()) {
                    for (int cell = 0; cell <= 10; ++cell) {
                        mc::Inputs in = base;
                        in.inputMethod = method;
                        in.variant = variant;
                        in.criterionId = criterion;
                        set(in, cell, v);
                        const mc::Result r = mc::Compute(in);
                        if (r.error) continue;
                        const std::string where = "cell " + std::to_string(cell) + " = " +
                                                  std::to_string(v) + " method " +
                                                  std::to_string(method);
                        ExpectWithin(r.f, 0.0, kLargest, where);
                        EXPECT_TRUE(std::isfinite(r.criterionValue)) << where;
                    }
                }
            }
        }
    }
}

TEST(SpecialValues, RegressionSlopePanels) {
    namespace os = effectsize::one_slope;
    namespace ts = effectsize::two_slopes;
    namespace ti = effectsize::two_intercepts;
    const effectsize::regression::ShownInput all = [](const std::string&) { return true; };
    for (int mode = 0; mode < os::kModeCount; ++mode) {
        os::Inputs defaults;
        defaults.mode = mode;
        Sweep<os::Inputs>(defaults, os::kFieldCount, SetText<os::Inputs>,
                          [&all](const os::Inputs& in, const std::string& where) {
                              const auto error = os::Check(in);
                              ExpectRefusalNamesAField(error, where);
                              if (error) return;
                              ExpectSoundPlan(os::PlanTransfer(os::Compute(in), all), -kLargest,
                                              kLargest, where);
                          });
    }
    for (int mode = 0; mode < ts::kModeCount; ++mode) {
        ts::Inputs defaults;
        defaults.mode = mode;
        Sweep<ts::Inputs>(defaults, ts::kFieldCount, SetText<ts::Inputs>,
                          [&all](const ts::Inputs& in, const std::string& where) {
                              const auto error = ts::Check(in);
                              ExpectRefusalNamesAField(error, where);
                              if (error) return;
                              ExpectSoundPlan(ts::PlanTransfer(ts::Compute(in), all), 0.0, kLargest,
                                              where);
                          });
    }
    for (int mode = 0; mode < ti::kModeCount; ++mode) {
        ti::Inputs defaults;
        defaults.mode = mode;
        Sweep<ti::Inputs>(defaults, ti::kFieldCount, SetText<ti::Inputs>,
                          [&all](const ti::Inputs& in, const std::string& where) {
                              const auto error = ti::Check(in);
                              ExpectRefusalNamesAField(error, where);
                              if (error) return;
                              ExpectSoundPlan(ti::PlanTransfer(ti::Compute(in), all), 0.0, kLargest,
                                              where);
                          });
    }
}

TEST(SpecialValues, AnovaAndRegressionEffectPanels) {
    namespace ao = effectsize::anova_omnibus;
    namespace as = effectsize::anova_special;
    namespace rg = effectsize::regression_special;
    Sweep<ao::Inputs>(
        ao::Inputs{}, ao::kFieldCount + 8, SetFieldOrCell<ao::Inputs, ao::kFieldCount>,
        [](const ao::Inputs& in, const std::string& where) {
            const auto error = ao::Check(in);
            ExpectRefusalNamesAField(error, where);
            if (error) return;
            const ao::Result r = ao::Compute(in);
            ExpectSoundPlan(ao::PlanTransfer(r, in.groups, {3, 7}), 0.0, kLargest, where);
        });
    for (int mode : {as::kFromVariances, as::kDirect}) {
        as::Inputs defaults;
        defaults.mode = mode;
        Sweep<as::Inputs>(defaults, as::kFieldCount, SetText<as::Inputs>,
                          [](const as::Inputs& in, const std::string& where) {
                              const auto error = as::Check(in);
                              ExpectRefusalNamesAField(error, where);
                              if (error) return;
                              const as::Result r = as::Compute(in);
                              ExpectWithin(r.eta2, 0.0, 1.0, where);
                              ExpectSoundPlan(as::PlanTransfer(r.f), 0.0, kLargest, where);
                          });
    }
    for (int mode : {rg::kFromVariances, rg::kDirect}) {
        rg::Inputs defaults;
        defaults.mode = mode;
        Sweep<rg::Inputs>(defaults, rg::kFieldCount, SetText<rg::Inputs>,
                          [](const rg::Inputs& in, const std::string& where) {
                              const auto error = rg::Check(in);
                              ExpectRefusalNamesAField(error, where);
                              if (error) return;
                              const rg::Result r = rg::Compute(in);
                              ExpectWithin(r.partialR2, 0.0, 1.0, where);
                              ExpectSoundPlan(rg::PlanTransfer(r), 0.0, kLargest, where);
                          });
    }
}

TEST(SpecialValues, MultivariateCriterionPanels) {
    namespace mv = effectsize::manova;
    namespace rc = effectsize::rm_criterion;
    for (int id = 100; id <= 107; ++id) {
        const std::unique_ptr<PowerMultCriterion> criterion(NewCriterion(id));
        for (int testId : {kManovaGlobalTestId, kManovaSpecialTestId}) {
            Sweep<mv::Inputs>(mv::Inputs{}, mv::kFieldCount, SetText<mv::Inputs>,
                              [&](const mv::Inputs& in, const std::string& where) {
                                  const auto error = mv::Check(in);
                                  ExpectRefusalNamesAField(error, where);
                                  if (error) return;
                                  const mv::Result r = mv::Compute(in, *criterion);
                                  ExpectRefusalNamesAField(r.error, where);
                                  if (r.error) return;
                                  mv::TestContext context{testId, id, true, true, true, true};
                                  ExpectSoundPlan(mv::PlanTransfer(in, r.f2, context), 0.0,
                                                  kLargest, where);
                              });
        }
        for (int effectType : {0, 1, 2}) {
            for (bool withDesign : {false, true}) {
                rc::Inputs defaults;
                defaults.effectType = effectType;
                defaults.withDesign = withDesign;
                Sweep<rc::Inputs>(defaults, rc::kFieldCount, SetText<rc::Inputs>,
                                  [&](const rc::Inputs& in, const std::string& where) {
                                      const auto error = rc::Check(in);
                                      ExpectRefusalNamesAField(error, where);
                                      if (error) return;
                                      const rc::Result r = rc::Compute(in, *criterion);
                                      ExpectRefusalNamesAField(r.error, where);
                                      if (r.error) return;
                                      rc::TestContext context{id, true, true, true};
                                      ExpectSoundPlan(rc::PlanTransfer(in, r.f, context), 0.0,
                                                      kLargest, where);
                                  });
            }
        }
    }
}

TEST(SpecialValues, HotellingPanel) {
    namespace ho = effectsize::hotelling;
    // The fields, then the four means and the covariance's lower triangle.
    auto set = [](ho::Inputs& in, int field, const std::string& text) {
        if (field < ho::kFieldCount) {
            in.text[field] = text;
        } else if (field < ho::kFieldCount + 4) {
            const int cell = field - ho::kFieldCount;
            in.means.cells(cell / 2, cell % 2) = Wide(text);
        } else {
            static const int pairs[3][2] = {{0, 0}, {1, 0}, {1, 1}};
            const int* p = pairs[field - ho::kFieldCount - 4];
            in.covariance.cells(p[0], p[1]) = in.covariance.cells(p[1], p[0]) = Wide(text);
        }
        in.means.EvaluateCells();
        in.covariance.EvaluateCells();
    };
    for (int method : {ho::kCovariances, ho::kSdAndCorrelation, ho::kSdAndCorrelationPattern}) {
        for (bool oneGroup : {true, false}) {
            ho::Inputs defaults;
            defaults.method = method;
            Sweep<ho::Inputs>(defaults, ho::kFieldCount + 7, set,
                              [oneGroup](const ho::Inputs& in, const std::string& where) {
                                  const auto error = ho::Check(in, oneGroup);
                                  ExpectRefusalNamesAField(error, where);
                                  if (error) return;
                                  const double delta = ho::Compute(in, oneGroup);
                                  ExpectSoundPlan(ho::PlanTransfer(in, delta), 0.0, kLargest,
                                                  where);
                              });
        }
    }
}

TEST(SpecialValues, MeanPanels) {
    namespace tg = effectsize::two_group_means;
    namespace om = effectsize::one_mean;
    namespace pm = effectsize::paired_means;
    for (bool equalN : {true, false}) {
        tg::Inputs defaults;
        defaults.equalN = equalN;
        Sweep<tg::Inputs>(defaults, tg::kFieldCount, SetText<tg::Inputs>,
                          [](const tg::Inputs& in, const std::string& where) {
                              const auto error = tg::Check(in);
                              ExpectRefusalNamesAField(error, where);
                              if (error) return;
                              tg::TestContext context;
                              context.testId = kTwoMeansTestId;
                              ExpectSoundPlan(tg::PlanTransfer(tg::ComputeD(in), context),
                                              -kLargest, kLargest, where);
                          });
    }
    Sweep<om::Inputs>(om::Inputs{}, om::kFieldCount, SetText<om::Inputs>,
                      [](const om::Inputs& in, const std::string& where) {
                          const auto error = om::Check(in);
                          ExpectRefusalNamesAField(error, where);
                          if (!error) ExpectWithin(om::ComputeD(in), -kLargest, kLargest, where);
                      });
    for (bool fromGroups : {true, false}) {
        pm::Inputs defaults;
        defaults.fromGroups = fromGroups;
        Sweep<pm::Inputs>(defaults, pm::kFieldCount, SetText<pm::Inputs>,
                          [](const pm::Inputs& in, const std::string& where) {
                              const auto error = pm::Check(in);
                              ExpectRefusalNamesAField(error, where);
                              if (!error)
                                  ExpectWithin(pm::ComputeDz(in), -kLargest, kLargest, where);
                          });
    }
}

TEST(SpecialValues, CorrelationAndVariancePanels) {
    namespace de = effectsize::determination;
    namespace tc = effectsize::two_correlations;
    namespace dc = effectsize::dependent_correlations;
    namespace vr = effectsize::variance_ratio;
    for (const std::string& text : Texts()) {
        de::Inputs in;
        in.r2 = text;
        const auto error = de::Check(in);
        ExpectRefusalNamesAField(error, text);
        if (!error) ExpectWithin(de::ComputeR(in), 0.0, 1.0, text);
    }
    Sweep<tc::Inputs>(tc::Inputs{}, tc::kFieldCount, SetText<tc::Inputs>,
                      [](const tc::Inputs& in, const std::string& where) {
                          const auto error = tc::Check(in);
                          ExpectRefusalNamesAField(error, where);
                          if (!error) ExpectWithin(tc::ComputeQ(in), -kLargest, kLargest, where);
                      });
    Sweep<dc::Inputs>(dc::Inputs{}, dc::kFieldCount, SetText<dc::Inputs>,
                      [](const dc::Inputs& in, const std::string& where) {
                          dc::Result r;
                          const auto error = dc::Compute(in, &r);
                          ExpectRefusalNamesAField(error, where);
                          if (error) return;
                          ExpectWithin(r.rab, -1.0, 1.0, where);
                          ExpectWithin(r.rac, -1.0, 1.0, where);
                          ExpectSoundPlan(dc::PlanTransfer(r), -1.0, 1.0, where);
                      });
    Sweep<vr::Inputs>(vr::Inputs{}, vr::kFieldCount, SetText<vr::Inputs>,
                      [](const vr::Inputs& in, const std::string& where) {
                          const auto error = vr::Check(in);
                          ExpectRefusalNamesAField(error, where);
                          if (!error) ExpectWithin(vr::ComputeRatio(in), 0.0, kLargest, where);
                      });
}

TEST(SpecialValues, ProportionPanels) {
    namespace pr = effectsize::proportions;
    for (const pr::Roles* roles : {&pr::kOneProportion, &pr::kTwoProportions}) {
        for (int mode : {pr::kDifference, pr::kRatio, pr::kOddsRatio}) {
            pr::Inputs defaults;
            defaults.calcMode = mode;
            Sweep<pr::Inputs>(defaults, pr::kFieldCount, SetText<pr::Inputs>,
                              [roles](const pr::Inputs& in, const std::string& where) {
                                  // What the form does: the derived value (a clamp goes on
                                  // with the clamped proportion), then the check and the
                                  // effect size.
                                  pr::Inputs updated = in;
                                  pr::UpdateDerived(&updated, *roles);
                                  const auto error = pr::Check(updated);
                                  ExpectRefusalNamesAField(error, where);
                                  if (error) return;
                                  const double g = pr::ComputeG(updated);
                                  ExpectWithin(g, -1.0, 1.0, where);
                                  ExpectWithin(pr::ComputeP1(updated), 0.0, 1.0, where);
                                  ExpectSoundPlan(pr::PlanTransfer(updated, *roles, g), -1.0, 1.0,
                                                  where);
                              });
        }
    }
}

TEST(SpecialValues, LogisticAndTetrachoricPanels) {
    namespace lr = effectsize::logistic_regression;
    namespace te = effectsize::tetrachoric;
    for (bool probabilityInput : {true, false}) {
        lr::Inputs defaults;
        defaults.probabilityInput = probabilityInput;
        Sweep<lr::Inputs>(
            defaults, lr::kFieldCount,
            [](lr::Inputs& in, int field, const std::string& text) {
                lr::SetFieldText(&in, field, text);
            },
            [](const lr::Inputs& in, const std::string& where) {
                lr::Result r;
                const auto error = lr::Compute(in, &r);
                ExpectRefusalNamesAField(error, where);
                if (error) return;
                ExpectWithin(r.p0, 0.0, 1.0, where);
                ExpectSoundPlan(lr::PlanTransfer(r), 0.0, kLargest, where);
            });
    }
    for (int mode : {te::kFromFrequencies, te::kFromProbabilities}) {
        for (bool approximation : {false, true}) {
            te::Inputs defaults;
            defaults.mode = mode;
            defaults.approximation = approximation;
            Sweep<te::Inputs>(
                defaults, te::kFieldCount, SetText<te::Inputs>,
                [](const te::Inputs& in, const std::string& where) {
                    const auto error = te::Check(in);
                    ExpectRefusalNamesAField(error, where);
                    if (error) return;
                    const te::Result r = te::Compute(in);
                    ExpectWithin(r.MarginalX(), 0.0, 1.0, where);
                    ExpectWithin(r.MarginalY(), 0.0, 1.0, where);
                    ExpectSoundPlan(te::PlanTransfer(r, {true, true, true}), -1.0, 1.0, where);
                });
        }
    }
}

TEST(SpecialValues, GoodnessOfFitPanel) {
    namespace gf = effectsize::goodness_of_fit;
    for (int mode : {gf::kNormalize, gf::kLastCellComputed, gf::kPlain}) {
        for (double v : Values()) {
            // The grid reads its cells as decimals, which never give NaN
            // (an overflow gives an infinity).
            if (std::isnan(v)) continue;
            for (int field = 0; field <= 2 * gf::kDefaultCells; ++field) {
                gf::Inputs in;
                in.inputMode = mode;
                if (field < 2 * gf::kDefaultCells) {
                    in.column(gf::ColumnOf(field))[gf::RowOf(field)] = v;
                } else {
                    for (int c = 0; c < gf::kDefaultCells; ++c) in.p0[c] = in.p1[c] = v;
                }
                const std::string where =
                    "field " + std::to_string(field) + " = " + std::to_string(v);
                for (int column : {gf::kH0, gf::kH1}) {
                    gf::Inputs normalized = in;
                    if (!gf::Normalize(&normalized, column))
                        for (double p : normalized.column(column))
                            ExpectWithin(p, 0.0, 1.0, where + " normalized");
                    gf::Inputs completed = in;
                    // The computed last cell is a number, whatever the others hold.
                    gf::AutoCalcLastCell(&completed, column);
                    EXPECT_FALSE(std::isnan(completed.column(column)[gf::kDefaultCells - 1]))
                        << where << " last cell";
                }
                const auto error = gf::Check(in);
                ExpectRefusalNamesAField(error, where);
                if (error) continue;
                gf::Inputs computed = in;
                ExpectWithin(gf::ComputeW(&computed), 0.0, kLargest, where);
            }
        }
    }
}

TEST(SpecialValues, CorrelationPatternsBuildFiniteCellsOrNothing) {
    namespace ho = effectsize::hotelling;
    namespace mc = effectsize::rm_mean_cov;
    for (double corr : Values()) {
        for (bool autocorr : {false, true}) {
            const std::string where = std::to_string(corr) + (autocorr ? " ar(1)" : " cs");
            ho::Inputs in;
            in.firstOrderAutocorr = autocorr;
            in.ResizeMatrices(4);
            const ho::Inputs before = in;
            if (ho::BuildCorrelationPattern(&in, corr)) {
                for (int i = 0; i < 4; ++i)
                    for (int j = 0; j < 4; ++j) {
                        EXPECT_TRUE(std::isfinite(in.covariance.values(i, j))) << where;
                        EXPECT_TRUE(std::isfinite(EvaluateCellText(in.covariance.cells(i, j))))
                            << where;
                    }
            } else {
                EXPECT_TRUE(in.covariance.cells == before.covariance.cells) << where;
            }
            mc::Table table(4, std::vector<double>(4, 0.25));
            const mc::Table old = table;
            if (mc::BuildCorrelationPattern(&table, corr, autocorr)) {
                for (const auto& row : table)
                    for (double x : row) EXPECT_TRUE(std::isfinite(x)) << where;
            } else {
                EXPECT_EQ(table, old) << where;
            }
        }
    }
}

TEST(SpecialValues, SetUpsFromTheMainWindowKeepCountsWhole) {
    // The main window's counts are ints, but 0 and negative ones can be
    // typed there; its reals can be anything a double holds.
    const long counts[] = {0, -1, 1, 2, 50, 51, 2147483647, -2147483648L};
    for (long groups : counts) {
        for (long total : counts) {
            const std::string where = std::to_string(groups) + " " + std::to_string(total);
            effectsize::anova_omnibus::Inputs ao;
            effectsize::anova_omnibus::SetUpFromMainWindow(&ao, groups, total);
            ExpectWithin(ao.groups, 2, 50, where);
            effectsize::rm_omnibus::Inputs ro;
            effectsize::rm_omnibus::SetUpFromMainWindow(&ro, {groups, total, "0.5"});
            ExpectWithin(ro.groups, 2, 50, where);
            effectsize::rm_criterion::Inputs rc;
            effectsize::rm_criterion::SetUpFromMainWindow(&rc, {groups, total, total});
            effectsize::manova::Inputs mv;
            effectsize::manova::SetUpFromMainWindow(&mv, kManovaGlobalTestId,
                                                    {groups, total, total, groups});
            effectsize::two_slopes::Inputs ts;
            effectsize::two_slopes::TakeMainValues({1.0, 1.0, 1.0, groups, total}, &ts);
            double ratio = 0.0;
            ASSERT_TRUE(
                effectsize::ReadPanelNumber(ts.text[effectsize::two_slopes::kRatio], &ratio))
                << where;
            ExpectWithin(ratio, 0.0, kLargest, where);
        }
    }
}

}  // namespace
