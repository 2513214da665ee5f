// Calls every operation of every distribution class with extreme finite and
// non-finite parameters, each call in a forked child with an alarm, and
// prints the calls that are slow, time out or crash.
//   extreme_sweep <class> [limit seconds, default 1]
// After a time-out the remaining arguments of the same operation and
// parameters are skipped.
// Output: one line per finding: class, parameters, operation, argument,
// elapsed seconds and the outcome.
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "distributions/beta.h"
#include "distributions/binomial.h"
#include "distributions/bivariate_normal.h"
#include "distributions/chi.h"
#include "distributions/closed_form.h"
#include "distributions/correlation.h"
#include "distributions/f.h"
#include "distributions/hypergeometric.h"
#include "distributions/mrc.h"
#include "distributions/normal.h"
#include "distributions/poisson.h"
#include "distributions/t.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using Values = std::vector<double>;
using Factory = std::function<std::unique_ptr<Distribution>(const Values&)>;

const Values kWide = {0.0,  1e-300, 1e-10, 0.3,  1.0,  7.0,  1e10, 1e15,
                      1e20, 1e100,  1e300, -1.0, kNaN, kInf, -kInf};
const Values kNarrow = {0.0, 1e-300, 1.0, 1e20, 1e300, -1.0, kNaN};
const Values kCorr = {0.0, 0.07, 0.5, 0.9999, 1.0, -1.0, -0.3, 1e-300, 2.0, kNaN, kInf};
const Values kX = {-1.0, 0.0, 1e-300, 0.3, 1.0, 7.0, 1e10, 1e300, kNaN, kInf, -kInf};
const Values kP = {0.0, 1e-300, 1e-10, 0.5, 1.0 - 1e-10, 1.0, kNaN, -1.0};

struct Family {
    std::string name;
    std::vector<Values> dims;
    Factory make;
};

std::vector<Family> Families() {
    std::vector<Family> f;
    f.push_back({"beta", {kWide, kWide}, [](const Values& v) {
                     return std::make_unique<BetaDistribution>(v[0], v[1]);
                 }});
    f.push_back({"binomial", {kWide, kCorr}, [](const Values& v) {
                     return std::make_unique<BinomialDistribution>(v[0], v[1]);
                 }});
    f.push_back({"chi", {kWide, kWide, {1.0, 1e-300, 1e300}}, [](const Values& v) {
                     return std::make_unique<ChiDistribution>(v[0], v[1], v[2]);
                 }});
    f.push_back({"exponential", {kWide}, [](const Values& v) {
                     return std::make_unique<ExponentialDistribution>(v[0]);
                 }});
    f.push_back({"uniform", {kWide, kWide}, [](const Values& v) {
                     return std::make_unique<UniformDistribution>(v[0], v[1]);
                 }});
    f.push_back({"lognormal", {kWide, kWide}, [](const Values& v) {
                     return std::make_unique<LogNormalDistribution>(v[0], v[1]);
                 }});
    f.push_back({"laplace", {kWide, kWide}, [](const Values& v) {
                     return std::make_unique<LaplaceDistribution>(v[0], v[1]);
                 }});
    f.push_back({"corr", {kCorr, kWide}, [](const Values& v) {
                     return std::make_unique<CorrDistribution>(v[0], v[1]);
                 }});
    f.push_back({"f", {kWide, kWide, kWide, {1.0, 1e-300, 1e300}}, [](const Values& v) {
                     return std::make_unique<FDistribution>(v[0], v[1], v[2], v[3]);
                 }});
    f.push_back({"hypergeometric", {kWide, kWide, kWide}, [](const Values& v) {
                     return std::make_unique<HypergeometricDistribution>(v[0], v[1], v[2]);
                 }});
    f.push_back({"mrc", {kCorr, kWide, kWide, {0, 1, 2}}, [](const Values& v) {
                     auto d = std::make_unique<MRCDistribution>(v[0], v[1], v[2]);
                     d->SetMethod(static_cast<int>(v[3]));
                     return d;
                 }});
    f.push_back({"normal", {kWide, kWide}, [](const Values& v) {
                     return std::make_unique<NormalDistribution>(v[0], v[1]);
                 }});
    f.push_back({"poisson", {kWide}, [](const Values& v) {
                     return std::make_unique<PoissonDistribution>(v[0]);
                 }});
    f.push_back({"t", {kWide, kWide, {0, 1}}, [](const Values& v) {
                     return std::make_unique<TDistribution>(v[0], v[1], v[2] != 0.0);
                 }});
    return f;
}

double g_limit = 1.0;

// Returns false when the call timed out.
bool Run(const std::string& label, const std::function<void()>& call) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        itimerval timer{};
        timer.it_value.tv_sec = static_cast<long>(g_limit);
        timer.it_value.tv_usec = static_cast<long>((g_limit - std::floor(g_limit)) * 1e6);
        setitimer(ITIMER_REAL, &timer, nullptr);
        try {
            call();
        } catch (...) {
        }
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string outcome;
    if (WIFSIGNALED(status))
        outcome =
            WTERMSIG(status) == SIGALRM ? "TIMEOUT" : "SIGNAL " + std::to_string(WTERMSIG(status));
    else if (elapsed > 0.2)
        outcome = "SLOW";
    if (!outcome.empty()) {
        std::printf("%s %.2fs %s\n", label.c_str(), elapsed, outcome.c_str());
        std::fflush(stdout);
    }
    return outcome != "TIMEOUT";
}

std::string Fmt(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}

void Sweep(const Family& fam, std::size_t dim, Values& chosen) {
    if (dim < fam.dims.size()) {
        for (double v : fam.dims[dim]) {
            chosen.push_back(v);
            Sweep(fam, dim + 1, chosen);
            chosen.pop_back();
        }
        return;
    }
    std::string params = fam.name + "(";
    for (std::size_t i = 0; i < chosen.size(); ++i) params += (i ? "," : "") + Fmt(chosen[i]);
    params += ")";
    const Values v = chosen;
    // After a time-out the other arguments of that operation are skipped.
    bool pdf = true, cdf = true, quantile = true;
    for (double x : kX) {
        if (pdf) pdf = Run(params + " Pdf " + Fmt(x), [&] { fam.make(v)->Pdf(x); });
        if (cdf) cdf = Run(params + " Cdf " + Fmt(x), [&] { fam.make(v)->Cdf(x); });
    }
    for (double p : kP)
        if (quantile)
            quantile = Run(params + " Quantile " + Fmt(p), [&] { fam.make(v)->Quantile(p); });
    Run(params + " GetMean", [&] { fam.make(v)->GetMean(); });
    Run(params + " GetVariance", [&] { fam.make(v)->GetVariance(); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <class|bivariate> [limit seconds]\n", argv[0]);
        return 2;
    }
    const std::string which = argv[1];
    if (argc > 2) g_limit = std::atof(argv[2]);
    if (which == "bivariate") {
        for (double x : kX)
            for (double m : kWide)
                for (double s : kWide)
                    for (double r : kCorr)
                        Run("bivariate(" + Fmt(x) + "," + Fmt(m) + "," + Fmt(s) + "," + Fmt(r) +
                                ")",
                            [&] { BivariateNormalCdf(x, 0.5, m, 0.0, s, 1.0, r, 1e-10); });
        return 0;
    }
    for (const Family& fam : Families()) {
        if (fam.name != which) continue;
        Values chosen;
        Sweep(fam, 0, chosen);
        return 0;
    }
    std::fprintf(stderr, "unknown class %s\n", which.c_str());
    return 2;
}
