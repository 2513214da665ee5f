#pragma once

#include <QFrame>
#include <map>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/dialog_units.h"

class QLineEdit;
class QComboBox;
class QAbstractButton;

namespace platform {

// What happened to a control of a form.
enum class ControlEvent {
    Clicked,           // push button, check box or radio button
    TextEdited,        // every change of an edit's text by the user
    SelectionChanged,  // a list's choice changed by the user
};

// A form built from a dialog table: every control is created at its table
// rectangle converted once from dialog units with the form's own font.
// Controls are found by id; events of the controls arrive at OnControlEvent.
class DialogForm : public QFrame {
  public:
    explicit DialogForm(const DialogTemplate& dialog, QWidget* parent = nullptr);
    ~DialogForm() override;

    int TemplateId() const { return templateId_; }
    const DialogUnitConverter& Units() const { return units_; }
    const QFont& DialogFont() const { return dialogFont_; }
    // The size of the table in pixels, border included.
    QSize TemplateSize() const { return templateSize_; }

    // The control with this id, or null (also for kNoControlId).
    QWidget* Control(int id) const;
    QLineEdit* Edit(int id) const;
    QComboBox* List(int id) const;
    QAbstractButton* Button(int id) const;
    // Every control in table order, unnamed ones included.
    const std::vector<QWidget*>& Controls() const { return ordered_; }

    // Shows the border or not; the controls keep their place in the client area.
    void SetBordered(bool bordered);

    // Text of a label, edit, button or group box, or the chosen entry of a list.
    QString ControlText(int id) const;
    void SetControlText(int id, const QString& text);

  protected:
    // Called for every user action on a control with an id.
    virtual void OnControlEvent(int id, ControlEvent event);

  private:
    QWidget* CreateControl(const ControlSpec& spec);

    int templateId_ = 0;
    QFont dialogFont_;
    DialogUnitConverter units_;
    QSize clientSize_;
    QSize templateSize_;
    std::map<int, QWidget*> byId_;
    std::vector<QWidget*> ordered_;
};

}  // namespace platform
