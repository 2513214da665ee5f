#pragma once

#include <vector>

#include "app/widgets/form_view_ex.h"

class CMainFrame;

// Base of the panels of the effect-size drawer: a form that knows the main
// frame, through which it reads and writes the main window's inputs, and
// whose "Close" button closes the drawer.
class CEffectSizePanel : public CFormViewEx {
  public:
    static constexpr int kCloseButtonId = 2;

    CEffectSizePanel(const platform::DialogTemplate& dialog, CMainFrame* frame);

    CMainFrame* Frame() const { return frame_; }

    // Stores the text of the main window's input labelled by parameter
    // `parameterId` under `key` in the current test's input store (an empty
    // text stores nothing); false when there is no such input or no store.
    bool CopyMainParameterToStore(int parameterId, const char* key);

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    CMainFrame* frame_;
};

// The panel of the tests that have no effect-size calculation of their own.
class CEff_Dummy : public CEffectSizePanel {
  public:
    explicit CEff_Dummy(CMainFrame* frame);
};

// The panels the drawer shows for a test id, first panel first; each is
// constructed with the frame and not yet created.
std::vector<CFormViewEx*> EffectSizePanelTable(int testId, CMainFrame* frame);
