#include "analysis/catalogue.h"

#include <algorithm>
#include <unordered_set>

#include "analysis/power_analysis.h"

std::vector<TestList> TestCatalogue;
TestList ExactTestList;
TestList FTestList;
TestList TTestList;
TestList ChiTestList;
TestList ZTestList;

namespace {

struct FamilySlot {
    TestFamily family;
    TestList* list;
    RegisterHook hook;
};

// Catalogue order.
FamilySlot families[] = {
    {TestFamily::kExact, &ExactTestList, nullptr}, {TestFamily::kF, &FTestList, nullptr},
    {TestFamily::kT, &TTestList, nullptr},         {TestFamily::kChi, &ChiTestList, nullptr},
    {TestFamily::kZ, &ZTestList, nullptr},
};

std::vector<TestMenuEntry> testMenu;  // in the order the tests registered

}  // namespace

void SetRegisterHook(TestFamily family, RegisterHook hook) {
    for (FamilySlot& slot : families) {
        if (slot.family == family) slot.hook = hook;
    }
}

void BuildTestCatalogue() {
    // The register functions append without emptying their lists: start
    // from empty lists so that a rebuild registers every test once.
    ClearTestCatalogue();
    for (FamilySlot& slot : families) {
        if (slot.hook != nullptr) slot.hook();
        if (!slot.list->empty()) TestCatalogue.push_back(*slot.list);
    }
}

void ClearTestCatalogue() {
    // The family lists share their pointers with the catalogue; a test that
    // sits in a family list but never reached the catalogue is freed too.
    std::unordered_set<PowerAnalysis*> deleted;
    auto release = [&deleted](TestList& list) {
        for (PowerAnalysis* test : list) {
            if (test != nullptr && deleted.insert(test).second) delete test;
        }
        list.clear();
    };
    for (TestList& family : TestCatalogue) release(family);
    TestCatalogue.clear();
    for (FamilySlot& slot : families) release(*slot.list);
    testMenu.clear();
}

PowerAnalysis* FindTest(int testId) {
    for (TestList& family : TestCatalogue) {
        for (PowerAnalysis* test : family) {
            if (test != nullptr && test->GetTestId() == testId) return test;
        }
    }
    return nullptr;
}

const char* TestMenuPopupCaption(TestMenuPopup popup) {
    switch (popup) {
        case TestMenuPopup::kCorrelation:
            return "Correlation and regression";
        case TestMenuPopup::kMeans:
            return "Means";
        case TestMenuPopup::kProportions:
            return "Proportions";
        case TestMenuPopup::kVariances:
            return "Variances";
        case TestMenuPopup::kGeneric:
            return "Generic";
    }
    return "";
}

void RegisterTest(TestList& family, PowerAnalysis* test, const TestMenuItem& item) {
    family.push_back(test);
    testMenu.push_back({item, test->GetTestId()});
}

std::vector<TestMenuEntry> TestMenu() {
    std::vector<TestMenuEntry> menu = testMenu;
    std::stable_sort(menu.begin(), menu.end(), [](const TestMenuEntry& a, const TestMenuEntry& b) {
        if (a.item.popup != b.item.popup) return a.item.popup < b.item.popup;
        return a.item.place < b.item.place;
    });
    return menu;
}

int TestIdForCommand(int commandId) {
    for (const TestMenuEntry& entry : testMenu) {
        if (entry.item.commandId == commandId) return entry.testId;
    }
    return -1;
}
