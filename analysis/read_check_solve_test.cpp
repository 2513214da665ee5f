#include "analysis/read_check_solve.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_fakes.h"
#include "analysis/calculation_test_support.h"
#include "analysis/family_support.h"
#include "numerics/quorix_error.h"

namespace {

using calc_test::Texts;

// The one-sample z test of the fakes, calculating on the path that each
// test sets up, with the inputs of its kind of sample.
class PathTest : public fakes::ZTest {
  public:
    explicit PathTest(SampleInputs kind = SampleInputs::kTotal) {
        path.effectId = kEffectSizeDId;
        path.sample = kind;
    }
    PowerAnalysis* Clone() override { return CloneAs<PathTest>(); }
    ParameterId GetCriticalValueId() override { return kCriticalZId; }
    void BuildInputList(AnalysisType type, PropertyList* inputs) override {
        inputs->Clear();
        AddGivenInputs(*this, type, inputs, [&] { AddDoubleInput(inputs, kEffectSizeDId, 0.5); });
        const bool sampleGiven = GivenInputsOf(type).sampleSize;
        if (path.sample == SampleInputs::kTotal) {
            if (sampleGiven) AddSampleSizeInput(inputs, kTotalSampleSizeId);
        } else if (path.sample == SampleInputs::kGroups) {
            if (sampleGiven) {
                AddSampleSize1Input(inputs);
                AddSampleSize2Input(inputs);
            } else {
                AddAllocationRatioInput(inputs, kAllocationRatioId);
            }
        }
    }
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override {
        return RunReadCheckSolve(*this, type, inputs, path);
    }

