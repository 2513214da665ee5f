#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <functional>
#include <string_view>

#include "platform/scripted_dialogs.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"

namespace {

using namespace std::string_view_literals;

// An owner that vetoes the end of the edit of one cell.
class VetoingOwner : public FakeGridOwner {
  public:
    long OnGridNotify(const GridNotify& note) override {
        FakeGridOwner::OnGridNotify(note);
        return note.code == kNotifyEndLabelEdit && CCellID(note.row, note.col) == vetoed ? -1 : 0;
    }
    CCellID vetoed;
};

// A grid whose drag is delivered by the test instead of a drag loop.
class DragSourceGrid : public CGridCtrl {
  public:
    using CGridCtrl::CGridCtrl;
    std::function<Qt::DropAction(const QMimeData&)> deliver;

  protected:
    Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> mime) override { return deliver(*mime); }
};

// The grid's texts, rows joined by '|' and cells by ';'.
QString Texts(const CGridCtrl& grid) {
    QStringList rows;
    for (int r = 0; r < grid.GetRowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.GetColumnCount(); ++c) cells << grid.GetItemText(r, c);
        rows << cells.join(QLatin1Char(';'));
    }
    return rows.join(QLatin1Char('|'));
}

std::unique_ptr<QMimeData> PlainText(const QByteArray& bytes) {
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QStringLiteral("text/plain"), bytes);
    return mime;
}

void Select(CGridCtrl& grid, int row, int col) {
    grid.SetItemState(row, col, grid.GetItemState(row, col) | kCellSelected);
}

// A synthetic drag over (enter, move) and drop at `at`; the action the drop
// took, or IgnoreAction when the grid refused it.
Qt::DropAction DropOn(CGridCtrl& grid, const QMimeData& mime, QPoint at,
                      Qt::KeyboardModifiers keys) {
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, offered, &mime, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(grid.viewport(), &enter);
    QDragMoveEvent move(at, offered, &mime, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(grid.viewport(), &move);
    if (!move.isAccepted()) return Qt::IgnoreAction;
    QDropEvent drop(QPointF(at), offered, &mime, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(grid.viewport(), &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// A 4 x 4 grid without fixed cells, cells 60 x 20.
class GridClipboard : public ::testing::Test {
  protected:
    void SetUp() override {
        ShapeGrid(grid, 4, 4, 0, 0, 60, 20, 240, 80);
        grid.SetOwner(&owner);
    }
    VetoingOwner owner;
    CGridCtrl grid;
};

TEST_F(GridClipboard, CopyWritesTabsBetweenFieldsAndLineFeedsBetweenRows) {
    grid.SetItemText(1, 1, "a");
    grid.SetItemText(1, 2, "b");
    grid.SetItemText(2, 1, "c");
    grid.SetItemText(2, 2, "d");
    grid.SetSelectedRange(1, 1, 2, 2);
    const std::unique_ptr<QMimeData> mime = grid.CopyTextFromGrid();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->data("text/plain"), QByteArray("a\tb\nc\td"));
    EXPECT_EQ(mime->text(), "a\tb\nc\td");

    grid.OnEditCopy();
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->text(), "a\tb\nc\td");
}

TEST_F(GridClipboard, CopyLeavesUnselectedCellsEmptyAndHiddenOnesOut) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) grid.SetItemText(r, c, QStringLiteral("%1%2").arg(r).arg(c));
    // The corners of rows 0-2 and columns 0-2 only; column 1 and row 1 are
    // part of the range, then column 1 is hidden.
    Select(grid, 0, 0);
    Select(grid, 0, 2);
    Select(grid, 2, 0);
    Select(grid, 2, 2);
    EXPECT_EQ(grid.CopyTextFromGrid()->text(), "00\t\t02\n\t\t\n20\t\t22");
    grid.SetColumnWidth(1, 0);
    grid.SetRowHeight(1, 0);
    EXPECT_EQ(grid.CopyTextFromGrid()->text(), "00\t02\n20\t22");

    grid.ClearSelection();
    EXPECT_EQ(grid.CopyTextFromGrid(), nullptr);
}

TEST_F(GridClipboard, PasteSplitsAtTabsAndCommasTrimsAndDropsWhatFallsOutside) {
    struct Case {
        std::string_view text;
        int row, col;
        const char* expected;
    };
    const Case cases[] = {
        {"1,5\t2", 0, 0, "1;5;2;|;;;|;;;|;;;"},
        {"x,,y", 1, 0, ";;;|x;;y;|;;;|;;;"},
        {"a\tb\n", 3, 2, ";;;|;;;|;;;|;;a;b"},
        {" 3 \t\t  4\n\n5", 0, 1, ";3;;4|;;;|;5;;|;;;"},
        {"p\tq\tr\ns\tt\tu", 3, 2, ";;;|;;;|;;;|;;p;q"},
        {"\xCE\x94\t\xC3\xA9", 0, 0, "\xCE\x94;\xC3\xA9;;|;;;|;;;|;;;"},
        {"z\0y"sv, 0, 0, "z;;;|;;;|;;;|;;;"},
    };
    for (const Case& c : cases) {
        grid.ClearCells(0, 0, 3, 3);
        const QByteArray bytes(c.text.data(), static_cast<qsizetype>(c.text.size()));
        EXPECT_TRUE(grid.PasteTextToGrid(c.row, c.col, PlainText(bytes).get(), false)) << c.text;
        EXPECT_EQ(Texts(grid), QString::fromUtf8(c.expected)) << c.text;
    }
}

