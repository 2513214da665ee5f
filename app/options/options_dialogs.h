#pragma once

#include <QDialog>
#include <memory>

#include "app/options/option_forms.h"
#include "app/options/options_dialog_fields.h"
#include "platform/dialog_form.h"

// A modal options dialog: its form, and the fields it holds while it runs.
// It starts with the form's defaults overwritten by the fields it is given,
// shows them, lets the controls' own rules act on the user's clicks, and on
// OK reads every control back into the fields. Cancel leaves the fields as
// they came.
class COptionsDialog : public QDialog {
  public:
    COptionsDialog(QWidget* parent, const OptionsForm& form, const OptionsDialogFields& fields);
    ~COptionsDialog() override;

    // Shows the fields in the controls and runs the dialog's own set-up.
    // Called once by the factory, before the dialog is shown.
    void InitDialog();

    const OptionsDialogFields& Fields() const { return fields_; }
    platform::DialogForm* Form() const { return form_; }
    int TemplateId() const { return form_->TemplateId(); }

    // OK: reads the controls into the fields and closes with 1; a limit that
    // is no number is reported, gets the focus and keeps the dialog open.
    void OnOK();

  protected:
    // The dialog's own set-up after the generic fields are shown.
    virtual void OnInitDialog() {}
    // A user's action on a control other than OK and Cancel.
    virtual void OnControl(int id, platform::ControlEvent event);
    // Reads the dialog's own controls (lists) on OK.
    virtual void ReadOwnControls() {}

    // Reads the radio groups and check boxes into the fields.
    void ReadChoices();
    void Enable(int id, bool enabled);

    OptionsDialogFields fields_;

  private:
    class FormView;
    void ShowFields();
    bool ReadEdits();

    platform::DialogForm* form_ = nullptr;
};

// The dialog of `info` with `fields` filled in, ready to run; null for a
// kind that has no form.
std::unique_ptr<COptionsDialog> MakeOptionsDialog(QWidget* parent, const OptionsDialogInfo& info,
                                                  const OptionsDialogFields& fields);

// The options dialogs as the running program shows them: built by
// MakeOptionsDialog and run modally. Run is the one step a test replaces,
// to click the controls instead of waiting for a user.
class FormOptionsDialogs : public OptionsDialogService {
  public:
    int DoModal(QWidget* parent, const OptionsDialogInfo& dialog,
                OptionsDialogFields* fields) override;

  protected:
    // Runs the dialog until it closes.
    virtual void Run(COptionsDialog* dialog);
};
