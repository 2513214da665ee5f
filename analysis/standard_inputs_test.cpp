#include "analysis/standard_inputs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "analysis/parameter_names.h"

namespace {

class BareAnalysis : public PowerAnalysis {
  public:
    PowerAnalysis* Clone() override { return new BareAnalysis; }
};

template <class T = Property>
T* Input(PropertyList& list, ParameterId id) {
    auto* p = dynamic_cast<T*>(list.Find(ParameterNames[id]));
    EXPECT_NE(p, nullptr) << ParameterNames[id];
    return p;
}

}  // namespace

TEST(StandardInputs, RealInputsShowTheMemberWithSevenDigits) {
    BareAnalysis a;
    a.alpha = 0.05;
    a.power = 0.95;
    a.allocationRatio = 1.0 / 3.0;
    a.effectSize = 0.5;
    PropertyList list;
    a.AddAlphaInput(&list);
    a.AddPowerInput(&list);
    a.AddRatioInput(&list);
    a.AddAllocationRatioInput(&list, 58);
    a.AddNoncentralityInput(&list, 21);
    a.AddDoubleInput(&list, 69, 0.25);
    a.AddAREInput(&list, 0.75);
    ASSERT_EQ(list.size(), 7u);
    const char* expected[] = {"0.05", "0.95", "1", "0.3333333", "0.5", "0.25", "0.75"};
    const ParameterId ids[] = {0, 1, 6, 58, 21, 69, 103};
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i]->name, ParameterNames[ids[i]]);
        EXPECT_EQ(list[i]->text, expected[i]) << list[i]->name;
        EXPECT_EQ(list[i]->GetType(), Property::kDouble);
    }
    EXPECT_EQ(static_cast<PropertyDouble*>(list[3])->GetValue(), 0.3333333);
}

TEST(StandardInputs, AlphaPowerAndRatioFollowTheirDisplayRules) {
    struct Case {
        double alpha, power;
        const char* alphaText;
        const char* powerText;
        const char* ratioText;
    };
    const Case cases[] = {
        {0.0, 1.0, "1e-07", "0.9999999", "1"}, {1.5, -1.0, "0.9999999", "1e-07", "1.333333"},
        {1e-7, 0.5, "1e-07", "0.5", "1"},  // the ratio needs alpha above 1e-7
        {0.05, 0.8, "0.05", "0.8", "4"},       {0.05, 0.95, "0.05", "0.95", "1"},
    };
    for (const Case& c : cases) {
        BareAnalysis a;
        a.alpha = c.alpha;
        a.power = c.power;
        PropertyList list;
        a.AddAlphaInput(&list);
        a.AddPowerInput(&list);
        a.AddRatioInput(&list);
        EXPECT_EQ(list[0]->text, c.alphaText) << c.alpha;
        EXPECT_EQ(list[1]->text, c.powerText) << c.power;
        EXPECT_EQ(list[2]->text, c.ratioText) << c.alpha << " " << c.power;
        EXPECT_EQ(a.alpha, c.alpha);  // the clamp changes only what is shown
    }
}

TEST(StandardInputs, CountsAreTruncatedAndLimited) {
    struct Case {
        double member;
        const char* total;
        const char* group;
        const char* count;
    };
    const Case cases[] = {
        {-12.7, "12", "12", "-12"},
        {5e9, "2147483647", "1073741823", "2147483647"},
        {3e9, "2147483647", "1073741823", "2147483647"},
        {std::nan(""), "0", "0", "0"},
        {40.9, "40", "40", "40"},
    };
    for (const Case& c : cases) {
        BareAnalysis a;
        a.sampleSize = a.groupSize1 = a.groupSize2 = c.member;
        a.groupCount = a.predictorCount = c.member;
        PropertyList list;
        a.AddSampleSizeInput(&list, 2);
        a.AddSampleSize1Input(&list);
        a.AddSampleSize2Input(&list);
        a.AddCountInput(&list, 12);
        a.AddNumberOfCovariatesInput(&list, c.member);
        for (Property* p : list) EXPECT_EQ(p->GetType(), Property::kLong);
        EXPECT_EQ(list[0]->text, c.total) << c.member;
        EXPECT_EQ(list[1]->text, c.group) << c.member;
        EXPECT_EQ(list[2]->text, c.group) << c.member;
        EXPECT_EQ(list[3]->text, c.count) << c.member;
        EXPECT_EQ(list[4]->text, c.count) << c.member;
    }
    BareAnalysis a;
    a.predictorCount = 4.8;
    PropertyList list;
    a.AddLongInput(&list, 1, 164);
    EXPECT_EQ(list[0]->text, "5");
}

TEST(StandardInputs, DfInputsCarryTheIntegralFlagAndFullPrecision) {
    BareAnalysis a;
    a.df = 1.0 / 3.0;
    a.numeratorDf = 4;
    a.denominatorDf = 120.5;
    PropertyList list;
    a.AddDfInput(&list, false);
    a.AddNumeratorDfInput(&list, true);
    a.AddDenominatorDfInput(&list, true);
    EXPECT_EQ(list[0]->text, "0.3333333333333333");
    EXPECT_EQ(list[1]->text, "4");
    EXPECT_EQ(list[2]->text, "120.5");
    EXPECT_FALSE(static_cast<PropertyDouble*>(list[0])->integral);
    EXPECT_TRUE(static_cast<PropertyDouble*>(list[2])->integral);

    // A remembered 2.5 keeps the test's flag, so the reader returns 3.
    SetNamedString(&a.inputTexts, ParameterNames[10], "2.5");
    PropertyList rebuilt;
    a.AddNumeratorDfInput(&rebuilt, true);
    EXPECT_EQ(rebuilt[0]->text, "2.5");
    int row = -1;
    EXPECT_EQ(a.ReadNumeratorDf(&rebuilt, &row), 3);
}

