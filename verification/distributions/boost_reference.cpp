// Reference values of the noncentral t, F and chi-square distributions (and
// their central cases) from Boost.Math, computed in long double / 80-bit
// where Boost allows it. Built and run by boost_reference.sh, which writes
// boost_reference.csv:
//   family,function,p0,p1,p2,arg,expected
// p0..p2 are the parameters in the order the classes hold them:
//   t: delta, nu; F: lambda, df1, df2; chi: lambda, df.
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/non_central_chi_squared.hpp>
#include <boost/math/distributions/non_central_f.hpp>
#include <boost/math/distributions/non_central_t.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cstdio>

using Real = long double;
namespace bm = boost::math;

void Row(const char* family, const char* fn, double p0, double p1, double p2, double arg, Real v) {
    std::printf("%s,%s,%.17g,%.17g,%.17g,%.17g,%.20Lg\n", family, fn, p0, p1, p2, arg, v);
}

void T(double delta, double nu, double x) {
    bm::non_central_t_distribution<Real> d(nu, delta);
    Row("t", "cdf", delta, nu, 0, x, bm::cdf(d, Real(x)));
    Row("t", "pdf", delta, nu, 0, x, bm::pdf(d, Real(x)));
}
void TQ(double delta, double nu, double p) {
    bm::non_central_t_distribution<Real> d(nu, delta);
    Row("t", "quantile", delta, nu, 0, p, bm::quantile(d, Real(p)));
}
void F(double lambda, double df1, double df2, double x) {
    bm::non_central_f_distribution<Real> d(df1, df2, lambda);
    Row("F", "cdf", lambda, df1, df2, x, bm::cdf(d, Real(x)));
    Row("F", "pdf", lambda, df1, df2, x, bm::pdf(d, Real(x)));
}
void FQ(double lambda, double df1, double df2, double p) {
    bm::non_central_f_distribution<Real> d(df1, df2, lambda);
    Row("F", "quantile", lambda, df1, df2, p, bm::quantile(d, Real(p)));
}
void Chi(double lambda, double df, double x) {
    bm::non_central_chi_squared_distribution<Real> d(df, lambda);
    Row("chi", "cdf", lambda, df, 0, x, bm::cdf(d, Real(x)));
    Row("chi", "pdf", lambda, df, 0, x, bm::pdf(d, Real(x)));
}
void ChiQ(double lambda, double df, double p) {
    bm::non_central_chi_squared_distribution<Real> d(df, lambda);
    Row("chi", "quantile", lambda, df, 0, p, bm::quantile(d, Real(p)));
}