    ReadCheckSolve path;
};

InputCheck EffectBelowOne(PowerAnalysis& test) {
    return {Given::kEffect, [&test](const GivenValues& v) {
                return test.CheckEffectSizeRange("d", v.effect, -1, 1);
            }};
}

// The full table of a one-sample test, in the order the types show them.
InputTable OneSampleTable(PowerAnalysis& test) {
    return JoinChecks({{EffectBelowOne(test)},
                       AlphaPowerChecks(test),
                       {TotalSampleSizeIn(test, 3, 2147483646), RatioInRange(test, 0.01, 100.0)}});
}

const Texts kGood = {{"d", "0.5"}, {"alpha", "0.05"}, {"power", "0.9"}, {"q", "1"}, {"n", "40"}};

// Calculates with those of `texts` that the type's list shows.
std::unique_ptr<calc_test::Calculation> CalculateShown(PathTest& test, AnalysisType type,
                                                       const Texts& texts) {
    PropertyList shown;
    test.BuildInputList(type, &shown);
    Texts typed;
    for (const auto& [key, text] : texts)
        if (shown.Find(calc_test::Label(test, key))) typed[key] = text;
    return calc_test::Calculate(test, type, typed);
}

// The message a check of a fresh test leaves.
std::string MessageOf(const std::function<void(PowerAnalysis&)>& check) {
    PathTest fresh;
    check(fresh);
    return fresh.GetMessage();
}

TEST(ReadCheckSolve, TheFirstFailingRowOfTheTableNamesTheInput) {
    // Alpha and N both out of range: the table's order decides, not the
    // order of the list.
    const Texts bad = calc_test::With(kGood, {{"alpha", "2"}, {"n", "1"}});
    const std::string alphaMessage = MessageOf([](PowerAnalysis& t) { t.CheckAlphaRange(2); });
    const std::string nMessage =
        MessageOf([](PowerAnalysis& t) { t.CheckTotalSampleSize(1, 3, 2147483646); });
    struct Case {
        bool sampleFirst;
        const char* row;
        std::string message;
    };
    for (const Case& c : {Case{false, "alpha", alphaMessage}, Case{true, "n", nMessage}}) {
        PathTest test;
        test.path.checks = {AlphaInRange(test), TotalSampleSizeIn(test, 3, 2147483646)};
        if (c.sampleFirst) std::swap(test.path.checks[0], test.path.checks[1]);
        const auto run = CalculateShown(test, kPostHoc, bad);
        calc_test::ExpectRefused(*run, run->LabelOf(c.row), c.message, c.row);
    }
}

TEST(ReadCheckSolve, ACheckWhenReadWinsOverAnUnreadableInputBelow) {
    // d is out of range and alpha cannot be read.
    const Texts bad = calc_test::With(kGood, {{"d", "5"}, {"alpha", "=1/0"}});
    for (const bool whenRead : {false, true}) {
        PathTest test;
        test.path.checks = OneSampleTable(test);
        test.path.checks[0].whenRead = whenRead;
        const auto run = CalculateShown(test, kPostHoc, bad);
        EXPECT_EQ(run->status, run->Row(whenRead ? "d" : "alpha")) << whenRead;
    }
}

// Every type solves with the whole table, whose rows of inputs the type
// does not take stay unread (the ratio check would refuse a ratio of 0),
// and gives what the solver gives when called by hand.
TEST(ReadCheckSolve, EachTypeRunsItsSolveOnTheGivenValues) {
    struct Case {
        AnalysisType type;
        std::function<void(PathTest&)> byHand;
        std::function<std::vector<double>(PathTest&)> answer;
    };
    const Case cases[] = {
        {kAPriori, [](PathTest& t) { t.SolveSampleSize(0.5, 0.05, 0.9, true); },
         [](PathTest& t) {
             return std::vector{t.sampleSize, t.actualPower};
         }},
        {kSensitivity, [](PathTest& t) { t.effectSize = t.SolveEffectSize(0.05, 0.9, 40); },
         [](PathTest& t) { return std::vector{t.effectSize}; }},
        {kPostHoc, [](PathTest& t) { t.power = t.ComputePower(0.5, 0.05, 40); },
         [](PathTest& t) { return std::vector{t.power}; }},
        {kCriterion, [](PathTest& t) { t.alpha = t.SolveAlpha(0.5, 0.9, 40); },
         [](PathTest& t) {
             return std::vector{t.alpha, t.criticalValue};
         }},
        {kCompromise,
         [](PathTest& t) {
             t.alpha = t.SolveCompromise(0.5, 1.0, 40);
             t.power = t.ComputePower(0.5, t.alpha, 40);
         },
         [](PathTest& t) {
             return std::vector{t.alpha, t.power};
         }},
    };
    for (const Case& c : cases) {
        PathTest test, reference;
        test.path.checks = OneSampleTable(test);
        const auto run = CalculateShown(test, c.type, kGood);
        ASSERT_EQ(run->status, kCalculateDone) << c.type << " " << run->message;
        c.byHand(reference);
        EXPECT_EQ(c.answer(test), c.answer(reference)) << c.type;
    }
}

TEST(ReadCheckSolve, TwoGroupsSolveOnTheirSizesAndSplitTheAPrioriTotal) {
    PathTest test(SampleInputs::kGroups), reference(SampleInputs::kGroups);
    test.path.checks = GroupSizeChecks(test, 3);
    auto run = CalculateShown(test, kPostHoc,
                              {{"d", "0.5"}, {"alpha", "0.05"}, {"n1", "10"}, {"n2", "30"}});
    ASSERT_EQ(run->status, kCalculateDone);
    EXPECT_EQ(test.power, reference.ComputePower2(0.5, 0.05, 10, 30));
    EXPECT_EQ(test.groupSize2, 30.0);

    run = CalculateShown(test, kAPriori,
                         {{"d", "0.5"}, {"alpha", "0.05"}, {"power", "0.9"}, {"r", "2"}});
    ASSERT_EQ(run->status, kCalculateDone);
    reference.SplitAPrioriTotal(reference.SolveSampleSize(0.5, 0.05, 0.9, true), 2.0, 0.5, 0.05,
                                0.9);
    EXPECT_EQ(test.groupSize1, reference.groupSize1);
    EXPECT_EQ(test.groupSize2, reference.groupSize2);

    // A group of none is refused on its own row; the total on N1's.
    const Texts groups = {{"d", "0.5"}, {"alpha", "0.05"}};
    run = CalculateShown(test, kPostHoc, calc_test::With(groups, {{"n1", "5"}, {"n2", "0"}}));
    EXPECT_EQ(run->status, run->Row("n2"));
    run = CalculateShown(test, kPostHoc, calc_test::With(groups, {{"n1", "1"}, {"n2", "1"}}));
    EXPECT_EQ(run->status, run->Row("n1"));

    // A test whose groups need more than one subject each.
    test.path.checks = GroupSizeChecks(test, 8, 4);
    run = CalculateShown(test, kPostHoc, calc_test::With(groups, {{"n1", "10"}, {"n2", "3"}}));
    EXPECT_EQ(run->status, run->Row("n2"));
    EXPECT_EQ(run->message, MessageOf([](PowerAnalysis& t) { t.CheckSampleSizeMinimum(3, 4); }));
    run = CalculateShown(test, kPostHoc, calc_test::With(groups, {{"n1", "4"}, {"n2", "4"}}));
    EXPECT_EQ(run->status, kCalculateDone) << run->message;
}

// The test's own check of its design against the given inputs runs after
// the table, before anything is taken, and names a row of its own.
TEST(ReadCheckSolve, TheDesignCheckFollowsTheTable) {
    constexpr int kOwnRow = 99;
    struct Case {
        Texts changes;
        bool refusedOnOwnRow;
        const char* tableRow;  // the table's failure wins, else nullptr
    };
    const Case cases[] = {
        {{{"d", "0.7"}}, true, nullptr},
        {{{"d", "0.7"}, {"alpha", "2"}}, false, "alpha"},
        {{}, false, nullptr},
    };
    for (const Case& c : cases) {
        PathTest test;
        test.path.checks = OneSampleTable(test);
        int taken = 0;
        test.path.checkDesign = [](const GivenValues& v) { return v.effect > 0.6 ? kOwnRow : -1; };
        test.path.takeDesign = [&](GivenValues&) { ++taken; };
        const auto run = CalculateShown(test, kPostHoc, calc_test::With(kGood, c.changes));
        const int expected = c.refusedOnOwnRow ? kOwnRow
                             : c.tableRow      ? run->Row(c.tableRow)
                                               : kCalculateDone;
        EXPECT_EQ(run->status, expected) << calc_test::Describe(kPostHoc, c.changes);
        EXPECT_EQ(taken, expected == kCalculateDone ? 1 : 0);
    }
}

TEST(ReadCheckSolve, AFixedSampleTakesNoInput) {
    for (const SampleInputs kind : {SampleInputs::kFixedTotal, SampleInputs::kFixedGroups}) {
        PathTest test(kind), reference(kind);
        test.path.fixedSize = 40;
        test.path.checks = OneSampleTable(test);
        const auto run = CalculateShown(test, kPostHoc, kGood);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        EXPECT_EQ(test.power, kind == SampleInputs::kFixedTotal
                                  ? reference.ComputePower(0.5, 0.05, 40)
                                  : reference.ComputePower2(0.5, 0.05, 40, 40));
    }
}

TEST(ReadCheckSolve, TheHooksRunInTheirPlaces) {
    PathTest test;
    test.path.checks = OneSampleTable(test);
    int designRow = -1, taken = 0;
    double alphaAtHook = -1.0;
    test.path.readDesign = [&] { return designRow; };
    test.path.takeDesign = [&](GivenValues& v) {
        ++taken;
        v.power = 0.8;  // what the solve gets
    };
    test.path.afterCriterion = [&](const GivenValues&) { alphaAtHook = test.alpha; };

    // A design failure comes before any given input is read.
    designRow = 0;
    auto run = CalculateShown(test, kCriterion, calc_test::With(kGood, {{"power", "=1/0"}}));
    EXPECT_EQ(run->status, 0);
    // A failing check takes nothing.
    designRow = -1;
    run = CalculateShown(test, kCriterion, calc_test::With(kGood, {{"power", "2"}}));
    EXPECT_EQ(run->status, run->Row("power"));
    EXPECT_EQ(taken, 0);

    run = CalculateShown(test, kCriterion, kGood);
    ASSERT_EQ(run->status, kCalculateDone);
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(test.power, 0.8);
    EXPECT_EQ(alphaAtHook, test.alpha);

    // Without A priori the design is read and nothing is solved.
    test.path.solvesAPriori = false;
    test.sampleSize = 7.0;
    run = CalculateShown(test, kAPriori, {});
    EXPECT_EQ(run->status, kCalculateDone);
    EXPECT_EQ(test.sampleSize, 7.0);
}

// A test's own solve replaces the type's: it gets the values as takeDesign
// left them, and no search of the base moves the shown values.
TEST(ReadCheckSolve, AnOwnSolveTakesThePlaceOfTheTypesSolve) {
    for (const AnalysisType type : {kAPriori, kSensitivity, kPostHoc, kCriterion, kCompromise}) {
        SCOPED_TRACE(type);
        PathTest test;
        test.path.checks = OneSampleTable(test);
        std::vector<std::string> calls;
        GivenValues seen;
        test.path.takeDesign = [&](GivenValues& v) {
            calls.push_back("take");
            v.ratio = 7.0;
        };
        test.path.solve = [&](const GivenValues& v) {
            calls.push_back("solve");
            seen = v;
        };
        test.effectSize = 0.125;
        test.alpha = 0.25;
        test.power = 0.375;
        test.sampleSize = 5.0;
        auto run = CalculateShown(test, type, kGood);
        ASSERT_EQ(run->status, kCalculateDone);
        EXPECT_EQ(calls, (std::vector<std::string>{"take", "solve"}));
        EXPECT_EQ(seen.ratio, 7.0);
        EXPECT_EQ(seen.sampleSize, type == kAPriori ? 0 : 40);
        EXPECT_EQ(seen.Row(Given::kEffect) >= 0, type != kSensitivity);
        EXPECT_EQ(test.effectSize, 0.125);
        EXPECT_EQ(test.alpha, 0.25);
        EXPECT_EQ(test.power, 0.375);
        EXPECT_EQ(test.sampleSize, 5.0);
    }
}

// A Sensitivity search that fails puts back the effect the screen shows.
TEST(ReadCheckSolve, AFailedSensitivitySearchKeepsTheShownEffect) {
    class FailingSearch : public PathTest {
      public:
        double SolveEffectSize(double, double, double) override {
            effectSize = 42.0;
            throw QuorixError("no root", 0, 0.0);
        }
    };
    FailingSearch test;
    test.effectSize = 0.25;
    test.alpha = 0.05;
    test.power = 0.9;
    test.sampleSize = 40.0;
    PropertyList inputs;
    test.BuildInputList(kSensitivity, &inputs);
    EXPECT_THROW(test.Calculate(kSensitivity, &inputs), QuorixError);
    EXPECT_EQ(test.effectSize, 0.25);
}

}  // namespace

