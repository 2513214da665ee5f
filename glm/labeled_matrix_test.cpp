#include "glm/labeled_matrix.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <sstream>

#include "analysis/comma_locale_test_support.h"

namespace {

LabeledMatrix Make(const std::wstring& name, int rows, int cols) {
    LabeledMatrix m;
    m.name = name;
    m.cells.Resize(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            m.cells(r, c) = L"r" + std::to_wstring(r) + L"c" + std::to_wstring(c);
    return m;
}

std::wstring Written(const LabeledMatrix& m) {
    std::wostringstream os;
    LabeledMatrix::Write(os, m);
    return os.str();
}

}  // namespace

TEST(LabeledMatrixBlock, EmptyMatrixWritesThreeLinesAndReadsBack) {
    const LabeledMatrix empty;
    EXPECT_EQ(Written(empty), L", \n0, 0, \n.\n");
    std::wistringstream is(Written(empty) + L"next");
    LabeledMatrix read = Make(L"old", 2, 2);
    LabeledMatrix::Read(is, read);
    EXPECT_TRUE(is.good() || is.eof());
    EXPECT_EQ(read.name, L"");
    EXPECT_EQ(read.cells.rows(), 0);
    std::wstring rest;
    is >> rest;
    EXPECT_EQ(rest, L"next");  // the "." was consumed, nothing more
}

TEST(LabeledMatrixBlock, BlocksRoundTripOnOneStream) {
    LabeledMatrix a = Make(L"design", 2, 3);
    a.cells(1, 2) = L"=2*3 ";  // a formula and a trailing blank survive
    const LabeledMatrix b = Make(L"means", 1, 0);
    EXPECT_EQ(Written(a), L"design, \n2, 3, \nr0c0,\tr0c1,\tr0c2,\t\nr1c0,\tr1c1,\t=2*3 ,\t\n.\n");
    std::wistringstream is(Written(a) + L"\n" + Written(b) + L"\n");
    LabeledMatrix ra, rb;
    LabeledMatrix::Read(is, ra);
    LabeledMatrix::Read(is, rb);
    EXPECT_FALSE(is.fail());
    EXPECT_EQ(ra.name, a.name);
    EXPECT_EQ(ra.cells, a.cells);
    EXPECT_EQ(rb.name, L"means");
    EXPECT_EQ(rb.cells.rows(), 1);
    EXPECT_EQ(rb.cells.cols(), 0);
}

TEST(LabeledMatrixBlock, CountsAreWrittenWithoutDigitGrouping) {
    // A stream whose locale groups thousands must still write "1000, ".
    struct Grouping : std::numpunct<wchar_t> {
        std::string do_grouping() const override { return "\3"; }
        wchar_t do_thousands_sep() const override { return L','; }
    };
    std::wostringstream os;
    os.imbue(std::locale(os.getloc(), new Grouping));
    LabeledMatrix m = Make(L"wide", 1, 1000);
    LabeledMatrix::Write(os, m);
    EXPECT_EQ(os.str().substr(0, 15), L"wide, \n1, 1000,");
}

TEST(LabeledMatrixBlock, OverLongTokens) {
    const std::wstring longText(1500, L'x');
    {
        // A long cell is cut to 1023 characters and the next cell is intact.
        std::wistringstream is(L"m, 1, 2, " + longText + L",\tnext,\t\n.\n");
        LabeledMatrix m;
        LabeledMatrix::Read(is, m);
        EXPECT_FALSE(is.fail());
        ASSERT_EQ(m.cells.cols(), 2);
        EXPECT_EQ(m.cells(0, 0), std::wstring(1023, L'x'));
        EXPECT_EQ(m.cells(0, 1), L"next");
    }
    {
        // A long name stops the read and leaves the record as it was.
        std::wistringstream is(longText + L", 1, 1, a,\t\n.\n");
        LabeledMatrix m = Make(L"kept", 1, 1);
        LabeledMatrix::Read(is, m);
        EXPECT_TRUE(is.fail());
        EXPECT_EQ(m.name, L"kept");
        EXPECT_EQ(m.cells, Make(L"kept", 1, 1).cells);
    }
}

TEST(LabeledMatrixBlock, NegativeAndHugeCountsAreRefused) {
    const wchar_t* blocks[] = {L"m, -1, 2, a, b, .", L"m, 2, -3, .", L"m, 100000, 100000, ."};
    for (const wchar_t* block : blocks) {
        std::wistringstream is(block);
        LabeledMatrix m;
        LabeledMatrix::Read(is, m);
        EXPECT_TRUE(is.fail()) << block;
        EXPECT_EQ(m.cells.rows() * m.cells.cols(), 0) << block;
    }
}

TEST(LabeledMatrixBlock, ReadingPastTheEndGivesAnEmptyMatrix) {
    std::wistringstream is(L"only a name,");
    LabeledMatrix m = Make(L"x", 2, 2);
    LabeledMatrix::Read(is, m);
    EXPECT_EQ(m.name, L"only a name");
    EXPECT_EQ(m.cells.rows(), 0);
}

TEST(LabeledMatrixCells, EvaluateReadsNumbersPrefixesAndFormulas) {
    struct Case {
        const wchar_t* text;
        double expected;
    };
    const Case cases[] = {
        {L"", 0.0},          {L"2.5", 2.5},  {L"abc", 0.0},         {L"=2*3", 6.0},
        {L"=2*", 0.0},       {L"=", 0.0},    {L" =2", 0.0},         {L"1e3", 1000.0},
        {L"  -4.5kg", -4.5}, {L"0,5", 0.0},  {L"=sqrt(16)+1", 5.0}, {L".5", 0.5},
        {L"2e", 2.0},        {L"3e-x", 3.0}, {L"nan", 0.0},         {L"inf", 0.0},
        {L"0x1A", 0.0},      {L"-", 0.0},    {L"1.5e+2x", 150.0},
    };
    // A user locale with a decimal comma must not change how cells read.
    const bool german = test_locale::MakeGermanLocaleAvailable();
    if (german) std::setlocale(LC_ALL, test_locale::kGerman);
    LabeledMatrix m;
    m.cells.Resize(1, std::size(cases));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) m.cells(0, i) = cases[i].text;
    m.EvaluateCells();
    std::setlocale(LC_ALL, "C");
    ASSERT_EQ(m.values.rows(), 1);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        EXPECT_EQ(m.values(0, i), cases[i].expected) << '"' << cases[i].text << '"';
}

