#include "analysis/read_check_solve.h"

#include <utility>

#include "analysis/family_support.h"

namespace {

// Which standard inputs the type takes, by the test's kind of sample.
struct TakenInputs {
    bool taken[kGivenCount] = {};

    TakenInputs(AnalysisType type, SampleInputs sample) {
        const GivenInputs given = GivenInputsOf(type);
        Set(Given::kEffect, given.effect);
        Set(Given::kAlpha, given.alpha);
        Set(Given::kPower, given.power);
        Set(Given::kRatio, given.ratio);
        const bool groups = sample == SampleInputs::kGroups;
        Set(Given::kAllocationRatio, groups && type == kAPriori);
        Set(Given::kSampleSize, sample == SampleInputs::kTotal && given.sampleSize);
        Set(Given::kSampleSize1, groups && given.sampleSize);
        Set(Given::kSampleSize2, groups && given.sampleSize);
    }
    void Set(Given input, bool value) { taken[static_cast<int>(input)] = value; }
    bool Takes(Given input) const { return taken[static_cast<int>(input)]; }
    bool Runs(const InputCheck& check) const {
        return check.ownRow != nullptr || (Takes(check.input) && Takes(check.alsoReads));
    }
};

// Reads one standard input into `values`, with its row.
void ReadGiven(PowerAnalysis& test, PropertyList* inputs, const ReadCheckSolve& path, Given input,
               GivenValues& values) {
    int& row = values.rows[static_cast<int>(input)];
    switch (input) {
        case Given::kEffect:
            values.effect = test.ReadEffectSize(inputs, &row, path.effectId);
            break;
        case Given::kAlpha:
            values.alpha = test.ReadAlpha(inputs, &row);
            break;
        case Given::kPower:
            values.power = test.ReadPower(inputs, &row);
            break;
        case Given::kRatio:
            values.ratio = test.ReadRatio(inputs, &row);
            break;
        case Given::kAllocationRatio:
            values.allocationRatio = test.ReadAllocationRatio(inputs, &row);
            break;
        case Given::kSampleSize:
            values.sampleSize = test.ReadCount(inputs, &row, path.sampleSizeId);
            break;
        case Given::kSampleSize1:
            values.sampleSize1 = test.ReadSampleSize1(inputs, &row);
            break;
        case Given::kSampleSize2:
            values.sampleSize2 = test.ReadSampleSize2(inputs, &row);
            break;
    }
}

// The order in which the inputs stand in every list.
constexpr Given kReadOrder[] = {
    Given::kEffect,          Given::kAlpha,      Given::kPower,       Given::kRatio,
    Given::kAllocationRatio, Given::kSampleSize, Given::kSampleSize1, Given::kSampleSize2,
};

}  // namespace

// ------------------------------------------------------- table storage

namespace {

// Blocks of 256 bytes to 4 KB (a table of a few dozen checks), a few of
// each size per thread; anything larger goes to the heap as usual.
constexpr std::size_t kSmallestBlock = 256;
constexpr int kBlockSizes = 5;
constexpr int kKeptPerSize = 8;

struct KeptBlocks {
    void* blocks[kBlockSizes][kKeptPerSize];
    int count[kBlockSizes] = {};
    // Set once the thread's blocks are freed: a table dropped after that
    // (by another object going at thread exit) goes straight back.
    bool closed = false;

    ~KeptBlocks() {
        for (int size = 0; size < kBlockSizes; ++size) {
            for (int i = 0; i < count[size]; ++i) ::operator delete(blocks[size][i]);
            count[size] = 0;
        }
        closed = true;
    }
};

thread_local KeptBlocks keptBlocks;

int BlockSizeOf(std::size_t bytes) {
    std::size_t block = kSmallestBlock;
    for (int size = 0; size < kBlockSizes; ++size, block *= 2) {
        if (bytes <= block) return size;
    }
    return -1;
}

// Under the address sanitizer every table has its own block, so that a
// check read after its table is gone is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepBlocks = false;
#else
constexpr bool kKeepBlocks = true;
#endif

}  // namespace

void* TakeTableStorage(std::size_t bytes) {
    const int size = kKeepBlocks ? BlockSizeOf(bytes) : -1;
    if (size < 0) return ::operator new(bytes);
    KeptBlocks& kept = keptBlocks;
    if (kept.count[size] > 0) return kept.blocks[size][--kept.count[size]];
    return ::operator new(kSmallestBlock << size);
}

void GiveTableStorage(void* block, std::size_t bytes) noexcept {
    const int size = kKeepBlocks ? BlockSizeOf(bytes) : -1;
    if (size >= 0) {
        KeptBlocks& kept = keptBlocks;
        if (!kept.closed && kept.count[size] < kKeptPerSize) {
            kept.blocks[size][kept.count[size]++] = block;
            return;
        }
    }
    ::operator delete(block);
}

// ------------------------------------------------------------ the solve

