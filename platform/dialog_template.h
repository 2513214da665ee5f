#pragma once

#include <string>
#include <vector>

#include "platform/dialog_units.h"

namespace platform {

// What a control of a form table is.
enum class ControlKind {
    Label,     // static text
    GroupBox,  // frame with a caption; drawn under the other controls
    Edit,      // single-line text field
    PushButton,
    DefaultButton,  // push button that Enter presses
    CheckBox,
    RadioButton,   // one choice of a group; a group starts at a button styled kGroup
    DropDownList,  // non-editable list; the table's height is the dropped height
    TabBar,
    Area,  // empty child area that another widget fills at run time
};

// Style bits of a control of a form table.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kAlignRight = 1u << 0,
    kAlignCenter = 1u << 1,
    kReadOnly = 1u << 2,
    kHidden = 1u << 3,
    kDisabled = 1u << 4,
    kBorder = 1u << 5,
    kGroup = 1u << 6,  // a radio button that begins a new group of choices
    // Made when it is first asked for by its id rather than with the form,
    // and made hidden: for rows that most uses of a form never show. Radio
    // buttons and controls without an id are always made with the form.
    kMadeOnFirstUse = 1u << 7,
};

// The control id of controls that nobody addresses (group boxes, captions).
inline constexpr int kNoControlId = -1;

// One row of a form table.
struct ControlSpec {
    int id = kNoControlId;
    ControlKind kind = ControlKind::Label;
    std::string caption;  // UTF-8
    DialogRect rect;
    unsigned style = kStyleNone;
    std::vector<std::string> items;  // initial entries of a list (UTF-8)
};

// A form: its id, font, size in dialog units and controls in creation order
// (which is also the tab order).
struct DialogTemplate {
    int id = 0;
    std::string fontFamily = "Lucida Sans Unicode";
    double pointSize = 8.0;
    int width = 0;
    int height = 0;
    std::vector<ControlSpec> controls;
};

}  // namespace platform
