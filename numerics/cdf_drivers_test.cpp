#include "numerics/cdf_drivers.h"

#include <gtest/gtest.h>

#include <boost/math/distributions/non_central_f.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// One driver call with the arguments that follow p and q, in the driver's
// order (cdfbet: x, y, a, b; cdfbin: s, xn, pr, ompr; cdfchi: x, df; cdff:
// f, dfn, dfd; cdffnc: f, dfn, dfd, phonc; cdfnor: x, mean, sd; cdft: t, df).
struct Call {
    std::string driver;
    int which;
    double p, q;
    std::vector<double> v;
    int status = -99;
    double bound = -99.0;

    Call& Run() {
        double* a = v.data();
        if (driver == "cdfbet")
            cdfbet(&which, &p, &q, &a[0], &a[1], &a[2], &a[3], &status, &bound);
        else if (driver == "cdfbin")
            cdfbin(&which, &p, &q, &a[0], &a[1], &a[2], &a[3], &status, &bound);
        else if (driver == "cdfchi")
            cdfchi(&which, &p, &q, &a[0], &a[1], &status, &bound);
        else if (driver == "cdff")
            cdff(&which, &p, &q, &a[0], &a[1], &a[2], &status, &bound);
        else if (driver == "cdffnc")
            cdffnc(&which, &p, &q, &a[0], &a[1], &a[2], &a[3], &status, &bound);
        else if (driver == "cdfnor")
            cdfnor(&which, &p, &q, &a[0], &a[1], &a[2], &status, &bound);
        else if (driver == "cdft")
            cdft(&which, &p, &q, &a[0], &a[1], &status, &bound);
        else
            ADD_FAILURE() << "unknown driver " << driver;
        return *this;
    }
};

int LargestWhich(const std::string& driver) {
    if (driver == "cdfchi" || driver == "cdft") return 3;
    if (driver == "cdffnc") return 5;
    return 4;
}

// Index in Call::v of the quantity that `which` asks for.
int SoughtIndex(const std::string& driver, int which) {
    if (driver == "cdfbet" && which > 2) return which - 1;  // a, b follow x, y
    if (driver == "cdfbin" && which == 4) return 2;         // pr
    return which - 2;
}

// The independent forward function: (lower, upper) tail from Boost.Math.
std::pair<double, double> BoostTails(const std::string& d, const std::vector<double>& v) {
    using namespace boost::math;
    if (d == "cdfbet") return {ibeta(v[2], v[3], v[0]), ibetac(v[2], v[3], v[0])};
    if (d == "cdfbin") {
        if (v[0] >= v[1]) return {1.0, 0.0};
        return {ibetac(v[0] + 1.0, v[1] - v[0], v[2]), ibeta(v[0] + 1.0, v[1] - v[0], v[2])};
    }
    if (d == "cdfchi") return {gamma_p(v[1] / 2.0, v[0] / 2.0), gamma_q(v[1] / 2.0, v[0] / 2.0)};
    if (d == "cdff") {
        const double den = v[1] * v[0] + v[2];
        // The F tails as beta tails, with whichever of x, 1 - x is small given
        // exactly.
        return {ibetac(v[2] / 2.0, v[1] / 2.0, v[2] / den),
                ibeta(v[2] / 2.0, v[1] / 2.0, v[2] / den)};
    }
    if (d == "cdffnc") {
        const non_central_f_distribution<double> dist(v[1], v[2], v[3]);
        return {cdf(dist, v[0]), cdf(complement(dist, v[0]))};
    }
    if (d == "cdfnor") {
        const normal_distribution<double> dist(v[1], v[2]);
        return {cdf(dist, v[0]), cdf(complement(dist, v[0]))};
    }
    const students_t_distribution<double> dist(v[1]);
    return {cdf(dist, v[0]), cdf(complement(dist, v[0]))};
}

struct Row {
    std::string driver;
    std::vector<double> v;  // driver arguments after p and q
    std::string modes;      // the inverse `which` codes run on the row
    double p, q;
};

