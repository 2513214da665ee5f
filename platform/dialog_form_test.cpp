#include "platform/dialog_form.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
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
