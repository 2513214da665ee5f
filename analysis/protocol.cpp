#include "analysis/protocol.h"

#include "analysis/power_analysis.h"

namespace {

std::string Line(const Property& property, const std::string& value) {
    return property.name + "\t=\t" + value;
}

// A selection shows the text of its selected option; every other input its
// own text (a formula is listed as typed, not as its value).
std::string InputText(const Property& input) {
    if (input.GetType() == Property::kSelection) {
        const auto& selection = static_cast<const PropertySelection&>(input);
        if (0 <= selection.index && selection.index < selection.GetOptionCount()) {
            return selection.options[selection.index];
        }
    }
    return input.text;
}

}  // namespace

void PowerAnalysis::MakeProtocolRecord(ProtocolRecord* record, PropertyList* inputs,
                                       PropertyList* outputs, PropertyList* analysisTypes,
                                       int chosenIndex) {
    record->inputLines.clear();
    record->outputLines.clear();
    for (const Property* input : *inputs)
        record->inputLines.push_back(Line(*input, InputText(*input)));
    for (const Property* output : *outputs)
        record->outputLines.push_back(Line(*output, output->text));
    record->methodText = GetMethodText();
    record->analysisText.clear();
    if (0 <= chosenIndex && chosenIndex < static_cast<int>(analysisTypes->size())) {
        const std::string& label = (*analysisTypes)[chosenIndex]->name;
        record->analysisText = label.substr(0, label.find('-'));
    }
    record->familyName = GetFamilyName();
    record->testName = GetTestName();
}
