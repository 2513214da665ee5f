#pragma once

#include <QFrame>
#include <map>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/dialog_units.h"

class QLineEdit;
class QComboBox;
class QAbstractButton;
class QButtonGroup;

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

    // The control with this id, or null (also for kNoControlId). A control
    // styled kMadeOnFirstUse is made here when first asked for.
    QWidget* Control(int id) const;
    // The control with this id if it has been made, without making it.
    QWidget* MadeControl(int id) const;
    QLineEdit* Edit(int id) const;
    QComboBox* List(int id) const;
    QAbstractButton* Button(int id) const;
    // Every control made so far in table order, unnamed ones included.
    const std::vector<QWidget*>& Controls() const { return ordered_; }

    // Shows the border or not; the controls keep their place in the client area.
    void SetBordered(bool bordered);

    // Radio groups, each named by the id of its first button: the 0-based
    // position of the chosen button, or -1 when none is chosen (also for an
    // id that leads no group). Choosing a position outside the group chooses
    // its first button, so that a group always shows a choice.
    int RadioIndex(int firstId) const;
    void SetRadioIndex(int firstId, int index);
    // Adds the radio button `id` to the end of the group led by `firstId`, for
    // a group whose buttons are not next to each other in the table.
    void JoinRadioGroup(int firstId, int id);
    // The ids of the buttons of the group led by `firstId`, in order.
    std::vector<int> RadioGroupIds(int firstId) const;
    // The first ids of all radio groups, in table order.
    std::vector<int> RadioGroups() const;

    // Text of a label, edit, button or group box, or the chosen entry of a list.
    QString ControlText(int id) const;
    void SetControlText(int id, const QString& text);

  protected:
    // Called for every user action on a control with an id.
    virtual void OnControlEvent(int id, ControlEvent event);
    // Called when a control styled kMadeOnFirstUse has been made.
    virtual void OnControlMade(int id, QWidget* control);

  private:
    QWidget* CreateControl(const ControlSpec& spec);
    QWidget* MakeWhenAsked(int id);

    int templateId_ = 0;
    QFont dialogFont_;
    DialogUnitConverter units_;
    QSize clientSize_;
    QSize templateSize_;
    std::map<int, QWidget*> byId_;
    std::vector<QWidget*> ordered_;
    // Controls styled kMadeOnFirstUse that are not made yet, by id, with
    // their place in the table; and the made controls by that place.
    std::map<int, std::pair<size_t, ControlSpec>> waiting_;
    std::vector<QWidget*> byPlace_;
    struct RadioGroup {
        int firstId;
        QButtonGroup* buttons;
        std::vector<int> ids;
    };
    std::vector<RadioGroup> radioGroups_;
    RadioGroup* FindRadioGroup(int firstId);
    const RadioGroup* FindRadioGroup(int firstId) const;
};

}  // namespace platform