TEST_F(GridClipboard, PasteSkipsHiddenCellsAndSelectsWhatItPasted) {
    grid.SetColumnWidth(1, 0);
    grid.SetRowHeight(1, 0);
    EXPECT_TRUE(grid.PasteTextToGrid(0, 0, PlainText("a\tb\nc\td").get(), true));
    EXPECT_EQ(Texts(grid), "a;;b;|;;;|c;;d;|;;;");
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(0, 0, 2, 2));
}

TEST_F(GridClipboard, PasteHonoursVetoesAndReadOnlyCells) {
    grid.SetItemText(0, 1, "kept");
    owner.vetoed = CCellID(0, 1);
    grid.SetItemState(0, 2, grid.GetItemState(0, 2) | kCellReadOnly);
    EXPECT_TRUE(grid.PasteTextToGrid(0, 0, PlainText("1\t2\t3\t4").get(), false));
    EXPECT_EQ(grid.GetItemText(0, 0), "1");
    EXPECT_EQ(grid.GetItemText(0, 1), "kept");
    EXPECT_EQ(grid.GetItemText(0, 2), "");
    EXPECT_EQ(grid.GetItemText(0, 3), "4");

    // A read-only target, a grid that is not editable, or data without text
    // take nothing.
    EXPECT_FALSE(grid.PasteTextToGrid(0, 2, PlainText("x").get(), false));
    grid.SetEditable(false);
    EXPECT_FALSE(grid.PasteTextToGrid(1, 0, PlainText("x").get(), false));
    grid.SetEditable(true);
    QMimeData image;
    image.setData("image/png", "\x89PNG");
    EXPECT_FALSE(grid.PasteTextToGrid(1, 0, &image, false));
    EXPECT_EQ(Texts(grid), "1;kept;;4|;;;|;;;|;;;");
}

TEST_F(GridClipboard, ACellWithACommaSurvivesCopyAndPaste) {
    grid.SetItemText(0, 0, "=max(1,2)");
    grid.SetItemText(0, 1, "3");
    grid.SetSelectedRange(0, 0, 0, 1);
    grid.OnEditCopy();
    grid.SetSelectedRange(2, 1, 2, 1);
    grid.OnEditPaste();
    EXPECT_EQ(grid.GetItemText(2, 1), "=max(1,2)");
    EXPECT_EQ(grid.GetItemText(2, 2), "3");
    EXPECT_EQ(grid.GetItemText(2, 3), "");
    // Plain text from elsewhere keeps the comma as a separator.
    EXPECT_TRUE(grid.PasteTextToGrid(3, 0, PlainText("=max(1,2)").get(), false));
    EXPECT_EQ(grid.GetItemText(3, 0), "=max(1");
    EXPECT_EQ(grid.GetItemText(3, 1), "2)");
}

TEST_F(GridClipboard, CopyWritesUtf8AndRefusesTextThatIsNotUnicode) {
    grid.SetItemText(0, 0, QString::fromUtf8("\xCF\x83\xC2\xB2"));  // sigma, superscript 2
    grid.SetSelectedRange(0, 0, 0, 0);
    EXPECT_EQ(grid.CopyTextFromGrid()->data("text/plain"), QByteArray("\xCF\x83\xC2\xB2"));

    platform::ScriptedDialogs dialogs;
    QGuiApplication::clipboard()->setText("before");
    grid.SetItemText(1, 0, "ok");
    grid.SetItemText(1, 1, QString(QChar(0xD800)) + "x");  // a lone surrogate
    grid.SetSelectedRange(1, 0, 1, 1);
    grid.OnEditCut();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "The text of the cell in row 2, column 2 cannot be copied: it is not valid Unicode.");
    EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Warning);
    // Nothing reached the clipboard, so nothing was cut.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_EQ(grid.GetItemText(1, 0), "ok");
}

TEST_F(GridClipboard, CutEmptiesTheSelectedCellsThroughTheNotifiedWrite) {
    grid.SetItemText(0, 0, "a");
    grid.SetItemText(0, 1, "b");
    owner.vetoed = CCellID(0, 1);
    grid.SetSelectedRange(0, 0, 0, 1);
    grid.OnEditCut();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a\tb");
    EXPECT_EQ(grid.GetItemText(0, 0), "");
    EXPECT_EQ(grid.GetItemText(0, 1), "b");
    EXPECT_EQ(owner.Count(kNotifyEndLabelEdit), 2);
}

