#include "analysis/formula.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

double Eval(const char* text) {
    Formula f(text, nullptr);
    EXPECT_EQ(f.GetError(), 0) << text << ": " << f.GetMessage();
    return f.Evaluate();
}

std::string Printed(const Formula& f) {
    std::ostringstream os;
    f.Print(os);
    return os.str();
}

// A calculator table of named variables over the AVL tree, as the
// application builds one: keys are the names, values heap records.
class FakeVariableTree : public VariableTree {
  public:
    ~FakeVariableTree() override {
        DestroyAll(&root, true);
        for (char* key : keys) delete[] key;
    }
    int Compare(const void* nodeKey, const void* key) const override {
        return std::strcmp(static_cast<const char*>(nodeKey), static_cast<const char*>(key));
    }
    void DeleteValue(void* value) override { delete static_cast<VariableRecord*>(value); }
    VariableRecord* Find(const char* name) override {
        return static_cast<VariableRecord*>(AVLTree::Find(name, root));
    }

    void Set(const char* name, double v) {
        if (VariableRecord* r = Find(name)) {
            r->value = v;
            return;
        }
        char* key = new char[std::strlen(name) + 1];
        std::strcpy(key, name);
        keys.push_back(key);
        newValue = new VariableRecord{v};
        ASSERT_EQ(Insert(key, &root), 1);
    }

    Node* root = nullptr;
    std::vector<char*> keys;
};

}  // namespace

TEST(Formula, PrecedenceAndGrouping) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        // Every operator groups from the left, ^ included.
        {"2^3^2", 64},
        {"8-2*3-1", 1},
        {"9-2*2^2-1", 0},
        {"8/2^2/2", 1},
        {"1-2+3", 2},
        {"1+2-3+4", 4},
        {"2*3+4*5", 26},
        {"(1+2)*3", 9},
        {"2*(3+4)^2", 98},
        {"100/10/5", 2},
        // A "-" before a digit is the number's sign and binds tightest.
        {"-2^2", 4},
        {"2^-1", 0.5},
        {"2--3", 5},
        {"2*-3^2", 18},
        {"2^-3^2", 1.0 / 64},
        // Any other unary minus is -1 times what follows up to + or -.
        {"-(2)^2", -4},
        {"-(1+2)*3+1", -8},
        {"3--(2)", 5},
        {"2*-(3)+1", -5},
        {"-sqr(3)", -9},
        // After / and ^ it negates the next operand only.
        {"2/-(4)*3", -1.5},
        {"2^-(1)", 0.5},
        {"2^-(1)*4", 2},
        // Numbers.
        {"1e-3", 0.001},
        {"1e+3", 1000},
        {"2.5E2", 250},
        {".5", 0.5},
        {"5.", 5},
        {"1 2", 12},
        {" 3\t+\n4 ", 7},
        // Nothing at all is 0; so is an empty pair of parentheses.
        {"", 0},
        {"   ", 0},
        {"()", 0},
        {"2*()+1", 1},
        {"sin()", 0},
    };
    for (const Case& c : cases) {
        Formula f(c.text, nullptr);
        ASSERT_EQ(f.GetError(), 0) << '"' << c.text << "\": " << f.GetMessage();
        EXPECT_DOUBLE_EQ(f.Evaluate(), c.expected) << c.text;
    }
}

TEST(Formula, TreeShapeFollowsThePrecedenceTable) {
    struct Case {
        const char* text;
        const char* printed;
    };
    const Case cases[] = {
        {"8-2*3-1", "((8-(2*3))-1)"},
        {"2^3^2", "((2^3)^2)"},
        // "+" binds less tightly than "-": the same value, another shape.
        {"1+2-3", "(1+(2-3))"},
        {"1-2+3", "((1-2)+3)"},
        {"-2^2", "(-2^2)"},
        {"-(2)^2", "(-1*(2^2))"},
        {"2/-(3)", "(2/(-1*3))"},
        {"atan2(1,2*3)", "atan2(1,(2*3))"},
        {"0.1234567891", "0.123457"},
    };
    for (const Case& c : cases) {
        Formula f(c.text, nullptr);
        EXPECT_EQ(Printed(f), c.printed) << c.text;
    }
}

