#pragma once

// For the offscreen tests of windows with matrix grids and count fields:
// cells, fields and lists filled as a user fills them.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/in_place_edit.h"

namespace grid_input_test {

// Types `text` into cell (r, c) of `grid` and presses Enter.
inline void TypeIntoCell(CGridCtrl* grid, int r, int c, const QString& text) {
    grid->setFocus();
    grid->SetFocusCell(r, c);
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = dynamic_cast<CInPlaceEdit*>(grid->GetCell(r, c)->GetEditWnd());
    ASSERT_NE(editor, nullptr) << r << "," << c;
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}

// Replaces the text of a field as a user does.
inline void TypeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Chooses entry `index` of a list as a user does.
inline void Choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

}  // namespace grid_input_test
