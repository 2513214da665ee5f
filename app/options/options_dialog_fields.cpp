#include "app/options/options_dialog_fields.h"

#include <optional>

#include "power/multivariate/power_mult_criterion.h"

int OptionsDialogFields::Radio(int id) const {
    const auto it = radios.find(id);
    return it == radios.end() ? 0 : it->second;
}

int OptionsDialogFields::Check(int id) const {
    const auto it = checks.find(id);
    return it == checks.end() ? 0 : it->second;
}

double OptionsDialogFields::Edit(int id) const {
    const auto it = edits.find(id);
    return it == edits.end() ? 0.0 : it->second;
}

bool CriterionToRadios(int criterionId, OptionsDialogFields* fields) {
    const std::optional<CriterionChoice> choice = ChoiceOfCriterion(criterionId);
    if (!choice) return false;
    fields->radios[kStatisticGroup] = choice->statistic;
    fields->radios[kAlgorithmGroup] = choice->algorithm;
    return true;
}

int CriterionFromRadios(const OptionsDialogFields& fields) {
    const auto statistic = fields.radios.find(kStatisticGroup);
    const auto algorithm = fields.radios.find(kAlgorithmGroup);
    if (statistic == fields.radios.end() || algorithm == fields.radios.end()) return -1;
    return CriterionOfChoice(statistic->second, algorithm->second);
}
