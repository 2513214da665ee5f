#include "platform/dialog_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <algorithm>

#include "platform/fonts.h"

namespace platform {

namespace {

QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

Qt::Alignment HorizontalAlignment(unsigned style) {
    if (style & kAlignRight) return Qt::AlignRight;
    if (style & kAlignCenter) return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

// A form's group box: a thin rounded frame in the palette's mid colour,
// its top line running through the middle of the caption, and the caption in
// a gap of the line near the left end. The controls of the table sit inside
// the frame where their rows begin. Drawn here rather than by a style sheet:
// the first style sheet costs the program a good part of its start-up.
class FramedGroupBox : public QGroupBox {
  public:
    FramedGroupBox(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        const QString caption = title();
        // The caption's box holds the caption and one space; the gap adds
        // two pixels on each side of it, six pixels from the left edge.
        const int captionWidth =
            metrics.size(Qt::TextShowMnemonic, caption + QLatin1Char(' ')).width();
        const QRect captionBox(8, 0, captionWidth, metrics.height());
        painter.save();
        if (!caption.isEmpty())
            painter.setClipRegion(QRegion(rect()) - captionBox.adjusted(-2, 0, 2, 0));
        DrawFrame(&painter,
                  QRect(0, metrics.height() / 2, width(), height() - metrics.height() / 2));
        painter.restore();
        style()->drawItemText(&painter, captionBox,
                              Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextShowMnemonic, palette(),
                              isEnabled(), caption, QPalette::WindowText);
    }

  private:
    // One-pixel sides between the corners, and each corner of radius 2 as
    // two antialiased eighth-circles, one finishing each side that meets there.
    void DrawFrame(QPainter* painter, const QRect& frame) const {
        const QColor colour = palette().color(QPalette::Mid);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(colour, 1, Qt::SolidLine, Qt::SquareCap));
        painter->setBrush(Qt::NoBrush);
        const qreal x = frame.x(), y = frame.y(), w = frame.width(), h = frame.height();
        const QRectF topLeft(x + 0.5, y + 0.5, 3, 3), topRight(x + w - 3.5, y + 0.5, 3, 3);
        const QRectF bottomLeft(x + 0.5, y + h - 3.5, 3, 3),
            bottomRight(x + w - 3.5, y + h - 3.5, 3, 3);
        auto arc = [painter](const QRectF& box, int startDegrees, int spanDegrees) {
            painter->drawArc(box, startDegrees * 16, spanDegrees * 16);
        };
        // Bottom, right, left, top: where the antialiased ends overlap, the
        // later side is the one on top.
        painter->fillRect(QRectF(x + 2, y + h - 1, w - 4, 1), colour);
        arc(bottomLeft, 225, 45);
        arc(bottomRight, 315, -45);
        painter->fillRect(QRectF(x + w - 1, y + 2, 1, h - 4), colour);
        arc(topRight, 0, 45);
        arc(bottomRight, 0, -45);
        painter->fillRect(QRectF(x, y + 2, 1, h - 4), colour);
        arc(topLeft, 180, -45);
        arc(bottomLeft, 180, 45);
        painter->fillRect(QRectF(x + 2, y, w - 4, 1), colour);
        arc(topLeft, 90, 45);
        arc(topRight, 90, -45);
    }
};

}  // namespace

DialogForm::DialogForm(const DialogTemplate& dialog, QWidget* parent)
    : QFrame(parent),
      templateId_(dialog.id),
      dialogFont_(MakeFont(FromUtf8(dialog.fontFamily), dialog.pointSize)),
      units_(dialogFont_) {
    setFont(dialogFont_);
    setAutoFillBackground(true);
    clientSize_ = units_.ToPixels(dialog.width, dialog.height);
    byPlace_.assign(dialog.controls.size(), nullptr);
    for (size_t place = 0; place < dialog.controls.size(); ++place) {
        const ControlSpec& spec = dialog.controls[place];
        if ((spec.style & kMadeOnFirstUse) && spec.id != kNoControlId &&
            spec.kind != ControlKind::RadioButton) {
            waiting_.emplace(spec.id, std::make_pair(place, spec));
            continue;
        }
        QWidget* control = CreateControl(spec);
        byPlace_[place] = control;
        ordered_.push_back(control);
        if (spec.id != kNoControlId) byId_[spec.id] = control;
    }
    // Group boxes go under the controls that they frame.
    for (QWidget* w : ordered_) {
        if (qobject_cast<QGroupBox*>(w)) w->lower();
    }
    templateSize_ = clientSize_;
    resize(clientSize_);
}

DialogForm::~DialogForm() = default;

QWidget* DialogForm::CreateControl(const ControlSpec& spec) {
    const QString caption = FromUtf8(spec.caption);
    QRect rect = units_.ToPixels(spec.rect);
    QWidget* widget = nullptr;
    const int id = spec.id;
    switch (spec.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(caption, this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(HorizontalAlignment(spec.style) | Qt::AlignVCenter);
            widget = label;
            break;
        }
        case ControlKind::GroupBox:
            widget = new FramedGroupBox(caption, this);
            break;
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(caption, this);
            edit->setAlignment(HorizontalAlignment(spec.style) | Qt::AlignVCenter);
            edit->setReadOnly(spec.style & kReadOnly);
            if (id != kNoControlId) {
                connect(edit, &QLineEdit::textEdited, this,
                        [this, id] { OnControlEvent(id, ControlEvent::TextEdited); });
            }
            widget = edit;
            break;
        }
        case ControlKind::PushButton:
        case ControlKind::DefaultButton: {
            auto* button = new QPushButton(caption, this);
            button->setAutoDefault(false);
            button->setDefault(spec.kind == ControlKind::DefaultButton);
            if (id != kNoControlId) {
                connect(button, &QPushButton::clicked, this,
                        [this, id] { OnControlEvent(id, ControlEvent::Clicked); });
            }
            widget = button;
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(caption, this);
            if (id != kNoControlId) {
                connect(box, &QCheckBox::clicked, this,
                        [this, id] { OnControlEvent(id, ControlEvent::Clicked); });
            }
            widget = box;
            break;
        }
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(caption, this);
            // A group box or a form of its own would make all the buttons of a
            // form one group; the table's groups are explicit instead.
            radio->setAutoExclusive(false);
            if ((spec.style & kGroup) || radioGroups_.empty()) {
                auto* group = new QButtonGroup(this);
                group->setExclusive(true);
                radioGroups_.push_back({id, group, {}});
            }
            radioGroups_.back().buttons->addButton(radio);
            radioGroups_.back().ids.push_back(id);
            if (id != kNoControlId) {
                connect(radio, &QRadioButton::clicked, this,
                        [this, id] { OnControlEvent(id, ControlEvent::Clicked); });
            }
            widget = radio;
            break;
        }
        case ControlKind::DropDownList: {
            auto* list = new QComboBox(this);
            list->setEditable(false);
            for (const auto& item : spec.items) list->addItem(FromUtf8(item));
            // The table gives the height of the dropped list; the closed list is
            // as high as an edit field.
            const int visibleRows = std::max(1, spec.rect.height / 8);
            list->setMaxVisibleItems(visibleRows);
            rect.setHeight(std::min(
                rect.height(), units_.ToPixelsY(spec.rect.y + 12) - units_.ToPixelsY(spec.rect.y)));
            if (id != kNoControlId) {
                connect(list, &QComboBox::activated, this,
                        [this, id] { OnControlEvent(id, ControlEvent::SelectionChanged); });
            }
            widget = list;
            break;
        }
        case ControlKind::TabBar: {
            auto* tabs = new QTabBar(this);
            tabs->setDrawBase(true);
            if (id != kNoControlId) {
                connect(tabs, &QTabBar::currentChanged, this,
                        [this, id] { OnControlEvent(id, ControlEvent::SelectionChanged); });
            }
            widget = tabs;
            break;
        }
        case ControlKind::Area:
            widget = new QWidget(this);
            break;
    }
    // A drop-down list inherits the form's font, and so does its dropped list;
    // setting the font on it would make Qt build the dropped list and its item
    // view at once, for every list of every form at start-up.
    if (!qobject_cast<QComboBox*>(widget)) widget->setFont(dialogFont_);
    // Within the border, for a control made after the form took one.
    widget->setGeometry(rect.translated(frameWidth(), frameWidth()));
    if (spec.style & kDisabled) widget->setEnabled(false);
    // A control made on first use comes hidden: the form shows what it needs,
    // and a control asked for only to be read or hidden stays out of sight.
    widget->setVisible(!(spec.style & (kHidden | kMadeOnFirstUse)));
    return widget;
}

