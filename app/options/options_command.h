#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "analysis/ids.h"
#include "app/drawer/panel_host.h"

class ParameterSource;
class PropertyList;
class QWidget;

// What the Options command asks of the main window besides the panels'
// services: the current test's input list as last read from its form.
class OptionsHost : public PanelHost {
  public:
    virtual PropertyList& Inputs() = 0;
};

// The options dialog of the host's current test, modal over `parent`, its
// options copied in and, on OK, back into the test (converting the effect
// size where an option changes which effect the test takes). False when
// the test has no dialog or none could be shown; *rebuildDrawer tells
// whether the chosen options change the effect-size panel.
bool RunOptionsDialog(OptionsHost* host, QWidget* parent, bool* rebuildDrawer);

// The options dialog of each test id.
enum class OptionsDialogKind {
    kNone,
    kRepm,
    kRepMMulti,
    kFManova,
    kTWilcoxon,
    kZTwoProp,
    kZLogRegress,
    kZPoisson,
    kZTetraCorr,
    kZLogistic,
    kExactBinomial,
    kExactMcNemar,
    kExactOneCorr,
    kExactFisherExact,
    kExactTwoPropUncIeq,
    kExactMRC,
};

struct OptionsDialogInfo {
    OptionsDialogKind kind = OptionsDialogKind::kNone;
    const char* className = "";
    int templateId = 0;
};

// The dialog of `testId`; kind kNone for the ids that have none.
OptionsDialogInfo OptionsDialogFor(int testId);

// What an options dialog shows and the user changes: radio groups (the
// 0-based index of the chosen button) by the id of the group's first
// control, check boxes (0 or 1) and edits by control id, and the few other
// fields some dialogs carry.
struct OptionsDialogFields {
    std::map<int, int> radios;
    std::map<int, int> checks;
    std::map<int, double> edits;
    bool areMode = false;      // the rank tests' A.R.E. page
    bool checkEnabled = true;  // the repeated-measures mean-correlation check
    int statisticCode = 0;     // the exact tests' statistic choice
    int effectIndexCode = 0;   // the unconditional tests' effect index
    int testId = 0;

    int Radio(int id) const;
    int Check(int id) const;
    double Edit(int id) const;
};

// Runs an options dialog modally with the fields filled in; returns 1 on OK
// (the fields then hold the user's choice), kNoDialog when no dialog could
// be shown, and anything else on Cancel. Tests replace the service with one
// that answers without a window.
inline constexpr int kNoDialog = -1;
class OptionsDialogService {
  public:
    virtual ~OptionsDialogService() = default;
    virtual int DoModal(QWidget* parent, const OptionsDialogInfo& dialog,
                        OptionsDialogFields* fields) = 0;
};
OptionsDialogService& OptionsDialogs();
// Returns the service it replaces.
std::unique_ptr<OptionsDialogService> SetOptionsDialogService(
    std::unique_ptr<OptionsDialogService> service);

// The multivariate criteria by their two radio groups: statistic (group
// 1124: 0 Wilks U, 1 Hotelling-Lawley T1, 2 Hotelling-Lawley T2, 3 Pillai V)
// and algorithm (group 1099: 0 O'Brien and Shieh, 1 Muller and Peterson).
inline constexpr int kStatisticGroup = 1124;
inline constexpr int kAlgorithmGroup = 1099;
// Sets both radios for criterion ids 100-107; false, leaving them, for any
// other id.
bool CriterionToRadios(int criterionId, OptionsDialogFields* fields);
// The criterion id of the two radios, or -1 when they name none.
int CriterionFromRadios(const OptionsDialogFields& fields);

// The logistic regressions take either the odds ratio or the proportion p2
// as their effect; switching converts the current effect with the test's
// own conversions so that the next input list shows the same effect.
struct OddsRatioEffect {
    bool oddsRatioInput = true;
    double effectSize = 0.0;
    double previousEffect = 0.0;
    // The labels of the two inputs; a test whose probability input carries
    // another label names it here.
    ParameterId oddsRatioId = kOddsRatioId;
    ParameterId p2Id = kProportionP2Id;
    std::function<double(double)> oddsRatioFromP2;
    std::function<double(double)> p2FromOddsRatio;
};
// Switches to the odds ratio (`oddsRatio` true) or to p2, reading the shown
// input of the old form from `frame`; a missing input falls back to the
// effect (p2 to odds ratio) or to min(effect, 0.5) (odds ratio to p2). The
// converted text is remembered in `inputTexts` under the new input's label.
// True when a conversion ran.
bool ChooseOddsRatioInput(ParameterSource* frame, OddsRatioEffect* test, bool oddsRatio,
                          PropertyList* inputTexts);