// verification/cdf_drivers/forward.tsv: driver, argument and parameters
// (as in the driver's list, without the complements y and ompr), inverse
// modes, p, q.
std::vector<Row> ReadForwardTable() {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/verification/cdf_drivers/forward.tsv");
    std::vector<Row> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Row row;
        std::string text;
        std::getline(fields, row.driver, '\t');
        std::vector<double> columns;
        for (int i = 0; i < 4; ++i) {
            std::getline(fields, text, '\t');
            columns.push_back(text == "NA" ? NAN : std::strtod(text.c_str(), nullptr));
        }
        std::getline(fields, row.modes, '\t');
        std::getline(fields, text, '\t');
        row.p = std::strtod(text.c_str(), nullptr);
        std::getline(fields, text, '\t');
        row.q = std::strtod(text.c_str(), nullptr);
        if (row.driver == "cdfbet")
            row.v = {columns[0], 1.0 - columns[0], columns[1], columns[2]};
        else if (row.driver == "cdfbin")
            row.v = {columns[0], columns[1], columns[2], 1.0 - columns[2]};
        else
            for (int i = 0; i < 4 && !std::isnan(columns[i]); ++i) row.v.push_back(columns[i]);
        rows.push_back(row);
    }
    return rows;
}

std::string Describe(const Call& c) {
    std::ostringstream out;
    out.precision(17);
    out << c.driver << " which " << c.which << " p " << c.p << " q " << c.q << " (";
    for (double a : c.v) out << " " << a;
    out << " )";
    return out.str();
}

double RelativeError(double value, double expected) {
    return expected == 0.0 ? std::fabs(value) : std::fabs(value - expected) / std::fabs(expected);
}

}  // namespace

TEST(CdfDrivers, ForwardProbabilitiesAgreeWithReference) {
    const std::vector<Row> rows = ReadForwardTable();
    ASSERT_EQ(rows.size(), 45u);
    for (const Row& r : rows) {
        Call c{r.driver, 1, -1.0, -1.0, r.v};
        c.Run();
        ASSERT_EQ(c.status, 0) << Describe(c);
        // The noncentral F upper tail is formed as 1 - lower, so it carries
        // absolute, not relative, accuracy.
        const double qError = r.driver == "cdffnc" ? std::fabs(c.q - r.q) : RelativeError(c.q, r.q);
        EXPECT_LE(RelativeError(c.p, r.p), 1e-13) << Describe(c) << " expected p " << r.p;
        EXPECT_LE(qError, 1e-13) << Describe(c) << " expected q " << r.q;
    }
}

// Every inverse mode, from the reference p and q. The answer is put back
// into Boost.Math's forward function; the residual in the matched tail,
// divided by the slope of that tail, is the error of the answer it implies.
// It must stay within the searches' tolerance, 1e-12 relative to the
// quantity searched (for the pairs in [0, 1], the member of the pair that
// was varied), beyond what the forward functions' own accuracy (1e-14 of
// the tail) accounts for. The original argument or parameter must come back
// as well.
TEST(CdfDrivers, InverseModesReproduceTheirProbabilities) {
    int inversions = 0;
    for (const Row& r : ReadForwardTable()) {
        for (char mode : r.modes) {
            const int which = mode - '0';
            const int k = SoughtIndex(r.driver, which);
            Call c{r.driver, which, r.p, r.q, r.v};
            c.v[k] = 0.5;
            c.Run();
            ++inversions;
            EXPECT_EQ(c.status, 0) << Describe(c);
            if (c.status != 0) continue;
            const bool lowerTail = r.driver == "cdffnc" || r.p <= r.q;
            const bool pair =
                (r.driver == "cdfbet" && which == 2) || (r.driver == "cdfbin" && which == 4);
            auto matched = [&](double value) {
                std::vector<double> v = c.v;
                v[k] = value;
                if (pair) v[k + 1] = 1.0 - value;
                const auto [lower, upper] = BoostTails(r.driver, v);
                return lowerTail ? lower : upper;
            };
            const double answer = c.v[k];
            const double varied = pair && !lowerTail ? c.v[k + 1] : answer;
            const double tail = lowerTail ? r.p : r.q;
            const double h = 1e-6 * std::fmax(std::fabs(answer), 1e-3);
            const double slope = (matched(answer + h) - matched(answer - h)) / (2.0 * h);
            const double residual = matched(answer) - tail;
            EXPECT_LE(std::fabs(residual),
                      std::fabs(slope) * 1e-12 * std::fabs(varied) + 1e-14 * tail)
                << Describe(c) << " residual " << residual << " slope " << slope;
            EXPECT_LE(std::fabs(answer - r.v[k]), 1e-9 * std::fabs(r.v[k]) + 1e-15)
                << Describe(c) << " expected " << r.v[k];
        }
    }
    EXPECT_GE(inversions, 100);
}

