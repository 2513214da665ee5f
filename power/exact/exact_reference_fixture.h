#pragma once

// Test support for the exact family: runs a calculation the way the main
// window does (the options first, as the options dialog leaves them, then
// the texts typed into the inputs of the analysis type, Calculate and the
// output list), names the rows by short keys, and checks the rows of a
// reference table to the digits each output shows, the lists of each
// analysis type and the inputs refused. Header only; for tests.

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "numerics/quorix_error.h"

namespace exact_test {

using calc_test::Texts;

// Labels by short key.
using Labels = std::map<std::string, std::string>;

// The rows of the exact tests that the other families do not have.
inline const Labels& FamilyLabels() {
    static const Labels labels = {
        {"or", "Odds ratio"},
        {"lower", "Lower critical N"},
        {"upper", "Upper critical N"},
        {"actualalpha", "Actual $\\alpha$"},
        {"actualratio", "Actual $\\beta$/$\\alpha$ ratio"},
    };
    return labels;
}

// The keys of one test: its own first, then those of the family, then the
// ones every family shares.
class Keys {
  public:
    explicit Keys(Labels own) : own_(std::move(own)) {}

    std::string LabelOf(const std::string& key) const {
        for (const Labels* labels : {&own_, &FamilyLabels(), &calc_test::KeyLabels()}) {
            const auto it = labels->find(key);
            if (it != labels->end()) return it->second;
        }
        ADD_FAILURE() << "no label for key " << key;
        return key;
    }

  private:
    Labels own_;
};

// What one calculation left: its status, message and both lists.
struct Run {
    explicit Run(const Keys& names) : keys(&names) {}

    CalculateStatus status = kCalculateDone;
    std::string message;
    PropertyList inputs;
    PropertyList outputs;
    const Keys* keys;

    double Value(const std::string& key) const {
        return calc_test::OutputValue(outputs, keys->LabelOf(key));
    }
    // The row of the input with this key, or -1.
    int Row(const std::string& key) const {
        int row = -1;
        inputs.FindWithIndex(keys->LabelOf(key), &row);
        return row;
    }
};

// The rows an analysis type lists, by key, in order.
struct ListKeys {
    AnalysisType type;
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
};

// Inputs that are refused: the key of the row at fault, and the message
// (nullptr: not compared).
struct Refusal {
    AnalysisType type;
    Texts texts;
    const char* row;
    const char* message;
};

// A key that sets an option of the test instead of naming an input: a
// switch ("1" turns it on), a whole or real number, or a setter of a code.
template <class Test>
struct Option {
    template <class Owner>
    Option(const char* name, bool Owner::*flag)
        : key(name), set([flag](Test& test, const std::string& text) {
              Of<Owner>(test).*flag = text == "1";
          }) {}
    template <class Owner>
    Option(const char* name, int Owner::*number)
        : key(name), set([number](Test& test, const std::string& text) {
              Of<Owner>(test).*number = std::stoi(text);
          }) {}
    template <class Owner>
    Option(const char* name, double Owner::*number)
        : key(name), set([number](Test& test, const std::string& text) {
              Of<Owner>(test).*number = std::stod(text);
          }) {}
    template <class Owner>
    Option(const char* name, void (Owner::*setter)(int))
        : key(name), set([setter](Test& test, const std::string& text) {
              (Of<Owner>(test).*setter)(std::stoi(text));
          }) {}

    // A form for a whole family of tests reaches the option of the one
    // that has it.
    template <class Owner>
    static Owner& Of(Test& test) {
        if constexpr (std::is_base_of_v<Owner, Test>) {
            return test;
        } else {
            return dynamic_cast<Owner&>(test);
        }
    }

    std::string key;
    std::function<void(Test&, const std::string&)> set;
};

// How the texts of a case reach one test: the labels of its keys, its
// options (set in the order listed, since one may reset another), and
// whether the output list is built before the calculation, where the test
// relabels the list the window already shows.
template <class Test>
class Form : public Keys {
  public:
    Form(Labels own, std::vector<Option<Test>> options, bool outputListFirst = false)
        : Keys(std::move(own)), options_(std::move(options)), outputListFirst_(outputListFirst) {}

