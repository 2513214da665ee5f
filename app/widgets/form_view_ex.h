#pragma once

#include <QSize>
#include <string>

#include "platform/dialog_form.h"

class PropertyList;
class QLabel;
namespace mathtext {
class LabelFontSets;
}

// Window styles of a form.
enum FormStyle : unsigned {
    kFormVisible = 1u << 0,
    kFormBorder = 1u << 1,
    kFormDialogFrame = 1u << 2,
};

// Base of every form: main forms, command forms, result panes, effect-size
// panels. A form is built from its dialog table, becomes a child window with
// Create, remembers the size it had then (its design size), and offers the
// frame a small interface to save and restore a panel's inputs in a per-test
// value store, plus helpers that read and write its controls.
class CFormViewEx : public platform::DialogForm {
  public:
    explicit CFormViewEx(const platform::DialogTemplate& dialog);
    ~CFormViewEx() override;

    // Makes the form a child of `parent` at `topLeft` with its design size.
    // Style 0 means visible and bordered; of the border styles the form keeps
    // exactly the ones asked for. False when PreCreate refuses.
    bool Create(QWidget* parent, QPoint topLeft, unsigned style = 0, int controlId = 0);
    // Called with the style before the window is made; false refuses creation.
    virtual bool PreCreate(unsigned* style);
    // Called once after Create, when the controls exist at their places.
    virtual void OnInitialUpdate() {}

    QSize GetDesignSize() const { return designSize_; }
    int ControlId() const { return controlId_; }
    unsigned Style() const { return style_; }

    // Makes the form as wide and as high as its parent window, keeping its
    // top-left corner.
    virtual void FitToParent();
    virtual bool SaveInputs(PropertyList* store);
    virtual bool RestoreInputs(PropertyList* store);
    virtual bool SaveModeInputs(PropertyList* store);
    virtual void AttachPanels(CFormViewEx** panels);
    virtual void CopyConfigFrom(CFormViewEx* templatePanel);

    // The per-test store of an effect-size panel (not owned), or null.
    PropertyList* ValueStore() const { return valueStore_; }
    void SetValueStore(PropertyList* store) { valueStore_ = store; }

    // Control helpers; a missing control makes each of them do nothing.
    void ClearDlgItemText(int id);
    // The control's number or formula, its text remembered in the value store
    // under `key`. A text that cannot be read is reported in a message box,
    // the control gets the focus and *ok becomes false (also for a missing
    // control, which reads as 0).
    double GetDlgItemDouble(int id, const char* key, bool* ok);
    long GetDlgItemLong(int id, const char* key, bool* ok);
    std::string GetDlgItemString(int id) const;
    bool DlgItemHasEquals(int id) const;
    void SetDlgItemString(int id, const std::string& text);
    // Shows a label's markup: the control keeps the plain text, and a label
    // control typesets the markup where the form has label fonts.
    void SetDlgItemLabel(int id, const std::string& label);
    // Typesets the text of every label control not typeset yet, so that the
    // form's fixed captions match the labels set with markup.
    void TypesetLabels();
    void SetDlgItemLong(int id, long value);
    void SetDlgItemDouble(int id, double value, const char* format);
    void LoadDlgItemFromStore(int id, const char* key);
    bool EnsureStoreDefault(int id, const char* key, const std::string& defaultText);

  protected:
    // A form that hides rows of its table is that much shorter.
    void SetDesignHeight(int height) {
        designSize_.setHeight(height);
        resize(width(), height);
    }
    // The fonts that label controls typeset their markup with; none by
    // default, so that labels show their plain text.
    virtual mathtext::LabelFontSets* LabelFontsForControls() const { return nullptr; }

  private:
    void TypesetLabel(QLabel* label, const QString& markup);

    QSize designSize_;
    int controlId_ = 0;
    unsigned style_ = 0;
    PropertyList* valueStore_ = nullptr;
};
