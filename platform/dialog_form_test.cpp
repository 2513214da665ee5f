#include "platform/dialog_form.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/fonts.h"
#include "platform/widget_test_main.h"

namespace platform {
namespace {

DialogTemplate SampleTable() {
    DialogTemplate t;
    t.id = 7;
    t.width = 200;
    t.height = 60;
    t.controls = {
        {kNoControlId, ControlKind::GroupBox, "Frame", {4, 2, 192, 56}, kStyleNone, {}},
        {10, ControlKind::Label, "Label", {8, 10, 60, 12}, kAlignRight, {}},
        {11, ControlKind::Edit, "0.05", {70, 10, 50, 12}, kAlignRight | kReadOnly, {}},
        {12, ControlKind::DefaultButton, "Calculate", {130, 10, 60, 14}, kStyleNone, {}},
        {13, ControlKind::DropDownList, "", {8, 30, 80, 60}, kHidden, {"One", "Two"}},
    };
    return t;
}

class RecordingForm : public DialogForm {
  public:
    using DialogForm::DialogForm;
    std::vector<std::pair<int, ControlEvent>> events;

  protected:
    void OnControlEvent(int id, ControlEvent event) override { events.emplace_back(id, event); }
};

TEST(DialogForm, PlacesControlsAtTheirTableRectangles) {
    DialogForm form(SampleTable());
    const DialogUnitConverter& units = form.Units();
    EXPECT_EQ(form.size(), units.ToPixels(200, 60));
    EXPECT_EQ(form.Control(10)->geometry(), units.ToPixels(DialogRect{8, 10, 60, 12}));
    EXPECT_EQ(form.Control(12)->geometry(), units.ToPixels(DialogRect{130, 10, 60, 14}));
    // A closed list is as high as an edit field; the table's height is the
    // dropped list.
    EXPECT_EQ(form.Control(13)->geometry(), units.ToPixels(DialogRect{8, 30, 80, 12}));
    EXPECT_EQ(form.Control(kNoControlId), nullptr);
    EXPECT_EQ(form.Control(99), nullptr);

    // The base units come from the dialog font itself.
    const DialogBaseUnits base = MeasureDialogBaseUnits(form.DialogFont());
    EXPECT_EQ(units.BaseUnits().charWidth, base.charWidth);
    EXPECT_GT(base.charWidth, 3);
    EXPECT_GT(base.charHeight, 8);
}

TEST(DialogForm, AppliesCaptionsStylesAndItems) {
    DialogForm form(SampleTable());
    EXPECT_EQ(form.ControlText(10), "Label");
    EXPECT_TRUE(qobject_cast<QLabel*>(form.Control(10))->alignment() & Qt::AlignRight);
    EXPECT_TRUE(form.Edit(11)->isReadOnly());
    EXPECT_TRUE(form.Edit(11)->alignment() & Qt::AlignRight);
    EXPECT_TRUE(qobject_cast<QPushButton*>(form.Control(12))->isDefault());
    EXPECT_TRUE(form.Control(13)->isHidden());
    ASSERT_EQ(form.List(13)->count(), 2);
    EXPECT_EQ(form.List(13)->itemText(1), "Two");
    EXPECT_EQ(qobject_cast<QGroupBox*>(form.Controls().front())->title(), "Frame");
    form.SetControlText(11, "=1/20");
    EXPECT_EQ(form.ControlText(11), "=1/20");
}

TEST(DialogForm, ABorderKeepsTheClientArea) {
    DialogForm form(SampleTable());
    const QPoint before = form.Control(10)->pos();
    form.SetBordered(true);
    EXPECT_EQ(form.Control(10)->pos(), before + QPoint(1, 1));
    EXPECT_EQ(form.TemplateSize(), form.Units().ToPixels(200, 60) + QSize(2, 2));
    form.SetBordered(false);
    EXPECT_EQ(form.Control(10)->pos(), before);
}

// Controls made on first use: absent until asked for by id, then made hidden,
// in their table place for stacking and order, within a border taken before.
TEST(DialogForm, MakesAWaitingControlWhenFirstAskedFor) {
    class MadeRecorder : public DialogForm {
      public:
        using DialogForm::DialogForm;
        std::vector<int> made;

      protected:
        void OnControlMade(int id, QWidget*) override { made.push_back(id); }
    };
    DialogTemplate t = SampleTable();
    t.controls[1].style |= kMadeOnFirstUse;  // the label, under the edit and button
    t.controls[3].style |= kMadeOnFirstUse;  // the button, over both
    MadeRecorder form(t);
    form.SetBordered(true);
    form.show();
    ASSERT_EQ(form.Controls().size(), 3u);
    EXPECT_EQ(form.MadeControl(10), nullptr);
    EXPECT_TRUE(form.made.empty());

    QWidget* button = form.Control(12);
    QWidget* label = form.Control(10);
    ASSERT_TRUE(label && button);
    EXPECT_EQ(form.made, (std::vector<int>{12, 10}));
    EXPECT_EQ(form.Control(10), label);  // made once
    EXPECT_EQ(form.made.size(), 2u);
    EXPECT_TRUE(label->isHidden());
    EXPECT_EQ(label->geometry(), form.Units().ToPixels(DialogRect{8, 10, 60, 12}).translated(1, 1));
    EXPECT_EQ(label->font(), form.DialogFont());
    const std::vector<QWidget*> tableOrder = {form.Controls()[0], label, form.Control(11), button,
                                              form.Control(13)};
    EXPECT_EQ(form.Controls(), tableOrder);
    // Stacking, bottom to top, follows the table with the group box lowest.
    std::vector<QWidget*> stacked;
    for (QObject* child : form.children()) {
        if (auto* w = qobject_cast<QWidget*>(child)) stacked.push_back(w);
    }
    EXPECT_EQ(stacked, tableOrder);
}

TEST(DialogForm, ReportsUserActionsOnControlsById) {
    RecordingForm form(SampleTable());
    qobject_cast<QPushButton*>(form.Control(12))->click();
    form.Edit(11)->setReadOnly(false);
    form.Edit(11)->setText("programmatic");  // not the user's: no event
    emit form.Edit(11)->textEdited("typed");
    emit form.List(13)->activated(1);
    const std::vector<std::pair<int, ControlEvent>> expected = {
        {12, ControlEvent::Clicked},
        {11, ControlEvent::TextEdited},
        {13, ControlEvent::SelectionChanged}};
    EXPECT_EQ(form.events, expected);
}

TEST(DialogForm, ControlsAndADroppedListShowTheDialogFont) {
    DialogForm form(SampleTable());
    // The form's font is not the application's, or the check below shows nothing.
    ASSERT_NE(QFontInfo(form.DialogFont()).pointSizeF(),
              QFontInfo(QApplication::font()).pointSizeF());
    for (int id : {10, 11, 12, 13}) EXPECT_EQ(form.Control(id)->font(), form.DialogFont()) << id;
    form.Control(13)->show();
    form.show();
    QComboBox* list = form.List(13);
    list->showPopup();
    EXPECT_EQ(QFontInfo(list->view()->font()).pointSizeF(),
              QFontInfo(form.DialogFont()).pointSizeF());
    EXPECT_EQ(list->view()->font().family(), form.DialogFont().family());
    list->hidePopup();
}

// The form draws its group boxes itself; the reference is the same frame as
// Qt's style-sheet engine draws it from a description of the look: a rounded
// one-pixel border in the palette's mid colour, its top line through the middle
// of the caption, and the caption six pixels in, padded by two.
TEST(DialogForm, GroupBoxesLookAsTheirStyleSheetDescriptionDraws) {
    const char* captions[] = {
        "Test family", "Output Parameters  ", "A", "x", "           From confidence interval", ""};
    const QSize sizes[] = {{100, 40}, {290, 250}, {120, 33}, {50, 30}, {250, 70}, {57, 61}};
    for (size_t i = 0; i < std::size(captions); ++i) {
        for (bool enabled : {true, false}) {
            DialogTemplate t;
            t.width = 400;
            t.height = 300;
            t.controls = {{kNoControlId,
                           ControlKind::GroupBox,
                           captions[i],
                           {0, 0, 10, 10},
                           enabled ? kStyleNone : kDisabled,
                           {}}};
            DialogForm form(t);
            auto* drawn = form.findChild<QGroupBox*>();
            ASSERT_NE(drawn, nullptr);
            drawn->setGeometry(QRect(QPoint(0, 0), sizes[i]));
            QGroupBox reference(QString::fromUtf8(captions[i]), &form);
            reference.setFont(form.DialogFont());
            reference.setGeometry(drawn->geometry());
            reference.setEnabled(enabled);
            reference.setStyleSheet(
                QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                               " margin-top: %1px; }"
                               "QGroupBox::title { subcontrol-origin: margin;"
                               " subcontrol-position: top left; left: 6px; padding: 0 2px; }")
                    .arg(QFontMetrics(form.DialogFont()).height() / 2));
            const QImage expected = reference.grab().toImage();
            const QImage actual = drawn->grab().toImage();
            EXPECT_EQ(actual, expected) << '"' << captions[i] << "\" enabled " << enabled;
        }
    }
}

// Two groups side by side in one frame, and a third whose buttons are not
// adjacent in the table.
DialogTemplate RadioTable() {
    DialogTemplate t;
    t.width = 200;
    t.height = 80;
    t.controls = {
        {kNoControlId, ControlKind::GroupBox, "Frame", {4, 2, 192, 76}, kStyleNone, {}},
        {20, ControlKind::RadioButton, "A", {8, 10, 40, 10}, kGroup, {}},
        {21, ControlKind::RadioButton, "B", {8, 22, 40, 10}, kStyleNone, {}},
        {22, ControlKind::RadioButton, "C", {8, 34, 40, 10}, kStyleNone, {}},
        {30, ControlKind::RadioButton, "D", {60, 10, 40, 10}, kGroup, {}},
        {31, ControlKind::RadioButton, "E", {60, 22, 40, 10}, kStyleNone, {}},
        {40, ControlKind::RadioButton, "F", {110, 10, 40, 10}, kGroup, {}},
        {50, ControlKind::CheckBox, "G", {110, 22, 40, 10}, kStyleNone, {}},
        {41, ControlKind::RadioButton, "H", {110, 34, 40, 10}, kGroup, {}},
    };
    return t;
}

TEST(DialogForm, RadioGroupsChooseOneButtonEachAndByPosition) {
    RecordingForm form(RadioTable());
    EXPECT_EQ(form.RadioGroups(), (std::vector<int>{20, 30, 40, 41}));
    EXPECT_EQ(form.RadioGroupIds(20), (std::vector<int>{20, 21, 22}));
    EXPECT_EQ(form.RadioIndex(20), -1);
    EXPECT_EQ(form.RadioIndex(21), -1);  // not the first of a group
    form.SetRadioIndex(20, 2);
    form.SetRadioIndex(30, 1);
    EXPECT_EQ(form.RadioIndex(20), 2);
    EXPECT_EQ(form.RadioIndex(30), 1);
    // A click chooses within its own group only and is reported.
    form.Button(21)->click();
    EXPECT_EQ(form.RadioIndex(20), 1);
    EXPECT_EQ(form.RadioIndex(30), 1);
    EXPECT_FALSE(form.Button(22)->isChecked());
    // Clicking the chosen button keeps it chosen.
    form.Button(21)->click();
    EXPECT_TRUE(form.Button(21)->isChecked());
    // A position outside the group chooses its first button.
    for (int outside : {-1, 3, 99}) {
        form.SetRadioIndex(30, 1);
        form.SetRadioIndex(30, outside);
        EXPECT_EQ(form.RadioIndex(30), 0) << outside;
    }
    const std::vector<std::pair<int, ControlEvent>> expected = {{21, ControlEvent::Clicked},
                                                                {21, ControlEvent::Clicked}};
    EXPECT_EQ(form.events, expected);
}

TEST(DialogForm, AJoinedButtonBelongsToTheGroupItJoins) {
    DialogForm form(RadioTable());
    form.SetRadioIndex(40, 0);
    form.SetRadioIndex(41, 0);
    // Coming checked into a group with a choice, it gives its check up.
    form.JoinRadioGroup(40, 41);
    EXPECT_EQ(form.RadioGroups(), (std::vector<int>{20, 30, 40}));
    EXPECT_EQ(form.RadioGroupIds(40), (std::vector<int>{40, 41}));
    EXPECT_EQ(form.RadioIndex(40), 0);
    form.Button(41)->click();
    EXPECT_EQ(form.RadioIndex(40), 1);
    EXPECT_FALSE(form.Button(40)->isChecked());
    form.SetRadioIndex(40, 0);
    EXPECT_FALSE(form.Button(41)->isChecked());
    // Neither a check box nor an unknown group can be joined.
    form.JoinRadioGroup(40, 50);
    form.JoinRadioGroup(99, 20);
    EXPECT_EQ(form.RadioGroupIds(40), (std::vector<int>{40, 41}));
    EXPECT_EQ(form.RadioGroupIds(20), (std::vector<int>{20, 21, 22}));
}

TEST(Fonts, StandInsAreInstalledAndChosen) {
    for (const char* family : {"Lucida Sans Unicode", "Courier New", "times new roman"}) {
        const QFont font = MakeFont(family, 8);
        EXPECT_NE(font.family(), QString(family));
        EXPECT_TRUE(ResolvesAsRequested(font))
            << family << " -> " << font.family().toStdString() << " resolved as "
            << ResolvedFamily(font).toStdString();
        EXPECT_EQ(font.pixelSize(), 11);
    }
    EXPECT_EQ(StandInFamily("cmr10"), "cmr10");
    EXPECT_FALSE(ResolvesAsRequested(QFont("No Such Family Anywhere")));
}

}  // namespace
}  // namespace platform