void DialogForm::SetBordered(bool bordered) {
    const int before = frameWidth();
    if (bordered) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    const int after = frameWidth();
    if (after != before) {
        const QPoint shift(after - before, after - before);
        for (QWidget* w : ordered_) w->move(w->pos() + shift);
    }
    templateSize_ = clientSize_ + QSize(2 * after, 2 * after);
    resize(templateSize_);
}

QWidget* DialogForm::Control(int id) const {
    if (QWidget* made = MadeControl(id)) return made;
    // Making a waiting control changes what the form holds, not what it
    // shows to its callers: it is as if the control had always been there.
    return waiting_.count(id) ? const_cast<DialogForm*>(this)->MakeWhenAsked(id) : nullptr;
}

QWidget* DialogForm::MadeControl(int id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

QWidget* DialogForm::MakeWhenAsked(int id) {
    auto waiting = waiting_.find(id);
    const size_t place = waiting->second.first;
    QWidget* control = CreateControl(waiting->second.second);
    waiting_.erase(waiting);
    // The stacking of the table: under the next made control, group boxes
    // aside, which lie under everything.
    for (size_t next = place + 1; next < byPlace_.size(); ++next) {
        if (byPlace_[next] && !qobject_cast<QGroupBox*>(byPlace_[next])) {
            control->stackUnder(byPlace_[next]);
            break;
        }
    }
    byPlace_[place] = control;
    byId_[id] = control;
    ordered_.clear();
    for (QWidget* made : byPlace_) {
        if (made) ordered_.push_back(made);
    }
    OnControlMade(id, control);
    return control;
}

QLineEdit* DialogForm::Edit(int id) const {
    return qobject_cast<QLineEdit*>(Control(id));
}
QComboBox* DialogForm::List(int id) const {
    return qobject_cast<QComboBox*>(Control(id));
}
QAbstractButton* DialogForm::Button(int id) const {
    return qobject_cast<QAbstractButton*>(Control(id));
}

DialogForm::RadioGroup* DialogForm::FindRadioGroup(int firstId) {
    for (RadioGroup& group : radioGroups_) {
        if (group.firstId == firstId) return &group;
    }
    return nullptr;
}

const DialogForm::RadioGroup* DialogForm::FindRadioGroup(int firstId) const {
    return const_cast<DialogForm*>(this)->FindRadioGroup(firstId);
}

int DialogForm::RadioIndex(int firstId) const {
    const RadioGroup* group = FindRadioGroup(firstId);
    if (!group) return -1;
    for (size_t i = 0; i < group->ids.size(); ++i) {
        if (Button(group->ids[i])->isChecked()) return static_cast<int>(i);
    }
    return -1;
}

void DialogForm::SetRadioIndex(int firstId, int index) {
    const RadioGroup* group = FindRadioGroup(firstId);
    if (!group || group->ids.empty()) return;
    if (index < 0 || index >= static_cast<int>(group->ids.size())) index = 0;
    Button(group->ids[static_cast<size_t>(index)])->setChecked(true);
}

void DialogForm::JoinRadioGroup(int firstId, int id) {
    RadioGroup* target = FindRadioGroup(firstId);
    auto* radio = qobject_cast<QRadioButton*>(Control(id));
    if (!target || !radio || firstId == id) return;
    for (auto it = radioGroups_.begin(); it != radioGroups_.end(); ++it) {
        auto at = std::find(it->ids.begin(), it->ids.end(), id);
        if (at == it->ids.end()) continue;
        it->ids.erase(at);
        it->buttons->removeButton(radio);
        if (it->ids.empty()) {
            delete it->buttons;
            radioGroups_.erase(it);
        }
        break;
    }
    target = FindRadioGroup(firstId);
    // A button that comes checked into a group with a choice gives it up.
    if (radio->isChecked() && RadioIndex(firstId) >= 0) radio->setChecked(false);
    target->buttons->addButton(radio);
    target->ids.push_back(id);
}

std::vector<int> DialogForm::RadioGroupIds(int firstId) const {
    const RadioGroup* group = FindRadioGroup(firstId);
    return group ? group->ids : std::vector<int>();
}

std::vector<int> DialogForm::RadioGroups() const {
    std::vector<int> firsts;
    for (const RadioGroup& group : radioGroups_) firsts.push_back(group.firstId);
    return firsts;
}

QString DialogForm::ControlText(int id) const {
    QWidget* w = Control(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    return QString();
}

void DialogForm::SetControlText(int id, const QString& text) {
    QWidget* w = Control(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
        e->setCursorPosition(0);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(text);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(text);
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        g->setTitle(text);
    }
}

void DialogForm::OnControlEvent(int, ControlEvent) {}

void DialogForm::OnControlMade(int, QWidget*) {}

}  // namespace platform
