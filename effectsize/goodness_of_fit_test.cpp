// The goodness-of-fit panel's plain parts: w against R's pwr ES.w1 (table in
// verification/panels), the checks, the column buttons, the cell count and
// the store.

#include "effectsize/goodness_of_fit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <sstream>

#include "analysis/property.h"

namespace {

using namespace effectsize;
using namespace effectsize::goodness_of_fit;

Inputs Make(std::vector<double> p0, std::vector<double> p1, int mode = kPlain) {
    Inputs inputs;
    inputs.cells = static_cast<int>(p0.size());
    inputs.inputMode = mode;
    inputs.p0 = std::move(p0);
    inputs.p1 = std::move(p1);
    return inputs;
}

std::vector<double> Numbers(const std::string& field) {
    std::istringstream in(field);
    std::vector<double> values;
    for (double x = 0; in >> x;) values.push_back(x);
    return values;
}

TEST(GoodnessOfFit, WAgreesWithPwr) {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/panels/goodness_of_fit_w.csv");
    std::string line;
    std::getline(in, line);
    int rows = 0;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, ',');) fields.push_back(field);
        ASSERT_EQ(fields.size(), 4u);
        Inputs inputs = Make(Numbers(fields[1]), Numbers(fields[2]), std::stoi(fields[0]));
        const double w = std::stod(fields[3]);
        SCOPED_TRACE(line.substr(0, 60));
        ASSERT_FALSE(Check(inputs).has_value());
        EXPECT_NEAR(ComputeW(&inputs), w, 1e-14 * std::max(1.0, w));
        if (inputs.inputMode == kNormalize) {
            // The normalize mode leaves its columns summing to 1.
            EXPECT_NEAR(std::accumulate(inputs.p1.begin(), inputs.p1.end(), 0.0), 1.0, 1e-15);
        }
        ++rows;
    }
    EXPECT_EQ(rows, 10);
}