TEST(StandardInputs, EffectSizeInputCarriesTestIdAndHelp) {
    BareAnalysis a;
    a.effectSize = 0.3;
    PropertyList list;
    a.AddEffectSizeInput(&list, 16, 401, "Effect size conventions\nw = .10 - small", true);
    a.AddEffectSizeInput(&list, 17, 201, "", false);
    auto* w = dynamic_cast<PropertyExDouble*>(list[0]);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->GetType(), Property::kExDouble);
    EXPECT_EQ(w->testId, 401);
    EXPECT_EQ(w->text, "0.3");
    EXPECT_EQ(w->helpText, "Effect size conventions\nw = .10 - small");
    EXPECT_EQ(list[1]->GetType(), Property::kDouble);
    EXPECT_EQ(list[1]->name, "Effect size d");

    SetNamedString(&a.inputTexts, ParameterNames[16], "=0.1*3");
    PropertyList rebuilt;
    a.AddEffectSizeInput(&rebuilt, 16, 401, "help", true);
    EXPECT_EQ(rebuilt[0]->text, "=0.1*3");
    EXPECT_EQ(static_cast<PropertyExDouble*>(rebuilt[0])->testId, 401);
}

TEST(StandardInputs, SelectionsTakeTheRememberedOptionElseTheDefault) {
    BareAnalysis a;
    a.oneTailed = true;
    a.effectSize = -0.3;
    PropertyList list;
    a.AddTailsInput(&list);
    a.AddEffectDirectionInput(&list, "p1$\\le$p2", "p1$\\ge$p2");
    a.AddParentDistributionInput(&list, 1, true);
    a.AddXDistributionInput(&list, 3, false);
    auto* tails = Input<PropertySelection>(list, 29);
    EXPECT_EQ(tails->index, 0);
    EXPECT_EQ(tails->text, "One");
    EXPECT_EQ(Input<PropertySelection>(list, 55)->index, 0);
    EXPECT_EQ(Input<PropertySelection>(list, 95)->GetOptionCount(), 4);
    EXPECT_EQ(Input<PropertySelection>(list, 95)->text, "Laplace");
    EXPECT_EQ(Input<PropertySelection>(list, 124)->GetOptionCount(), 7);
    EXPECT_EQ(Input<PropertySelection>(list, 124)->text, "Normal");

    for (double effect : {0.0, 0.3, std::nan("")}) {
        a.effectSize = effect;
        PropertyList d;
        a.AddEffectDirectionInput(&d, "a", "b");
        EXPECT_EQ(static_cast<PropertySelection*>(d[0])->index, 1) << effect;
    }

    SetNamedString(&a.inputTexts, ParameterNames[29], "Two");
    SetNamedString(&a.inputTexts, ParameterNames[95], "min ARE");
    PropertyList rebuilt;
    a.AddTailsInput(&rebuilt);
    a.AddParentDistributionInput(&rebuilt, 2, false);
    EXPECT_EQ(static_cast<PropertySelection*>(rebuilt[0])->index, 1);
    EXPECT_EQ(static_cast<PropertySelection*>(rebuilt[1])->GetOptionCount(), 3);
    EXPECT_EQ(static_cast<PropertySelection*>(rebuilt[1])->index, 2);
    EXPECT_EQ(rebuilt[1]->text, "Logistic");
}

TEST(StandardInputs, ARebuiltListShowsTheTextsLastTyped) {
    BareAnalysis a;
    a.alpha = 0.05;
    a.power = 0.8;
    a.sampleSize = 30;
    auto build = [&](PropertyList& list) {
        list.Clear();
        a.AddTailsInput(&list);
        a.AddAlphaInput(&list);
        a.AddPowerInput(&list);
        a.AddSampleSizeInput(&list, 2);
        a.AddDoubleInputByLabel(&list, ParameterNames[140], 1.5);
    };
    PropertyList list;
    build(list);
    EXPECT_EQ(list[4]->text, "1.5");
    // The user types, the frame commits and remembers the whole list.
    list[0]->SetText("Two");
    list[1]->SetText("=1/20");
    list[3]->SetText("=6*7");
    list[4]->SetText("2.25");
    a.RememberInputs(&list);
    PropertyList rebuilt;
    build(rebuilt);
    EXPECT_EQ(rebuilt[0]->text, "Two");
    EXPECT_EQ(static_cast<PropertySelection*>(rebuilt[0])->index, 1);
    EXPECT_EQ(rebuilt[1]->text, "=1/20");
    EXPECT_EQ(rebuilt[2]->text, "0.8");
    EXPECT_EQ(rebuilt[3]->text, "=6*7");
    EXPECT_EQ(rebuilt[4]->text, "2.25");
    int row = -1;
    EXPECT_DOUBLE_EQ(a.ReadAlpha(&rebuilt, &row), 0.05);
    EXPECT_EQ(a.ReadCount(&rebuilt, &row, 2), 42);
    EXPECT_EQ(row, 3);
    // An empty text is not remembered: the member shows again.
    rebuilt[2]->SetText("");
    a.RememberInputs(&rebuilt);
    PropertyList third;
    build(third);
    EXPECT_EQ(third[2]->text, "0.8");
}
