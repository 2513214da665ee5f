// The explorer's model record without a window: its file grids round trip
// through the model file, and Calculate goes from the typed texts to the
// report or to the first reason it cannot.

#include "glm/explorer_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "glm/model/power_glmm.h"
#include "verification/explorer_document/report_text.h"

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
        // What a model file may hold and the tabs would not let through.
        {"mirror cell not finite", [](ExplorerModel& m) { m.sigma.texts(1, 2) = L"1e999"; },
         ExplorerModel::Problem::kSigma,
         L"Sigma is not symmetric: the cell (Y 1, Y 2) above the diagonal holds inf", 2, 1},
        {"asymmetric",
         [](ExplorerModel& m) {
             m.sigma.texts(2, 1) = L"0.3";
             m.sigma.texts(1, 2) = L"5";
         },
         ExplorerModel::Problem::kSigma,
         L"Sigma is not symmetric: the cell (Y 1, Y 2) above the diagonal holds 5, its mirror "
         L"(Y 2, Y 1) below it 0.3",
         2, 1},
        {"asymmetric as SD and correlations",
         [](ExplorerModel& m) {
             m.sigma.texts(0, 0) = L"SD and corr";
             m.sigma.Load(m.sigma.texts);
             m.sigma.texts(4, 3) = L"0.3";
         },
         ExplorerModel::Problem::kSigma,
         L"Sigma is not symmetric: the cell (Y 3, Y 4) above the diagonal holds 0", 4, 3},
        {"negative weight", [](ExplorerModel& m) { m.design.texts(2, 4) = L"-1e308"; },
         ExplorerModel::Problem::kDesign,
         L"The sample-size weight of \"cell 2\" is -1e+308: a weight is a relative group size, 0 "
         L"or more.",
         2, 4},
        {"design not finite", [](ExplorerModel& m) { m.design.texts(3, 2) = L"1e999"; },
         ExplorerModel::Problem::kDesign,
         L"The tab \"Design X\" holds inf in row 3, column 2: every cell must be a finite number.",
         3, 2},
        {"means not finite", [](ExplorerModel& m) { m.means.texts(1, 4) = L"-1e999"; },
         ExplorerModel::Problem::kMeans, L"The tab \"Means B\" holds -inf in row 1, column 4", 1,
         4},
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

    // The standard model computes one block without a window (its X of
    // zeros makes the contrast not testable), and with a design of full
    // rank so it does with variances of 1e-200 and correlations 0.5, a
    // valid Σ.
    ExplorerModel standard;
    PowerGLMM model;
    std::vector<ReportBlock> blocks;
    EXPECT_FALSE(standard.Calculate(model, blocks));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].caption, L"Test of: Contrast 1 x Contrast 1\n");
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 3; ++j)
            standard.design.texts(i, j) = i == j || (i > 3 && j == 3) ? L"1" : L"0";
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 4; ++j) standard.sigma.texts(i, j) = i == j ? L"1e-200" : L"5e-201";
    EXPECT_FALSE(standard.Calculate(model, blocks));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_TRUE(blocks[0].failure.empty());
}

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// window_results.txt by model file: whether the window saved the loaded
// file as the same bytes, and its results text under each settings' name.
struct WindowResults {
    bool sameSave = false;
    std::map<std::string, std::string> shown;
};

std::map<std::string, WindowResults> ReadWindowResults(const std::string& path) {
    std::map<std::string, WindowResults> results;
    std::ifstream in(path);
    std::string line;
    WindowResults* file = nullptr;
    std::string* shown = nullptr;
    while (std::getline(in, line)) {
        if (line.rfind("== ", 0) == 0) {
            file = &results[line.substr(3)];
            shown = nullptr;
        } else if (file && line.rfind("save ", 0) == 0) {
            file->sameSave = line == "save same";
        } else if (file && line.rfind("-- ", 0) == 0) {
            shown = &file->shown[line.substr(3)];
        } else if (shown) {
            *shown += line + "\n";
        }
    }
    return results;
}

}  // namespace