void SolveByType(PowerAnalysis& test, AnalysisType type, const ReadCheckSolve& path,
                 const GivenValues& v) {
    const bool twoGroups =
        path.sample == SampleInputs::kGroups || path.sample == SampleInputs::kFixedGroups;
    const double n = static_cast<double>(v.sampleSize);
    const double n1 = static_cast<double>(v.sampleSize1);
    const double n2 = static_cast<double>(v.sampleSize2);
    switch (type) {
        case kAPriori: {
            const double total = test.SolveSampleSize(v.effect, v.alpha, v.power, true);
            if (path.sample == SampleInputs::kGroups)
                test.SplitAPrioriTotal(total, v.allocationRatio, v.effect, v.alpha, v.power);
            if (path.afterSampleSize) path.afterSampleSize(total, v);
            break;
        }
        case kSensitivity:
            test.effectSize = RestoringOnFailure(test.effectSize, [&] {
                return twoGroups ? test.SolveEffectSize2(v.alpha, v.power, n1, n2)
                                 : test.SolveEffectSize(v.alpha, v.power, n);
            });
            if (path.afterSensitivity) path.afterSensitivity(v);
            break;
        case kPostHoc:
            test.power = twoGroups ? test.ComputePower2(v.effect, v.alpha, n1, n2)
                                   : test.ComputePower(v.effect, v.alpha, n);
            break;
        case kCriterion:
            test.alpha = twoGroups ? test.SolveAlpha2(v.effect, v.power, n1, n2)
                                   : test.SolveAlpha(v.effect, v.power, n);
            if (path.afterCriterion) path.afterCriterion(v);
            break;
        case kCompromise:
            test.alpha = twoGroups ? test.SolveCompromise2(v.effect, v.ratio, n1, n2)
                                   : test.SolveCompromise(v.effect, v.ratio, n);
            test.power = twoGroups ? test.ComputePower2(v.effect, test.alpha, n1, n2)
                                   : test.ComputePower(v.effect, test.alpha, n);
            break;
    }
}

InputTable JoinChecks(std::initializer_list<InputTable> tables) {
    // One allocation for the joined table, not one per growth.
    std::size_t size = 0;
    for (const InputTable& table : tables) size += table.size();
    InputTable joined;
    joined.reserve(size);
    for (const InputTable& table : tables) joined.insert(joined.end(), table.begin(), table.end());
    return joined;
}

TypeChecks ChecksOfType(InputTable table, AnalysisType type, SampleInputs sample) {
    const TakenInputs taken(type, sample);
    TypeChecks checks;
    for (const Given input : kReadOrder) {
        if (taken.Takes(input)) checks.reads[checks.readCount++] = input;
    }
    std::size_t whenRead = 0;
    for (const InputCheck& check : table) whenRead += check.whenRead ? 1 : 0;
    checks.whenRead.reserve(whenRead);
    checks.afterReading.reserve(table.size() - whenRead);
    for (InputCheck& check : table) {
        if (!taken.Runs(check)) continue;
        (check.whenRead ? checks.whenRead : checks.afterReading).push_back(std::move(check));
    }
    return checks;
}

namespace {

// After the standard inputs: the test's own inputs below them, and the
// sizes a test fixes instead of reading.
void ReadBelowGiven(const ReadCheckSolve& path, GivenValues& values) {
    if (path.readBelowGiven) path.readBelowGiven();
    if (path.sample == SampleInputs::kFixedGroups)
        values.sampleSize1 = values.sampleSize2 = path.fixedSize;
    if (path.sample == SampleInputs::kFixedTotal) values.sampleSize = path.fixedSize;
}

// After the table's checks: the design's checks, taking it, and the solve.
CalculateStatus CheckTakeSolve(PowerAnalysis& test, AnalysisType type, const ReadCheckSolve& path,
                               GivenValues& values) {
    if (path.checkDesign) {
        if (const int row = path.checkDesign(values); row >= 0) return row;
    }

    if (path.takeDesign) path.takeDesign(values);
    if (path.checkTaken) {
        if (const int row = path.checkTaken(values); row >= 0) return row;
    }
    if (path.solve)
        path.solve(values);
    else
        SolveByType(test, type, path, values);
    return kCalculateDone;
}

// The rest of RunReadCheckSolve, once the design is read, with a table the
// test keeps for the type.
CalculateStatus ReadCheckSolveKept(PowerAnalysis& test, AnalysisType type, PropertyList* inputs,
                                   const ReadCheckSolve& path) {
    const TypeChecks& checks = *path.typeChecks;
    GivenValues values;
    for (int i = 0; i < checks.readCount; ++i) {
        const Given input = checks.reads[i];
        ReadGiven(test, inputs, path, input, values);
        for (const InputCheck& check : checks.whenRead) {
            if (check.input == input && !check.passes(values)) return values.Row(check.input);
        }
    }
    ReadBelowGiven(path, values);
    for (const InputCheck& check : checks.afterReading) {
        if (!check.passes(values))
            return check.ownRow != nullptr ? *check.ownRow : values.Row(check.input);
    }
    return CheckTakeSolve(test, type, path, values);
}

}  // namespace

