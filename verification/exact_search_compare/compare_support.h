// What the programs that compare two builds case by case share: inputs drawn
// from one seeded generator, and one printed line per case. A program
// includes this file by its place beside the program, so that the same
// program builds in either tree of a comparison.
#pragma once

#include <cmath>
#include <cstdio>
#include <exception>
#include <random>
#include <string>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"

namespace compare_support {

// Seeded by the program's main; every draw below comes from it, in order.
inline std::mt19937_64 rng;

inline double U(double a, double b) {
    return std::uniform_real_distribution<double>(a, b)(rng);
}
inline double LogU(double a, double b) {
    return std::exp(U(std::log(a), std::log(b)));
}
inline int I(int a, int b) {
    return std::uniform_int_distribution<int>(a, b)(rng);
}
inline std::string F(double x, int digits = 4) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, x);
    return buf;
}

// The calculation of `type` from `inputs` as the main window runs it:
// " | status S msg{M}" and every output's "NAME=TEXT", or " | throw{W}".
inline std::string Outcome(PowerAnalysis& test, AnalysisType type, PropertyList* inputs) {
    PropertyList outputs;
    std::string result;
    try {
        const CalculateStatus status = CalculateWithInputErrors(&test, type, inputs);
        result = " | status " + std::to_string(status) + " msg{" + test.GetMessage() + "}";
        test.BuildOutputList(type, &outputs);
        if (status < 0) test.GetOutputs(type, &outputs);
        for (Property* p : outputs) result += " " + p->name + "=" + p->text;
    } catch (const std::exception& e) {
        result = std::string(" | throw{") + e.what() + "}";
    }
    return result;
}

// Prints a case as one line: a line break within a message becomes "~".
inline void PrintLine(std::string line) {
    for (char& c : line)
        if (c == '\n') c = '~';
    std::printf("%s\n", line.c_str());
}

}  // namespace compare_support