TEST(Formula, ErrorsCarryTheirCodeAndMessage) {
    struct Case {
        const char* text;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {"2)", 3, ""},
        {"0,5", 3, ""},
        {"+3", 3, ""},
        {"2x", 3, ""},
        {"1e", 3, ""},
        {"sin", 5, "Syntax Error: Function sin must be called with ()\n"},
        {"2*sqrt+1", 5, "Syntax Error: Function sqrt must be called with ()\n"},
        {"Sin(1)", 6, "Syntax Error: Unknown function Sin\n"},
        {"foo(2)", 6, "Syntax Error: Unknown function foo\n"},
        {"(1+2", 7, "Syntax error: Unbalanced parentheses\n"},
        {"((1)", 7, "Syntax error: Unbalanced parentheses\n"},
        {"x", 8, "Syntax error: Unknown Variable x\n"},
        {"2*alpha1+1", 8, "Syntax error: Unknown Variable alpha1\n"},
        {"atan2(1)", 9, "Syntax error: Missing argument for function atan2\n"},
        {"ncx2cdf(1,2)", 9, "Syntax error: Missing argument for function ncx2cdf\n"},
        {"sin(1,2)", 10, "Syntax error: Missing right parenthesis for function sin\n"},
        {"sin(1", 10, "Syntax error: Missing right parenthesis for function sin\n"},
        {"2+", 11, "Syntax error: Missing operand at: \n"},
        {"2*+3", 11, "Syntax error: Missing operand at: 3\n"},
        {"4 / )", 11, "Syntax error: Missing operand at: )\n"},
        {"-", 11, "Syntax error: Missing operand at: \n"},
        {"2^-", 11, "Syntax error: Missing operand at: \n"},
    };
    for (const Case& c : cases) {
        Formula f(c.text, nullptr);
        EXPECT_EQ(f.GetError(), c.code) << c.text;
        EXPECT_EQ(f.GetMessage(), c.message) << c.text;
        // A formula with a mistake never yields a number that looks valid.
        EXPECT_EQ(f.Evaluate(), 0.0) << c.text;
        EXPECT_EQ(f.GetError(), c.code) << c.text;
        EXPECT_EQ(Printed(f), "err ") << c.text;
    }
}

TEST(Formula, ParseCanBeRepeatedOnOneObject) {
    Formula f("1+", nullptr);
    EXPECT_EQ(f.GetError(), 11);
    EXPECT_FALSE(f.Parse("2*3"));
    EXPECT_EQ(f.GetMessage(), "");
    EXPECT_EQ(f.Evaluate(), 6);
    EXPECT_TRUE(f.Parse("("));
    EXPECT_EQ(f.GetError(), 7);
    EXPECT_EQ(f.Evaluate(), 0.0);
}

TEST(Formula, NestingBeyondTheLimitIsReportedNotACrash) {
    std::string deep(5000, '(');
    deep += "1";
    deep += std::string(5000, ')');
    Formula parens(deep.c_str(), nullptr);
    EXPECT_EQ(parens.GetError(), Formula::kTooDeep);
    EXPECT_EQ(parens.Evaluate(), 0.0);

    std::string chain = "1";
    for (int i = 0; i < 5000; ++i) chain += "+1";
    Formula sum(chain.c_str(), nullptr);
    EXPECT_EQ(sum.GetError(), Formula::kTooDeep);

    std::string minuses = "2^" + std::string(5000, '-') + "x";
    Formula signs(minuses.c_str(), nullptr);
    EXPECT_EQ(signs.GetError(), Formula::kTooDeep);

    // Ordinary lengths pass.
    std::string moderate = "1";
    for (int i = 0; i < 500; ++i) moderate += "+1";
    EXPECT_EQ(Eval(moderate.c_str()), 501);
    EXPECT_EQ(Eval("((((((((((((((((((((1))))))))))))))))))))"), 1);
}

