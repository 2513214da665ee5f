#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analysis_fakes.h"

namespace {

// A z test as a family would declare it: noncentrality delta (28), critical
// t (23), effect size d (17), and the df outputs of `mask`.
class LabelledTest : public fakes::ZTest {
  public:
    explicit LabelledTest(int mask = 0) : mask_(mask) {}
    ParameterId GetNoncentralityId() override { return 28; }
    ParameterId GetCriticalValueId() override { return 23; }
    ParameterId GetEffectSizeId() override { return 17; }
    int GetDfOutputMask() override { return mask_; }

  private:
    int mask_;
};

std::vector<std::string> Names(const PropertyList& list) {
    std::vector<std::string> names;
    for (const Property* p : list) names.push_back(p->name);
    return names;
}

std::vector<std::string> Texts(const PropertyList& list) {
    std::vector<std::string> texts;
    for (const Property* p : list) texts.push_back(p->text);
    return texts;
}

const std::string kDelta = "Noncentrality parameter $\\delta$";
const std::string kCriticalT = "Critical t";
const std::string kAlpha = "$\\alpha$ err prob";
const std::string kBeta = "$\\beta$ err prob";
const std::string kPower = "Power (1-$\\beta$ err prob)";

TEST(AnalysisTypes, LabelsAndCodesInSelectionOrder) {
    fakes::ZTest test;
    PropertyList list;
    list.push_back(new PropertyLong("stale", 9L));
    test.GetAnalysisTypes(&list);
    const std::vector<std::string> labels = {
        "A priori: Compute required sample size - given $\\alpha$, power, and effect size",
        "Compromise: Compute implied $\\alpha$ & power - given $\\beta$/$\\alpha$ ratio, sample "
        "size, and effect size",
        "Criterion: Compute required $\\alpha$ - given power, effect size, and sample size",
        "Post hoc: Compute achieved power - given $\\alpha$, sample size, and effect size",
        "Sensitivity: Compute required effect size - given $\\alpha$, power, and sample size"};
    EXPECT_EQ(Names(list), labels);
    const long codes[] = {0, 4, 3, 2, 1};
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(list[i]->GetType(), Property::kLong);
        EXPECT_EQ(static_cast<PropertyLong*>(list[i])->GetValue(), codes[i]);
    }

    test.GetGenericAnalysisTypes(&list);
    const std::vector<std::string> generic = {
        "Compromise: Compute $\\alpha$ and $\\beta$ - given $\\beta$/$\\alpha$ ratio, and "
        "noncentrality parameter",
        "Criterion: Compute alpha - given $\\beta$, and noncentrality parameter",
        "Post hoc: Compute power - given $\\alpha$, and noncentrality parameter",
        "Sensitivity: Compute noncentrality parameter - given $\\alpha$, and power"};
    EXPECT_EQ(Names(list), generic);
    const long genericCodes[] = {4, 3, 2, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<PropertyLong*>(list[i])->GetValue(), genericCodes[i]);
    }
}

TEST(OutputList, RowsPerAnalysisTypeAllShowingPlaceholders) {
    const struct {
        AnalysisType type;
        std::vector<std::string> rows;
    } cases[] = {
        {kAPriori, {kDelta, kCriticalT, "Df", "Total sample size", "Actual power"}},
        {kSensitivity, {kDelta, kCriticalT, "Df", "Effect size d"}},
        {kPostHoc, {kDelta, kCriticalT, "Df", kPower}},
        {kCriterion, {kDelta, kCriticalT, "Df", kAlpha}},
        {kCompromise, {kDelta, kCriticalT, "Df", kAlpha, kBeta, kPower}},
        {static_cast<AnalysisType>(7), {kDelta, kCriticalT, "Df"}},
    };
    LabelledTest test(1);
    PropertyList outputs;
    for (const auto& c : cases) {
        test.BuildOutputList(c.type, &outputs);
        EXPECT_EQ(Names(outputs), c.rows) << c.type;
        for (const Property* p : outputs) {
            EXPECT_EQ(p->text, "?") << p->name;
            ASSERT_EQ(p->GetType(), Property::kDouble);
            const auto* d = static_cast<const PropertyDouble*>(p);
            EXPECT_EQ(d->GetValue(), 0.0);
            const bool count = p->name == "Df" || p->name == "Total sample size";
            EXPECT_EQ(d->integral, count) << p->name;
        }
    }
}

TEST(OutputList, DegreesOfFreedomMask) {
    const struct {
        int mask;
        std::vector<std::string> rows;
    } cases[] = {
        {0, {kDelta, kCriticalT, kAlpha, kBeta, kPower}},
        {5, {kDelta, kCriticalT, "Df", "Denominator df", kAlpha, kBeta, kPower}},
        {6, {kDelta, kCriticalT, "Numerator df", "Denominator df", kAlpha, kBeta, kPower}},
        {7, {kDelta, kCriticalT, "Df", "Numerator df", "Denominator df", kAlpha, kBeta, kPower}},
    };
    PropertyList outputs;
    for (const auto& c : cases) {
        LabelledTest test(c.mask);
        test.BuildOutputList(kCompromise, &outputs);
        EXPECT_EQ(Names(outputs), c.rows) << c.mask;
    }
}

TEST(OutputList, BaseIdsNameNoOutput) {
    fakes::ZTest test;  // every id -1
    PropertyList outputs;
    test.BuildOutputList(kSensitivity, &outputs);
    EXPECT_TRUE(outputs.empty());
    test.BuildOutputList(kPostHoc, &outputs);
    EXPECT_EQ(Names(outputs), std::vector<std::string>{kPower});
    test.power = 0.5;
    test.GetOutputs(kPostHoc, &outputs);
    EXPECT_EQ(Texts(outputs), std::vector<std::string>{"0.5000000"});
}

