#include "app/forms/command_forms.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPushButton>
#include <QWidget>

#include "app/forms/form_tables.h"
#include "platform/widget_test_main.h"

using namespace form_tables;

namespace {

TEST(CommandForm, ButtonsStandWhereTheTableSays) {
    QWidget window;
    auto* form = new CQuorixCmdCompForm(nullptr);
    ASSERT_TRUE(form->Create(&window, QPoint(0, 0)));
    const platform::DialogUnitConverter& units = form->Units();
    EXPECT_EQ(form->GetDesignSize(), units.ToPixels(345, 15) + QSize(2, 2));
    struct Case {
        int id;
        const char* caption;
        platform::DialogRect rect;
    } cases[] = {
        {kOptionsButton, "Options", {113, 1, 48, 13}},
        {kXYPlotButton, "X-Y plot for a range of values", {166, 1, 118, 13}},
        {kCalculateButton, "Calculate", {291, 1, 50, 13}},
    };
    for (const Case& c : cases) {
        QAbstractButton* button = form->Button(c.id);
        ASSERT_NE(button, nullptr) << c.id;
        EXPECT_EQ(button->text(), c.caption);
        // Inside the one-pixel border.
        EXPECT_EQ(button->geometry(), units.ToPixels(c.rect).translated(1, 1)) << c.caption;
        // The caption fits its button.
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 6)
            << c.caption;
    }
    EXPECT_TRUE(qobject_cast<QPushButton*>(form->Button(kCalculateButton))->isDefault());
}

TEST(CommandForm, EnablesAndShowsItsButtons) {
    QWidget window;
    auto* form = new CQuorixCmdCompForm(nullptr);
    ASSERT_TRUE(form->Create(&window, QPoint(0, 0)));
    form->ShowOptions(false);
    EXPECT_TRUE(form->Button(kOptionsButton)->isHidden());
    form->ShowOptions(true);
    EXPECT_FALSE(form->Button(kOptionsButton)->isHidden());
    form->EnableXYPlot(false);
    EXPECT_FALSE(form->Button(kXYPlotButton)->isEnabled());
    form->EnableXYPlotButton(true);
    EXPECT_TRUE(form->Button(kXYPlotButton)->isEnabled());
    form->EnableCalculate(false);
    EXPECT_FALSE(form->Button(kCalculateButton)->isEnabled());
    form->EnableCalculate(true);

    // Without a frame a click does nothing, and the button stays usable.
    form->Button(kCalculateButton)->click();
    EXPECT_TRUE(form->Button(kCalculateButton)->isEnabled());
}

TEST(CommandForm, ShortFormAndShapeOnlyFormsShowTheirTables) {
    CQuorixCmdForm shortForm(nullptr);
    EXPECT_EQ(shortForm.ControlText(1019), "Range of input values");
    EXPECT_EQ(shortForm.ControlText(1021), "Central/Noncentral dist plot");
    EXPECT_EQ(shortForm.ControlText(kCalculateButton), "Calculate");
    CRangeForm range;
    for (int id : {1006, 1008, 1010, 1012, 1013, 1014, 1016, 1017, 1018, 1009, 1020}) {
        EXPECT_NE(range.Control(id), nullptr) << id;
    }
    CInputHelpForm help;
    EXPECT_NE(help.Edit(1001), nullptr);
}

}  // namespace