TEST(CdfDrivers, TextbookQuantiles) {
    struct Case {
        Call call;
        int index;
        double expected;
    };
    // Reference values: mpmath at 30 digits.
    Case cases[] = {
        {{"cdft", 2, 0.975, 0.025, {0, 10}}, 0, 2.2281388519862747},
        {{"cdft", 2, 0.025, 0.975, {0, 10}}, 0, -2.2281388519862747},
        {{"cdfchi", 2, 0.95, 0.05, {0, 1}}, 0, 3.8414588206941259},
        {{"cdff", 2, 0.95, 0.05, {0, 3, 20}}, 0, 3.0983912121407800},
        {{"cdfnor", 2, 0.975, 0.025, {0, 0, 1}}, 0, 1.959963984540054},
        {{"cdfnor", 2, 0.975, 0.025, {0, 100, 15}}, 0, 100 + 15 * 1.959963984540054},
        {{"cdfnor", 3, 0.975, 0.025, {130, 0, 15}}, 1, 130 - 15 * 1.959963984540054},
        {{"cdfnor", 4, 0.975, 0.025, {1.959963984540054 * 3, 0, 1}}, 2, 3.0},
        {{"cdfbet", 2, 0.5248, 0.4752, {0, 0, 2, 3}}, 0, 0.4},  // I_0.4(2, 3) = 0.5248
        {{"cdfbin", 2, 0.5, 0.5, {0, 3, 0.5, 0.5}}, 0, 1.0},    // P(X <= 1) = 1/2 for 3 fair trials
    };
    for (Case& c : cases) {
        c.call.Run();
        EXPECT_EQ(c.call.status, 0) << Describe(c.call);
        EXPECT_LE(RelativeError(c.call.v[c.index], c.expected), 2e-12)
            << Describe(c.call) << " expected " << c.expected;
    }
}

