#pragma once

#include <exception>
#include <string>

#include "analysis/power_analysis.h"
#include "analysis/property.h"

// The labels of every input and output parameter, indexed by ParameterId.
// A label is also the key by which a parameter is found again, so labels are
// compared byte for byte, math-text markup included. Three ids share their
// label with another: 13 with 11, 14 with 10 and 93 with 49.
constexpr int kParameterNameCount = 166;
extern const char* const ParameterNames[kParameterNameCount];

// Thrown by the input readers when an input's text cannot be read: a formula
// that does not parse or evaluate, a plain text that is not a number, a
// whole number outside the 32-bit range or a selection without a selected
// option. The calculation reports it as an input error on the input's row
// (CalculateWithInputErrors) instead of going on with a made-up value.
class InputFormulaError : public std::exception {
  public:
    InputFormulaError(std::string inputName, std::string message)
        : name(std::move(inputName)), text(std::move(message)) {}
    const char* what() const noexcept override { return text.c_str(); }

    std::string name;  // the input's label
    std::string text;  // what the user is shown
    int row = -1;      // the input's row, when the reader knows it
};

// Runs analysis->Calculate. An input that could not be read ends the
// calculation as an invalid input: its message replaces the message text and
// its row is returned. Every other exception passes through.
CalculateStatus CalculateWithInputErrors(PowerAnalysis* analysis, AnalysisType type,
                                         PropertyList* inputs);

// What an input error says to the user on the row labelled `rowLabel`: the
// message itself when it begins with the label, else the label, a colon and
// the message. The readers' messages ("Input error (illegal character?)")
// and many checks name no field; the user must not have to guess which of
// the marked row's neighbours is meant.
std::string InputErrorText(const std::string& message, const std::string& rowLabel);

// Degrees of freedom of an input flagged integral are whole numbers: a value
// with a fractional part beyond 2.220446049250313e-16 is rounded (halves
// upward); anything else is returned unchanged.
double SnapToInteger(double x, int digits, bool integral);
double RoundForDisplay(double x, int digits, bool integral);

// The main frame's lookup of a parameter among the inputs it shows; the
// application supplies it.
class ParameterSource {
  public:
    virtual ~ParameterSource() = default;
    // The first shown input whose name equals `name`, after the frame has
    // re-read its form; null when none does. The frame keeps ownership.
    virtual Property* FindParameter(std::string name) = 0;
};

// A test input for the options dialogs: the frame's shown input of the
// parameter's label, else the text remembered for it, evaluated as a formula
// after its "=". A missing or unreadable input gives the fallback. With an
// alias id of 0 or more the text used is remembered under the alias label;
// -10 stands for the parameter id itself. The long variant truncates toward
// zero and gives the fallback for a value outside the 32-bit range.
long GetAnalysisInputLong(long fallback, ParameterSource* frame, PowerAnalysis* analysis,
                          int parameterId, int aliasId);
double GetAnalysisInputDouble(double fallback, ParameterSource* frame, PowerAnalysis* analysis,
                              int parameterId, int aliasId);
