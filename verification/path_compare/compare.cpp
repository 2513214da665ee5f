// Runs every test of the catalogue, in every analysis type it offers and
// under each of its options set in turn, through Calculate, the output list
// and the outputs, the way the main window does, and prints one line per
// calculation: the test, the type, the options, the inputs typed, the
// status, the message and every output text. Built in two trees, before and
// after a change, the two outputs are compared line by line.
//
// The input sets: the standard inputs; each input in turn given each of a
// list of bad and edge texts (each selection with no option, past the last
// and each of its options); and random sets that move every number input by
// a factor in [0.8, 1.25] (seeded). The calculations of one test and option
// setting run on one object, types and inputs in turn, so that what a test
// keeps from one calculation to the next is exercised. The options are
// changed on the object that calculated before; after every other option
// setting the object is replaced by a clone of itself, the original kept
// alive (so that a clone that still refers to it shows other results).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/catalogue.h"
#include "analysis/option_declarations.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "power/chi/register_chi_tests.h"
#include "power/exact/register_exact_tests.h"
#include "power/f/register_f_tests.h"
#include "power/t/register_t_tests.h"
#include "power/z/register_z_tests.h"

namespace {

std::mt19937_64 rng;

double U(double a, double b) {
    return std::uniform_real_distribution<double>(a, b)(rng);
}

std::string F(double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", x);
    return buf;
}

const std::vector<std::string> kTexts = {"nan",        "inf",
                                         "-inf",       "1e308",
                                         "-1",         "0",
                                         "1",          "1e30",
                                         "2147483648", "abc",
                                         "",           "0,05",
                                         "=1/0",       "=ln(-1)",
                                         "1e-300",     "-0.5",
                                         "0.999999",   "0.5",
                                         "2",          "3",
                                         "10",         "0.01",
                                         "0.2",        "-0.3",
                                         "100000",     "0.9999999999999999"};

class Screen : public OptionScreen {
  public:
    explicit Screen(PropertyList& inputs) : inputs_(inputs) {}
    PropertyList& Inputs() override { return inputs_; }
    void SetEffectSize(double) override {}
    Property* FindParameter(std::string name) override { return inputs_.Find(name); }