// Status and bound: checks run in argument order, the first failure wins and
// leaves the sought quantity alone.
TEST(CdfDrivers, StatusAndBound) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double belowOne = std::nextafter(1.0, 0.0);
    const double largest = std::numeric_limits<double>::max();
    struct Case {
        const char* what;
        Call call;
        int status;
        double bound;
    };
    const Case cases[] = {
        {"which below range", {"cdfbet", 0, 0.5, 0.5, {0.5, 0.5, 1, 1}}, -1, 1},
        {"which above range, beta", {"cdfbet", 5, 0.5, 0.5, {0.5, 0.5, 1, 1}}, -1, 4},
        {"which above range, binomial", {"cdfbin", 5, 0.5, 0.5, {1, 3, 0.5, 0.5}}, -1, 4},
        {"which above range, chi-square", {"cdfchi", 4, 0.5, 0.5, {1, 3}}, -1, 3},
        {"which above range, noncentral F", {"cdffnc", 6, 0.5, 0.5, {1, 3, 3, 1}}, -1, 5},
        {"which above range, t", {"cdft", 4, 0.5, 0.5, {1, 3}}, -1, 3},
        {"p = 0 in t", {"cdft", 2, 0.0, 1.0, {7, 10}}, -2, 0},
        {"p above 1", {"cdft", 2, 1.5, 0.025, {7, 10}}, -2, 1},
        {"q = 0 in chi-square", {"cdfchi", 2, 1.0, 0.0, {7, 10}}, -3, 0},
        {"q above 1 in beta", {"cdfbet", 2, 0.5, 1.5, {7, 0, 1, 1}}, -3, 1},
        {"p before dfn", {"cdff", 2, -1.0, 0.5, {7, -1, 1}}, -2, 0},
        {"dfn", {"cdff", 2, 0.5, 0.5, {7, -1, -1}}, -5, 0},
        {"dfd", {"cdff", 2, 0.5, 0.5, {7, 1, 0}}, -6, 0},
        {"f below 0", {"cdff", 1, 0.5, 0.5, {-1, 1, 1}}, -4, 0},
        {"x above 1", {"cdfbet", 1, 0.5, 0.5, {1.5, 0.5, 1, 1}}, -4, 1},
        {"y below 0", {"cdfbet", 1, 0.5, 0.5, {0.5, -0.1, 1, 1}}, -5, 0},
        {"a = 0", {"cdfbet", 1, 0.5, 0.5, {0.5, 0.5, 0, 1}}, -6, 0},
        {"b below 0", {"cdfbet", 1, 0.5, 0.5, {0.5, 0.5, 1, -1}}, -7, 0},
        {"x + y", {"cdfbet", 1, 0.5, 0.5, {0.5, 0.6, 1, 1}}, 4, 1},
        {"xn before s", {"cdfbin", 1, 0.5, 0.5, {-1, 0, 0.5, 0.5}}, -5, 0},
        {"s above xn", {"cdfbin", 1, 0.5, 0.5, {4, 3, 0.5, 0.5}}, -4, 3},
        {"pr above 1", {"cdfbin", 1, 0.5, 0.5, {1, 3, 1.2, 0.5}}, -6, 1},
        {"ompr below 0", {"cdfbin", 1, 0.5, 0.5, {1, 3, 0.5, -0.5}}, -7, 0},
        {"pr + ompr", {"cdfbin", 1, 0.5, 0.5, {1, 3, 0.5, 0.4}}, 4, 1},
        {"x below 0 in chi-square", {"cdfchi", 1, 0.5, 0.5, {-1, 3}}, -4, 0},
        {"df = 0 in chi-square", {"cdfchi", 1, 0.5, 0.5, {1, 0}}, -5, 0},
        {"p = 1 in noncentral F", {"cdffnc", 2, 1.0, 0.0, {7, 3, 3, 1}}, -2, belowOne},
        {"phonc below 0", {"cdffnc", 1, 0.5, 0.5, {1, 3, 3, -1}}, -7, 0},
        {"sum before sd", {"cdfnor", 2, 0.3, 0.6, {7, 0, 0}}, 3, 1},
        {"sd = 0", {"cdfnor", 2, 0.3, 0.7, {7, 0, 0}}, -6, 0},
        {"p = 0 in normal", {"cdfnor", 2, 0.0, 1.0, {7, 0, 1}}, -2, 0},
        {"df = 0 in t", {"cdft", 1, 0.5, 0.5, {1, 0}}, -5, 0},
        {"t answer above df range", {"cdft", 3, 0.9, 0.1, {1, 7}}, 2, 1e10},
        {"t answer below df range", {"cdft", 3, 0.3, 0.7, {1, 7}}, 1, 1e-100},
        {"no pr reaches p", {"cdfbin", 4, 0.3, 0.7, {3, 3, 7, 7}}, 2, 1},
        // Values that are not numbers fail their first check.
        {"p not a number", {"cdfchi", 2, nan, 0.5, {7, 3}}, -2, 0},
        {"q not a number", {"cdff", 2, 0.5, nan, {7, 3, 3}}, -3, 0},
        {"df not a number", {"cdft", 2, 0.5, 0.5, {7, nan}}, -5, 0},
        {"s not a number", {"cdfbin", 1, 0.5, 0.5, {nan, 3, 0.5, 0.5}}, -4, 0},
        {"xn not a number", {"cdfbin", 2, 0.5, 0.5, {7, nan, 0.5, 0.5}}, -5, 0},
        {"phonc not a number", {"cdffnc", 2, 0.5, 0.5, {7, 3, 3, nan}}, -7, 0},
        {"y not a number", {"cdfbet", 3, 0.5, 0.5, {0.5, nan, 7, 1}}, -5, 0},
        {"t not a number", {"cdft", 1, 0.5, 0.5, {nan, 3}}, -4, nan},
        {"mean not a number", {"cdfnor", 2, 0.5, 0.5, {7, nan, 1}}, -5, -largest},
        // Nor can a parameter be infinite: the routines beneath return error
        // marks or never finish.
        {"infinite trials", {"cdfbin", 1, 0.5, 0.5, {1, INFINITY, 0.5, 0.5}}, -5, largest},
        {"infinite shape", {"cdfbet", 2, 0.5, 0.5, {7, 7, INFINITY, 2}}, -6, largest},
        {"infinite df, chi-square", {"cdfchi", 1, 0.5, 0.5, {5, INFINITY}}, -5, largest},
        {"infinite df, t", {"cdft", 2, 0.5, 0.5, {5, INFINITY}}, -5, largest},
        {"infinite dfd", {"cdff", 1, 0.5, 0.5, {1, 3, INFINITY}}, -6, largest},
        {"infinite noncentrality", {"cdffnc", 2, 0.5, 0.5, {7, 3, 3, INFINITY}}, -7, largest},
        // Above 1e10 the noncentral F sums are refused as such (which 1 came
        // back with NaN and status 10, the search with status 1, an answer
        // "below the lower bound").
        {"noncentrality above 1e10", {"cdffnc", 1, 0.5, 0.5, {7, 3, 3, 1.0000001e10}}, -7, 1e10},
        {"noncentrality 1e20 in the search", {"cdffnc", 2, 0.5, 0.5, {7, 3, 3, 1e20}}, -7, 1e10},
        {"infinite mean", {"cdfnor", 1, 0.5, 0.5, {1, -INFINITY, 1}}, -5, -largest},
        {"infinite sd", {"cdfnor", 2, 0.3, 0.7, {1, 0, INFINITY}}, -6, largest},
        // P(F <= 3.5) over dfn starts at 1, dips below the target 0.9746 and
        // ends above it: the ends enclose no sign change.
        {"dfn not identifiable",
         {"cdff", 3, 0.97461476913355872, 0.025385230866441275, {3.5, 7, 20}},
         2,
         1e100},
        // No positive sd puts x above the mean at a quantile below the median.
        {"sd would be negative", {"cdfnor", 4, 0.3, 0.7, {1, 0, 7}}, 1, 0},
        {"sd would be infinite", {"cdfnor", 4, 0.5, 0.5, {1e300, -1e300, 7}}, 2, INFINITY},
        // An infinite argument is fine where the distribution function has a
        // limit there.
        {"infinite x, chi-square", {"cdfchi", 1, 0.5, 0.5, {INFINITY, 3}}, 0, -99},
    };
    for (const Case& c : cases) {
        Call call = c.call;
        call.Run();
        EXPECT_EQ(call.status, c.status) << c.what;
        if (std::isnan(c.bound))
            EXPECT_TRUE(std::isnan(call.bound)) << c.what << ": " << call.bound;
        else
            EXPECT_EQ(call.bound, c.bound) << c.what;
        // A failed check never touches the sought quantity.
        if (call.status < 0 && call.which >= 2 && call.which <= LargestWhich(call.driver)) {
            const int k = SoughtIndex(call.driver, call.which);
            EXPECT_TRUE(call.v[k] == c.call.v[k] ||
                        (std::isnan(call.v[k]) && std::isnan(c.call.v[k])))
                << c.what;
        }
    }
}

