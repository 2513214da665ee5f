#include "analysis/parameter_names.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

// Every label, one per line as "id<TAB>label": the lookup keys of all
// parameters, pinned byte for byte.
const char* const kPinnedLabels = R"LABELS(
0	$\alpha$ err prob
1	Power (1-$\beta$ err prob)
2	Total sample size
3	Sample size group 1
4	Sample size group 2
5	Effect size
6	$\beta$/$\alpha$ ratio
7	Noncentrality parameter
8	Central value
9	Df
10	Numerator df
11	Denominator df
12	Number of groups
13	Denominator df
14	Numerator df
15	Mean
16	Effect size w
17	Effect size d
18	Effect size f$^2$
19	Effect size f
20	Effect size r
21	Noncentrality parameter $\lambda$
22	Critical $\chi^2$
23	Critical t
24	Critical F
25	Critical z
26	Actual power
27	$\beta$ err prob
28	Noncentrality parameter $\delta$
29	Tail(s)
30	Number of predictors
31	Noncentrality parameter $\mu$
32	Standard error $\sigma$
33	Critical x
34	Mean $\mu$1
35	Mean $\mu$2
36	SD $\sigma$1
37	SD $\sigma$2
38	Proportion p1
39	Effect size g
40	Constant proportion
41	Actual $\alpha$
42	Critical N
43	Actual $\beta$/$\alpha$ ratio
44	Upper critical N
45	Lower critical N
46	Proportion p2
47	Proportion p12
48	Prop discordant pairs
49	Odds ratio
50	Correlation $\rho$ H1
51	Correlation $\rho$ H0
52	Population correlation $\rho$
53	Lower critical r
54	Upper critical r
55	Effect direction
56	Effect size h
57	Proportion p21
58	Allocation ratio N2/N1
59	Effect size q
60	Ratio var1/var0
61	Lower critical $\chi^2$
62	Upper critical $\chi^2$
63	Lower critical F
64	Upper critical F
65	Effect size $\Delta$
66	Response variables
67	Groups
68	Number of measurements
69	Corr among rep measures
70	Nonsphericity correction $\epsilon$
71	Effect size |$\rho$|
72	Noncentral dist. SD $\sigma$
73	p difference under H0
74	Upper critical z
75	Lower critical z
76	Prop. p1|H1
77	Prop. p1|H0
78	(p1-p2)|H1
79	(p1-p2)|H0
80	(p1/p2)|H1
81	(p1/p2)|H0
82	Odds ratio|H1
83	Odds ratio|H0
84	Effect size f$^2$(U)
85	Effect size f$^2$(T1)
86	Effect size f$^2$(T2)
87	Effect size f$^2$(V)
88	Effect size f(U)
89	Effect size f(T1)
90	Effect size f(T2)
91	Effect size f(V)
92	Ratio (p1/p2)
93	Odds ratio
94	Diff (p1-p2)
95	Parent distribution
96	Effect size dz
97	Proportion of N with X=1
98	R$^2$ other X
99	Covariate X distribution
100	Moment p1
101	Moment p2
102	Moment p3
103	A.R.E.
104	Relative SD
105	Lower critical T
106	Upper critical T
107	Number of covariates
108	Corr $\rho$_ab
109	Corr $\rho$_ac
110	Corr $\rho$_ad
111	Corr $\rho$_bc
112	Corr $\rho$_bd
113	Corr $\rho$_cd
114	H1 corr $\rho$_cd
115	H1 corr $\rho$_ac
116	H0 corr $\rho$_ab
117	H1 corr $\rho$_cd < $\rho$_ab
118	H1 corr $\rho$_cd > $\rho$_ab
119	H1 corr $\rho$_ac < $\rho$_ab
120	H1 corr $\rho$_ac > $\rho$_ab
121	Sample size
122	Base rate exp($\beta$0)
123	Exp($\beta$1)
124	X distribution
125	Mean exposure
126	Over-dispersion
127	X parm $\mu$
128	X parm $\sigma$
129	X parm $\pi$
130	X parm $\lambda$
131	X left border
132	X right border
133	X Var($\beta$|H0)
134	X Var($\beta$|H1)
135	Slope H0
136	Slope H1
137	Std dev $\sigma$_x
138	Std dev $\sigma$_y
139	|$\Delta$ slope|
140	Std dev residual $\sigma$
141	Std dev $\sigma$_x1
142	Std dev $\sigma$_x2
143	Mean $\mu$_x1
144	Mean $\mu$_x2
145	|$\Delta$ intercept|
146	H1 corr $\rho$
147	H0 corr $\rho$
148	Marginal prop x
149	Marginal prop y
150	H1 corr $\rho$*
151	H0 corr $\rho$*
152	Critical r* lwr
153	Critical r* upr
154	Critical r lwr
155	Critical r upr
156	Std err r*
157	Std err r
158	H1 $\rho$$^2$
159	H0 $\rho$$^2$
160	Upper critical R$^2$
161	Lower critical R$^2$
162	Pr(Y=1|X=1) H0
163	Pr(Y=1|X=1) H1
164	Total number of predictors
165	Number of tested predictors)LABELS";