    std::unique_ptr<Run> Calculate(Test& test, AnalysisType type, const Texts& texts) const {
        auto run = std::make_unique<Run>(*this);
        for (const Option<Test>& option : options_) {
            const auto it = texts.find(option.key);
            if (it != texts.end()) option.set(test, it->second);
        }
        test.BuildInputList(type, &run->inputs);
        for (const auto& [key, text] : texts) {
            if (!IsOption(key)) Type(run->inputs, type, key, text);
        }
        if (outputListFirst_) test.BuildOutputList(type, &run->outputs);
        run->status = CalculateWithInputErrors(&test, type, &run->inputs);
        run->message = test.GetMessage();
        if (!outputListFirst_) test.BuildOutputList(type, &run->outputs);
        if (run->status < 0) test.GetOutputs(type, &run->outputs);
        return run;
    }

    // Every row of `testId` in the table at `path`, each on a fresh test.
    template <class Concrete = Test>
    void ExpectReferenceTable(const std::string& path, int testId, size_t minimumRows) const {
        const size_t rows =
            ExpectReferenceRows(path, testId, [] { return std::make_unique<Concrete>(); });
        EXPECT_GE(rows, minimumRows) << path << " missing or short";
    }

    // The status of every row of `testId` in the table at `path`, on a
    // fresh test from `make`, and each output it lists to the digits the
    // output shows; a row of status "none" fails. Returns the number of
    // rows.
    template <class Make>
    size_t ExpectReferenceRows(const std::string& path, int testId, Make make) const {
        const std::vector<calc_test::ReferenceCase> cases =
            calc_test::ReadReferenceCases(path, testId);
        for (const calc_test::ReferenceCase& c : cases) {
            auto test = make();
            // A row with no solution: the search fails, as in the other
            // families' tables.
            if (c.noSolution) {
                EXPECT_THROW(Calculate(*test, c.type, c.inputs), QuorixError) << c.line;
                continue;
            }
            const auto run = Calculate(*test, c.type, c.inputs);
            EXPECT_EQ(run->status, c.status) << c.line << "\n" << run->message;
            // Another status leaves no outputs to compare.
            if (run->status != c.status) continue;
            // The ratio of a discrete test is flat across each step of its
            // power: a Compromise row whose counts or actual alpha pin the
            // step holds one alpha of it, and the answer may show another
            // of the same step (one a user can type back, which the test
            // of typed-back answers checks).
            bool stepPinned = false;
            for (const auto& [key, expected] : c.outputs) {
                stepPinned |= c.type == kCompromise && (key == "actualalpha" || key == "lower");
            }
            for (const auto& [key, expected] : c.outputs) {
                if (stepPinned && key == "alpha") continue;
                calc_test::ExpectOutput(run->outputs, LabelOf(key), expected, c.line);
            }
        }
        return cases.size();
    }

    // The input and output lists of each analysis type.
    template <class Concrete = Test, size_t N>
    void ExpectLists(const ListKeys (&cases)[N]) const {
        for (const ListKeys& c : cases) {
            Concrete test;
            calc_test::ExpectListLabels(test, c.type, LabelsOf(c.inputs), LabelsOf(c.outputs));
        }
    }

    // Each case on a fresh test: the status names the row at fault, and the
    // message says why.
    template <class Concrete = Test, size_t N>
    void ExpectRefusals(const Refusal (&cases)[N]) const {
        for (const Refusal& c : cases) {
            Concrete test;
            const auto run = Calculate(test, c.type, c.texts);
            const std::string context = calc_test::Describe(c.type, c.texts);
            EXPECT_EQ(run->status, run->Row(c.row)) << context;
            if (c.message != nullptr) {
                EXPECT_EQ(run->message, c.message) << context;
            }
        }
    }

  private:
    std::vector<std::string> LabelsOf(const std::vector<std::string>& keys) const {
        std::vector<std::string> labels;
        for (const std::string& key : keys) labels.push_back(LabelOf(key));
        return labels;
    }

    bool IsOption(const std::string& key) const {
        for (const Option<Test>& option : options_) {
            if (key == option.key) return true;
        }
        return false;
    }

    void Type(PropertyList& inputs, AnalysisType type, const std::string& key,
              const std::string& text) const {
        Property* input = inputs.Find(LabelOf(key));
        if (input == nullptr) {
            ADD_FAILURE() << "type " << type << " has no input " << key;
            return;
        }
        // A table may name an effect direction by its index.
        auto* selection = dynamic_cast<PropertySelection*>(input);
        if (key == "dir" && selection != nullptr && text.size() == 1 &&
            std::isdigit(static_cast<unsigned char>(text[0]))) {
            input->SetText(selection->options[text[0] - '0']);
            return;
        }
        input->SetText(text);
    }

    std::vector<Option<Test>> options_;
    bool outputListFirst_;
};

}  // namespace exact_test