TEST(OutputValues, SevenDigitsAfterEachAnalysisType) {
    LabelledTest test(5);
    test.df = 43;
    test.denominatorDf = 12.5;
    PropertyList outputs;

    test.SolveSampleSize(0.5, 0.05, 0.95, true);
    test.BuildOutputList(kAPriori, &outputs);
    test.GetOutputs(kAPriori, &outputs);
    // delta = 0.5 sqrt(44), critical 1.6448536, Df 43, Denominator df 12.5
    // shown as a count, N 44, actual power 0.9527153.
    EXPECT_EQ(Texts(outputs),
              (std::vector<std::string>{"3.3166248", "1.6448536", "43", "13", "44", "0.9527153"}));

    test.SolveCompromise(0.5, 1.0, 44);
    test.alpha = 0.04862721421950164;
    test.power = 1.0 - 0.04862721421950164;
    test.BuildOutputList(kCompromise, &outputs);
    test.GetOutputs(kCompromise, &outputs);
    EXPECT_EQ(outputs.Find(kAlpha)->text, "0.0486272");
    EXPECT_EQ(outputs.Find(kBeta)->text, "0.0486272");  // 1 - power
    EXPECT_EQ(outputs.Find(kPower)->text, "0.9513728");

    test.effectSize = 0.4959420286957496;
    test.BuildOutputList(kSensitivity, &outputs);
    test.GetOutputs(kSensitivity, &outputs);
    EXPECT_EQ(outputs.Find("Effect size d")->text, "0.4959420");

    test.alpha = 1.234e-5;
    test.BuildOutputList(kCriterion, &outputs);
    test.GetOutputs(kCriterion, &outputs);
    EXPECT_EQ(outputs.Find(kAlpha)->text, "1.234e-05");
    EXPECT_EQ(static_cast<PropertyDouble*>(outputs.Find(kAlpha))->GetValue(), 1.234e-5);
}

// A test that declares one row of each kind the row helpers make, one of an
// id that names no parameter, and one of its own label.
class RowsTest : public LabelledTest {
  public:
    OutputTable Outputs(AnalysisType) override {
        return {LowerCriticalRow(63),  // "Lower critical F"
                UpperCriticalRow(64),  // "Upper critical F"
                ActualAlphaRow(),
                ActualRatioRow(),
                SampleSize1Row(),
                SampleSize2Row(),
                TotalSampleSizeRow(),
                Row(46, [] { return 0.35; }),  // "Proportion p2"
                Row(-1, [] { return 1.0; }),   // no parameter: no row
                EffectSizeRow(18, true),       // "Effect size f$^2$"
                LabelRow("Std dev residual $\\sigma$", [] { return 42.5; })};
    }
};

TEST(OutputValues, RowsShowPlaceholdersThenTheirMembersOrValues) {
    RowsTest test;
    test.criticalValue = 2.1;
    test.criticalValue2 = -2.1;
    test.actualAlpha = 0.0412;
    test.actualRatio = 3.25;
    test.groupSize1 = 10;
    test.groupSize2 = 20;
    test.sampleSize = 30;
    test.effectSize2 = 0.75;
    PropertyList outputs;
    test.BuildOutputList(kPostHoc, &outputs);
    const std::vector<std::string> names = {
        "Lower critical F",    "Upper critical F",
        "Actual $\\alpha$",    "Actual $\\beta$/$\\alpha$ ratio",
        "Sample size group 1", "Sample size group 2",
        "Total sample size",   "Proportion p2",
        "Effect size f$^2$",   "Std dev residual $\\sigma$"};
    EXPECT_EQ(Names(outputs), names);
    EXPECT_EQ(Texts(outputs), std::vector<std::string>(names.size(), "?"));

    test.GetOutputs(kPostHoc, &outputs);
    const std::vector<std::string> texts = {"-2.1000000", "2.1000000", "0.0412000", "3.2500000",
                                            "10",         "20",        "30",        "0.3500000",
                                            "0.7500000",  "42.5000000"};
    EXPECT_EQ(Texts(outputs), texts);

    // A row missing from the list is skipped.
    PropertyList some;
    some.push_back(new PropertyDouble("Total sample size", "?", true));
    test.GetOutputs(kPostHoc, &some);
    EXPECT_EQ(Texts(some), std::vector<std::string>{"30"});
}

TEST(OutputValues, GenericTestsListAndWriteTheirOwnRows) {
    const struct {
        AnalysisType type;
        std::vector<std::string> rows;
        std::vector<std::string> texts;
    } cases[] = {
        {kAPriori, {kCriticalT}, {"1.6448536"}},
        {kSensitivity, {kCriticalT, kDelta}, {"1.6448536", "3.3166248"}},
        {kPostHoc, {kCriticalT, kBeta, kPower}, {"1.6448536", "0.0472847", "0.9527153"}},
        {kCriterion, {kCriticalT, kAlpha}, {"1.6448536", "0.0500000"}},
        {kCompromise,
         {kCriticalT, kAlpha, kBeta, kPower},
         {"1.6448536", "0.0500000", "0.0472847", "0.9527153"}},
    };
    struct GenericTest : LabelledTest {
        OutputTable Outputs(AnalysisType type) override { return GenericOutputs(type); }
    } test;
    test.power = test.ComputePower(0.5, 0.05, 44);
    PropertyList outputs;
    for (const auto& c : cases) {
        test.BuildOutputList(c.type, &outputs);
        EXPECT_EQ(Names(outputs), c.rows) << c.type;
        test.GetOutputs(c.type, &outputs);
        EXPECT_EQ(Texts(outputs), c.texts) << c.type;
    }
}

}  // namespace