class BareAnalysis : public PowerAnalysis {
  public:
    PowerAnalysis* Clone() override { return new BareAnalysis; }
};

// An analysis whose calculation reads alpha, a total sample size and the
// tails, as every test's Calculate does, and checks alpha.
class ReadingAnalysis : public BareAnalysis {
  public:
    CalculateStatus Calculate(AnalysisType, PropertyList* inputs) override {
        ClearMessage();
        int row = -1;
        oneTailed = ReadTails(inputs, &row) == 0;
        alpha = ReadAlpha(inputs, &row);
        if (!(0 < alpha && alpha < 1)) {
            messages << "alpha out of range";
            return row;
        }
        sampleSize = static_cast<double>(ReadCount(inputs, &row, 2));
        return kCalculateDone;
    }
};

PropertySelection* Tails(int index) {
    auto* tails = new PropertySelection(ParameterNames[29]);
    tails->AddOption("One");
    tails->AddOption("Two");
    tails->SetIndex(index);
    tails->SetText(tails->GetSelectedText());
    return tails;
}

class FakeFrame : public ParameterSource {
  public:
    Property* FindParameter(std::string name) override { return shown.Find(name); }
    PropertyList shown;
};

std::string Remembered(PowerAnalysis& a, const std::string& label) {
    std::string text = "<none>";
    GetNamedString(&a.inputTexts, label.c_str(), &text);
    return text;
}

}  // namespace

TEST(ParameterNames, LabelsArePinnedByteForByte) {
    std::istringstream lines(kPinnedLabels);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const int id = std::stoi(line.substr(0, tab));
        ASSERT_EQ(id, count);
        EXPECT_EQ(std::string(ParameterNames[id]), line.substr(tab + 1)) << "id " << id;
        ++count;
    }
    EXPECT_EQ(count, kParameterNameCount);
    EXPECT_EQ(kParameterNameCount, 166);
    // The three twins are the only labels that repeat.
    std::set<std::string> distinct(ParameterNames, ParameterNames + kParameterNameCount);
    EXPECT_EQ(distinct.size(), 163u);
    EXPECT_STREQ(ParameterNames[13], ParameterNames[11]);
    EXPECT_STREQ(ParameterNames[14], ParameterNames[10]);
    EXPECT_STREQ(ParameterNames[93], ParameterNames[49]);
}

TEST(InputReaders, EvaluateFormulasAndRememberTheTextTyped) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"=1/20", 0.05}, {"x=0.1", 0.1},  // whatever stands before the first "=" is ignored
        {"0.05", 0.05},  {" 0.05 ", 0.05}, {"=sqrt(1/400)", 0.05},
    };
    for (const Case& c : cases) {
        BareAnalysis a;
        PropertyList inputs;
        inputs.push_back(new PropertyDouble(ParameterNames[1], 0.95, -7, false));
        inputs.push_back(new PropertyDouble(ParameterNames[0], c.text, false));
        int row = -1;
        EXPECT_DOUBLE_EQ(a.ReadAlpha(&inputs, &row), c.expected) << c.text;
        EXPECT_EQ(row, 1);
        EXPECT_EQ(Remembered(a, ParameterNames[0]), c.text);
    }
}