TEST_F(GridClipboard, EditCommandsAreEnabledByTheirRules) {
    const auto enabled = [&](int id) {
        platform::CommandState state;
        EXPECT_TRUE(grid.QueryCommand(id, &state));
        return state.enabled;
    };
    QGuiApplication::clipboard()->setText("t");
    EXPECT_FALSE(enabled(kCmdEditCopy));
    EXPECT_FALSE(enabled(kCmdEditPaste));  // no focus cell
    grid.SetSelectedRange(1, 1, 1, 1);
    grid.SetFocusCell(1, 1);
    EXPECT_TRUE(enabled(kCmdEditCopy));
    EXPECT_TRUE(enabled(kCmdEditCut));
    EXPECT_TRUE(enabled(kCmdEditPaste));
    grid.SetItemState(1, 1, grid.GetItemState(1, 1) | kCellReadOnly);
    EXPECT_FALSE(enabled(kCmdEditPaste));
    grid.SetEditable(false);
    EXPECT_FALSE(enabled(kCmdEditCut));
    EXPECT_TRUE(enabled(kCmdEditSelectAll));

    owner.notes.clear();
    EXPECT_TRUE(grid.HandleCommand(kCmdEditSelectAll));
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(0, 0, 3, 3));
    EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifySelChanging, kNotifySelChanged}));
}

TEST(GridClipboardEditing, PasteGoesIntoAnOpenEditor) {
    QWidget window;
    auto* grid = new CGridCtrl(0, 0, 0, 0, &window);
    ShapeGrid(*grid, 2, 2, 0, 0, 60, 20, 120, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    grid->setFocus();
    grid->SetItemText(0, 0, "ab");
    grid->SetFocusCell(0, 0);
    QGuiApplication::clipboard()->setText("xy");
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(grid->GetCell(0, 0)->GetEditWnd());
    ASSERT_NE(editor, nullptr);
    grid->OnEditPaste();
    EXPECT_EQ(editor->text(), "abxy");
    EXPECT_EQ(grid->GetItemText(0, 0), "ab");
    EXPECT_EQ(grid->GetItemText(0, 1), "");
    grid->EndEditing();
    EXPECT_EQ(grid->GetItemText(0, 0), "abxy");
}

TEST_F(GridClipboard, ADropPastesAtTheCellUnderThePoint) {
    grid.EnableDragAndDrop(true);
    const std::unique_ptr<QMimeData> mime = PlainText("d1\td2");
    EXPECT_EQ(DropOn(grid, *mime, QPoint(65, 45), Qt::ControlModifier), Qt::CopyAction);
    EXPECT_EQ(grid.GetItemText(2, 1), "d1");
    EXPECT_EQ(grid.GetItemText(2, 2), "d2");
    EXPECT_EQ(grid.GetItemState(2, 1) & kCellDropHighlighted, 0u);

    // Over a read-only cell, or with drag and drop off, nothing is taken.
    grid.SetItemState(3, 0, grid.GetItemState(3, 0) | kCellReadOnly);
    EXPECT_EQ(DropOn(grid, *mime, QPoint(5, 65), Qt::NoModifier), Qt::IgnoreAction);
    grid.EnableDragAndDrop(false);
    EXPECT_EQ(DropOn(grid, *mime, QPoint(5, 5), Qt::NoModifier), Qt::IgnoreAction);
    EXPECT_EQ(Texts(grid), ";;;|;;;|;d1;d2;|;;;");
}

TEST_F(GridClipboard, DraggingCopiesWithCtrlAndMovesWithout) {
    DragSourceGrid source;
    ShapeGrid(source, 2, 2, 0, 0, 60, 20, 120, 40);
    FakeGridOwner sourceOwner;
    source.SetOwner(&sourceOwner);
    source.EnableDragAndDrop(true);
    grid.EnableDragAndDrop(true);

    for (Qt::KeyboardModifiers keys :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::NoModifier)}) {
        source.SetItemText(1, 0, "m");
        source.SetItemText(1, 1, "n");
        source.SetSelectedRange(1, 0, 1, 1);
        source.deliver = [&](const QMimeData& mime) {
            return DropOn(grid, mime, QPoint(5, 5), keys);
        };
        sourceOwner.notes.clear();
        source.OnBeginDrag();
        ASSERT_FALSE(sourceOwner.notes.empty());
        EXPECT_EQ(sourceOwner.notes[0].code, kNotifyBeginDrag);
        EXPECT_EQ(CCellID(sourceOwner.notes[0].row, sourceOwner.notes[0].col), CCellID(1, 0));
        EXPECT_EQ(grid.GetItemText(0, 0), "m");
        EXPECT_EQ(grid.GetItemText(0, 1), "n");
        const bool moved = keys == Qt::NoModifier;
        EXPECT_EQ(source.GetItemText(1, 0), moved ? "" : "m");
        EXPECT_EQ(source.GetItemText(1, 1), moved ? "" : "n");
        EXPECT_EQ(source.GetMouseMode(), kMouseNothing);
    }
}

}  // namespace
