#pragma once

#include "analysis/power_analysis.h"

class PropertyList;
namespace mathtext {
class LabelFontSets;
}

// What the main window's own forms (the input forms, the command forms and
// the test selection) ask of the window that composes them. The frame
// implements it; the forms never see the frame's class.
class FormHost {
  public:
    virtual ~FormHost() = default;

    // The calculation and the commands of the command forms.
    virtual bool IsBusy() const = 0;
    virtual void PumpMessages() = 0;
    virtual void SetShortFormCalculation(bool on) = 0;
    virtual void OnCalculate() = 0;
    virtual void OnXYPlot() = 0;
    virtual bool OnOptions() = 0;

    // The input forms: an input changed, an input was committed (Enter,
    // leaving the field); the fonts the labels are drawn with.
    virtual void OnInputsChanged() = 0;
    virtual void OnInputCommitted() = 0;
    virtual mathtext::LabelFontSets& LabelFonts() = 0;

    // The test selection.
    virtual PropertyList& AnalysisTypes() = 0;
    virtual void SetCurrentTest(PowerAnalysis* test) = 0;
    virtual PowerAnalysis* CurrentTest() const = 0;
    virtual AnalysisType CurrentAnalysis() const = 0;
    virtual void SetChosenType(int index) = 0;
    virtual int ChosenTypeIndex() const = 0;
    virtual void OnAnalysisTypeSelected(int index) = 0;
    virtual void ApplyTestToForms() = 0;

    // The effect-size drawer, opened by "Determine" for a panel id.
    virtual void CreateEffectSizePanels(int panelTestId) = 0;
    // The user's "Determine": the drawer opens and takes the keyboard focus.
    virtual void DetermineEffectSize(int panelTestId) { CreateEffectSizePanels(panelTestId); }
    virtual void CloseEffectSizeDrawer() = 0;
    virtual bool EffectSizeDrawerOpen() const = 0;
    virtual int EffectSizePanelId() const = 0;
};
