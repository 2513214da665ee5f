#pragma once

#include <string>

#include "analysis/parameter_names.h"

class CFormViewEx;
class PowerAnalysis;
class PropertyList;

// What the effect-size panels, the drawer and the windows beside them may
// ask of the main window. The frame implements it; tests hand a panel a fake
// one, so that no window below the frame needs the frame's header.
// FindParameter (ParameterSource) gives the main window's shown input by
// its label, after the window re-read its form.
class PanelHost : public ParameterSource {
  public:
    // Sets the input labelled `label` by its type and shows the input list;
    // nothing when no input has the label.
    virtual void SetParameterValue(std::string label, double value) = 0;
    // Writes the effect size into the shown main form.
    virtual void SetEffectSize(double value) = 0;
    // The input store the panels work on, or null.
    virtual PropertyList* GetCurrentInputStore() = 0;
    // Saves the first panel's inputs and closes the drawer; nothing when it
    // is closed.
    virtual void CloseEffectSizeDrawer() = 0;
    // The test whose inputs the main window shows, or null.
    virtual PowerAnalysis* CurrentTest() const = 0;
    // Set by a panel while one of its modal matrix dialogs is open: Enter
    // then does not start the main calculation. A host without a calculation
    // of its own has nothing to do.
    virtual void SetMatrixDialogOpen(bool open) { (void)open; }
    // Puts `view` (not yet created) in place of drawer panel `index`, which
    // is deleted; the placed panel, or null, deleting `view`, when there is
    // no such panel. Selectors swap their procedure's panel with it.
    virtual CFormViewEx* ReplaceDrawerPane(int index, CFormViewEx* view);
};