// What a model file's number cell must hold: one whole number (white space
// around it aside) or a formula that parses; a number that overflows is
// still a number, refused later as not finite.
TEST(LabeledMatrixCells, NumberTextsAreWholeNumbersOrFormulas) {
    for (const wchar_t* text : {L"0", L"2.5", L" -4.5 ", L".5", L"5.", L"+3", L"1e-3", L"1E+30",
                                L"1e999", L"=2*3", L"=sqrt(16)+1", L"=1/0"})
        EXPECT_TRUE(IsNumberText(text)) << '"' << text << '"';
    for (const wchar_t* text : {L"", L"  ", L"abc", L"nan", L"inf", L"-inf", L"0.3x", L"2e",
                                L"0x1A", L"0,5", L"-", L".", L"1 2", L"=", L"=2*", L" = 2 +"})
        EXPECT_FALSE(IsNumberText(text)) << '"' << text << '"';
}

TEST(LabeledMatrixCells, FormatWritesTheCLocale) {
    const bool german = test_locale::MakeGermanLocaleAvailable();
    if (german) std::setlocale(LC_ALL, test_locale::kGerman);
    LabeledMatrix m;
    m.values.resize(1, 4);
    m.values(0, 0) = 0.1;
    m.values(0, 1) = 1e-20;
    m.values(0, 2) = -2.5;
    m.values(0, 3) = 1234567.0;
    m.FormatCells(L"%lg");
    std::setlocale(LC_ALL, "C");
    ASSERT_EQ(m.cells.cols(), 4);
    EXPECT_EQ(m.cells(0, 0), L"0.1");
    EXPECT_EQ(m.cells(0, 1), L"1e-20");
    EXPECT_EQ(m.cells(0, 2), L"-2.5");
    EXPECT_EQ(m.cells(0, 3), L"1.23457e+06");
}

TEST(LabeledMatrixRecord, CopiesAreDeepAndClearKeepsTheName) {
    LabeledMatrix a = Make(L"a", 2, 2);
    a.EvaluateCells();
    a.rowLabels.Resize(2, 1, L"row");
    LabeledMatrix b;
    b = a;
    b.values(0, 0) = 7.0;
    b.cells(0, 0) = L"changed";
    EXPECT_EQ(a.values(0, 0), 0.0);
    EXPECT_EQ(a.cells(0, 0), L"r0c0");
    EXPECT_EQ(b.rowLabels, a.rowLabels);

    const LabeledMatrix before = a;
    a = *&a;  // self-assignment
    EXPECT_EQ(a.cells, before.cells);
    EXPECT_EQ(a.name, L"a");

    a.Clear();
    EXPECT_EQ(a.name, L"a");
    EXPECT_EQ(a.values.size(), 0);
    EXPECT_TRUE(a.cells.empty() && a.rowLabels.empty() && a.colLabels.empty());
}
