#include "app/panels/rm_selector_forms.h"

#include <QComboBox>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/drawer/drawer_wnd.h"
#include "app/drawer/panel_host.h"
#include "app/panels/manova_forms.h"
#include "app/panels/rm_forms.h"
#include "app/panels/rm_mean_cov_form.h"
#include "effectsize/rm_selectors.h"

namespace sel = effectsize::rm_selectors;

namespace {

constexpr int kPanelWidth = 210;

platform::DialogTemplate SelectorForm(const char* const entries[2]) {
    platform::DialogTemplate t;
    t.id = 189;
    t.width = kPanelWidth;
    t.height = 34;
    t.controls.push_back({platform::kNoControlId,
                          platform::ControlKind::GroupBox,
                          "Select procedure",
                          {5, 2, kPanelWidth - 10, 29},
                          platform::kStyleNone,
                          {}});
    t.controls.push_back({CRmSelectorPanel::kMethodListId,
                          platform::ControlKind::DropDownList,
                          "",
                          {12, 13, kPanelWidth - 24, 40},
                          platform::kStyleNone,
                          {entries[0], entries[1]}});
    return t;
}

}  // namespace

CRmSelectorPanel::CRmSelectorPanel(const char* const entries[2], const char* methodKey,
                                   PanelHost* host)
    : CEffectSizePanel(SelectorForm(entries), host), entries_(entries), methodKey_(methodKey) {}

void CRmSelectorPanel::OnInitialUpdate() {
    if (QComboBox* list = List(kMethodListId)) {
        list->clear();
        list->addItem(QString::fromUtf8(entries_[0]));
        list->addItem(QString::fromUtf8(entries_[1]));
        list->setCurrentIndex(method_);
    }
    CEffectSizePanel::OnInitialUpdate();
}

void CRmSelectorPanel::AttachPanels(CFormViewEx** panels) {
    if (panels && panels[0] && panels[1]) attached_ = panels[1];
}

CDrawerWnd* CRmSelectorPanel::Drawer() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* drawer = dynamic_cast<CDrawerWnd*>(w)) return drawer;
    }
    return nullptr;
}

CFormViewEx* CRmSelectorPanel::SubPanel() const {
    if (CDrawerWnd* drawer = Drawer()) return drawer->Panel(1);
    return attached_.data();
}

bool CRmSelectorPanel::ReplaceSubPanel(int method) {
    CDrawerWnd* drawer = Drawer();
    if (!drawer || drawer->PanelCount() < 2) return false;
    CFormViewEx* panel = MakePanel(method);
    PropertyList* store =
        ValueStore() ? ValueStore() : (Host() ? Host()->GetCurrentInputStore() : nullptr);
    if (!drawer->ReplacePane(1, panel)) return false;
    panel->SetValueStore(store);
    attached_ = panel;
    drawer->FitRows();
    return true;
}

bool CRmSelectorPanel::SaveInputs(PropertyList* store) {
    sel::SaveMethod(store, methodKey_, method_);
    SaveOwnKeys(store);
    if (CFormViewEx* sub = SubPanel()) sub->SaveInputs(store);
    return true;
}

bool CRmSelectorPanel::RestoreInputs(PropertyList* store) {
    RestoreOwnKeys(store);
    const int method = sel::RestoreMethod(store, methodKey_, method_);
    if (method != method_) {
        method_ = method;
        ReplaceSubPanel(method);
    }
    if (QComboBox* list = List(kMethodListId)) list->setCurrentIndex(method_);
    if (CFormViewEx* sub = SubPanel()) sub->RestoreInputs(store);
    return true;
}

void CRmSelectorPanel::SetUpAfterOpening(int testId) {
    testId_ = testId;
    SetUpSubPanel();
}

void CRmSelectorPanel::ChooseMethod(int method) {
    if (method != 0 && method != 1) return;
    PropertyList* store = Host() ? Host()->GetCurrentInputStore() : nullptr;
    if (!store) store = ValueStore();
    if (CFormViewEx* sub = SubPanel(); sub && store) sub->SaveInputs(store);
    method_ = method;
    if (QComboBox* list = List(kMethodListId)) list->setCurrentIndex(method_);
    if (!ReplaceSubPanel(method)) return;
    if (CFormViewEx* sub = SubPanel(); sub && store) {
        // A procedure shown for the first time starts from its defaults.
        sub->SaveModeInputs(store);
        sub->RestoreInputs(store);
    }
    // The new panel's own set-up, as the drawer's opening runs it.
    if (auto* panel = dynamic_cast<CEffectSizePanel*>(SubPanel()))
        panel->SetUpAfterOpening(testId_);
    SetUpSubPanel();
}

void CRmSelectorPanel::OnControlEvent(int id, platform::ControlEvent event) {
    if (id == kMethodListId && event == platform::ControlEvent::SelectionChanged) {
        if (QComboBox* list = List(kMethodListId)) ChooseMethod(list->currentIndex());
        return;
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

// --- Test 108 -------------------------------------------------------------------

CEff_SelectRMMOmniSpecial::CEff_SelectRMMOmniSpecial(PanelHost* host)
    : CRmSelectorPanel(sel::kOmniSpecialEntries, sel::kOmniSpecialKey, host) {}

CFormViewEx* CEff_SelectRMMOmniSpecial::MakePanel(int method) {
    if (method == 1) return new CEff_F_RM_Special(Host(), varianceType_);
    return new CEff_F_RMM_Omni(Host());
}

void CEff_SelectRMMOmniSpecial::SetUpSubPanel() {
    if (auto* special = dynamic_cast<CEff_F_RM_Special*>(SubPanel()))
        special->SetVarianceType(varianceType_);
}

// --- Tests 111 to 113 ----------------------------------------------------------

CEff_SelectRMM_Eta_MeanCov::CEff_SelectRMM_Eta_MeanCov(PanelHost* host)
    : CRmSelectorPanel(sel::kMeanCovEntries, sel::kMeanCovKey, host) {
    PowerAnalysis* test = host ? host->CurrentTest() : nullptr;
    if (test) variant_ = sel::VariantOf(test->GetTestId());
}

CFormViewEx* CEff_SelectRMM_Eta_MeanCov::MakePanel(int method) {
    if (method == 1) {
        if (variant_ == 2) return new CEff_F_RMMulti(Host());
        return new CEff_F_RMMulti_2(Host());
    }
    return new CEff_F_RMM_MeanCov(Host(), variant_);
}

void CEff_SelectRMM_Eta_MeanCov::SetUpSubPanel() {
    variant_ = sel::VariantOf(testId_ != 0 ? testId_ : kManovaRepeatedBetweenTestId);
}

void CEff_SelectRMM_Eta_MeanCov::SaveOwnKeys(PropertyList* store) {
    if (store) SetNamedLong(store, sel::kVariantKey, variant_);
}

void CEff_SelectRMM_Eta_MeanCov::RestoreOwnKeys(PropertyList* store) {
    long variant = variant_;
    // The test id, not the store, decides the variant of an open drawer.
    if (store && GetNamedLong(store, sel::kVariantKey, &variant) && testId_ == 0 && variant >= 0 &&
        variant <= 2)
        variant_ = static_cast<int>(variant);
    PowerAnalysis* test = Host() ? Host()->CurrentTest() : nullptr;
    if (test) variant_ = sel::VariantOf(test->GetTestId());
}
