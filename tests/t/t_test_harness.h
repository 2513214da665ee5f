#pragma once

// Drives a t test the way the main window does: build the input list of an
// analysis type, type texts into it, calculate, then build and fill the
// output list. Inputs and outputs are named by short keys.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"

namespace ttest {

// Short keys of the labels the t tests use.
inline const std::map<std::string, std::string>& Labels() {
    static const std::map<std::string, std::string> labels = {
        {"tails", "Tail(s)"},
        {"alpha", "$\\alpha$ err prob"},
        {"power", "Power (1-$\\beta$ err prob)"},
        {"q", "$\\beta$/$\\alpha$ ratio"},
        {"df", "Df"},
        {"delta", "Noncentrality parameter $\\delta$"},
        {"ncp", "Noncentrality parameter $\\delta$"},
        {"d", "Effect size d"},
        {"dz", "Effect size dz"},
        {"n", "Total sample size"},
        {"n1", "Sample size group 1"},
        {"n2", "Sample size group 2"},
        {"r", "Allocation ratio N2/N1"},
        {"crit", "Critical t"},
        {"actual", "Actual power"},
        {"beta", "$\\beta$ err prob"},
    };
    return labels;
}

inline std::string Label(const std::string& key) {
    const auto it = Labels().find(key);
    if (it == Labels().end()) {
        ADD_FAILURE() << "no label for key " << key;
        return key;
    }
    return it->second;
}

using Texts = std::map<std::string, std::string>;

struct Calculation {
    CalculateStatus status = kCalculateDone;
    std::string message;
    PropertyList inputs;
    PropertyList outputs;

    // The row of the input with this key, or -1.
    int Row(const std::string& key) const {
        int row = -1;
        inputs.FindWithIndex(Label(key), &row);
        return row;
    }
    const Property* Output(const std::string& key) const { return outputs.Find(Label(key)); }
    std::string Text(const std::string& key) const {
        const Property* p = Output(key);
        return p ? p->text : "<no output " + key + ">";
    }
    double Value(const std::string& key) const {
        const auto* p = dynamic_cast<const PropertyDouble*>(Output(key));
        return p ? p->GetValue() : NAN;
    }
};

// Builds the inputs of `type`, types `texts` into them (every key must name
// an input of the list) and calculates. The outputs are built and filled
// only when the calculation succeeded.
inline std::unique_ptr<Calculation> Calculate(PowerAnalysis& test, AnalysisType type,
                                              const Texts& texts) {
    auto run = std::make_unique<Calculation>();
    test.BuildInputList(type, &run->inputs);
    for (const auto& [key, text] : texts) {
        Property* input = run->inputs.Find(Label(key));
        if (input == nullptr) {
            ADD_FAILURE() << "type " << type << " has no input " << key;
            continue;
        }
        input->SetText(text);
    }
    run->status = CalculateWithInputErrors(&test, type, &run->inputs);
    run->message = test.GetMessage();
    test.BuildOutputList(type, &run->outputs);
    if (run->status < 0) test.GetOutputs(type, &run->outputs);
    return run;
}

inline std::vector<std::string> Names(const PropertyList& list) {
    std::vector<std::string> names;
    for (const Property* p : list) names.push_back(p->name);
    return names;
}

inline std::vector<std::string> LabelsOf(const std::vector<std::string>& keys) {
    std::vector<std::string> labels;
    for (const std::string& key : keys) labels.push_back(Label(key));
    return labels;
}

// Half a unit in the last of the seven digits an output shows (seven
// decimals between 0.01 and 100, else seven significant digits), and a
// little for the error of the computation itself.
inline double DisplayTolerance(double expected) {
    const double a = std::fabs(expected);
    double half;
    if (0.01 < a && a < 100.0) {
        half = 0.5e-7;
    } else if (a == 0.0) {
        half = 1e-12;
    } else {
        half = 0.5 * std::pow(10.0, std::floor(std::log10(a)) - 6.0);
    }
    return half + 1e-9 * std::fmax(a, 1e-3);
}

}  // namespace ttest
