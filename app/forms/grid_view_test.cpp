// The grid view of the main window as a user works in it: ranges selected
// with the mouse and with Shift and the arrows and copied whole, Esc to
// give up an edit, and outputs that blank once an input is edited.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

#include "app/forms/main_grid_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/in_place_edit.h"

namespace {

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

void Type(QWidget* target, const QString& text) {
    for (QChar c : text) Key(target, c.unicode(), Qt::NoModifier, QString(c));
}

void Mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

class GridView : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame_test::UseScriptedCatalogue(frame);  // inputs: alpha, power
        frame_test::ActiveScript() = &script;
        frame->Commands().Dispatch(command_ids::kGridView);
        ASSERT_TRUE(frame->GridViewShown());
        frame->show();
        frame->activateWindow();
        widget_test::RunEventsUntil([&] { return frame->isActiveWindow(); }, 2000);
        grid = frame->GridForm()->InputGrid();
        ASSERT_NE(grid, nullptr);
    }
    void TearDown() override {
        frame_test::ActiveScript() = nullptr;
        frame_test::ForgetScriptedFamilies();
    }
    QPoint Centre(CGridCtrl* g, int row, int col) {
        QRect rect;
        EXPECT_TRUE(g->CellRect(row, col, &rect));
        return rect.center();
    }
    void Drag(CGridCtrl* g, QPoint from, QPoint to) {
        // The grid scrolls: its cells are in its viewport.
        Mouse(g->viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        Mouse(g->viewport(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        Mouse(g->viewport(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    QString Copied(CGridCtrl* g) {
        QGuiApplication::clipboard()->clear();
        Key(g, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data ? data->text() : QString();
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
    CGridCtrl* grid = nullptr;
    frame_test::Script script;
};

TEST_F(GridView, ARangeSelectedWithTheMouseIsCopiedWhole) {
    Drag(grid, Centre(grid, 0, 1), Centre(grid, 1, 1));
    EXPECT_EQ(Copied(grid), "0.05\n0.8");
    // The outputs too, after a calculation.
    script.result = "0.25";
    frame->OnCalculate();
    CGridCtrl* outputs = frame->GridForm()->OutputGrid();
    outputs->setFocus();
    Drag(outputs, Centre(outputs, 0, 1), Centre(outputs, 0, 1));
    EXPECT_EQ(Copied(outputs), "0.25");
}

TEST_F(GridView, ShiftAndTheArrowsWidenTheRange) {
    Drag(grid, Centre(grid, 0, 1), Centre(grid, 0, 1));  // a click
    Key(grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Copied(grid), "0.05\n0.8");
    Key(grid, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Copied(grid), "0.05");
}

TEST_F(GridView, EscGivesUpAnEditAndLeavesTheCell) {
    grid->setFocus();
    grid->SetFocusCell(0, 1);
    Key(grid, Qt::Key_F2);
    QPointer<CInPlaceEdit> editor = grid->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    Type(editor, "99");
    // The main window keeps Esc for stopping a calculation; none runs.
    Key(editor, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(grid->GetItemText(0, 1), "0.05");
    EXPECT_FALSE(dialogs.messages.size() > 0);
}

TEST_F(GridView, EditingAnInputBlanksTheOutputsAsTheFormViewDoes) {
    script.result = "0.25";
    frame->OnCalculate();
    CGridCtrl* outputs = frame->GridForm()->OutputGrid();
    ASSERT_EQ(outputs->GetItemText(0, 1), "0.25");
    grid->setFocus();
    grid->SetFocusCell(0, 1);
    Key(grid, Qt::Key_F2);
    auto* editor = grid->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    Type(editor, "1");
    Key(editor, Qt::Key_Tab);  // Enter would calculate at once
    EXPECT_FALSE(frame->OutputsValid());
    EXPECT_EQ(outputs->GetItemText(0, 0), "Result");  // the label stays
    EXPECT_EQ(outputs->GetItemText(0, 1), "");
}

}  // namespace