TEST(InputReaders, IntegersRoundHalvesUpward) {
    struct Case {
        const char* text;
        long expected;
    };
    const Case cases[] = {{"=7/2", 4}, {"=-2.5", -2}, {"=2.5", 3},
                          {"12", 12},  {"2.5", 3},    {"=1e9", 1000000000}};
    for (const Case& c : cases) {
        BareAnalysis a;
        PropertyList inputs;
        inputs.push_back(new PropertyLong(ParameterNames[2], c.text));
        int row = -1;
        EXPECT_EQ(a.ReadCount(&inputs, &row, 2), c.expected) << c.text;
        EXPECT_EQ(row, 0);
        EXPECT_EQ(Remembered(a, ParameterNames[2]), c.text);
    }
}

TEST(InputReaders, DfInputsFlaggedIntegralAreWholeNumbers) {
    struct Case {
        const char* text;
        bool integral;
        double expected;
    };
    const Case cases[] = {{"2.5", true, 3},
                          {"2.5", false, 2.5},
                          {"3.0", true, 3},
                          {"=5/2", true, 3},
                          {"=10/4", false, 2.5}};
    for (const Case& c : cases) {
        BareAnalysis a;
        PropertyList inputs;
        inputs.push_back(new PropertyDouble(ParameterNames[9], c.text, c.integral));
        inputs.push_back(new PropertyDouble(ParameterNames[10], c.text, c.integral));
        inputs.push_back(new PropertyDouble(ParameterNames[11], c.text, c.integral));
        int row = -1;
        EXPECT_EQ(a.ReadDf(&inputs, &row), c.expected) << c.text;
        EXPECT_EQ(row, 0);
        EXPECT_EQ(a.ReadNumeratorDf(&inputs, &row), c.expected) << c.text;
        EXPECT_EQ(row, 1);
        EXPECT_EQ(a.ReadDenominatorDf(&inputs, &row), c.expected) << c.text;
        EXPECT_EQ(row, 2);
    }
    EXPECT_EQ(SnapToInteger(3.0000001, -7, true), 3.0);
    EXPECT_EQ(SnapToInteger(3.0000001, -7, false), 3.0000001);
    EXPECT_EQ(SnapToInteger(4.0, -7, true), 4.0);
    EXPECT_EQ(SnapToInteger(-2.5, -7, true), -2.0);
    EXPECT_TRUE(std::isnan(SnapToInteger(std::nan(""), -7, true)));
}

TEST(InputReaders, SelectionsReturnTheIndexAndRememberTheOptionText) {
    BareAnalysis a;
    PropertyList inputs;
    inputs.push_back(new PropertyDouble(ParameterNames[0], 0.05, -7, false));
    inputs.push_back(Tails(1));
    int row = -1;
    EXPECT_EQ(a.ReadTails(&inputs, &row), 1);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(Remembered(a, ParameterNames[29]), "Two");
}

TEST(InputReaders, TheFirstOfTwoInputsWithOneLabelIsRead) {
    // Ids 10 and 14 share "Numerator df".
    BareAnalysis a;
    PropertyList inputs;
    inputs.push_back(new PropertyDouble(ParameterNames[14], "4", false));
    inputs.push_back(new PropertyDouble(ParameterNames[10], "7", false));
    int row = -1;
    EXPECT_EQ(a.ReadDouble(&inputs, 10, &row), 4);
    EXPECT_EQ(row, 0);
}

// Beyond the largest double: read as infinite.
const std::string kTenThousandDigits(10000, '9');

