#pragma once

// Test support for the F and chi-square families: runs a calculation the way
// the main window does (input list of the analysis type, texts typed into
// the inputs, Calculate, output list, GetOutputs) and reads the rows of the
// reference table that R wrote (verification/f_chi_tests).

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"

namespace calc_case {

// Short names of the table for the parameter labels; "crit" is the
// critical value of the test's own statistic.
inline std::string Label(PowerAnalysis& test, const std::string& key) {
    static const std::map<std::string, ParameterId> ids = {
        {"alpha", 0}, {"power", 1}, {"N", 2},      {"q", 6},        {"df", 9},    {"df1", 10},
        {"df2", 11},  {"k", 12},    {"w", 16},     {"f", 19},       {"lambda", 21}, {"actual", 26},
        {"beta", 27},
    };
    if (key == "crit") return ParameterNames[test.GetCriticalValueId()];
    const auto it = ids.find(key);
    if (it == ids.end()) throw std::invalid_argument("unknown key " + key);
    return ParameterNames[it->second];
}

using Values = std::vector<std::pair<std::string, std::string>>;

inline AnalysisType TypeNamed(const std::string& name) {
    static const std::map<std::string, AnalysisType> types = {{"apriori", kAPriori},
                                                              {"sensitivity", kSensitivity},
                                                              {"posthoc", kPostHoc},
                                                              {"criterion", kCriterion},
                                                              {"compromise", kCompromise}};
    return types.at(name);
}

// What one calculation left: its status, message and output list.
struct Result {
    CalculateStatus status = kCalculateDone;
    std::string message;
    PropertyList outputs;
};

// Builds the input list of `type`, types each value's text into the input
// of its label (an input not named keeps what the test shows) and runs the
// calculation; the outputs are filled only when it succeeded.
inline void RunCalculation(PowerAnalysis& test, AnalysisType type, const Values& values, Result* result,
                PropertyList* inputs = nullptr) {
    PropertyList own;
    PropertyList* list = inputs != nullptr ? inputs : &own;
    test.BuildInputList(type, list);
    for (const auto& [key, text] : values) {
        Property* input = list->Find(Label(test, key));
        if (input == nullptr) throw std::invalid_argument("no input " + key);
        input->SetText(text);
    }
    result->status = CalculateWithInputErrors(&test, type, list);
    result->message = test.GetMessage();
    test.BuildOutputList(type, &result->outputs);
    if (result->status < 0) test.GetOutputs(type, &result->outputs);
}

// The largest difference from the reference that a seven-digit output may
// show: one unit in its last digit (fixed decimals between 0.01 and 100,
// significant digits elsewhere), nothing for a whole-number output.
inline double OutputTolerance(double expected, bool integral) {
    if (integral) return 0.0;
    const double a = std::fabs(expected);
    if (a == 0.0) return 1e-7;
    if (0.01 < a && a < 100.0) return 1e-7;
    return std::pow(10.0, std::floor(std::log10(a)) - 6.0);
}

inline void ExpectOutput(const PropertyList& outputs, const std::string& label, double expected,
                         const std::string& context) {
    Property* output = outputs.Find(label);
    ASSERT_NE(output, nullptr) << context << ": no output " << label;
    auto* value = dynamic_cast<PropertyDouble*>(output);
    ASSERT_NE(value, nullptr) << context << ": " << label;
    EXPECT_NE(value->text, "?") << context << ": " << label << " not written";
    EXPECT_NEAR(value->GetValue(), expected, OutputTolerance(expected, value->integral))
        << context << ": " << label << " shows \"" << value->text << "\"";
}

inline double OutputValue(const PropertyList& outputs, const std::string& label) {
    auto* value = dynamic_cast<PropertyDouble*>(outputs.Find(label));
    return value != nullptr ? value->GetValue() : NAN;
}

// One row of the reference table.
struct ReferenceCase {
    int testId = 0;
    std::string type;
    int status = 0;
    Values inputs;
    std::vector<std::pair<std::string, double>> outputs;
    std::string line;
};

inline Values SplitPairs(const std::string& field) {
    Values pairs;
    std::istringstream in(field);
    std::string item;
    while (in >> item) {
        const size_t eq = item.find('=');
        pairs.emplace_back(item.substr(0, eq), item.substr(eq + 1));
    }
    return pairs;
}

// The rows of the table for one test id.
inline std::vector<ReferenceCase> ReadReferenceCases(int testId) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/verification/f_chi_tests/cases.tsv");
    std::vector<ReferenceCase> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream row(line);
        std::string id, type, status, inputs, outputs;
        std::getline(row, id, '\t');
        std::getline(row, type, '\t');
        std::getline(row, status, '\t');
        std::getline(row, inputs, '\t');
        std::getline(row, outputs, '\t');
        if (std::stoi(id) != testId) continue;
        ReferenceCase c;
        c.testId = testId;
        c.type = type;
        c.status = std::stoi(status);
        c.inputs = SplitPairs(inputs);
        for (const auto& [key, text] : SplitPairs(outputs)) c.outputs.emplace_back(key, std::stod(text));
        c.line = line;
        cases.push_back(std::move(c));
    }
    return cases;
}

// Runs every reference row of the test's id on a fresh object from `make`.
template <class Make>
void ExpectReferenceCases(int testId, Make make, size_t minimumRows) {
    const std::vector<ReferenceCase> cases = ReadReferenceCases(testId);
    ASSERT_GE(cases.size(), minimumRows) << "reference table missing or short";
    for (const ReferenceCase& c : cases) {
        auto test = make();
        Result result;
        RunCalculation(*test, TypeNamed(c.type), c.inputs, &result);
        EXPECT_EQ(result.status, c.status) << c.line << "\n" << result.message;
        for (const auto& [key, expected] : c.outputs) {
            ExpectOutput(result.outputs, Label(*test, key), expected, c.line);
        }
    }
}

// The labels of a list, in order.
inline std::vector<std::string> Labels(const PropertyList& list) {
    std::vector<std::string> labels;
    for (const Property* p : list) labels.push_back(p->name);
    return labels;
}

}  // namespace calc_case