// The test's own inputs read below the given ones, their checks among the
// given ones on their own rows, a check of the design taken and the hook
// after a Sensitivity search.
TEST(ReadCheckSolve, OwnInputsBelowTheGivenOnesAndTheLateHooks) {
    PathTest test;
    int ownRow = -1, readsBelow = 0, taken = 0;
    bool ownPasses = true, takenPasses = true;
    double effectAfterSearch = -1.0;
    test.path.readBelowGiven = [&] {
        ++readsBelow;
        ownRow = 7;
    };
    test.path.checks = JoinChecks(
        {{AlphaInRange(test), OwnInputCheck(ownRow, [&](const GivenValues&) { return ownPasses; })},
         {TotalSampleSizeIn(test, 3, 2147483646)}});
    test.path.takeDesign = [&](GivenValues&) { ++taken; };
    test.path.checkTaken = [&](const GivenValues&) { return takenPasses ? -1 : 9; };
    test.path.afterSensitivity = [&](const GivenValues&) { effectAfterSearch = test.effectSize; };

    // An unreadable given input stops before the own ones are read.
    auto run = CalculateShown(test, kPostHoc, calc_test::With(kGood, {{"alpha", "=1/0"}}));
    EXPECT_EQ(run->status, run->Row("alpha"));
    EXPECT_EQ(readsBelow, 0);

    // The own check stands between alpha and N, in every type.
    ownPasses = false;
    run = CalculateShown(test, kPostHoc, calc_test::With(kGood, {{"alpha", "2"}, {"n", "1"}}));
    EXPECT_EQ(run->status, run->Row("alpha"));
    run = CalculateShown(test, kPostHoc, calc_test::With(kGood, {{"n", "1"}}));
    EXPECT_EQ(run->status, 7);
    run = CalculateShown(test, kAPriori, kGood);
    EXPECT_EQ(run->status, 7);
    EXPECT_EQ(taken, 0);

    // A check of the design taken fails before anything is solved.
    ownPasses = true;
    takenPasses = false;
    test.power = 0.5;
    run = CalculateShown(test, kPostHoc, kGood);
    EXPECT_EQ(run->status, 9);
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(test.power, 0.5);

    takenPasses = true;
    run = CalculateShown(test, kSensitivity, kGood);
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(effectAfterSearch, test.effectSize);
    EXPECT_NE(effectAfterSearch, -1.0);
}

