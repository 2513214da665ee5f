#include "app/forms/main_comp_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWidget>

#include "analysis/property.h"
#include "analysis/property_input.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_form_test_support.h"
#include "app/widgets/xinfo_tip.h"
#include "platform/widget_test_main.h"

using namespace form_tables;

namespace {

using EditFieldFormTest = MainFormTest<CQuorixMainCompForm>;

TEST_F(EditFieldFormTest, ShowsEachInputByItsType) {
    FillInputs();
    form->SetInputs(&inputs);

    EXPECT_EQ(form->ControlText(InputLabelId(0)), QString::fromUtf16(u"α err prob"));
    EXPECT_EQ(form->ControlText(InputEditId(0)), "0.05");

    // The selection's list takes the place of the edit, which is hidden.
    QComboBox* list = form->List(InputListId(1));
    EXPECT_TRUE(list->isVisible());
    EXPECT_FALSE(form->Edit(InputEditId(1))->isVisible());
    EXPECT_EQ(list->geometry(), form->Edit(InputEditId(1))->geometry());
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), "One");
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_FALSE(form->Button(DetermineButtonId(1))->isVisible());
    ASSERT_NE(form->Tip(), nullptr);
    EXPECT_TRUE(form->Tip()->HasTool(list));

    // The effect size gets its button and names the panel.
    EXPECT_TRUE(form->Button(DetermineButtonId(2))->isVisible());
    EXPECT_EQ(form->Button(DetermineButtonId(2))->text(), "Determine =>");
    EXPECT_EQ(form->EffectSizeRow(), 2);
    EXPECT_EQ(form->EffectSizePanelId(), 201);
    EXPECT_FALSE(form->Tip()->HasTool(form->Edit(InputEditId(2))));  // no help text

    EXPECT_EQ(form->ControlText(InputEditId(3)), "128");
    EXPECT_FALSE(form->List(InputListId(3))->isVisible());

    // Rows past the list are hidden completely.
    for (int row = 4; row < kRowCount; ++row) {
        for (int id :
             {InputLabelId(row), InputEditId(row), DetermineButtonId(row), InputListId(row)}) {
            EXPECT_FALSE(form->Control(id)->isVisible()) << "row " << row << " id " << id;
        }
    }

    // A shorter list afterwards hides what the longer one showed and forgets
    // the effect-size row.
    PropertyList one;
    one.push_back(new PropertyDouble("$\\alpha$ err prob", "0.01", false));
    form->SetInputs(&one);
    EXPECT_FALSE(form->List(InputListId(1))->isVisible());
    EXPECT_FALSE(form->Control(InputLabelId(2))->isVisible());
    EXPECT_EQ(form->EffectSizeRow(), -1);
}

// The rows' controls are made when a test first shows them; the pointer
// resting on one still brings up its help.
TEST_F(EditFieldFormTest, HoveringAnInputShowsItsHelp) {
    FillInputs();
    form->SetInputs(&inputs);
    QComboBox* list = form->List(InputListId(1));
    const QPoint cursor = list->mapToGlobal(list->rect().center());
    form->Tip()->SetCursorSource([cursor] { return cursor; });
    QMouseEvent move(QEvent::MouseMove, QPointF(list->rect().center()), QPointF(cursor),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list, &move);
    ASSERT_TRUE(widget_test::RunEventsUntil([&] { return form->Tip()->isVisible(); }, 2000));
    EXPECT_TRUE(form->Tip()->CurrentText().startsWith("One- or two-tailed"));
}

TEST_F(EditFieldFormTest, ReadsTextsAndSelectionsBack) {
    FillInputs();
    form->SetInputs(&inputs);
    form->SetControlText(InputEditId(0), "=1/20");
    form->List(InputListId(1))->setCurrentIndex(0);
    form->SetControlText(InputEditId(3), "90");
    form->GetInputs(&inputs);

    EXPECT_EQ(inputs[0]->text, "=1/20");
    std::string error;
    EXPECT_DOUBLE_EQ(EvaluateDoubleInput(nullptr, inputs[0], "", true, &error), 0.05);
    EXPECT_EQ(error, "");
    EXPECT_EQ(static_cast<PropertySelection*>(inputs[1])->index, 0);
    EXPECT_EQ(static_cast<PropertyLong*>(inputs[3])->GetValue(), 90);
}

