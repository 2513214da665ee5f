#include "app/panels/effect_size_panel.h"

#include "analysis/parameter_names.h"
#include "app/frame/main_frame.h"

namespace {

platform::DialogTemplate DummyPanelForm() {
    platform::DialogTemplate t;
    t.id = 210;
    t.width = 200;
    t.height = 46;
    using platform::ControlKind;
    t.controls.push_back({platform::kNoControlId,
                          ControlKind::Label,
                          "No effect size calculation is available for this test.",
                          {7, 8, 186, 10},
                          platform::kStyleNone,
                          {}});
    t.controls.push_back({CEffectSizePanel::kCloseButtonId,
                          ControlKind::PushButton,
                          "Close",
                          {143, 26, 50, 14},
                          platform::kStyleNone,
                          {}});
    return t;
}

}  // namespace

CEffectSizePanel::CEffectSizePanel(const platform::DialogTemplate& dialog, CMainFrame* frame)
    : CFormViewEx(dialog), frame_(frame) {}

bool CEffectSizePanel::CopyMainParameterToStore(int parameterId, const char* key) {
    if (!frame_ || parameterId < 0 || parameterId >= kParameterNameCount) return false;
    Property* parameter = frame_->FindParameter(ParameterNames[parameterId]);
    PropertyList* store = frame_->GetCurrentInputStore();
    if (!parameter || !store) return false;
    SetNamedString(store, key, parameter->text);
    return true;
}

void CEffectSizePanel::OnControlEvent(int id, platform::ControlEvent event) {
    if (id == kCloseButtonId && event == platform::ControlEvent::Clicked && frame_)
        frame_->CloseEffectSizeDrawer();
}

CEff_Dummy::CEff_Dummy(CMainFrame* frame) : CEffectSizePanel(DummyPanelForm(), frame) {}

std::vector<CFormViewEx*> EffectSizePanelTable(int, CMainFrame* frame) {
    // Every test shows the placeholder until its own panels exist; the
    // panels that need a start-up step after opening bring it with them.
    return {new CEff_Dummy(frame)};
}
