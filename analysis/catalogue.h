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
// the catalogue and the family lists.
void ClearTestCatalogue();

// The first test in catalogue order whose GetTestId is `testId`, or nullptr.
PowerAnalysis* FindTest(int testId);
