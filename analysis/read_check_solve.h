#pragma once

// The one way from the inputs of an analysis type to its answer: read the
// test's own design inputs, read the standard inputs the type takes, check
// them in the order of the test's input table, take the design and run the
// solve the type asks for. A test describes what differs (its table and
// hooks); the order of reading, the row a failure points at and the solve
// calls stay the same for every test.

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"
#include "analysis/small_function.h"

// The standard inputs an analysis type can take as given.
enum class Given : int {
    kEffect,
    kAlpha,
    kPower,
    kRatio,            // beta/alpha ratio q (Compromise)
    kAllocationRatio,  // N2/N1 of a two-group A priori search
    kSampleSize,       // total N of a one-sample design
    kSampleSize1,      // N1 of a two-group design
    kSampleSize2,      // N2
};
inline constexpr int kGivenCount = 8;

// Where the sample comes from outside A priori.
enum class SampleInputs : int {
    kTotal,        // one input N
    kGroups,       // two inputs N1 and N2; A priori splits the total it finds
    kFixedGroups,  // no input: two groups of fixedSize each (generic tests)
    kFixedTotal,   // no input: a total of fixedSize (generic tests)
};

// The standard inputs as read. Rows are -1 for inputs the type does not take.
struct GivenValues {
    double effect = 0.0;
    double alpha = 0.0;
    double power = 0.0;
    double ratio = 0.0;
    double allocationRatio = 0.0;
    long sampleSize = 0;
    long sampleSize1 = 0;
    long sampleSize2 = 0;
    int rows[kGivenCount] = {-1, -1, -1, -1, -1, -1, -1, -1};

    int Row(Given input) const { return rows[static_cast<int>(input)]; }
};

// Every calculation builds its table and hooks anew, so they hold their
// callables in place (SmallFunction) rather than on the heap. The sizes
// hold the tests' lambdas: a check's captures (the test, a name, bounds, a
// wrapped check of one value) and a hook's (the family's own hooks around
// its reading and taking).
using CheckFunction = SmallFunction<bool(const GivenValues&), 48>;
template <class Signature>
using Hook = SmallFunction<Signature, 128>;

// One row of a test's input table: a check of the values read. `passes`
// appends the reason to the test's message text when it returns false, and
// the row of `input` is then the answer of Calculate.
struct InputCheck {
    Given input;
    CheckFunction passes;
    // A second input the check reads (alpha for the power above it, N2 for
    // the total of two groups): the check runs only where the type takes
    // both.
    Given alsoReads = input;
    // Run as soon as `input` is read, before the inputs after it are read,
    // so that a failure here wins over an unreadable input further down.
    bool whenRead = false;
    // For a check of one of the test's own inputs (OwnInputCheck): the row
    // its reading fills in. Such a check runs in every type.
    const int* ownRow = nullptr;
};

// Storage for the input tables, kept per thread for the next calculation:
// every Calculate builds several tables and drops them all at its end.
void* TakeTableStorage(std::size_t bytes);
void GiveTableStorage(void* block, std::size_t bytes) noexcept;