TEST(InputReaders, UnreadableInputsReachTheCalculationAsInputErrors) {
    struct Case {
        const char* alpha;
        const char* sampleSize;
        int tailIndex;  // -1: no option selected
        int row;
        const char* message;
    };
    const Case cases[] = {
        {"=2=3", "20", 1, 1, "Input error (illegal character?)"},
        {"=(1/20", "20", 1, 1, "Syntax error: Unbalanced parentheses\n"},
        {"=1/x", "20", 1, 1, "Syntax error: Unknown Variable x\n"},
        {"=alpha", "20", 1, 1, "Syntax error: Unknown Variable alpha\n"},
        {"=", "20", 1, 1, "Input error (no value given)"},
        {"= ", "20", 1, 1, "Input error (no value given)"},
        {"0,05", "20", 1, 1, "Input error (illegal character?)"},
        {"", "20", 1, 1, "Input error (no value given)"},
        {"0.05", "=1e12", 1, 2, "Input error (number out of range)"},
        {"0.05", "1e12", 1, 2, "Input error (number out of range)"},
        {"0.05", "=sqrt(-1)", 1, 2, "Input error (number out of range)"},
        {"0.05", "20 subjects", 1, 2, "Input error (illegal character?)"},
        // A real input without a finite value, typed or computed.
        {"=1/0", "20", 1, 1, "Input error (number out of range)"},
        {"=1e308*10", "20", 1, 1, "Input error (number out of range)"},
        {"=log(-1)", "20", 1, 1, "Input error (number out of range)"},
        {"nan", "20", 1, 1, "Input error (number out of range)"},
        {"-inf", "20", 1, 1, "Input error (number out of range)"},
        {kTenThousandDigits.c_str(), "20", 1, 1, "Input error (number out of range)"},
        {"0.05", "20", -1, 0, "Input error (no option selected)"},
    };
    for (const Case& c : cases) {
        ReadingAnalysis a;
        PropertyList inputs;
        PropertySelection* tails = Tails(1);
        if (c.tailIndex < 0) tails->SelectText("Three");
        inputs.push_back(tails);
        inputs.push_back(new PropertyDouble(ParameterNames[0], c.alpha, false));
        inputs.push_back(new PropertyLong(ParameterNames[2], c.sampleSize));
        EXPECT_EQ(CalculateWithInputErrors(&a, kPostHoc, &inputs), c.row)
            << c.alpha << " " << c.sampleSize;
        EXPECT_EQ(a.GetMessage(), c.message) << c.alpha << " " << c.sampleSize;
    }
    // A readable list calculates; a value that fails its check keeps the
    // test's own message.
    ReadingAnalysis a;
    PropertyList inputs;
    inputs.push_back(Tails(0));
    inputs.push_back(new PropertyDouble(ParameterNames[0], "=1/20", false));
    inputs.push_back(new PropertyLong(ParameterNames[2], "=2*10"));
    EXPECT_EQ(CalculateWithInputErrors(&a, kPostHoc, &inputs), kCalculateDone);
    EXPECT_DOUBLE_EQ(a.alpha, 0.05);
    EXPECT_EQ(a.sampleSize, 20);
    EXPECT_TRUE(a.oneTailed);
    inputs[1]->SetText("=2");
    EXPECT_EQ(CalculateWithInputErrors(&a, kPostHoc, &inputs), 1);
    EXPECT_EQ(a.GetMessage(), "alpha out of range");
}

TEST(InputReaders, AnUnreadableInputStillRemembersItsText) {
    ReadingAnalysis a;
    PropertyList inputs;
    inputs.push_back(Tails(1));
    inputs.push_back(new PropertyDouble(ParameterNames[0], "=1/(2", false));
    inputs.push_back(new PropertyLong(ParameterNames[2], "20"));
    CalculateWithInputErrors(&a, kPostHoc, &inputs);
    EXPECT_EQ(Remembered(a, ParameterNames[0]), "=1/(2");
}