TEST(CdfDrivers, SearchesAtTheEdges) {
    // p = 0 is accepted by the chi-square driver: x = 0 within the absolute
    // tolerance.
    Call chi{"cdfchi", 2, 0.0, 1.0, {7, 3}};
    chi.Run();
    EXPECT_EQ(chi.status, 0);
    EXPECT_LE(std::fabs(chi.v[0]), 1e-50);

    // On a search that leaves its range the sought quantity holds the end
    // last evaluated.
    Call t{"cdft", 3, 0.9, 0.1, {1, 7}};
    t.Run();
    EXPECT_EQ(t.v[1], 1e10);

    // Three trials: the count search starts at 3 inside [0, 3].
    Call bin{"cdfbin", 2, 0.784, 0.216, {7, 3, 0.4, 0.6}};
    bin.Run();
    EXPECT_EQ(bin.status, 0);
    const auto [lower, upper] = BoostTails("cdfbin", bin.v);
    EXPECT_NEAR(lower, 0.784, 1e-12);

    // The noncentral F driver ignores q, sum and all.
    Call fnc{"cdffnc", 2, 0.3, 0.6, {7, 3, 20, 5}};
    fnc.Run();
    EXPECT_EQ(fnc.status, 0);
    EXPECT_NEAR(BoostTails("cdffnc", fnc.v).first, 0.3, 1e-12);

    // Tiny df: the start of the t quantile leaves every range and is pulled
    // back into the search interval; the quantile itself is beyond 1e100.
    Call tiny{"cdft", 2, 0.975, 0.025, {0, 1e-3}};
    tiny.Run();
    EXPECT_EQ(tiny.status, 2);
    EXPECT_EQ(tiny.bound, 1e100);
}

// Each call owns its search: inversions of different distributions on two
// threads at once give exactly the answers they give alone.
TEST(CdfDrivers, ConcurrentInversionsOnTwoThreads) {
    auto tQuantiles = [] {
        std::vector<double> out;
        for (int i = 1; i < 200; ++i) {
            Call c{"cdft", 2, i / 200.0, 1.0 - i / 200.0, {0, 3.5}};
            out.push_back(c.Run().status == 0 ? c.v[0] : NAN);
        }
        return out;
    };
    auto noncentralities = [] {
        std::vector<double> out;
        for (int i = 1; i < 60; ++i) {
            Call c{"cdffnc", 5, i / 100.0, 0.0, {2.5, 4, 30, 0}};
            out.push_back(c.Run().status == 0 ? c.v[3] : NAN);
        }
        return out;
    };
    const std::vector<double> tAlone = tQuantiles(), ncAlone = noncentralities();
    std::vector<double> tThread, ncThread;
    std::thread one([&] { tThread = tQuantiles(); });
    std::thread two([&] { ncThread = noncentralities(); });
    one.join();
    two.join();
    EXPECT_EQ(tThread, tAlone);
    EXPECT_EQ(ncThread, ncAlone);
    for (double t : tAlone) EXPECT_FALSE(std::isnan(t));
    for (double nc : ncAlone) EXPECT_FALSE(std::isnan(nc));
}
