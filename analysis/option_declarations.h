#pragma once

// The options of a test as the test declares them, beside its inputs: the
// dialog that shows them and one entry per control of it, each with how the
// test's value is read and written and what a new value does to an open
// effect-size panel. The Options command and the panels know a test's
// options only through this declaration, so a test with an option is a
// change in the test's own folder.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/parameter_names.h"

class PowerAnalysis;
class Property;
class PropertyList;

// How a dialog shows an option, and so what its value means.
enum class OptionKind {
    kChoice,  // a group of radio buttons: the 0-based index of the chosen one
    kFlag,    // a check box: 0 or 1
    kNumber,  // an edit holding a number
    kList,    // a drop-down list: the code of the chosen entry
    kPage,    // which page of a dialog with two pages is in force: 0 or 1
};

// What a new value does to the effect-size panel open beside the inputs.
enum class PanelRebuild {
    kNever,
    kOnChange,  // rebuilt when the value read after OK differs from the shown one
    kAlways,    // rebuilt whenever the dialog closes with OK
};

// The values the user chose, by option id; an option the dialog did not
// return is missing.
using OptionValues = std::map<int, double>;

// The main window as an option's write sees it: its shown inputs by label
// (after it re-read its form), the input list as last read, and the shown
// effect size. A write converts the effect from what the screen shows, not
// from what the last calculation left.
class OptionScreen : public ParameterSource {
  public:
    virtual PropertyList& Inputs() = 0;
    virtual void SetEffectSize(double value) = 0;
};

struct TestOption {
    // The control that shows it: a radio group by its first button, a check
    // box, an edit or a list.
    int id = 0;
    OptionKind kind = OptionKind::kFlag;
    std::function<double()> read;
    // Takes `value`; `chosen` holds every option the dialog returned, for an
    // option whose meaning depends on another. Writes run in declaration
    // order. Null for an option another option's write takes.
    std::function<void(double value, const OptionValues& chosen, OptionScreen& screen)> write;
    PanelRebuild panel = PanelRebuild::kNever;
    // False where the test cannot use the option: the dialog shows it
    // disabled.
    bool enabled = true;
};

struct TestOptions {
    // The name of the options dialog; empty for a test without one.
    std::string dialog;
    std::vector<TestOption> options;

    const TestOption* Find(int id) const;
    // The value of option `id`, or nothing when the test declares none.
    std::optional<double> Value(int id) const;
};

// The value of `test`'s option `id`; nothing for a test without it.
std::optional<double> TestOptionValue(PowerAnalysis* test, int id);

// Declarations of the common options: a check box for a flag; a radio
// group for an index; two radio buttons for a flag, the first standing for
// `firstMeans`; an edit for a number.
// An option the dialog shows whose chosen value another option's write
// takes.
TestOption ShownOption(int id, OptionKind kind, std::function<double()> read);
TestOption FlagOption(int id, bool& flag, PanelRebuild panel = PanelRebuild::kNever);
TestOption EitherOption(int id, bool& flag, bool firstMeans,
                        PanelRebuild panel = PanelRebuild::kNever);
template <class Index>
TestOption ChoiceOption(int id, Index& index, OptionKind kind = OptionKind::kChoice) {
    return {id, kind, [&index] { return static_cast<double>(index); },
            [&index](double value, const OptionValues&, OptionScreen&) {
                index = static_cast<Index>(value);
            }};
}
template <class Number>
TestOption NumberOption(int id, Number& number) {
    return ChoiceOption(id, number, OptionKind::kNumber);
}

// The number an input shows: its value for a number, else 0.
double ShownValue(const Property* input);
// Remembers the text of a converted effect under the label of the input that
// takes it from now on, formatted as the input lists show it; a text typed
// there earlier stood for another effect.
void RememberEffectText(PropertyList* inputTexts, const std::string& label, double value);