TEST(Formula, DomainErrorsOfMathFunctionsAreValues) {
    Formula root("sqrt(-1)", nullptr);
    EXPECT_TRUE(std::isnan(root.Evaluate()));
    EXPECT_EQ(root.GetError(), 0);
    EXPECT_EQ(Eval("log(0)"), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(Eval("asin(2)")));
    EXPECT_EQ(Eval("1/0"), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(Eval("0/0")));
}

TEST(FormulaFunctions, TableHoldsTheNamesAndAritiesInOrder) {
    struct Entry {
        const char* name;
        int arity;
    };
    const Entry expected[] = {
        {"sin", 1},      {"cos", 1},      {"asin", 1},     {"acos", 1},      {"exp", 1},
        {"log", 1},      {"tan", 1},      {"atan", 1},     {"atan2", 2},     {"sqrt", 1},
        {"sqr", 1},      {"uround", 2},   {"int", 1},      {"frac", 1},      {"abs", 1},
        {"min", 2},      {"max", 2},      {"sign", 1},     {"zcdf", 1},      {"zinv", 1},
        {"zpdf", 1},     {"normcdf", 3},  {"norminv", 3},  {"normpdf", 3},   {"chi2cdf", 2},
        {"chi2inv", 2},  {"chi2pdf", 2},  {"fcdf", 3},     {"finv", 3},      {"fpdf", 3},
        {"tcdf", 2},     {"tinv", 2},     {"tpdf", 2},     {"ncx2cdf", 3},   {"ncx2inv", 3},
        {"ncx2pdf", 3},  {"ncfcdf", 4},   {"ncfinv", 4},   {"ncfpdf", 4},    {"nctcdf", 3},
        {"nctinv", 3},   {"nctpdf", 3},   {"betacdf", 3},  {"betainv", 3},   {"betapdf", 3},
        {"poisscdf", 2}, {"poissinv", 2}, {"poisspdf", 2}, {"poissmean", 2}, {"binocdf", 3},
        {"binoinv", 3},  {"binopdf", 3},  {"hygecdf", 4},  {"hygeinv", 4},   {"hygepdf", 4},
        {"corrcdf", 3},  {"corrinv", 3},  {"corrpdf", 3},  {"mr2cdf", 4},    {"mr2inv", 4},
        {"mr2pdf", 4},   {"logncdf", 3},  {"logninv", 3},  {"lognpdf", 3},   {"unicdf", 3},
        {"uniinv", 3},   {"unipdf", 3},   {"expcdf", 2},   {"expinv", 2},    {"exppdf", 2},
        {"laplcdf", 3},  {"laplinv", 3},  {"laplpdf", 3},  {"lngamma", 1},
    };
    const auto table = FormulaFunctionTable();
    ASSERT_EQ(table.size(), 74u);
    ASSERT_EQ(std::size(expected), 74u);
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_STREQ(table[i].name, expected[i].name) << i;
        EXPECT_EQ(table[i].arity, expected[i].arity) << expected[i].name;
    }
}

TEST(FormulaFunctions, EveryFunctionChecksItsArgumentCount) {
    for (const FormulaFunction& fn : FormulaFunctionTable()) {
        ASSERT_NE(fn.apply, nullptr) << fn.name;
        std::string args = "1";
        for (int i = 1; i < fn.arity; ++i) args += ",1";
        std::string tooMany = std::string(fn.name) + "(" + args + ",1)";
        Formula many(tooMany.c_str(), nullptr);
        EXPECT_EQ(many.GetError(), 10) << tooMany;
        if (fn.arity > 1) {
            std::string tooFew = std::string(fn.name) + "(1)";
            Formula few(tooFew.c_str(), nullptr);
            EXPECT_EQ(few.GetError(), 9) << tooFew;
        }
    }
}

