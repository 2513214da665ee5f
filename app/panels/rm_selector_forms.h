#pragma once

#include <QPointer>
#include <string>

#include "app/panels/effect_size_panel.h"

class CDrawerWnd;

// A repeated-measures procedure selector (form 189) above its procedure's
// panel, the drawer's second panel: choosing another procedure saves the
// shown panel's inputs, puts the chosen one in its place and restores its
// inputs from the same store, so each procedure's inputs survive switching.
class CRmSelectorPanel : public CEffectSizePanel {
  public:
    static constexpr int kMethodListId = 1123;

    void AttachPanels(CFormViewEx** panels) override;
    bool SaveInputs(PropertyList* store) override;
    bool RestoreInputs(PropertyList* store) override;
    void SetUpAfterOpening(int testId) override;

    int Method() const { return method_; }
    // The procedure's panel beneath the selector, or null.
    CFormViewEx* SubPanel() const;
    // Chooses a procedure as the list does.
    void ChooseMethod(int method);

  protected:
    CRmSelectorPanel(const char* const entries[2], const char* methodKey, PanelHost* host);
    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;

    // The panel of `method`, not yet created.
    virtual CFormViewEx* MakePanel(int method) = 0;
    // What the selector does after its panel changed or the drawer opened.
    virtual void SetUpSubPanel() {}
    virtual void SaveOwnKeys(PropertyList* store) { (void)store; }
    virtual void RestoreOwnKeys(PropertyList* store) { (void)store; }

    int testId_ = 0;

  private:
    CDrawerWnd* Drawer() const;
    // Puts the panel of `method` beneath the selector; false when there is
    // no drawer to put it in.
    bool ReplaceSubPanel(int method);

    const char* const* entries_;
    const char* methodKey_;
    int method_ = 0;
    QPointer<CFormViewEx> attached_;
};

// Test 108: "Effect size from means" (CEff_F_RMM_Omni) or "Effect size from
// variance" (CEff_F_RM_Special, built with the variance type).
class CEff_SelectRMMOmniSpecial : public CRmSelectorPanel {
  public:
    explicit CEff_SelectRMMOmniSpecial(PanelHost* host);

  protected:
    CFormViewEx* MakePanel(int method) override;
    void SetUpSubPanel() override;

  private:
    int varianceType_ = 1;
};

// Tests 111, 112 and 113 without the mean correlation: means and covariance
// (CEff_F_RMM_MeanCov) or the criterion (CEff_F_RMMulti_2 for 111 and 112,
// CEff_F_RMMulti for 113).
class CEff_SelectRMM_Eta_MeanCov : public CRmSelectorPanel {
  public:
    explicit CEff_SelectRMM_Eta_MeanCov(PanelHost* host);
    int Variant() const { return variant_; }

  protected:
    CFormViewEx* MakePanel(int method) override;
    void SetUpSubPanel() override;
    void SaveOwnKeys(PropertyList* store) override;
    void RestoreOwnKeys(PropertyList* store) override;

  private:
    int variant_ = 0;
};
