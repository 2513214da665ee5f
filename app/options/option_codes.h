#pragma once

// What the options dialogs decide without a window: the coded lists of the
// exact tests' statistics and effect measures, the texts set at start, and
// which controls each choice enables. Plain data and functions, free of Qt,
// so that they are tested apart from the forms.

#include <string>
#include <vector>

namespace option_codes {

// An entry of a list whose choice the test keeps as a code, not a position.
struct CodedEntry {
    std::string text;
    int code;
};

// The effect-size measures of the unconditional exact tests, by position in
// their list: the code of an entry is its position.
const std::vector<CodedEntry>& EffectIndexEntries();

// The statistics that the unconditional exact test `testId` offers for the
// effect measure `effectIndexCode`. Test 607 offers one list whatever the
// measure; test 608 one per measure (an unknown measure gets the list of
// proportion p1). Any other test offers none.
std::vector<CodedEntry> UncondStatistics(int testId, int effectIndexCode);

// The position of `code` in `entries`; the first entry (0) when no entry has
// it.
int PositionOfCode(const std::vector<CodedEntry>& entries, int code);

// The code of the entry at `position` of UncondStatistics(testId,
// effectIndexCode): 0 for a test without a list or a position outside it.
int UncondStatisticCodeAt(int testId, int effectIndexCode, int position);

// The statistics of Fisher's exact test; the code is the position.
const std::vector<std::string>& FisherStatistics();

// The three ways of dividing alpha between the tails of a two-sided exact
// test, as math labels (Greek names in $...$).
const std::vector<std::string>& AlphaBalancingLabels();

// The rank tests' dialog: the A.R.E. page (mode 1) or the Lehmann page
// (mode 0), with its choices of input method (1: moments given manually)
// and effect-size parameter (0: d, 1: p1).
struct WilcoxonChoice {
    int mode = 1;
    int inputMethod = 0;
    int effectParameter = 0;
};
struct WilcoxonEnabling {
    bool areChoices;       // the A.R.E. source radios
    bool lehmannPage;      // every frame and control of the Lehmann page ...
    bool effectParameter;  // ... except the effect-size parameter radios
    bool outputCheck;      // ... and the output check, which have their own rule
    std::string outputCaption;
};
WilcoxonEnabling WilcoxonEnablingFor(const WilcoxonChoice& choice);

// The regressions' computation: the enumeration (0) takes the test
// statistic; the large-sample approximation (1) takes the procedure and the
// variance correction.
struct ComputationEnabling {
    bool testStatistic;
    bool procedure;
    bool varianceCorrection;
};
ComputationEnabling ComputationEnablingFor(int computation);

}  // namespace option_codes
