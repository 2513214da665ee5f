#include "analysis/property.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <memory>

#include "analysis/comma_locale_test_support.h"

TEST(PropertyLong, ParsesTheNearestIntegerHalvesUpward) {
    struct Case {
        const char* text;
        long expected;
    };
    const Case cases[] = {{"2.5", 3},   {"-2.5", -2},  {"abc", 0},
                          {"  17", 17}, {"12xyz", 12}, {"", 0}};
    for (const Case& c : cases) {
        PropertyLong p("n", c.text);
        EXPECT_EQ(p.GetValue(), c.expected) << c.text;
    }
}

TEST(PropertyLong, FormulaTextKeepsTheValue) {
    PropertyLong p("n", 5L);
    EXPECT_EQ(p.text, "5");
    p.SetText("=2*3");
    EXPECT_EQ(p.GetValue(), 5);
    p.SetValue(9);
    EXPECT_EQ(p.text, "=2*3");
    EXPECT_EQ(p.GetValue(), 9);
}

TEST(PropertyDouble, ReadsTheLongestNumericPrefixInTheCLocale) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"0.05abc", 0.05}, {"", 0.0}, {"1e-3", 1e-3}, {"=0.5", 0.0}, {"0,5", 0.0}};
    // A user locale with a decimal comma must not change how texts are read.
    const bool german = test_locale::MakeGermanLocaleAvailable();
    if (german) std::setlocale(LC_NUMERIC, test_locale::kGerman);
    for (const Case& c : cases) {
        PropertyDouble p("x", c.text, false);
        EXPECT_EQ(p.GetValue(), c.expected) << c.text;
    }
    std::setlocale(LC_NUMERIC, "C");
}

TEST(PropertyDouble, SetValueStoresWhatTheTextShows) {
    PropertyDouble p("x", 0.1, false);
    EXPECT_EQ(p.text, "0.1");
    EXPECT_EQ(p.GetValue(), 0.1);
    p.SetValue(1.0 / 3.0);
    EXPECT_EQ(p.text, "0.3333333333333333");
    EXPECT_EQ(p.GetValue(), 0.3333333333333333);
}

TEST(PropertyDouble, SetValueWithDigitsFollowsTheOutputRules) {
    struct Case {
        double v;
        int digits;
        bool integral;
        const char* text;
    };
    const Case cases[] = {
        {12345.6, 7, true, "12346"},
        {999999999999.4, 7, true, "999999999999"},
        {1e12, 7, true, "1e+12"},
        {0.0, 7, true, "0"},
        {-0.4, 7, true, "0"},
        {100.0, 7, false, "100"},
        {99.5, 7, false, "99.5000000"},
        {0.5, 7, false, "0.5000000"},
        {0.01, 7, false, "0.01"},
        {-0.5, 7, false, "-0.5000000"},
        {123.456, 7, false, "123.456"},
        {0.00001, 7, false, "1e-05"},
        {0.677031534, 7, false, "0.6770315"},
        {2.5, 0, false, "2"},
    };
    for (const Case& c : cases) {
        PropertyDouble p("x", c.v, c.digits, c.integral);
        EXPECT_EQ(p.text, c.text) << c.v;
    }
    PropertyDouble shown("x", 0.6770315341, 7, false);
    EXPECT_EQ(shown.GetValue(), 0.6770315);
}

// The value an output shows, and the smallest it can show at or above a
// value: a search that must not show an answer rounded below a jump of its
// step function takes the latter. Across the switch from fixed decimals to
// significant digits and across a decade the next value up is one unit of
// the last digit the value itself shows.
TEST(PropertyDouble, ShownOutputValues) {
    struct Case {
        double v, shown, atLeast;
    };
    const Case cases[] = {
        {0.03245432353613609, 0.0324543, 0.0324544},
        {0.0324543, 0.0324543, 0.0324543},
        {2.16160841442325e-25, 2.161608e-25, 2.161609e-25},
        {1.00177585723039e-53, 1.001776e-53, 1.001776e-53},
        {0.0100000001, 0.01, 0.0100001},
        {0.0099999999, 0.01, 0.01},
        {0.009999999449, 0.009999999, 0.01},
        {9.9999994e-06, 9.999999e-06, 1e-05},
        {99.99999994, 99.9999999, 100.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShownOutputValue(c.v), c.shown) << c.v;
        EXPECT_EQ(ShownOutputAtLeast(c.v), c.atLeast) << c.v;
    }
}

TEST(PropertySelection, ParseSelectAndValidity) {
    PropertySelection s("tails");
    for (const char* o : {"A", "B", "A"}) s.AddOption(o);
    s.SetText("A");
    EXPECT_EQ(s.index, 2);  // the last match
    s.SelectText("A");
    EXPECT_EQ(s.index, 0);  // the first match
    EXPECT_TRUE(s.IsSelectionValid());

    s.SelectText("missing");
    EXPECT_EQ(s.index, -1);
    EXPECT_EQ(s.text, "A");
    EXPECT_FALSE(s.IsSelectionValid());
    EXPECT_EQ(s.EnsureValidSelection("x"), "A");
    EXPECT_EQ(s.index, 0);
    EXPECT_EQ(s.EnsureValidSelection("x"), "x");

    EXPECT_EQ(s.SetIndex(5), 1);
    EXPECT_EQ(s.index, 2);
    EXPECT_EQ(s.text, "A");
    EXPECT_EQ(s.GetOption(4), "B");

    PropertySelection empty("none");
    EXPECT_EQ(empty.EnsureValidSelection("x"), "");
    EXPECT_EQ(empty.index, -1);
}