TEST(FormulaFunctions, ElementaryAndRoundingValues) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"sin(0.5)", std::sin(0.5)},
        {"cos(0.5)", std::cos(0.5)},
        {"asin(0.5)", std::asin(0.5)},
        {"acos(0.5)", std::acos(0.5)},
        {"exp(1.5)", std::exp(1.5)},
        {"log(10)", std::log(10.0)},
        {"tan(1)", std::tan(1.0)},
        {"atan(2)", std::atan(2.0)},
        {"atan2(1,-1)", 3 * std::atan(1.0)},
        {"atan2(-1,-1)", -3 * std::atan(1.0)},
        {"sqrt(2)", std::sqrt(2.0)},
        {"sqr(-3)", 9},
        {"uround(7,5)", 10},
        {"uround(10,5)", 10},
        {"uround(10.00000000001,5)", 10},
        {"uround(10.001,5)", 15},
        {"uround(7,5.9)", 10},
        {"uround(-7,5)", -5},
        {"int(-2.7)", -2},
        {"int(2.7)", 2},
        {"frac(-2.7)", -2.7 - (-2.0)},
        {"frac(2.25)", 0.25},
        {"abs(-4)", 4},
        {"min(3,2)", 2},
        {"max(3,2)", 3},
        {"sign(-0.1)", -1},
        {"sign(7)", 1},
        {"sign(0)", 0},
        {"sign(sqrt(-1))", 0},
        {"poissmean(12345,3)", 3},
        {"poissmean(sqrt(-1),3)", 3},
        {"lngamma(5)", std::log(24.0)},
        {"lngamma(0.5)", 0.5 * std::log(std::acos(-1.0))},
        {"lngamma(100)", 359.13420536957539878},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(Eval(c.text), c.expected, 1e-13 * std::max(1.0, std::fabs(c.expected)))
            << c.text;
    }
    // min and max answer the second value when a NaN makes the comparison fail.
    EXPECT_TRUE(std::isnan(Eval("min(1,sqrt(-1))")));
    EXPECT_EQ(Eval("min(sqrt(-1),1)"), 1);
    EXPECT_EQ(Eval("max(sqrt(-1),1)"), 1);
}

// ------------------------------------------------------------- variables

TEST(VarFormula, ReadsTheCalculatorsVariables) {
    FakeVariableTree table;
    table.Set("x", 3);
    table.Set("rate2", 0.5);
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"x", 3},        {"-x^2", -9},         {"2*-x", -6},
        {"3--x", 6},     {"2/-x", -2.0 / 3},   {"2^-x", 0.125},
        {"2^-x*4", 0.5}, {"-x*rate2+1", -0.5}, {"sqr(x)+rate2", 9.5},
    };
    for (const Case& c : cases) {
        VarFormula f(c.text, &table);
        ASSERT_EQ(f.GetError(), 0) << c.text << f.GetMessage();
        EXPECT_DOUBLE_EQ(f.Evaluate(), c.expected) << c.text;
    }
    // A parsed formula reads the current value at each evaluation.
    VarFormula f("x+1", &table);
    table.Set("x", 10);
    EXPECT_EQ(f.Evaluate(), 11);

    VarFormula unknown("y+1", &table);
    EXPECT_EQ(unknown.GetError(), 8);
    EXPECT_EQ(unknown.GetMessage(), "Syntax error: Unknown Variable y\n");
    // A variable name followed by "(" is not a call of it.
    VarFormula call("x(2)", &table);
    EXPECT_EQ(call.GetError(), 6);
}

TEST(VarFormula, AccessDefaultsWithoutATable) {
    VariableAccess* defaults = DefaultVariableAccess();
    EXPECT_FALSE(defaults->HasVariable("x"));
    EXPECT_EQ(defaults->FindVariable("x"), nullptr);
    EXPECT_EQ(defaults->GetValueByName("x"), 0.0);
    EXPECT_EQ(defaults->GetValue(nullptr), 0.0);
    VarFormula f("x", nullptr);
    EXPECT_EQ(f.GetError(), 8);
    EXPECT_EQ(f.GetValue(nullptr), 0.0);
}

// ----------------------------------------------------------------- AVLTree

