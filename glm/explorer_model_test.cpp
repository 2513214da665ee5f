// The explorer's model record without a window: its file grids round trip
// through the model file, and Calculate goes from the typed texts to the
// report or to the first reason it cannot.

#include "glm/explorer_model.h"

#include <gtest/gtest.h>

#include "glm/model/power_glmm.h"

namespace {

TextArray Table(std::vector<std::vector<std::wstring>> rows) {
    TextArray t(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
    for (int r = 0; r < t.rows(); ++r)
        for (int c = 0; c < t.cols(); ++c) t(r, c) = rows[r][c];
    return t;
}

// Two groups with their own predictor, means 0.6 (a formula) and 0, one
// response with SD 1 typed as "SD and corr", the contrast of the groups.
ModelFileGrids TwoGroups() {
    ModelFileGrids g;
    g.design = Table({{L"cell\\pred", L"pred 1", L"pred 2", L"ssize weight"},
                      {L"g1", L"1", L"0", L"1"},
                      {L"g2", L"0", L"1", L"1"}});
    g.means = Table({{L"pred\\var", L"Y 1"}, {L"pred 1", L"=0.3*2"}, {L"pred 2", L"0"}});
    g.sigma = Table({{L"SD and corr", L"Y 1"}, {L"Y 1", L"1"}});
    g.predContrasts = Table({{L"line", L"label", L"use", L"normalize", L"pred 1", L"pred 2"},
                             {L"1", L"diff", L"1", L"0", L"1", L"-1"}});
    g.varContrasts =
        Table({{L"line", L"label", L"use", L"normalize", L"Y 1"}, {L"1", L"Y", L"1", L"0", L"1"}});
    return g;
}

}  // namespace

// Through the file and back the record keeps every text, and the loaded
// two-group model is the two-sample t test (d = 0.6, N = 60: two-tailed
// power 0.6275; the report's tests check these numbers against the t test).
TEST(ExplorerModel, FileGridsRoundTripAndCalculate) {
    ExplorerModel document;
    ModelFileGrids read;
    ASSERT_FALSE(ReadModelFile(WriteModelFile(document.ToFileGrids()), read));
    ExplorerModel again(1, 1, 1);
    again.TakeFileGrids(read);
    EXPECT_EQ(WriteModelFile(again.ToFileGrids()), WriteModelFile(document.ToFileGrids()));

    ExplorerModel twoGroups;
    twoGroups.TakeFileGrids(TwoGroups());
    EXPECT_EQ(twoGroups.sigma.GetMode(), SigmaGrid::kSdAndCorrelation);
    twoGroups.settings.totalN = L"60";
    PowerGLMM model;
    std::vector<ReportBlock> blocks;
    const auto problem = twoGroups.Calculate(model, blocks);
    ASSERT_FALSE(problem) << std::string(problem->message.begin(), problem->message.end());
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].caption, L"Test of: diff x Y\n");
    const ReportTable& t = blocks[0].results.at(0);
    EXPECT_EQ(t[2][1], L"two");
    EXPECT_EQ(t[2][2], L"60");
    EXPECT_EQ(t[2][3], L"0.628");
    EXPECT_EQ(t[2][9], L"58");
}

// The first reason nothing is computed, with the place the user is sent to;
// nothing is reported then.
TEST(ExplorerModel, CalculateSaysWhyItComputesNothing) {
    const struct {
        const char* name;
        void (*change)(ExplorerModel&);
        ExplorerModel::Problem::Place place;
        const wchar_t* message;  // the start of it
        int row, col;
    } cases[] = {
        {"alpha", [](ExplorerModel& m) { m.settings.alpha = L"0"; },
         ExplorerModel::Problem::kSettings, L"Alpha must lie between 0 and 1 (it reads \"0\").", -1,
         -1},
        {"variance", [](ExplorerModel& m) { m.sigma.texts(2, 2) = L"-4"; },
         ExplorerModel::Problem::kSigma, L"The variance of Y 2 is -4, below 0", 2, 2},
        {"correlation",
         [](ExplorerModel& m) {
             m.sigma.texts(3, 1) = L"2";
             m.sigma.texts(1, 3) = L"2";
         },
         ExplorerModel::Problem::kSigma, L"The correlation of Y 1 and Y 3 is 2", 3, 1},
        {"means", [](ExplorerModel& m) { m.means.Init(2, 4); }, ExplorerModel::Problem::kModel,
         L"The means B have 2 rows, but the design X has 3 predictors", -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExplorerModel document;
        c.change(document);
        PowerGLMM model;
        std::vector<ReportBlock> blocks;
        const auto problem = document.Calculate(model, blocks);
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->message.rfind(c.message, 0), 0u)
            << std::string(problem->message.begin(), problem->message.end());
        EXPECT_EQ(problem->place, c.place);
        EXPECT_EQ(problem->row, c.row);
        EXPECT_EQ(problem->col, c.col);
        EXPECT_TRUE(blocks.empty());
    }

    // The standard model computes one block without a window.
    ExplorerModel standard;
    PowerGLMM model;
    std::vector<ReportBlock> blocks;
    EXPECT_FALSE(standard.Calculate(model, blocks));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].caption, L"Test of: Contrast 1 x Contrast 1\n");
}
