// The ".gmm" model file: its exact bytes, the round trip, and the refusal
// of damaged files (naming the block) and of texts it cannot keep.

#include "glm/model_file.h"

#include <gtest/gtest.h>

#include <random>

#include "glm/contrast_list.h"
#include "glm/covariance.h"
#include "glm/design.h"

namespace {

// The explorer's grids as it opens: 5 cells, 3 predictors, 4 responses.
ModelFileGrids OpeningGrids() {
    ModelFileGrids g;
    DesignGrid design;
    design.Init(5, 3);
    g.design = design.texts;
    MeansGrid means;
    means.Init(3, 4);
    g.means = means.texts;
    SigmaGrid sigma;
    sigma.Init(4);
    g.sigma = sigma.texts;
    LabeledMatrix m;
    ContrastGrid c(ContrastKind::kPredictors);
    c.Init(3);
    c.ToMatrix(m);
    g.predContrasts = m.cells;
    ContrastGrid a(ContrastKind::kVariables);
    a.Init(4);
    a.ToMatrix(m);
    g.varContrasts = m.cells;
    return g;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t ch : text) out.push_back(ch < 0x80 ? static_cast<char>(ch) : '?');
    return out;
}

TEST(ModelFile, BytesAndRoundTrip) {
    ModelFileGrids g = OpeningGrids();
    g.design(1, 0) = L"gr\u00fcn";  // a Latin-1 letter is one byte
    g.means(1, 1) = L"=sqrt(2)";
    const std::string bytes = WriteModelFile(g);
    EXPECT_EQ(bytes.rfind(", \r\n6, 5, \r\n", 0), 0u);
    EXPECT_NE(bytes.find("gr\xfcn,\t"), std::string::npos);
    // Every line ends with CR LF, every block with "." and an empty line.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_EQ(bytes[i - 1], '\r') << i;
        }
    }
    std::size_t ends = 0;
    for (std::size_t at = 0; (at = bytes.find("\r\n.\r\n\r\n", at)) != std::string::npos; ++at)
        ++ends;
    EXPECT_EQ(ends, 5u);
    EXPECT_EQ(bytes.substr(bytes.size() - 7), "\r\n.\r\n\r\n");

    ModelFileGrids read;
    ASSERT_FALSE(ReadModelFile(bytes, read));
    EXPECT_EQ(read.design, g.design);
    EXPECT_EQ(read.means, g.means);
    EXPECT_EQ(read.sigma, g.sigma);
    EXPECT_EQ(read.predContrasts, g.predContrasts);
    EXPECT_EQ(read.varContrasts, g.varContrasts);
    EXPECT_EQ(WriteModelFile(read), bytes);

    // Line ends of LF alone read the same.
    std::string lf;
    for (char ch : bytes)
        if (ch != '\r') lf.push_back(ch);
    ModelFileGrids fromLf;
    ASSERT_FALSE(ReadModelFile(lf, fromLf));
    EXPECT_EQ(WriteModelFile(fromLf), bytes);
}