namespace {

class IntTree : public AVLTree {
  public:
    ~IntTree() override { DestroyAll(&root, true); }
    int Compare(const void* nodeKey, const void* key) const override {
        const auto a = reinterpret_cast<intptr_t>(nodeKey);
        const auto b = reinterpret_cast<intptr_t>(key);
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    void DeleteValue(void* value) override {
        delete static_cast<int*>(value);
        ++deleted;
    }
    static const void* Key(intptr_t k) { return reinterpret_cast<const void*>(k); }
    int Add(intptr_t k) {
        newValue = new int(static_cast<int>(k));
        const int r = Insert(Key(k), &root);
        if (r != 1) delete static_cast<int*>(newValue);
        return r;
    }

    // Checks order, stored balances and the height rule; returns the height.
    int Check(Node* n, std::vector<intptr_t>& inOrder) const {
        if (!n) return 0;
        const int hl = Check(n->left, inOrder);
        inOrder.push_back(reinterpret_cast<intptr_t>(n->key));
        const int hr = Check(n->right, inOrder);
        EXPECT_EQ(n->balance, hr - hl) << "key " << reinterpret_cast<intptr_t>(n->key);
        EXPECT_LE(std::abs(hr - hl), 1);
        return 1 + std::max(hl, hr);
    }
    std::vector<intptr_t> Keys() const {
        std::vector<intptr_t> keys;
        Check(root, keys);
        return keys;
    }

    Node* root = nullptr;
    int deleted = 0;
};

}  // namespace

TEST(AVLTree, StaysBalancedAndOrderedThroughInsertsAndRemovals) {
    IntTree tree;
    std::mt19937 rng(12345);
    std::vector<intptr_t> present;
    for (int i = 0; i < 2000; ++i) {
        const intptr_t k = static_cast<intptr_t>(rng() % 600);
        const bool exists = std::find(present.begin(), present.end(), k) != present.end();
        if (rng() % 3 == 0) {
            EXPECT_EQ(tree.Remove(IntTree::Key(k), &tree.root, true), exists ? 1 : 0);
            if (exists) present.erase(std::find(present.begin(), present.end(), k));
        } else {
            EXPECT_EQ(tree.Add(k), exists ? 0 : 1);
            if (!exists) present.push_back(k);
        }
        if (i % 50 == 0) {
            std::vector<intptr_t> sorted = present;
            std::sort(sorted.begin(), sorted.end());
            ASSERT_EQ(tree.Keys(), sorted) << "after step " << i;
        }
    }
    for (intptr_t k : present) {
        const int* v = static_cast<const int*>(tree.Find(IntTree::Key(k), tree.root));
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(*v, k);
    }
    EXPECT_EQ(tree.Find(IntTree::Key(601), tree.root), nullptr);
}

TEST(AVLTree, InsertOfAnExistingKeyHandsOutItsValueSlot) {
    IntTree tree;
    for (intptr_t k : {5, 3, 8}) tree.Add(k);
    const std::vector<intptr_t> before = tree.Keys();
    tree.newValue = nullptr;
    ASSERT_EQ(tree.Insert(IntTree::Key(3), &tree.root), 0);
    EXPECT_EQ(tree.Keys(), before);
    ASSERT_NE(tree.foundValueSlot, nullptr);
    EXPECT_EQ(*static_cast<int*>(*tree.foundValueSlot), 3);
    delete static_cast<int*>(*tree.foundValueSlot);
    *tree.foundValueSlot = new int(33);
    EXPECT_EQ(*static_cast<int*>(tree.Find(IntTree::Key(3), tree.root)), 33);
}

TEST(AVLTree, RemovingARootWithTwoChildrenKeepsTheOrder) {
    IntTree tree;
    for (intptr_t k : {50, 30, 70, 20, 40, 60, 80, 35}) tree.Add(k);
    const intptr_t rootKey = reinterpret_cast<intptr_t>(tree.root->key);
    ASSERT_EQ(tree.Remove(IntTree::Key(rootKey), &tree.root, true), 1);
    EXPECT_EQ(tree.deleted, 1);
    std::vector<intptr_t> expected = {20, 30, 35, 40, 50, 60, 70, 80};
    expected.erase(std::find(expected.begin(), expected.end(), rootKey));
    EXPECT_EQ(tree.Keys(), expected);
    // Without deleteValue the tree leaves the value to its owner.
    int* value = static_cast<int*>(tree.Find(IntTree::Key(20), tree.root));
    ASSERT_EQ(tree.Remove(IntTree::Key(20), &tree.root, false), 1);
    EXPECT_EQ(tree.deleted, 1);
    delete value;
    EXPECT_EQ(tree.Remove(IntTree::Key(20), &tree.root, true), 0);
}

// ------------------------------------------------------ distribution functions

TEST(FormulaFunctions, DistributionValuesAgreeWithReferenceTables) {
    std::set<std::string> checked;
    for (const char* table : {"distribution_functions.tsv", "correlation_functions.tsv"}) {
        const std::string path = std::string(QUORIX_SOURCE_DIR) + "/verification/formula/" + table;
        std::ifstream in(path);
        ASSERT_TRUE(in) << path;
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty()) continue;
            std::istringstream fields(line);
            std::string text;
            double expected = 0, tolerance = 0;
            ASSERT_TRUE(std::getline(fields, text, '\t') && fields >> expected >> tolerance)
                << line;
            const std::string name = text.substr(0, text.find('('));
            checked.insert(name);
            Formula f(text.c_str(), nullptr);
            ASSERT_EQ(f.GetError(), 0) << text << ": " << f.GetMessage();
            const double value = f.Evaluate();
            EXPECT_EQ(f.GetError(), 0) << text << ": " << f.GetMessage();
            EXPECT_NEAR(value, expected, tolerance * std::fabs(expected)) << text;
        }
    }
    // Every distribution function has reference rows.
    for (const FormulaFunction& fn : FormulaFunctionTable()) {
        const std::string name = fn.name;
        if (name.ends_with("cdf") || name.ends_with("inv") || name.ends_with("pdf")) {
            EXPECT_TRUE(checked.count(name)) << name;
        }
    }
}

