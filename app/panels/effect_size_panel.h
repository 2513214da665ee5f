#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QRect>
#include <string>
#include <utility>
#include <vector>

#include "app/widgets/form_view_ex.h"
#include "effectsize/panel_common.h"

class PanelHost;

// Base of the panels of the effect-size drawer. It holds the controls every
// panel shares ("Calculate", the effect-size field, "Calculate and transfer
// to main window", "Close") and runs them: a panel supplies only its check
// and formula (CalculateEffectSize) and, when it writes more than the effect
// size, its transfer plan. The main window is reached through the host.
class CEffectSizePanel : public CFormViewEx {
  public:
    static constexpr int kCalculateButtonId = 1010;
    static constexpr int kEffectSizeId = 1014;
    static constexpr int kTransferButtonId = 1044;
    static constexpr int kCloseButtonId = 1065;
    // What the effect-size field shows while no effect size is computed for
    // the inputs as they are.
    static constexpr const char* kUnknown = "?";

    CEffectSizePanel(const platform::DialogTemplate& dialog, PanelHost* host);

    PanelHost* Host() const { return host_; }

    // Stores the text of the main window's input labelled by parameter
    // `parameterId` under `key` in the current test's input store (an empty
    // text stores nothing); false when there is no such input or no store.
    bool CopyMainParameterToStore(int parameterId, const char* key);

    // What the panel does once the drawer is open and its inputs are
    // restored or defaulted, for the test id the drawer opened with
    // (copying a main-window value into the panel, choosing a variant).
    // Nothing by default.
    virtual void SetUpAfterOpening(int testId) { (void)testId; }

    // "Calculate": checks and computes; on success shows the effect size
    // with "%.7g" and returns true. A failed check has shown its message and
    // focused its field; the effect-size field keeps what it showed.
    bool Calculate();
    // "Calculate and transfer to main window": writes only after a
    // successful calculation, by the panel's plan.
    bool CalculateAndTransfer();
    // The effect size of the last successful calculation.
    double EffectSize() const { return effectSize_; }

    // The check's message in a box, then the panel's window active again
    // with `edit` focused and its text selected. Every input stays as typed.
    void ReportField(QLineEdit* edit, const std::string& message);

  protected:
    // The panel's check and formula: false after reporting the first error
    // with ShowFieldError; true with the effect size in *effect. A panel
    // without inputs computes nothing.
    virtual bool CalculateEffectSize(double* effect) {
        (void)effect;
        return false;
    }
    // The writes of a transfer of `effect`; by default the effect size alone.
    virtual effectsize::TransferPlan PlanTransfer(double effect);

    void OnInitialUpdate() override;
    void OnControlEvent(int id, platform::ControlEvent event) override;
    // The main window's label fonts, so that a panel's labels are typeset
    // as the main window's are; none from a host without them.
    mathtext::LabelFontSets* LabelFontsForControls() const override;

    // The check's message in a box; the field gets the focus, its text
    // selected. Every input stays as typed.
    void ShowFieldError(int controlId, const std::string& message);
    // After a message box: the panel's window is active again and `control`
    // has the focus.
    void FocusAfterMessage(QWidget* control);
    void MarkResultUnknown();
    // Closes the gaps of rows whose controls are all hidden: every control
    // below such a row moves up by the row's pitch from its place in the
    // form table, and the panel (and a drawer that holds it) gets as much
    // shorter. Called again after rows were shown or hidden anew.
    void CloseUpHiddenRows();

  private:
    bool RunTransfer(const effectsize::TransferPlan& plan);

    // Where each control stood in the form table, and the panel's height
    // there, kept from the first CloseUpHiddenRows.
    std::vector<std::pair<QWidget*, QRect>> tablePlaces_;
    int tableHeight_ = 0;

    PanelHost* host_;
    double effectSize_ = 0.0;
};

// The texts the user left in the drawer's fields that no reading takes (a
// decimal comma, a word), kept across the panels' set-ups: a set-up copies
// main-window values into its fields and would silently put them in place
// of what the user typed. Blank fields and formulas are not kept.
class TypedTextKeeper {
  public:
    explicit TypedTextKeeper(const std::vector<CFormViewEx*>& panels);
    // Puts back every kept text that a set-up replaced and reports the
    // first of them on its field; a panel that reported a field itself
    // leaves nothing to put back.
    void PutBack();

  private:
    struct Kept {
        QPointer<CEffectSizePanel> panel;
        QPointer<QLineEdit> edit;
        QString text;
        std::string message;
    };
    std::vector<Kept> kept_;
};

// The panel of the tests that have no effect-size calculation of their own:
// a narrow form with "Close" alone.
class CEff_Dummy : public CEffectSizePanel {
  public:
    explicit CEff_Dummy(PanelHost* host);
};