// A kept table is built once per type and key, keeps only the checks its
// type makes (those made as an input is read apart), and is built again
// for another key; a copy of the tables starts with none.
TEST(ReadCheckSolve, KeptTablesAreBuiltOncePerTypeAndKey) {
    int builds = 0;
    auto build = [&builds] {
        ++builds;
        InputTable table(3);
        const Given inputs[] = {Given::kEffect, Given::kAlpha, Given::kPower};
        for (int i = 0; i < 3; ++i) {
            table[i].input = table[i].alsoReads = inputs[i];
            table[i].passes = [](const GivenValues&) { return true; };
        }
        table[0].whenRead = true;
        return table;
    };
    CheckTables tables;
    const TypeChecks& postHoc = tables.Of(kPostHoc, SampleInputs::kTotal, 0, build);
    EXPECT_EQ(postHoc.whenRead.size(), 1u);
    EXPECT_EQ(postHoc.afterReading.size(), 1u);  // no power in Post hoc
    EXPECT_EQ(postHoc.readCount, 3);             // effect, alpha, N
    EXPECT_EQ(&tables.Of(kPostHoc, SampleInputs::kTotal, 0, build), &postHoc);
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(tables.Of(kAPriori, SampleInputs::kTotal, 0, build).afterReading.size(), 2u);
    EXPECT_EQ(builds, 2);
    tables.Of(kPostHoc, SampleInputs::kTotal, 1, build);
    EXPECT_EQ(builds, 3);
    CheckTables copy(tables);
    copy.Of(kPostHoc, SampleInputs::kTotal, 1, build);
    EXPECT_EQ(builds, 4);
}
