#include "app/widgets/html_edit.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include "platform/widget_test_main.h"

namespace {

TEST(CHTMLEdit, TableMarkupRowByRow) {
    EXPECT_EQ(CHTMLEdit::TableHtml({}),
              "<table border=\"1\" cellpadding=\"1\" cellspacing=\"1\">\n</table><br>");
    const QString cell =
        "<td style=\"font-family:'Lucida Sans Unicode',sans-serif; font-size:8pt; "
        "white-space:nowrap;\"> ";
    EXPECT_EQ(CHTMLEdit::TableHtml({{"a", "b"}, {"1"}}),
              "<table border=\"1\" cellpadding=\"1\" cellspacing=\"1\">\n"
              "<tr align=\"right\" >" +
                  cell + "a</td>" + cell +
                  "b</td>\n</tr>\n"
                  "<tr align=\"right\" >" +
                  cell + "1</td>\n</tr>\n</table><br>");
}

TEST(CHTMLEdit, AppendsInOrderAndShowsTextsLiterally) {
    CHTMLEdit edit;
    EXPECT_TRUE(edit.isReadOnly());
    edit.AppendParagraph("Means & <b>effects</b>");
    edit.AppendRule();
    edit.AppendTable({{"x<y", "2"}, {"R&D", "<i>3</i>"}});
    edit.AppendParagraph("end");

    const QString body = edit.Body();
    EXPECT_TRUE(body.startsWith(CHTMLEdit::ParagraphHtml("Means & <b>effects</b>")));
    EXPECT_TRUE(body.endsWith(CHTMLEdit::ParagraphHtml("end")));
    EXPECT_LT(body.indexOf("<hr><br>"), body.indexOf("<table"));
    EXPECT_FALSE(body.contains("<b>effects"));
    EXPECT_FALSE(body.contains("<i>3"));

    // What the reader sees: the texts as typed, in the order appended.
    const QString shown = edit.document()->toPlainText();
    const qsizetype p = shown.indexOf("Means & <b>effects</b>");
    const qsizetype t = shown.indexOf("x<y");
    const qsizetype r = shown.indexOf("R&D");
    const qsizetype i = shown.indexOf("<i>3</i>");
    const qsizetype e = shown.lastIndexOf("end");
    EXPECT_GE(p, 0);
    EXPECT_LT(p, t);
    EXPECT_LT(t, r);
    EXPECT_LT(r, i);
    EXPECT_LT(i, e);

    // The table is a table of the document, each text in its cell, right
    // aligned on a line that never breaks (a "-1" stays whole).
    QTextTable* table = nullptr;
    for (QTextFrame* frame : edit.document()->rootFrame()->childFrames())
        if (!table) table = qobject_cast<QTextTable*>(frame);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rows(), 2);
    ASSERT_EQ(table->columns(), 2);
    const QStringList cells = {"x<y", "2", "R&D", "<i>3</i>"};
    for (int k = 0; k < 4; ++k) {
        const QTextTableCell cell = table->cellAt(k / 2, k % 2);
        QTextCursor cursor = cell.firstCursorPosition();
        cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        EXPECT_EQ(cursor.selectedText(), cells[k]);
        EXPECT_EQ(cursor.blockFormat().alignment(), Qt::AlignRight);
        EXPECT_TRUE(cursor.blockFormat().nonBreakableLines());
    }

    // Appended at once or piece by piece, the document is the same.
    CHTMLEdit batch;
    batch.BeginAppending();
    batch.AppendParagraph("Means & <b>effects</b>");
    batch.AppendRule();
    batch.AppendTable({{"x<y", "2"}, {"R&D", "<i>3</i>"}});
    batch.AppendParagraph("end");
    batch.EndAppending();
    EXPECT_EQ(batch.Body(), body);
    EXPECT_EQ(batch.document()->toPlainText(), shown);
    batch.NewDocument();
    EXPECT_TRUE(batch.Body().isEmpty());
    EXPECT_TRUE(batch.document()->toPlainText().isEmpty());
}

}  // namespace
