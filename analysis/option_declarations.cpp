#include "analysis/option_declarations.h"

#include <utility>

#include "analysis/power_analysis.h"
#include "analysis/property.h"

TestOptions PowerAnalysis::Options() {
    return {};
}

const TestOption* TestOptions::Find(int id) const {
    for (const TestOption& option : options) {
        if (option.id == id) return &option;
    }
    return nullptr;
}

std::optional<double> TestOptions::Value(int id) const {
    const TestOption* option = Find(id);
    if (!option || !option->read) return std::nullopt;
    return option->read();
}

std::optional<double> TestOptionValue(PowerAnalysis* test, int id) {
    if (!test) return std::nullopt;
    return test->Options().Value(id);
}

TestOption ShownOption(int id, OptionKind kind, std::function<double()> read) {
    TestOption option;
    option.id = id;
    option.kind = kind;
    option.read = std::move(read);
    return option;
}

TestOption FlagOption(int id, bool& flag, PanelRebuild panel) {
    return {id, OptionKind::kFlag, [&flag] { return flag ? 1.0 : 0.0; },
            [&flag](double value, const OptionValues&, OptionScreen&) { flag = value != 0; },
            panel};
}

TestOption EitherOption(int id, bool& flag, bool firstMeans, PanelRebuild panel) {
    return {id, OptionKind::kChoice, [&flag, firstMeans] { return flag == firstMeans ? 0.0 : 1.0; },
            [&flag, firstMeans](double value, const OptionValues&, OptionScreen&) {
                flag = (value == 0) == firstMeans;
            },
            panel};
}

double ShownValue(const Property* input) {
    switch (input->GetType()) {
        case Property::kLong:
            return static_cast<double>(static_cast<const PropertyLong*>(input)->GetValue());
        case Property::kDouble:
        case Property::kExDouble:
            return static_cast<const PropertyDouble*>(input)->GetValue();
        default:
            return 0.0;
    }
}

void RememberEffectText(PropertyList* inputTexts, const std::string& label, double value) {
    PropertyDouble formatted(label, 0.0, false);
    formatted.SetValueWithDigits(value, 7);
    SetNamedString(inputTexts, label.c_str(), formatted.text);
}
