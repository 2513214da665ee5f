#pragma once

#include <vector>

class PowerAnalysis;

// The test catalogue: one list of test objects per family, in the order
// exact, F, t, chi-square, z. The catalogue owns the test objects; the
// current test of the main window is one of them, so a test keeps its
// inputs and results while the user switches to other tests and back.
//
// The families live in higher layers. Each supplies a register function that
// appends one newly constructed object per test to its family list; the
// application installs them with SetRegisterHook before BuildTestCatalogue.
// A family without a hook registers nothing and gets no catalogue entry.

using TestList = std::vector<PowerAnalysis*>;

extern std::vector<TestList> TestCatalogue;
extern TestList ExactTestList;
extern TestList FTestList;
extern TestList TTestList;
extern TestList ChiTestList;
extern TestList ZTestList;

enum class TestFamily { kExact, kF, kT, kChi, kZ };

using RegisterHook = void (*)();

// Installs (or, with nullptr, removes) the register function of a family.
void SetRegisterHook(TestFamily family, RegisterHook hook);

// Registers every family in catalogue order and copies each non-empty family
// list into the catalogue. A catalogue built before is cleared first, so a
// second build holds each test once.
void BuildTestCatalogue();

// Deletes every test object once, through its virtual destructor, and empties
// the catalogue, the family lists and the Tests menu.
void ClearTestCatalogue();

// The first test in catalogue order whose GetTestId is `testId`, or nullptr.
PowerAnalysis* FindTest(int testId);

// The Tests menu. A family declares each test's item where it registers the
// test, so a new test names its own command, popup and caption; the window
// builds the menu from the items of the tests registered.

// The popups of the Tests menu, in the order the menu shows them.
enum class TestMenuPopup { kCorrelation, kMeans, kProportions, kVariances, kGeneric };

// The caption of a popup (UTF-8).
const char* TestMenuPopupCaption(TestMenuPopup popup);

// A test's item: the command that chooses the test, the popup that holds the
// item, its place there (the items of a popup follow their places, smallest
// first) and its caption (UTF-8).
struct TestMenuItem {
    int commandId;
    TestMenuPopup popup;
    int place;
    const char* caption;
};

struct TestMenuEntry {
    TestMenuItem item;
    int testId;
};

// Appends `test` to its family list and its item to the Tests menu.
void RegisterTest(TestList& family, PowerAnalysis* test, const TestMenuItem& item);

// The items of the registered tests in menu order: by popup, then by place.
std::vector<TestMenuEntry> TestMenu();

// The test id that `commandId` chooses, or -1 when no registered test's
// item carries it.
int TestIdForCommand(int commandId);