template <class T>
struct TableAllocator {
    using value_type = T;
    TableAllocator() noexcept = default;
    template <class U>
    TableAllocator(const TableAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(TakeTableStorage(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { GiveTableStorage(p, n * sizeof(T)); }
    friend bool operator==(const TableAllocator&, const TableAllocator&) noexcept { return true; }
};

// The checks in the order the test makes them; the first failure decides
// the row. Rows of inputs the type does not take are skipped.
using InputTable = std::vector<InputCheck, TableAllocator<InputCheck>>;

// The tables joined in this order.
InputTable JoinChecks(std::initializer_list<InputTable> tables);

// A test's table as one analysis type runs it: the standard inputs the type
// reads, in their order, and the checks it makes, those made as an input is
// read apart from the others, each list in the order of the table. Rows of
// inputs the type does not take are left out.
struct TypeChecks {
    Given reads[kGivenCount] = {};
    int readCount = 0;
    InputTable whenRead;
    InputTable afterReading;
};
TypeChecks ChecksOfType(InputTable table, AnalysisType type, SampleInputs sample);

// A test's tables, built on its first calculation of each analysis type and
// kept for the next ones, so that a calculation builds nothing. A table
// depends on the type, on the test (its checks refer to it) and on `key`:
// whatever else it was built from, such as an option that adds or changes a
// check; a calculation with another key builds the table again. Its checks
// must read every other value they need when they run. A copy of a test
// starts without tables, since the checks of the original refer to the
// original.
class CheckTables {
  public:
    CheckTables() = default;
    CheckTables(const CheckTables&) noexcept {}
    CheckTables& operator=(const CheckTables&) noexcept {
        Clear();
        return *this;
    }

    // The table of `type` for `key`, built by `build` (returning an
    // InputTable) where none is kept for them.
    template <class Build>
    const TypeChecks& Of(AnalysisType type, SampleInputs sample, unsigned key, Build&& build) {
        const int index = static_cast<int>(type);
        Entry& entry = index >= 0 && index < kTypes ? entries_[index] : other_;
        if (!entry.built || entry.key != key || entry.sample != sample || &entry == &other_) {
            entry.built = false;
            entry.checks = ChecksOfType(build(), type, sample);
            entry.key = key;
            entry.sample = sample;
            entry.built = true;
        }
        return entry.checks;
    }
    void Clear() noexcept {
        for (Entry& entry : entries_) entry.built = false;
        other_.built = false;
    }

  private:
    static constexpr int kTypes = 5;
    struct Entry {
        bool built = false;
        unsigned key = 0;
        SampleInputs sample = SampleInputs::kTotal;
        TypeChecks checks;
    };
    Entry entries_[kTypes];
    // A type outside the five is built on every calculation.
    Entry other_;
};

// What a test's Calculate hands to RunReadCheckSolve. The hooks may be
// left empty.
struct ReadCheckSolve {
    // The label of the effect input (a generic test's effect is its
    // noncentrality).
    ParameterId effectId = -1;
    SampleInputs sample = SampleInputs::kTotal;
    ParameterId sampleSizeId = kTotalSampleSizeId;
    // The size of each group with SampleInputs::kFixedGroups, the total
    // with kFixedTotal.
    long fixedSize = 0;
    // False for a test without A priori: called with it, Calculate reads the
    // design inputs and stops there.
    bool solvesAPriori = true;
    InputTable checks;
    // The table a test keeps (CheckTables), in place of `checks`.
    const TypeChecks* typeChecks = nullptr;

    // Reads and checks the test's own inputs, ahead of the standard ones;
    // returns the row of the first failure, else -1. The values go to
    // takeDesign through locals, so that a refused input leaves the test
    // as it was.
    Hook<int()> readDesign;
    // Checks of the test's own design against the given inputs, after the
    // table: the row of the first failure (an input of the test's own),
    // else -1.
    Hook<int(const GivenValues&)> checkDesign;
    // Reads the test's own inputs that stand below the given ones, once
    // those are read; their checks go in the table (OwnInputCheck).
    Hook<void()> readBelowGiven;
    // Takes the design once every check has passed, just before the solve;
    // may adjust a value the solve gets.
    Hook<void(GivenValues&)> takeDesign;
    // A check that needs the design taken, after takeDesign and before the
    // solve: the row of a failure, else -1.
    Hook<int(const GivenValues&)> checkTaken;
    // After the A priori search (and the split of two groups), with the
    // total it found.
    Hook<void(double n, const GivenValues&)> afterSampleSize;
    // After the Criterion search, with alpha found: sets the critical value
    // the outputs show, since the last evaluation need not be at the answer.
    Hook<void(const GivenValues&)> afterCriterion;
    // After the Sensitivity search, with the effect found in effectSize.
    Hook<void(const GivenValues&)> afterSensitivity;
    // Solves in place of the solve by type, for a test whose searches give
    // more than the answer (critical counts, the actual alpha and ratio)
    // and keep their own ways of failing. Runs after takeDesign.
    Hook<void(const GivenValues&)> solve;
};

// Reads, checks and solves as described: the row of the first input that
// fails (its reason in the message text), else kCalculateDone. An input
// that cannot be read throws InputFormulaError with its row, as the readers
// do. The solve by type:
// - A priori: SolveSampleSize, rounded; two groups are split by the
//   allocation ratio (SplitAPrioriTotal);
// - Sensitivity: SolveEffectSize(2), the shown effect put back on failure,
//   then afterSensitivity;
// - Post hoc: ComputePower(2) into power;
// - Criterion: SolveAlpha(2) into alpha, then afterCriterion;
// - Compromise: SolveCompromise(2) into alpha and the power at it.
// A test's own `solve` takes the place of all five.
CalculateStatus RunReadCheckSolve(PowerAnalysis& test, AnalysisType type, PropertyList* inputs,
                                  const ReadCheckSolve& path);

// The solve by type alone, as RunReadCheckSolve runs it without a `solve`
// of the test's own: for an own solve that differs in some types only.
void SolveByType(PowerAnalysis& test, AnalysisType type, const ReadCheckSolve& path,
                 const GivenValues& v);

// ---- rows of the input tables, with the base's checks and messages

InputCheck AlphaInRange(PowerAnalysis& test);
InputCheck PowerInRange(PowerAnalysis& test);
InputCheck PowerAboveAlpha(PowerAnalysis& test);
// The three above, in this order.
InputTable AlphaPowerChecks(PowerAnalysis& test);
InputCheck RatioInRange(PowerAnalysis& test, double lo, double hi);
InputCheck AllocationRatioAbove(PowerAnalysis& test, double min);
// lo <= N <= hi ("total sample size").
InputCheck TotalSampleSizeIn(PowerAnalysis& test, int lo, int hi);
// N >= min ("sample size").
InputCheck SampleSizeAtLeast(PowerAnalysis& test, int min);
// A check of one of the test's own inputs, on its row, placed among the
// given ones; it may read the given values too.
InputCheck OwnInputCheck(const int& row, CheckFunction passes);
// The effect read passes the test's own check.
InputCheck EffectPasses(SmallFunction<bool(double), 32> passes);
// The total N read, as the int count the checks take, passes `passes`.
InputCheck SampleSizePasses(SmallFunction<bool(int), 32> passes);
// Each group at least smallestGroup subjects, then the total in
// [smallestTotal, kLargestTotalSampleSize] on the row of N1.
InputTable GroupSizeChecks(PowerAnalysis& test, int smallestTotal, int smallestGroup = 1);
