#include "app/widgets/form_view_ex.h"

#include <QLabel>
#include <QWidget>
#include <cstdio>

#include "analysis/property.h"
#include "analysis/property_input.h"
#include "app/widgets/ui_helpers.h"
#include "platform/dialogs.h"
#include "ui/graphics/mathtext/math_text_label.h"

namespace {

// Shows why an entry could not be read and puts the cursor there.
void ReportEntryError(QWidget* control, const std::string& error) {
    platform::ShowMessage(control->window(), ToDisplayLabel(error), QStringLiteral("Quorix"),
                          platform::MessageIcon::Error);
    // The closed box may leave another window active; the keys belong here.
    QWidget* holder = control->window();
    if (holder->isVisible() && !holder->isActiveWindow()) holder->activateWindow();
    control->setFocus(Qt::OtherFocusReason);
}

}  // namespace

CFormViewEx::CFormViewEx(const platform::DialogTemplate& dialog) : platform::DialogForm(dialog) {}

CFormViewEx::~CFormViewEx() = default;

bool CFormViewEx::PreCreate(unsigned*) {
    return true;
}

bool CFormViewEx::Create(QWidget* parent, QPoint topLeft, unsigned style, int controlId) {
    if (style == 0) style = kFormVisible | kFormBorder;
    if (!PreCreate(&style)) return false;
    style_ = style;
    controlId_ = controlId;
    setParent(parent);
    SetBordered(style & (kFormBorder | kFormDialogFrame));
    designSize_ = TemplateSize();
    move(topLeft);
    resize(designSize_);
    OnInitialUpdate();
    setVisible(style & kFormVisible);
    return true;
}

void CFormViewEx::FitToParent() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    // The parent's whole window size, from the form's own top-left corner: a
    // form placed away from the corner reaches past the parent's edges.
    const QSize size = parent->frameGeometry().size();
    setGeometry(QRect(pos(), size));
    update();
}

bool CFormViewEx::SaveInputs(PropertyList*) {
    return true;
}
bool CFormViewEx::RestoreInputs(PropertyList*) {
    return true;
}
bool CFormViewEx::SaveModeInputs(PropertyList*) {
    return true;
}
void CFormViewEx::AttachPanels(CFormViewEx**) {}
void CFormViewEx::CopyConfigFrom(CFormViewEx*) {}

void CFormViewEx::ClearDlgItemText(int id) {
    if (!Control(id)) return;
    SetControlText(id, QStringLiteral("?"));
    TypesetLabel(qobject_cast<QLabel*>(Control(id)), ControlText(id));
}

double CFormViewEx::GetDlgItemDouble(int id, const char* key, bool* ok) {
    *ok = true;
    QWidget* control = Control(id);
    if (!control) {
        *ok = false;
        return 0.0;
    }
    PropertyDouble entry("", ToNarrowString(ControlText(id)), false);
    std::string error;
    const double value = EvaluateDoubleInput(valueStore_, &entry, key ? key : "", true, &error);
    if (!error.empty()) {
        ReportEntryError(control, error);
        *ok = false;
    }
    return value;
}

long CFormViewEx::GetDlgItemLong(int id, const char* key, bool* ok) {
    *ok = true;
    QWidget* control = Control(id);
    if (!control) {
        *ok = false;
        return 0;
    }
    PropertyLong entry("", ToNarrowString(ControlText(id)));
    std::string error;
    const long value = EvaluateLongInput(valueStore_, &entry, key ? key : "", true, &error);
    if (!error.empty()) {
        ReportEntryError(control, error);
        *ok = false;
    }
    return value;
}

std::string CFormViewEx::GetDlgItemString(int id) const {
    return Control(id) ? ToNarrowString(ControlText(id)) : std::string();
}

bool CFormViewEx::DlgItemHasEquals(int id) const {
    return Control(id) && ControlText(id).contains(QLatin1Char('='));
}

void CFormViewEx::SetDlgItemString(int id, const std::string& text) {
    if (!Control(id)) return;
    SetControlText(id, ToWideString(text));
    TypesetLabel(qobject_cast<QLabel*>(Control(id)), ToWideString(text));
}

void CFormViewEx::SetDlgItemLabel(int id, const std::string& label) {
    if (!Control(id)) return;
    SetControlText(id, ToDisplayLabel(label));
    TypesetLabel(qobject_cast<QLabel*>(Control(id)), ToWideString(label));
}

void CFormViewEx::TypesetLabel(QLabel* label, const QString& markup) {
    if (!label) return;
    // Without fonts a label shows its plain text; one typeset before keeps
    // no stale markup.
    mathtext::LabelFontSets* fonts = LabelFontsForControls();
    if (fonts || !mathtext::MathTextOf(label).isEmpty())
        mathtext::SetMathText(label, fonts ? markup : QString(), fonts);
}

void CFormViewEx::TypesetLabels() {
    if (!LabelFontsForControls()) return;
    for (QWidget* control : Controls()) {
        auto* label = qobject_cast<QLabel*>(control);
        if (label && mathtext::MathTextOf(label).isEmpty()) TypesetLabel(label, label->text());
    }
}

void CFormViewEx::SetDlgItemLong(int id, long value) {
    if (!Control(id)) return;
    SetControlText(id, ToWideString(PropertyLong("", value).text));
    TypesetLabel(qobject_cast<QLabel*>(Control(id)), ControlText(id));
}

void CFormViewEx::SetDlgItemDouble(int id, double value, const char* format) {
    if (!Control(id)) return;
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, value);
    SetControlText(id, ToWideString(buffer));
    TypesetLabel(qobject_cast<QLabel*>(Control(id)), ControlText(id));
}

void CFormViewEx::LoadDlgItemFromStore(int id, const char* key) {
    std::string text;
    if (Control(id) && valueStore_ && GetNamedString(valueStore_, key, &text)) {
        SetControlText(id, ToWideString(text));
        TypesetLabel(qobject_cast<QLabel*>(Control(id)), ControlText(id));
    }
}

bool CFormViewEx::EnsureStoreDefault(int id, const char* key, const std::string& defaultText) {
    std::string text;
    if (valueStore_ && GetNamedString(valueStore_, key, &text)) return true;
    SetDlgItemString(id, defaultText);
    if (valueStore_) SetNamedString(valueStore_, key, defaultText);
    return false;
}
