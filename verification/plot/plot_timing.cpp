// Times the distribution plot of one test at the given post hoc inputs, as
// the plot worker makes it (within its time budget), and prints what came of
// it: the seconds, "ok" or the failure, the x range and the critical value.
// Usage: plot_timing TESTID ["Input label=text" ...]
// e.g. plot_timing 100 "Noncentrality parameter $\lambda$=1e10"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/catalogue.h"
#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "analysis/power_analysis.h"
#include "app/frame/installed_families.h"
int main(int argc, char** argv) {
    InstallTestFamilies();
    BuildTestCatalogue();
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s testId [\"label=text\" ...]\n", argv[0]);
        return 2;
    }
    PowerAnalysis* t = FindTest(std::atoi(argv[1]));
    if (!t) {
        std::fprintf(stderr, "no test %s\n", argv[1]);
        return 1;
    }
    PropertyList in;
    t->BuildInputList(kPostHoc, &in);
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        size_t e = a.find('=');
        Property* p = in.Find(a.substr(0, e));
        if (!p) {
            std::printf("no %s\n", argv[i]);
            return 1;
        }
        p->SetText(a.substr(e + 1));
    }
    int status = 0;
    try {
        status = CalculateWithInputErrors(t, kPostHoc, &in);
    } catch (std::exception& ex) {
        std::printf("calc threw %s\n", ex.what());
        return 0;
    }
    if (status >= 0) {
        std::printf("refused %d: %s\n", status, t->GetMessage().c_str());
        return 0;
    }
    PlotData d;
    auto t0 = std::chrono::steady_clock::now();
    std::string how = "ok";
    try {
        MakeBoundedDistributionPlot(t, &d);
    } catch (std::exception& ex) {
        how = ex.what();
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    double xmin = d.centralCurve.empty() ? NAN : d.centralCurve.front().x,
           xmax = d.centralCurve.empty() ? NAN : d.centralCurve.back().x;
    int bad = 0;
    for (auto& p : d.centralCurve)
        if (!std::isfinite(p.y)) ++bad;
    for (auto& p : d.noncentralCurve)
        if (!std::isfinite(p.y)) ++bad;
    std::printf("%.3f s  %s  x [%.17g, %.17g] crit %g  nonfinite %d  ylimit %g\n", s, how.c_str(),
                xmin, xmax, d.criticalValue, bad, d.yLimit);
}