// mr2inv where the population rho^2 lies within 5e-7 of 1, which a user
// may type as freely as any other: the quantile a formula returns, against
// the distance from 1 computed in mpmath (verification/mrc_extreme), to a
// relative 1e-8 or the doubles' spacing next to 1.
TEST(FormulaFunctions, MultipleR2QuantileWhereRhoSquaredNearlyOne) {
    const std::string path =
        std::string(QUORIX_SOURCE_DIR) + "/verification/mrc_extreme/mrc_extreme_quantile.csv";
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    std::string line;
    std::getline(in, line);
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::vector<std::string> field;
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');) field.push_back(f);
        ASSERT_EQ(field.size(), 7u) << line;
        const std::string text =
            "1-mr2inv(" + field[5] + "," + field[2] + "," + field[3] + "," + field[4] + ")";
        const double expected = std::stod(field[6]);
        EXPECT_NEAR(Eval(text.c_str()), expected, 1e-8 * expected + 2.3e-16) << text;
        ++rows;
    }
    EXPECT_EQ(rows, 160);
}

TEST(FormulaFunctions, DistributionFailuresAreMathErrors) {
    Formula f("1+chi2cdf(1,-1)", nullptr);
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.Evaluate(), 0.0);
    EXPECT_EQ(f.GetError(), Formula::kMathError);
    EXPECT_EQ(f.GetMessage(), "Math error in formula (1+chi2cdf(1,-1))\n");
    // The formula stays failed: evaluating again gives 0 again.
    EXPECT_EQ(f.Evaluate(), 0.0);
    EXPECT_EQ(f.GetError(), Formula::kMathError);

    Formula t("tinv(1.5,-3)", nullptr);
    EXPECT_EQ(t.Evaluate(), 0.0);
    EXPECT_EQ(t.GetError(), Formula::kMathError);
    EXPECT_EQ(t.GetMessage(), "Math error in formula tinv(1.5,-3)\n");
}