  private:
    PropertyList& inputs_;
};

bool IsSelection(const Property& p) {
    return p.GetType() == Property::kSelection;
}

std::string Line(PowerAnalysis& test, AnalysisType type, PropertyList& inputs) {
    std::string line;
    for (const Property* p : inputs) line += " " + p->name + "=" + p->text;
    try {
        const CalculateStatus status = CalculateWithInputErrors(&test, type, &inputs);
        line += " | status " + std::to_string(status) + " msg{" + test.GetMessage() + "}";
        PropertyList outputs;
        test.BuildOutputList(type, &outputs);
        if (status < 0) test.GetOutputs(type, &outputs);
        // A count shows as a whole number: "#" marks it.
        for (const Property* p : outputs) {
            const auto* d = dynamic_cast<const PropertyDouble*>(p);
            line += " " + p->name + (d && d->integral ? "#=" : "=") + p->text;
        }
    } catch (const std::exception& e) {
        line += std::string(" | throw{") + e.what() + "}";
    }
    for (char& c : line)
        if (c == '\n') c = '~';
    return line;
}

// Sets option `index` of the test's declaration to `value` (the others stay).
void WriteOption(PowerAnalysis& test, std::size_t index, double value, PropertyList& shown) {
    TestOptions options = test.Options();
    if (index >= options.options.size()) return;
    TestOption& option = options.options[index];
    if (!option.write) return;
    Screen screen(shown);
    OptionValues chosen;
    for (const TestOption& o : options.options)
        if (o.read) chosen[o.id] = o.read();
    chosen[option.id] = value;
    option.write(value, chosen, screen);
}

// Types the texts of `standard` into `inputs`, by label: the working object's
// own list holds what its last calculation left.
void TypeStandard(const PropertyList& standard, PropertyList& inputs) {
    for (Property* p : inputs) {
        const Property* s = standard.Find(p->name);
        if (s == nullptr) continue;
        if (IsSelection(*p) && IsSelection(*s)) {
            static_cast<PropertySelection*>(p)->index =
                static_cast<const PropertySelection*>(s)->index;
        } else if (!IsSelection(*p)) {
            p->SetText(s->text);
        }
    }
}

void RunOnObject(std::unique_ptr<PowerAnalysis>& test, PowerAnalysis& fresh,
                 const std::string& head, int randomSets, long& count) {
    PropertyList types;
    test->GetAnalysisTypes(&types);
    for (const Property* t : types) {
        const auto type =
            static_cast<AnalysisType>(static_cast<const PropertyLong*>(t)->GetValue());
        const std::string at = head + " t" + std::to_string(type);
        PropertyList standard;
        fresh.BuildInputList(type, &standard);
        {
            PropertyList inputs;
            test->BuildInputList(type, &inputs);
            TypeStandard(standard, inputs);
            std::printf("%s std%s\n", at.c_str(), Line(*test, type, inputs).c_str());
        }
        ++count;
        for (std::size_t i = 0; i < standard.size(); ++i) {
            std::vector<std::string> texts;
            if (IsSelection(*standard[i])) {
                const int options = static_cast<PropertySelection*>(standard[i])->GetOptionCount();
                for (int k = -1; k <= options; ++k) texts.push_back(std::to_string(k));
            } else {
                texts = kTexts;
            }
            for (const std::string& text : texts) {
                PropertyList inputs;
                test->BuildInputList(type, &inputs);
                TypeStandard(standard, inputs);
                if (i >= inputs.size()) break;
                if (IsSelection(*inputs[i])) {
                    static_cast<PropertySelection*>(inputs[i])->index = std::stoi(text);
                } else {
                    inputs[i]->SetText(text);
                }
                // A new layout (a selection that changes the inputs) is
                // calculated as the window shows it: the list built again.
                if (test->InputsChangeLayout(type, &inputs)) {
                    PropertyList relaid;
                    test->BuildInputList(type, &relaid);
                    std::printf("%s in%zu=%s relaid%s\n", at.c_str(), i, text.c_str(),
                                Line(*test, type, relaid).c_str());
                } else {
                    std::printf("%s in%zu=%s%s\n", at.c_str(), i, text.c_str(),
                                Line(*test, type, inputs).c_str());
                }
                ++count;
            }
        }
        for (int r = 0; r < randomSets; ++r) {
            PropertyList inputs;
            test->BuildInputList(type, &inputs);
            TypeStandard(standard, inputs);
            for (Property* p : inputs) {
                if (IsSelection(*p)) continue;
                const double v = std::atof(p->text.c_str());
                if (v == 0.0 || p->text.empty()) continue;
                const bool whole = v == std::floor(v) && std::fabs(v) >= 2;
                const double moved = v * U(0.8, 1.25);
                p->SetText(whole ? std::to_string(static_cast<long>(std::lround(moved)))
                                 : F(moved));
            }
            std::printf("%s rnd%d%s\n", at.c_str(), r, Line(*test, type, inputs).c_str());
            ++count;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int randomSets = argc > 1 ? std::atoi(argv[1]) : 20;
    rng.seed(argc > 2 ? std::atol(argv[2]) : 4321);
    const int only = argc > 3 ? std::atoi(argv[3]) : -1;
    SetRegisterHook(TestFamily::kExact, RegisterExactTests);
    SetRegisterHook(TestFamily::kF, RegisterFTests);
    SetRegisterHook(TestFamily::kT, RegisterTTests);
    SetRegisterHook(TestFamily::kChi, RegisterChiTests);
    SetRegisterHook(TestFamily::kZ, RegisterZTests);
    BuildTestCatalogue();
    long count = 0;
    for (const TestList& family : TestCatalogue) {
        for (PowerAnalysis* prototype : family) {
            const int id = prototype->GetTestId();
            if (only >= 0 && id != only) continue;
            std::unique_ptr<PowerAnalysis> test(prototype->Clone());
            const std::string head = "test" + std::to_string(id);
            RunOnObject(test, *prototype, head + " opt-", randomSets, count);
            // Each flag or choice option set to 0 and 1 in turn, on the object
            // that calculated before; then back to the standard ones.
            std::vector<std::unique_ptr<PowerAnalysis>> originals;
            int setting = 0;
            const std::size_t optionCount = test->Options().options.size();
            for (std::size_t k = 0; k < optionCount; ++k) {
                // The declaration refers to the object that made it: taken
                // again from the working object, which a clone may replace.
                double before = 0.0;
                {
                    const TestOptions options = test->Options();
                    const TestOption& option = options.options[k];
                    if (!option.write || !option.enabled) continue;
                    if (option.kind != OptionKind::kFlag && option.kind != OptionKind::kChoice &&
                        option.kind != OptionKind::kPage)
                        continue;
                    before = option.read ? option.read() : 0.0;
                }
                const int optionId = test->Options().options[k].id;
                for (const double value : {1.0 - (before != 0.0 ? 1.0 : 0.0), before}) {
                    PropertyList shown;
                    test->BuildInputList(kPostHoc, &shown);
                    WriteOption(*test, k, value, shown);
                    std::unique_ptr<PowerAnalysis> fresh(prototype->Clone());
                    PropertyList freshShown;
                    fresh->BuildInputList(kPostHoc, &freshShown);
                    WriteOption(*fresh, k, value, freshShown);
                    RunOnObject(test, *fresh,
                                head + " opt" + std::to_string(optionId) + "=" + F(value),
                                randomSets / 4, count);
                    if (++setting % 2 == 1) {
                        originals.push_back(std::move(test));
                        test.reset(originals.back()->Clone());
                    }
                }
            }
        }
    }
    std::fprintf(stderr, "%ld calculations\n", count);
    ClearTestCatalogue();
    return 0;
}