TEST(ModelFile, DamagedFilesAreRefusedNamingTheBlock) {
    const ModelFileGrids good = OpeningGrids();
    const std::string bytes = WriteModelFile(good);
    auto written = [&](auto change) {
        ModelFileGrids g = good;
        change(g);
        return WriteModelFile(g);
    };
    std::mt19937 random(67);
    std::string noise(4096, '\0');
    for (char& ch : noise) ch = static_cast<char>(random() & 0xff);
    const std::size_t lastBlock = bytes.rfind("\r\n\r\n, \r\n") + 4;

    struct Case {
        const char* what;
        std::string file;
        const wchar_t* message;
    } cases[] = {
        {"empty", "", L"Block \"Design X\" is missing."},
        {"four blocks", bytes.substr(0, lastBlock), L"Block \"Var Contrast A\" is missing."},
        {"count not a number", Replaced(bytes, "6, 5, ", "6, x, "),
         L"Block \"Design X\" has no counts of rows and columns where they belong."},
        {"more rows announced", Replaced(bytes, "6, 5, ", "9, 5, "),
         L"Block \"Design X\": row 7 does not hold 5 cells."},
        {"fewer cells in a row", Replaced(bytes, "pred\\var,\t", ""),
         L"Block \"Means B\": row 1 does not hold 5 cells."},
        {"no closing line", Replaced(bytes, "\r\n.\r\n", "\r\n"),
         L"Block \"Design X\" does not end with a line \".\" after its 6 rows."},
        {"Sigma not square", written([](ModelFileGrids& g) { g.sigma.Resize(5, 4, L"0"); }),
         L"Block \"Cov Sigma\" is not square: 5 rows and 4 columns."},
        {"no predictor", written([](ModelFileGrids& g) { g.design.Resize(6, 2, L"1"); }),
         L"Block \"Design X\" has 6 rows and 2 columns; a design has 1 to 100 cells and 1 to 100 "
         L"predictors."},
        {"51 responses", written([](ModelFileGrids& g) { g.means.Resize(4, 52, L"0"); }),
         L"Block \"Means B\" has 4 rows and 52 columns; means have 1 to 100 predictors and 1 to "
         L"50 responses."},
        {"use 2", written([](ModelFileGrids& g) { g.predContrasts(2, 2) = L"2"; }),
         L"Block \"Pred. Contrast C\", row 3, column 3: the use flag \"2\" is neither 0 nor 1."},
        {"normalize 2 of two", written([](ModelFileGrids& g) { g.varContrasts(1, 3) = L"2"; }),
         L"Block \"Var Contrast A\", row 2, column 4: the normalization \"2\" is not one of 0 to "
         L"1."},
        {"normalize -1", written([](ModelFileGrids& g) { g.predContrasts(1, 3) = L"-1"; }),
         L"Block \"Pred. Contrast C\", row 2, column 4: the normalization \"-1\" is not one of 0 "
         L"to 2."},
        {"contrast of 3 columns", written([](ModelFileGrids& g) { g.varContrasts.Resize(4, 3); }),
         L"Block \"Var Contrast A\" has 3 columns; a contrast grid has at least 4 (line, label, "
         L"use, normalize)."},
        {"text after the blocks", bytes + "x,\r\n",
         L"The file goes on after its last block \"Var Contrast A\"."},
        {"random bytes", noise, nullptr},
        {"a cell of 10 MB",
         written([](ModelFileGrids& g) { g.sigma(2, 1) = std::wstring(10'000'000, L'7'); }),
         L"Block \"Cov Sigma\", row 3, column 2: the cell holds more than 1000 characters, more "
         L"than any number or name of a model needs."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModelFileGrids grids = good;
        grids.design(1, 1) = L"kept";
        const ModelFileGrids before = grids;
        const std::optional<std::wstring> message = ReadModelFile(c.file, grids);
        ASSERT_TRUE(message);
        if (c.message) {
            EXPECT_EQ(Narrow(*message), Narrow(c.message));
        }
        EXPECT_EQ(grids.design, before.design);
        EXPECT_EQ(grids.varContrasts, before.varContrasts);
    }
    // The longest cell allowed reads whole, blanks around it not counted.
    ModelFileGrids longest = good;
    longest.sigma(2, 1) = std::wstring(1000, L'7');
    std::string file = WriteModelFile(longest);
    file = Replaced(file, std::string(1000, '7'), std::string(5000, ' ') + std::string(1000, '7'));
    ModelFileGrids read;
    ASSERT_FALSE(ReadModelFile(file, read));
    EXPECT_EQ(read.sigma(2, 1), longest.sigma(2, 1));
}

TEST(ModelFile, TextsAFileCannotKeepAreNamed) {
    const ModelFileGrids good = OpeningGrids();
    EXPECT_FALSE(CheckModelTexts(good));
    struct Case {
        int block, row, col;
        std::wstring text;
        const wchar_t* message;
    } cases[] = {
        {0, 0, 1, L"a,b",
         L"The text \"a,b\" in row 1, column 2 of \"Design X\" holds a comma, which a model file "
         L"cannot keep."},
        {1, 2, 3, L"=max(1,2)",
         L"The text \"=max(1,2)\" in row 3, column 4 of \"Means B\" holds a comma, which a model "
         L"file cannot keep."},
        {4, 1, 1, L"\u03b1 effect",
         L"The text \"\u03b1 effect\" in row 2, column 2 of \"Var Contrast A\" holds a character "
         L"beyond Latin-1, which a model file cannot keep."},
        {2, 1, 0, L"Y\n1",
         L"The text \"Y\n1\" in row 2, column 1 of \"Cov Sigma\" holds a line break or control "
         L"character, which a model file cannot keep."},
    };
    for (const Case& c : cases) {
        ModelFileGrids g = good;
        (*g.Blocks()[c.block])(c.row, c.col) = c.text;
        EXPECT_EQ(CheckModelTexts(g).value_or(L"accepted"), c.message);
    }
    ModelFileGrids latin = good;
    latin.means(0, 1) = L"\u00ff caf\u00e9";
    EXPECT_FALSE(CheckModelTexts(latin));
}

}  // namespace