int main() {
    // Noncentral t: moderate and large delta (50, 100 and beyond, where
    // the usual series lose accuracy), fractional and small df, both tails.
    const double tCases[][3] = {
        {1.0, 10, 0.5},      {1.0, 10, 2.5},     {2.5, 3, 1.0},      {2.5, 3, 6.0},
        {-2.0, 5, -1.0},     {-2.0, 5, 0.7},     {3.0, 0.5, 2.0},    {3.0, 0.5, 40.0},
        {0.5, 0.2, 1.0},     {4.0, 20, -0.5},    {8.0, 30, 5.0},     {8.0, 30, 8.2},
        {8.0, 30, 12.0},     {20.0, 15, 14.0},   {20.0, 15, 25.0},   {37.0, 40, 37.5},
        {50.0, 10, 40.0},    {50.0, 10, 55.0},   {50.0, 10, 90.0},   {50.0, 100, 50.5},
        {100.0, 50, 90.0},   {100.0, 50, 101.5}, {100.0, 50, 125.0}, {-50.0, 20, -52.0},
        {3.0, 1e6, 3.5},     {2.0, 10, -3.0},    {1.5, 4, 0.0},      {6.0, 8, 0.9},
        {0.001, 12, 1.3},    {150.0, 20, 150.0}, {400.0, 20, 400.0}, {400.0, 20, 380.0},
        {60.0, 0.3, 6.3e34},
    };
    for (const auto& c : tCases) T(c[0], c[1], c[2]);
    const double tQuantiles[][3] = {
        {1.0, 10, 0.05},    {1.0, 10, 0.95},  {2.5, 3, 0.5},       {-2.0, 5, 0.2},
        {3.0, 0.5, 0.9},    {8.0, 30, 1e-12}, {8.0, 30, 0.999999}, {50.0, 10, 0.05},
        {50.0, 10, 0.95},   {100.0, 50, 0.5}, {20.0, 15, 1e-6},    {0.5, 0.7, 0.3},
        {0.01, 0.3, 1e-10}, {0.7, 1, 1e-10},  {80.0, 0.3, 0.99},
    };
    for (const auto& c : tQuantiles) TQ(c[0], c[1], c[2]);

    const double fCases[][4] = {
        {3.0, 3, 20, 0.5},    {3.0, 3, 20, 2.0},      {3.0, 3, 20, 8.0},
        {20.0, 5, 40, 4.0},   {20.0, 5, 40, 12.0},    {0.5, 0.5, 0.7, 1.0},
        {2.0, 1, 5, 0.05},    {60.0, 10, 100, 7.0},   {150.0, 4, 60, 40.0},
        {150.0, 4, 60, 20.0}, {5.0, 2, 10, 0.3},      {1e-30, 4, 12, 1.7},
        {10.0, 0.3, 4, 2.0},  {400.0, 12, 200, 30.0}, {60.0, 10, 100, 0.53},
        {60.0, 10, 100, 0.3}, {1000.0, 3, 50, 200.0}, {20.0, 0.05, 10, 1e-30},
    };
    for (const auto& c : fCases) F(c[0], c[1], c[2], c[3]);
    const double fQuantiles[][4] = {
        {3.0, 3, 20, 0.95},     {20.0, 5, 40, 0.2},     {150.0, 4, 60, 0.5},   {0.5, 0.5, 0.7, 0.5},
        {60.0, 10, 100, 1e-10}, {1000.0, 3, 50, 1e-12}, {8.0, 1, 6, 0.999999},
    };
    for (const auto& c : fQuantiles) FQ(c[0], c[1], c[2], c[3]);

    const double chiCases[][3] = {
        {2.0, 3, 0.5},       {2.0, 3, 4.0},    {2.0, 3, 25.0},     {15.0, 5, 10.0},
        {15.0, 5, 40.0},     {60.0, 1, 30.0},  {60.0, 1, 60.0},    {60.0, 1, 130.0},
        {0.5, 0.3, 0.01},    {0.5, 0.3, 2.0},  {300.0, 20, 250.0}, {300.0, 20, 330.0},
        {1e3, 4, 900.0},     {8.0, 0.05, 1.0}, {5.0, 10, 0.2},     {20.0, 0.05, 1e-30},
        {2000.0, 0.5, 1e-5},
    };
    for (const auto& c : chiCases) Chi(c[0], c[1], c[2]);
    const double chiQuantiles[][3] = {
        {2.0, 3, 0.5},           {15.0, 5, 0.95},
        {60.0, 1, 0.01},         {0.5, 0.3, 0.7},
        {300.0, 20, 0.999},      {15.0, 5, 1e-12},
        {1e3, 4, 0.5},           {1e3, 5, 0.9999999999},
        {1e4, 5, 1e-12},         {0.3, 0.5, 0.9999999999},
        {15.0, 1, 0.9999999999}, {3.0, 5, 0.9999999999},
    };
    for (const auto& c : chiQuantiles) ChiQ(c[0], c[1], c[2]);

    // Moments.
    const double tMoments[][2] = {{1.0, 10}, {-2.5, 3.5}, {50.0, 10}, {100.0, 2.2}, {0.3, 1e5}};
    for (const auto& c : tMoments) {
        bm::non_central_t_distribution<Real> d(c[1], c[0]);
        Row("t", "mean", c[0], c[1], 0, 0, bm::mean(d));
        if (c[1] > 2) Row("t", "variance", c[0], c[1], 0, 0, bm::variance(d));
    }
    const double fMoments[][3] = {{3.0, 3, 20}, {0.0, 0.5, 4.5}, {150.0, 4, 60}};
    for (const auto& c : fMoments) {
        if (c[0] == 0.0) {
            bm::fisher_f_distribution<Real> d(c[1], c[2]);
            Row("F", "mean", c[0], c[1], c[2], 0, bm::mean(d));
            Row("F", "variance", c[0], c[1], c[2], 0, bm::variance(d));
        } else {
            bm::non_central_f_distribution<Real> d(c[1], c[2], c[0]);
            Row("F", "mean", c[0], c[1], c[2], 0, bm::mean(d));
            Row("F", "variance", c[0], c[1], c[2], 0, bm::variance(d));
        }
    }
    return 0;
}