TEST(GoodnessOfFit, CheckNamesTheCellAndTheMessage) {
    const std::string p0Small = std::string(kP0SumMessage) + "small.";
    const std::string p0Large = std::string(kP0SumMessage) + "large.";
    const std::string p1Large = std::string(kP1SumMessage) + "large.";
    struct Case {
        const char* what;
        Inputs inputs;
        int field;
        std::string message;
    };
    const Case cases[] = {
        {"p0 sums to 0.9", Make({0.3, 0.3, 0.3}, {0.2, 0.3, 0.5}), CellField(0, kH0), p0Small},
        {"p0 sums to 1.1", Make({0.6, 0.5}, {0.5, 0.5}), CellField(0, kH0), p0Large},
        {"p1 sums to 1 + 2e-6", Make({0.5, 0.5}, {0.5, 0.500002}), CellField(0, kH1), p1Large},
        {"p0 exactly 1e-19", Make({1e-19, 1.0}, {0.5, 0.5}), CellField(0, kH0), kP0TooSmallMessage},
        {"p0 zero in row 3", Make({0.5, 0.5, 0}, {0.5, 0.5, 0}), CellField(2, kH0),
         kP0TooSmallMessage},
        {"p1 negative", Make({0.5, 0.5}, {1.1, -0.1}), CellField(1, kH1), kP1NegativeMessage},
        {"p1 sums to 0, normalize", Make({1, 1}, {0, 0}, kNormalize), CellField(0, kH1),
         kP1SumZeroMessage},
        {"an overflowed cell", Make({0.5, 1e308 * 10}, {0.5, 0.5}), CellField(1, kH0),
         kNotANumberMessage},
        {"cells past the largest double", Make({1e308, 1e308}, {1, 1}, kNormalize),
         CellField(0, kH0), kNotANumberMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto error = Check(c.inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
    // Sums within 1e-6 of 1 pass.
    EXPECT_FALSE(Check(Make({0.5, 0.5000009}, {0.5, 0.4999991})).has_value());
}

TEST(GoodnessOfFit, ColumnButtons) {
    Inputs inputs = Make({0.2, 0.2, 0.2}, {0.1, 0.2, 0.3});
    SetEqual(&inputs, kH1, 0.5);
    EXPECT_EQ(inputs.p1, (std::vector<double>{0.5, 0.5, 0.5}));

    // Normalize: the column sums to exactly 1, the last cell taking the rest.
    inputs.p0 = {1, 1, 1};
    EXPECT_FALSE(Normalize(&inputs, kH0).has_value());
    EXPECT_EQ(inputs.p0[0], 1.0 / 3);
    EXPECT_EQ(inputs.p0[0] + inputs.p0[1] + inputs.p0[2], 1.0);
    inputs.p1 = {0, 0, 0};
    EXPECT_EQ(Normalize(&inputs, kH1), std::string(kNormalizeZeroMessage));
    EXPECT_EQ(inputs.p1, (std::vector<double>{0, 0, 0}));

    // Auto calc last cell: 1 minus the others, or 0 with the warning.
    inputs.p0 = {0.2, 0.5, 9};
    EXPECT_FALSE(AutoCalcLastCell(&inputs, kH0).has_value());
    EXPECT_DOUBLE_EQ(inputs.p0[2], 0.3);
    inputs.p1 = {0.7, 0.5, 9};
    EXPECT_EQ(AutoCalcLastCell(&inputs, kH1), std::string(kLastCellP1Message));
    EXPECT_EQ(inputs.p1[2], 0.0);

    // The last-cell mode does both columns and says which did not fit.
    inputs.p0 = {0.25, 0.25, 0};
    inputs.p1 = {0.75, 0.5, 0.2};
    const LastCells last = UpdateLastCells(&inputs);
    EXPECT_TRUE(last.fits[kH0]);
    EXPECT_FALSE(last.fits[kH1]);
    EXPECT_EQ(inputs.p0[2], 0.5);
    EXPECT_EQ(inputs.p1[2], 0.0);
}

TEST(GoodnessOfFit, CellCountIsClampedAndKeepsHiddenCells) {
    Inputs inputs;
    ApplyCellCount(&inputs, 6);
    for (int i = 0; i < 6; ++i) inputs.p0[i] = inputs.p1[i] = 0.1 * (i + 1);
    ApplyCellCount(&inputs, 3);
    EXPECT_EQ(inputs.cells, 3);
    ApplyCellCount(&inputs, 6);
    EXPECT_EQ(inputs.p0,
              (std::vector<double>{0.1, 0.2, 0.30000000000000004, 0.4, 0.5, 0.6000000000000001}));
    ApplyCellCount(&inputs, 1);
    EXPECT_EQ(inputs.cells, 2);
    ApplyCellCount(&inputs, 51);
    EXPECT_EQ(inputs.cells, 50);
    EXPECT_EQ(inputs.p1.size(), 50u);
    EXPECT_EQ(inputs.p1[49], 0.0);
}

TEST(GoodnessOfFit, StoreRoundTrip) {
    Inputs typed = Make({0.1, 0.2, 0.7}, {0.3, 0.3, 0.4}, kLastCellComputed);
    PropertyList store;
    Save(typed, &store);
    long cells = 0, mode = -1;
    double last = 0;
    ASSERT_TRUE(GetNamedLong(&store, "cgf_ncells", &cells));
    ASSERT_TRUE(GetNamedLong(&store, "cgf_inmode", &mode));
    ASSERT_TRUE(GetNamedDouble(&store, "cgf_pa2", &last));
    EXPECT_EQ(cells, 3);
    EXPECT_EQ(mode, kLastCellComputed);
    EXPECT_EQ(last, 0.4);

    Inputs back;  // 4 cells of 0.25
    Restore(&store, &back);
    EXPECT_EQ(back.cells, 3);
    EXPECT_EQ(back.inputMode, kLastCellComputed);
    EXPECT_EQ(std::vector<double>(back.p0.begin(), back.p0.begin() + 3), typed.p0);
    EXPECT_EQ(std::vector<double>(back.p1.begin(), back.p1.begin() + 3), typed.p1);

    PropertyList empty;
    Inputs untouched;
    Restore(&empty, &untouched);
    EXPECT_EQ(untouched.cells, kDefaultCells);
    EXPECT_EQ(untouched.p0, Inputs{}.p0);

    // A cell that is no number keeps its text beside the 0 it reads as; a
    // number saved over it later is a number again.
    typed.p1[1] = 0.0;
    Save(typed, &store);
    SaveTypedCell(&store, 1, kH1, "0,3");
    SaveTypedCell(&store, 0, kH1, "0.3");
    EXPECT_EQ(TypedCell(&store, 1, kH1), "0,3");
    EXPECT_FALSE(TypedCell(&store, 1, kH0).has_value());
    EXPECT_FALSE(TypedCell(&store, 0, kH1).has_value());
    EXPECT_FALSE(TypedCell(&empty, 1, kH1).has_value());
    Restore(&store, &back);
    EXPECT_EQ(back.p1[1], 0.0);
    typed.p1[1] = 0.3;
    Save(typed, &store);
    EXPECT_FALSE(TypedCell(&store, 1, kH1).has_value());
}

}  // namespace
