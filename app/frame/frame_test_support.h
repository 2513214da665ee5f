#pragma once

// For the frame's tests: a stand-in test whose calculation a test scripts,
// and a catalogue made of such tests for every test id of the program.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <functional>
#include <string>

#include "analysis/catalogue.h"
#include "analysis/plot_data.h"
#include "analysis/power_analysis.h"
#include "app/frame/main_frame.h"
#include "platform/commands.h"

namespace frame_test {

// What the scripted test does; each member runs where the real test's
// operation runs (Calculate and Plot on the worker thread).
struct Script {
    std::function<CalculateStatus(PowerAnalysis&, PropertyList*)> calculate;
    std::function<void(PlotData*)> plot;
    std::function<void()> outputs;  // on the user-interface thread
    std::string result = "1.5";     // what GetOutputs shows
};

inline Script*& ActiveScript() {
    static Script* script = nullptr;
    return script;
}

// Inputs: alpha, then power (A priori) or a total sample size; one output.
class ScriptedTest : public PowerAnalysis {
  public:
    ScriptedTest(int id, std::string family, bool generic)
        : id_(id), family_(std::move(family)), generic_(generic) {
        alpha = 0.05;
        power = 0.8;
        sampleSize = 20;
    }
    PowerAnalysis* Clone() override { return new ScriptedTest(id_, family_, generic_); }
    TestId GetTestId() override { return id_; }
    std::string GetTestName() override { return "Scripted test " + std::to_string(id_); }
    std::string GetFamilyName() override { return family_; }
    bool IsGenericTest() override { return generic_; }
    void GetAnalysisTypes(PropertyList* list) override {
        if (generic_) {
            GetGenericAnalysisTypes(list);
        } else {
            PowerAnalysis::GetAnalysisTypes(list);
        }
    }
    void BuildInputList(AnalysisType type, PropertyList* inputs) override {
        inputs->Clear();
        AddAlphaInput(inputs);
        if (type == kAPriori) {
            AddPowerInput(inputs);
        } else {
            AddSampleSizeInput(inputs, 2);
        }
    }
    void BuildOutputList(AnalysisType, PropertyList* outputs) override {
        outputs->Clear();
        outputs->push_back(new PropertyDouble("Result", "?", false));
    }
    CalculateStatus Calculate(AnalysisType, PropertyList* inputs) override {
        ClearMessage();
        ++calculations;
        Script* script = ActiveScript();
        return script && script->calculate ? script->calculate(*this, inputs) : kCalculateDone;
    }
    void GetOutputs(AnalysisType, PropertyList* outputs) override {
        Script* script = ActiveScript();
        if (script && script->outputs) script->outputs();
        if (!outputs->empty()) (*outputs)[0]->text = script ? script->result : "1.5";
    }
    void MakeDistributionPlot(PlotData* plot) override {
        Script* script = ActiveScript();
        if (script && script->plot) script->plot(plot);
    }

    int calculations = 0;

  private:
    int id_;
    std::string family_;
    bool generic_;
};

// Test ids of the program by family, in catalogue order; the first id of
// each family is its generic test, listed last as the catalogue does.
inline const std::vector<std::vector<int>>& FamilyIds() {
    static const std::vector<std::vector<int>> ids = {
        {601, 602, 603, 604, 605, 606, 607, 608, 609, 610, 611},
        {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116},
        {200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211},
        {400, 401, 402},
        {300, 301, 302, 303, 304, 305, 306, 307, 308, 309, 310},
    };
    return ids;
}

inline const char* FamilyName(size_t family) {
    static const char* names[] = {"exact tests", "F tests", "t tests", "$\\chi^2$ tests",
                                  "z tests"};
    return names[family];
}

// The Tests menu's items of the program's tests, kept when the scripted
// catalogue replaces them so that the scripted tests carry the same items.
inline std::vector<TestMenuEntry>& ProgramMenu() {
    static std::vector<TestMenuEntry> menu;
    return menu;
}

template <size_t Family>
void RegisterScripted() {
    TestList* lists[] = {&ExactTestList, &FTestList, &TTestList, &ChiTestList, &ZTestList};
    auto add = [&](int id, bool generic) {
        auto* test = new ScriptedTest(id, FamilyName(Family), generic);
        for (const TestMenuEntry& entry : ProgramMenu()) {
            if (entry.testId == id) return RegisterTest(*lists[Family], test, entry.item);
        }
        lists[Family]->push_back(test);
    };
    const std::vector<int>& ids = FamilyIds()[Family];
    // The generic test (the family's x00, or 601 for the exact tests) last.
    for (size_t i = 1; i < ids.size(); ++i) add(ids[i], false);
    add(ids[0], true);
}

// Replaces the frame's catalogue by scripted tests and starts it on the
// first of them with analysis type `typeIndex`.
inline void UseScriptedCatalogue(CMainFrame* frame, int typeIndex = 0) {
    if (!TestMenu().empty()) ProgramMenu() = TestMenu();
    SetRegisterHook(TestFamily::kExact, RegisterScripted<0>);
    SetRegisterHook(TestFamily::kF, RegisterScripted<1>);
    SetRegisterHook(TestFamily::kT, RegisterScripted<2>);
    SetRegisterHook(TestFamily::kChi, RegisterScripted<3>);
    SetRegisterHook(TestFamily::kZ, RegisterScripted<4>);
    BuildTestCatalogue();
    frame->ResetSelection(typeIndex);
    frame->ApplyTestToForms();
    frame->RecalcLayout(true);
}

// Leaves no scripted family behind for the next frame.
inline void ForgetScriptedFamilies() {
    for (TestFamily family :
         {TestFamily::kExact, TestFamily::kF, TestFamily::kT, TestFamily::kChi, TestFamily::kZ}) {
        SetRegisterHook(family, nullptr);
    }
}

// The Tests menu, opened as a click on it opens it: its popups are made then.
inline QMenu* OpenTestsMenu(QMenuBar* bar) {
    for (QAction* top : bar->actions()) {
        if (!top->menu() || top->menu()->title() != QLatin1String("&Tests")) continue;
        bar->setActiveAction(top);
        bar->setActiveAction(nullptr);
        return top->menu();
    }
    return nullptr;
}

// The Tests menu's item for `command`, in the popup titled `popup` or, when
// that is empty, in any; null when there is none.
inline QAction* TestsMenuItem(QMenuBar* bar, int command, const QString& popup = {}) {
    QMenu* tests = OpenTestsMenu(bar);
    if (!tests) return nullptr;
    for (QAction* sub : tests->actions()) {
        if (!sub->menu() || (!popup.isEmpty() && sub->menu()->title() != popup)) continue;
        for (QAction* item : sub->menu()->actions()) {
            if (platform::CommandRouter::CommandId(item) == command) return item;
        }
    }
    return nullptr;
}

}  // namespace frame_test
