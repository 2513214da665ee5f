// The Options command: the options dialog of the current test, filled from
// the options the test declares and, on OK, written back through the same
// declaration.

#include "app/options/options_command.h"

#include <optional>
#include <vector>

#include "analysis/option_declarations.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/options/options_dialogs.h"

namespace {

using Kind = OptionsDialogKind;

const std::vector<OptionsDialogInfo>& DialogTable() {
    static const std::vector<OptionsDialogInfo> dialogs = {
        {Kind::kRepm, "COpt_Repm", 248},
        {Kind::kRepMMulti, "COpt_RepMMulti", 191},
        {Kind::kFManova, "COpt_F_Manova", 205},
        {Kind::kTWilcoxon, "COpt_T_Wilcoxon", 227},
        {Kind::kZTwoProp, "COpt_Z_TwoProp", 165},
        {Kind::kZLogRegress, "COpt_Z_LogRegress", 226},
        {Kind::kZPoisson, "COpt_Z_Poisson", 242},
        {Kind::kZTetraCorr, "COpt_Z_TetraCorr", 232},
        {Kind::kZLogistic, "COpt_Z_Logistic", 243},
        {Kind::kExactBinomial, "COpt_Exact_Binomial", 166},
        {Kind::kExactMcNemar, "COpt_Exact_McNemar", 167},
        {Kind::kExactOneCorr, "COpt_Exact_OneCorr", 198},
        {Kind::kExactFisherExact, "COpt_Exact_FisherExact", 199},
        {Kind::kExactTwoPropUncIeq, "COpt_Exact_TwoProp_Unc_Ieq", 203},
        {Kind::kExactMRC, "COpt_Exact_MRC", 244},
    };
    return dialogs;
}

std::unique_ptr<OptionsDialogService>& CurrentService() {
    static std::unique_ptr<OptionsDialogService> service = std::make_unique<FormOptionsDialogs>();
    return service;
}

// The main window as the tests' option writes see it.
class HostScreen : public OptionScreen {
  public:
    explicit HostScreen(OptionsHost* host) : host_(host) {}
    Property* FindParameter(std::string name) override {
        return host_->FindParameter(std::move(name));
    }
    PropertyList& Inputs() override { return host_->Inputs(); }
    void SetEffectSize(double value) override { host_->SetEffectSize(value); }

  private:
    OptionsHost* host_;
};

// The field of a list that keeps its choice as a code; null for a list the
// dialogs do not have.
int* ListCode(int id, OptionsDialogFields* fields) {
    if (id == kStatisticList) return &fields->statisticCode;
    if (id == kEffectIndexList) return &fields->effectIndexCode;
    return nullptr;
}

void ShowOption(const TestOption& option, double value, OptionsDialogFields* fields) {
    const int index = static_cast<int>(value);
    switch (option.kind) {
        case OptionKind::kChoice:
            fields->radios[option.id] = index;
            break;
        case OptionKind::kFlag:
            fields->checks[option.id] = index;
            if (!option.enabled) fields->checkEnabled = false;
            break;
        case OptionKind::kNumber:
            fields->edits[option.id] = value;
            break;
        case OptionKind::kList:
            if (int* code = ListCode(option.id, fields)) *code = index;
            break;
        case OptionKind::kPage:
            fields->areMode = index == 0;
            break;
    }
}

// What the dialog returned for `option`; nothing when it returned none.
std::optional<double> ChosenValue(const TestOption& option, OptionsDialogFields& fields) {
    const auto find = [&option](const auto& map) -> std::optional<double> {
        const auto it = map.find(option.id);
        if (it == map.end()) return std::nullopt;
        return it->second;
    };
    switch (option.kind) {
        case OptionKind::kChoice:
            return find(fields.radios);
        case OptionKind::kFlag:
            return find(fields.checks);
        case OptionKind::kNumber:
            return find(fields.edits);
        case OptionKind::kList:
            if (const int* code = ListCode(option.id, &fields)) return *code;
            return std::nullopt;
        case OptionKind::kPage:
            return fields.areMode ? 0.0 : 1.0;
    }
    return std::nullopt;
}

}  // namespace

OptionsDialogInfo OptionsDialogNamed(const std::string& className) {
    for (const OptionsDialogInfo& info : DialogTable()) {
        if (className == info.className) return info;
    }
    return {};
}

OptionsDialogInfo OptionsDialogFor(PowerAnalysis* test) {
    return test ? OptionsDialogNamed(test->Options().dialog) : OptionsDialogInfo{};
}

OptionsDialogService& OptionsDialogs() {
    return *CurrentService();
}

std::unique_ptr<OptionsDialogService> SetOptionsDialogService(
    std::unique_ptr<OptionsDialogService> service) {
    std::unique_ptr<OptionsDialogService> old = std::move(CurrentService());
    CurrentService() = service ? std::move(service) : std::make_unique<FormOptionsDialogs>();
    return old;
}

bool RunOptionsDialog(OptionsHost* host, QWidget* parent, bool* rebuildDrawer) {
    *rebuildDrawer = false;
    PowerAnalysis* test = host ? host->CurrentTest() : nullptr;
    if (!test || !test->HasOptions()) return false;
    const TestOptions options = test->Options();
    const OptionsDialogInfo dialog = OptionsDialogNamed(options.dialog);
    if (dialog.kind == Kind::kNone || options.options.empty()) return false;

    OptionsDialogFields fields;
    fields.testId = test->GetTestId();
    std::vector<double> shown;
    for (const TestOption& option : options.options) {
        shown.push_back(option.read());
        ShowOption(option, shown.back(), &fields);
    }
    const int answer = OptionsDialogs().DoModal(parent, dialog, &fields);
    if (answer == kNoDialog) return false;
    if (answer != 1) return true;

    OptionValues chosen;
    for (const TestOption& option : options.options) {
        if (const auto value = ChosenValue(option, fields)) chosen[option.id] = *value;
    }
    HostScreen screen(host);
    for (const TestOption& option : options.options) {
        const auto value = chosen.find(option.id);
        if (option.write) option.write(value == chosen.end() ? 0.0 : value->second, chosen, screen);
    }
    for (size_t i = 0; i < options.options.size(); ++i) {
        const TestOption& option = options.options[i];
        if (option.panel == PanelRebuild::kAlways ||
            (option.panel == PanelRebuild::kOnChange && option.read() != shown[i])) {
            *rebuildDrawer = true;
        }
    }
    return true;
}