TEST_F(EditFieldFormTest, MarksAnInvalidInput) {
    FillInputs();
    form->SetInputs(&inputs);
    form->SetControlText(InputEditId(3), "12x");
    form->MarkInvalidInput(3, &inputs);
    QLineEdit* edit = form->Edit(InputEditId(3));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "12x");

    // A selection gets the focus on its list.
    form->MarkInvalidInput(1, &inputs);
    EXPECT_TRUE(form->List(InputListId(1))->hasFocus());
}

TEST_F(EditFieldFormTest, WritesTheEffectSizeOnlyWhereThereIsOne) {
    FillInputs();
    form->SetInputs(&inputs);
    form->SetEffectSizeValue(0.25);
    EXPECT_EQ(form->ControlText(InputEditId(2)), "0.2500000");

    PropertyList withoutEffect;
    withoutEffect.push_back(new PropertyDouble("$\\alpha$ err prob", "0.05", false));
    form->SetInputs(&withoutEffect);
    form->SetEffectSizeValue(0.25);
    EXPECT_EQ(form->ControlText(InputEditId(0)), "0.05");
    EXPECT_EQ(form->ControlText(InputEditId(2)), "0.2500000");  // hidden row untouched
}

TEST_F(EditFieldFormTest, ShowsAndClearsOutputs) {
    outputs.push_back(new PropertyDouble("Critical t", "1.660391", false));
    outputs.push_back(new PropertyDouble("Power (1-$\\beta$ err prob)", "0.8014596", false));
    form->SetOutputs(&outputs);
    EXPECT_EQ(form->ControlText(OutputLabelId(1)), QString::fromUtf16(u"Power (1-β err prob)"));
    EXPECT_EQ(form->ControlText(OutputEditId(1)), "0.8014596");
    EXPECT_TRUE(form->Edit(OutputEditId(1))->isReadOnly());
    EXPECT_FALSE(form->Control(OutputEditId(2))->isVisible());

    form->SetControlText(OutputEditId(2), "untouched");
    form->ClearOutputs(&outputs);
    EXPECT_EQ(form->ControlText(OutputEditId(0)), "?");
    EXPECT_EQ(form->ControlText(OutputEditId(1)), "?");
    EXPECT_EQ(form->ControlText(OutputEditId(2)), "untouched");
}

// Tab walks down the input column, then down the output column.
TEST_F(EditFieldFormTest, TabRunsThroughTheInputsThenTheOutputs) {
    // A shorter test first: the later rows are made after it, and still take
    // their place in the chain.
    PropertyList one;
    one.push_back(new PropertyDouble("Power", "0.95", false));
    form->SetInputs(&one);
    form->SetOutputs(&one);
    FillInputs();
    form->SetInputs(&inputs);
    for (const char* name : {"Power", "Critical t", "Df"})
        outputs.push_back(new PropertyDouble(name, "1", false));
    form->SetOutputs(&outputs);
    const std::vector<QWidget*> expected = {
        form->Edit(InputEditId(0)),         form->List(InputListId(1)),
        form->Button(DetermineButtonId(2)), form->Edit(InputEditId(2)),
        form->Edit(InputEditId(3)),         form->Edit(OutputEditId(0)),
        form->Edit(OutputEditId(1)),        form->Edit(OutputEditId(2)),
    };
    expected.front()->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> visited = {QApplication::focusWidget()};
    for (size_t i = 1; i < expected.size(); ++i) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
        visited.push_back(QApplication::focusWidget());
    }
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(visited[i], expected[i]) << "stop " << i;
}

}  // namespace