CalculateStatus RunReadCheckSolve(PowerAnalysis& test, AnalysisType type, PropertyList* inputs,
                                  const ReadCheckSolve& path) {
    test.ClearMessage();
    if (path.readDesign) {
        if (const int row = path.readDesign(); row >= 0) return row;
    }
    if (type == kAPriori && !path.solvesAPriori) return kCalculateDone;
    if (path.typeChecks != nullptr) return ReadCheckSolveKept(test, type, inputs, path);

    const TakenInputs taken(type, path.sample);
    GivenValues values;
    // Most tables check nothing as it is read; they skip the scan per input.
    bool checksWhenRead = false;
    for (const InputCheck& check : path.checks) checksWhenRead = checksWhenRead || check.whenRead;
    for (const Given input : kReadOrder) {
        if (!taken.Takes(input)) continue;
        ReadGiven(test, inputs, path, input, values);
        if (!checksWhenRead) continue;
        for (const InputCheck& check : path.checks) {
            if (check.whenRead && check.input == input && taken.Runs(check) &&
                !check.passes(values))
                return values.Row(check.input);
        }
    }
    ReadBelowGiven(path, values);
    for (const InputCheck& check : path.checks) {
        if (!check.whenRead && taken.Runs(check) && !check.passes(values))
            return check.ownRow != nullptr ? *check.ownRow : values.Row(check.input);
    }
    return CheckTakeSolve(test, type, path, values);
}

// ------------------------------------------------------------ table rows

InputCheck AlphaInRange(PowerAnalysis& test) {
    return {Given::kAlpha, [&test](const GivenValues& v) { return test.CheckAlphaRange(v.alpha); }};
}

InputCheck PowerInRange(PowerAnalysis& test) {
    return {Given::kPower, [&test](const GivenValues& v) { return test.CheckPowerRange(v.power); }};
}

InputCheck PowerAboveAlpha(PowerAnalysis& test) {
    return {Given::kPower,
            [&test](const GivenValues& v) { return test.CheckPowerAboveAlpha(v.alpha, v.power); },
            Given::kAlpha};
}

InputTable AlphaPowerChecks(PowerAnalysis& test) {
    return {AlphaInRange(test), PowerInRange(test), PowerAboveAlpha(test)};
}

InputCheck RatioInRange(PowerAnalysis& test, double lo, double hi) {
    return {Given::kRatio,
            [&test, lo, hi](const GivenValues& v) { return test.CheckRatio(v.ratio, lo, hi); }};
}

InputCheck AllocationRatioAbove(PowerAnalysis& test, double min) {
    return {Given::kAllocationRatio, [&test, min](const GivenValues& v) {
                return test.CheckAllocationRatio(v.allocationRatio, min);
            }};
}

InputCheck TotalSampleSizeIn(PowerAnalysis& test, int lo, int hi) {
    return {Given::kSampleSize, [&test, lo, hi](const GivenValues& v) {
                return test.CheckTotalSampleSize(static_cast<int>(v.sampleSize), lo, hi);
            }};
}

InputCheck SampleSizeAtLeast(PowerAnalysis& test, int min) {
    return {Given::kSampleSize, [&test, min](const GivenValues& v) {
                return test.CheckSampleSizeMinimum(static_cast<int>(v.sampleSize), min);
            }};
}

InputCheck OwnInputCheck(const int& row, CheckFunction passes) {
    InputCheck check{Given::kEffect, std::move(passes)};
    check.ownRow = &row;
    return check;
}

InputCheck EffectPasses(SmallFunction<bool(double), 32> passes) {
    return {Given::kEffect,
            [passes = std::move(passes)](const GivenValues& v) { return passes(v.effect); }};
}

InputCheck SampleSizePasses(SmallFunction<bool(int), 32> passes) {
    return {Given::kSampleSize, [passes = std::move(passes)](const GivenValues& v) {
                return passes(static_cast<int>(v.sampleSize));
            }};
}

InputTable GroupSizeChecks(PowerAnalysis& test, int smallestTotal, int smallestGroup) {
    // The inputs hold 32-bit values, so each size fits an int; their sum
    // need not.
    return {
        {Given::kSampleSize1,
         [&test, smallestGroup](const GivenValues& v) {
             return test.CheckSampleSizeMinimum(static_cast<int>(v.sampleSize1), smallestGroup);
         }},
        {Given::kSampleSize2,
         [&test, smallestGroup](const GivenValues& v) {
             return test.CheckSampleSizeMinimum(static_cast<int>(v.sampleSize2), smallestGroup);
         }},
        {Given::kSampleSize1,
         [&test, smallestTotal](const GivenValues& v) {
             return test.CheckTotalSampleSize(GroupSizeSum(v.sampleSize1, v.sampleSize2),
                                              smallestTotal, kLargestTotalSampleSize);
         },
         Given::kSampleSize2},
    };
}