// The record computes what the explorer window computed from the same model
// files (the examples, the standard model, a singular and an impossible Σ,
// random models; verification/explorer_document/window_results.cpp wrote
// the window's results): every shown text identical under every settings,
// and saved again each file is the same bytes as the window saved.
TEST(ExplorerModel, ComputesWhatTheWindowComputedFromTheSameFiles) {
    const std::string folder = QUORIX_SOURCE_DIR "/verification/explorer_document/";
    const auto window = ReadWindowResults(folder + "window_results.txt");
    ASSERT_GE(window.size(), 13u);
    for (const auto& [name, expected] : window) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadFile(folder + name);
        ExplorerModel document(1, 1, 1);
        ASSERT_FALSE(document.Load(bytes));
        std::string saved;
        ASSERT_FALSE(document.Save(&saved));
        EXPECT_EQ(saved == bytes, expected.sameSave);
        ASSERT_EQ(expected.shown.size(), std::size(kDocumentSettings));
        for (const DocumentSettings& s : kDocumentSettings) {
            SCOPED_TRACE(s.name);
            document.settings = s.texts;
            PowerGLMM model;
            std::vector<ReportBlock> blocks;
            const auto problem = document.Calculate(model, blocks);
            EXPECT_EQ(ReportText(problem, blocks), expected.shown.at(s.name));
        }
    }
}

namespace {

// B scaled by s and Σ by s², written back into the grids: covariances
// scale by s², standard deviations (the diagonal of "SD and corr") by s,
// correlations not at all.
void ScaleMeansAndSigma(ExplorerModel& document, double s) {
    LabeledMatrix B;
    document.means.GetMeans(B);
    for (int i = 0; i < B.values.rows(); ++i)
        for (int j = 0; j < B.values.cols(); ++j)
            document.means.texts(i + 1, j + 1) = FormatNumber(B.values(i, j) * s, L"%.17g");
    const bool sd = document.sigma.GetMode() == SigmaGrid::kSdAndCorrelation;
    TextArray& sigma = document.sigma.texts;
    for (int i = 1; i < sigma.rows(); ++i)
        for (int j = 1; j < sigma.cols(); ++j) {
            if (sd && i != j) continue;
            sigma(i, j) = FormatNumber(EvaluateCellText(sigma(i, j)) * (sd ? s : s * s), L"%.17g");
        }
}

}  // namespace

// The model does not change when B is scaled by s and Σ by s²: the report
// shows the same text, every digit, for every model file and settings of
// the window's results, at s = 1e±75 and 1e±100 (variances near 1e±150 and
// 1e±200). A contrast of equal means has no effect at every scale, not a
// rounding-size one at some.
TEST(ExplorerModel, ScalingMeansAndCovariancesTogetherChangesNoShownDigit) {
    const std::string folder = QUORIX_SOURCE_DIR "/verification/explorer_document/";
    const auto window = ReadWindowResults(folder + "window_results.txt");
    ASSERT_GE(window.size(), 13u);
    for (const auto& [name, expected] : window) {
        SCOPED_TRACE(name);
        ExplorerModel document(1, 1, 1);
        ASSERT_FALSE(document.Load(ReadFile(folder + name)));
        for (const DocumentSettings& settings : kDocumentSettings) {
            SCOPED_TRACE(settings.name);
            for (double s : {1e100, 1e-100, 1e75, 1e-75}) {
                SCOPED_TRACE(s);
                ExplorerModel scaled = document;
                ScaleMeansAndSigma(scaled, s);
                scaled.settings = settings.texts;
                PowerGLMM model;
                std::vector<ReportBlock> blocks;
                const auto problem = scaled.Calculate(model, blocks);
                EXPECT_EQ(ReportText(problem, blocks), expected.shown.at(settings.name));
            }
        }
    }
}