TEST(AnalysisInputForDialogs, ReadsTheShownInputElseTheRememberedText) {
    FakeFrame frame;
    BareAnalysis a;
    frame.shown.push_back(new PropertyDouble(ParameterNames[12], "7.9", false));
    // Shown: truncated toward zero, the text remembered under the alias.
    EXPECT_EQ(GetAnalysisInputLong(3, &frame, &a, 12, 30), 7);
    EXPECT_EQ(Remembered(a, ParameterNames[30]), "7.9");
    EXPECT_DOUBLE_EQ(GetAnalysisInputDouble(3, &frame, &a, 12, -10), 7.9);
    EXPECT_EQ(Remembered(a, ParameterNames[12]), "7.9");

    // Not shown: the remembered text, formulas included.
    SetNamedString(&a.inputTexts, ParameterNames[30], "=2*3");
    EXPECT_EQ(GetAnalysisInputLong(1, &frame, &a, 30, -10), 6);
    EXPECT_EQ(GetAnalysisInputLong(1, nullptr, &a, 30, -10), 6);

    // Neither: the fallback, remembered under the alias.
    EXPECT_EQ(GetAnalysisInputLong(5, &frame, &a, 107, 66), 5);
    EXPECT_EQ(Remembered(a, ParameterNames[66]), "5");
    EXPECT_DOUBLE_EQ(GetAnalysisInputDouble(0.25, &frame, &a, 127, -10), 0.25);
    EXPECT_EQ(Remembered(a, ParameterNames[127]), "0.25");
    // Without an alias nothing is remembered and the fallback still returns.
    EXPECT_EQ(GetAnalysisInputLong(9, &frame, &a, 128, -1), 9);
    EXPECT_EQ(Remembered(a, ParameterNames[128]), "<none>");

    // An unreadable or out-of-range text gives the fallback.
    frame.shown.push_back(new PropertyDouble(ParameterNames[131], "=1+", false));
    frame.shown.push_back(new PropertyDouble(ParameterNames[132], "=1e20", false));
    EXPECT_EQ(GetAnalysisInputLong(4, &frame, &a, 131, -10), 4);
    EXPECT_EQ(Remembered(a, ParameterNames[131]), "4");
    EXPECT_EQ(GetAnalysisInputLong(4, &frame, &a, 132, -10), 4);
    EXPECT_DOUBLE_EQ(GetAnalysisInputDouble(4, &frame, &a, 132, -10), 1e20);
}

// The named ids carry their label as a comment; a constant whose number
// names another label than its comment would send a test's input to the
// wrong row. Every line of the header is read back and compared.
TEST(ParameterNames, NamedIdsStandForTheLabelsTheirCommentsGive) {
    std::ifstream header(std::string(QUORIX_SOURCE_DIR) + "/analysis/ids.h");
    ASSERT_TRUE(header) << "analysis/ids.h";
    std::set<int> seen;
    for (std::string text; std::getline(header, text);) {
        // inline constexpr ParameterId kName = 17;  // "label"
        const size_t key = text.find("ParameterId ");
        const size_t equals = text.find(" = ");
        const size_t quote = text.find("// \"");
        if (key == std::string::npos || equals == std::string::npos || quote == std::string::npos)
            continue;
        const std::string name = text.substr(key + 12, equals - key - 12);
        const int id = std::stoi(text.substr(equals + 3));
        ASSERT_TRUE(0 <= id && id < kParameterNameCount) << name;
        // The comment is written as C source: \\ stands for one backslash.
        std::string label;
        const std::string quoted = text.substr(quote + 4, text.rfind('"') - quote - 4);
        for (size_t i = 0; i < quoted.size(); ++i) {
            if (quoted[i] == '\\' && i + 1 < quoted.size() && quoted[i + 1] == '\\') ++i;
            label += quoted[i];
        }
        EXPECT_EQ(label, ParameterNames[id]) << name;
        EXPECT_TRUE(seen.insert(id).second) << "id " << id << " named twice";
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kParameterNameCount));
}