TEST(Property, ClonesKeepClassAndMembers) {
    PropertyExDouble ex("Effect size w", 0.3, false);
    ex.testId = 401;
    ex.SetHelpText("help");
    std::unique_ptr<Property> copy(ex.Clone());
    EXPECT_EQ(copy->GetType(), 7);
    auto* exCopy = dynamic_cast<PropertyExDouble*>(copy.get());
    ASSERT_NE(exCopy, nullptr);
    EXPECT_EQ(exCopy->testId, 401);
    EXPECT_EQ(exCopy->value, 0.3);
    EXPECT_EQ(exCopy->helpText, "help");
    EXPECT_EQ(exCopy->name, "Effect size w");

    PropertySelection sel("s");
    sel.AddOption("x");
    sel.AddOption("y");
    sel.SelectText("y");
    std::unique_ptr<Property> selCopy(sel.Clone());
    EXPECT_EQ(selCopy->GetType(), 2);
    EXPECT_EQ(static_cast<PropertySelection*>(selCopy.get())->index, 1);
    EXPECT_EQ(static_cast<PropertySelection*>(selCopy.get())->options.size(), 2u);

    PropertyLong formula("n", 4L);
    formula.text = "=1+1";
    std::unique_ptr<Property> longCopy(formula.Clone());
    EXPECT_EQ(static_cast<PropertyLong*>(longCopy.get())->value, 4);  // never re-parsed
    EXPECT_EQ(longCopy->text, "=1+1");
}

TEST(PropertyList, FindIsExactAndCopyToReplaces) {
    PropertyList list;
    list.push_back(new PropertyDouble("Alpha", 0.05, false));
    list.push_back(new PropertyLong("N", 10L));
    EXPECT_EQ(list.Find("Alpha"), list[0]);
    EXPECT_EQ(list.Find("alpha"), nullptr);
    EXPECT_EQ(list.Find("Alpha "), nullptr);

    int index = 42;
    EXPECT_EQ(list.FindWithIndex("missing", &index), nullptr);
    EXPECT_EQ(index, 42);
    EXPECT_EQ(list.FindWithIndex("N", &index), list[1]);
    EXPECT_EQ(index, 1);

    PropertyList destination;
    destination.push_back(new PropertyString("old", "x"));
    list.CopyTo(destination);
    ASSERT_EQ(destination.size(), 2u);
    EXPECT_EQ(destination[0]->name, "Alpha");
    EXPECT_NE(destination[0], list[0]);
    EXPECT_EQ(destination[1]->text, "10");
    EXPECT_EQ(list.size(), 2u);
}

TEST(NamedStore, GettersAndSetters) {
    PropertyList store;
    long l = 7;
    EXPECT_FALSE(GetNamedLong(&store, "k", &l));
    EXPECT_EQ(l, 7);

    SetNamedLong(&store, "k", 3);
    SetNamedDouble(&store, "d", 0.1);
    SetNamedString(&store, "s", "");
    EXPECT_EQ(store.size(), 2u);
    SetNamedString(&store, "s", "=2*3");
    SetNamedString(&store, "s", "");
    SetNamedLong(&store, "k", 4);

    double d = 0.0;
    std::string s;
    EXPECT_TRUE(GetNamedLong(&store, "k", &l));
    EXPECT_TRUE(GetNamedDouble(&store, "d", &d));
    EXPECT_TRUE(GetNamedString(&store, "s", &s));
    EXPECT_EQ(l, 4);
    EXPECT_EQ(d, 0.1);
    EXPECT_EQ(s, "=2*3");
    EXPECT_EQ(store.size(), 3u);
}

TEST(PropertySelection, EmptyOrUnselectedSelectionsAnswerWithoutFault) {
    PropertySelection none("s");
    EXPECT_EQ(none.GetOption(3), "");
    EXPECT_EQ(none.SetIndex(2), 0);
    EXPECT_EQ(none.index, -1);
    EXPECT_EQ(none.GetSelectedText(), "");

    PropertySelection s("s");
    for (const char* o : {"A", "B", "C"}) s.AddOption(o);
    s.SelectText("D");
    EXPECT_EQ(s.index, -1);
    EXPECT_EQ(s.GetSelectedText(), "");
    EXPECT_EQ(s.GetOption(-1), "C");
    s.SetIndex(-4);
    EXPECT_EQ(s.index, 2);
}

TEST(PropertyLong, NumbersBeyondTheIntegerRangeAreHeldAtItsEnds) {
    struct Case {
        const char* text;
        long expected;
    };
    const Case cases[] = {{"1e30", 2147483647L},
                          {"-1e30", -2147483648L},
                          {"nan", 0},
                          {"2147483647.4", 2147483647L},
                          {"-2147483648.5", -2147483648L}};
    for (const Case& c : cases) {
        PropertyLong p("n", c.text);
        EXPECT_EQ(p.GetValue(), c.expected) << c.text;
    }
    long out = 7;
    EXPECT_FALSE(RoundToWhole(2147483647.5, &out));
    EXPECT_FALSE(RoundToWhole(std::nan(""), &out));
    EXPECT_EQ(out, 7);
    EXPECT_TRUE(RoundToWhole(-2.5, &out));
    EXPECT_EQ(out, -2);
}

TEST(PropertyDouble, TextsAreWrittenWithADecimalPointInAnyLocale) {
    if (!test_locale::MakeGermanLocaleAvailable())
        GTEST_SKIP() << "no locale with a decimal comma can be made";
    ASSERT_NE(std::setlocale(LC_NUMERIC, test_locale::kGerman), nullptr);
    PropertyDouble digits("x", 0.5, 7, false);
    PropertyDouble plain("y", 0.25, false);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(digits.text, "0.5000000");
    EXPECT_EQ(plain.text, "0.25");
    EXPECT_EQ(plain.GetValue(), 0.25);
}
