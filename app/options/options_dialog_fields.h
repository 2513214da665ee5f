#pragma once

// What the options command and the options dialogs exchange: which dialog,
// the fields it shows and returns, and the service that runs it.

#include <map>

class QWidget;

// The options dialogs, one per kind.
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
