#include "app/widgets/html_edit.h"

#include <QClipboard>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

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

    // What the reader sees: the texts as typed, in the order appended, a
    // table row a line.
    const QString shown = edit.PlainText();
    EXPECT_TRUE(shown.contains("Means & <b>effects</b>\n"));
    EXPECT_TRUE(shown.contains("\nx<y\t2\nR&D\t<i>3</i>\n"));
    EXPECT_LT(shown.indexOf("effects"), shown.indexOf("x<y"));
    EXPECT_TRUE(shown.endsWith("\nend"));

    // The table stands in the document as one character that holds it.
    const int at =
        static_cast<int>(edit.document()->toPlainText().indexOf(QChar::ObjectReplacementCharacter));
    ASSERT_GE(at, 0);
    const CHTMLEdit::Table* table = edit.TableAt(at);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(*table, (CHTMLEdit::Table{{"x<y", "2"}, {"R&D", "<i>3</i>"}}));
    EXPECT_EQ(edit.TableAt(0), nullptr);

    // Appended at once or piece by piece, the document is the same.
    CHTMLEdit batch;
    batch.BeginAppending();
    batch.AppendParagraph("Means & <b>effects</b>");
    batch.AppendRule();
    batch.AppendTable({{"x<y", "2"}, {"R&D", "<i>3</i>"}});
    batch.AppendParagraph("end");
    batch.EndAppending();
    EXPECT_EQ(batch.Body(), body);
    EXPECT_EQ(batch.PlainText(), shown);
    EXPECT_EQ(batch.document()->toPlainText(), edit.document()->toPlainText());
    batch.NewDocument();
    EXPECT_TRUE(batch.Body().isEmpty());
    EXPECT_TRUE(batch.PlainText().isEmpty());
    EXPECT_TRUE(batch.document()->toPlainText().isEmpty());
}

// A table wider than the view keeps its rows whole (a "-1" never breaks)
// and the view scrolls sideways; a long one is drawn where the view is
// scrolled to, and a wider cell text makes its table wider.
TEST(CHTMLEdit, TablesAreMeasuredAndDrawnWhereTheyAreInSight) {
    CHTMLEdit edit;
    edit.resize(200, 150);
    std::vector<QString> wide;
    for (int c = 0; c < 30; ++c) wide.push_back(c % 2 ? "-1" : "0.050");
    CHTMLEdit::Table tall;
    for (int r = 0; r < 300; ++r) tall.push_back({QString::number(r), "-1"});
    edit.BeginAppending();
    edit.AppendParagraph("wide");
    edit.AppendTable({wide, wide});
    edit.AppendTable(tall);
    edit.EndAppending();
    edit.show();
    QCoreApplication::processEvents();

    QTextDocument* doc = edit.document();
    const QSizeF size = doc->size();
    EXPECT_GT(size.width(), 30 * 10);
    EXPECT_GT(size.height(), 300 * 10);
    EXPECT_GT(edit.horizontalScrollBar()->maximum(), 0);

    // The drawn text is black on white; the grid is grey.
    auto inked = [&] {
        const QImage image = edit.viewport()->grab().toImage();
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 60) ++dark;
        return dark;
    };
    edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    EXPECT_GT(inked(), 50) << "the rows scrolled to are drawn";
    edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
    EXPECT_GT(inked(), 50);

    CHTMLEdit longer;
    longer.resize(40, 60);
    longer.show();
    longer.AppendTable({{"1", "2", "3", "4", "5", "6", "7", "8", "9"}});
    const qreal narrow = longer.document()->size().width();
    longer.NewDocument();
    longer.AppendTable({{"1", "2", "3", "4", "5", "6", "7", "8", "9.000000000"}});
    EXPECT_GT(longer.document()->size().width(), narrow + 20);
}

// Select all and copy, by keys: the tables come as their texts, a row a
// line, ready for a spreadsheet.
TEST(CHTMLEdit, CopiesTablesAsTheirTexts) {
    CHTMLEdit edit;
    edit.AppendParagraph("Test of: a x b");
    edit.AppendTable({{"Test", "Power"}, {"t test", "0.805"}});
    edit.show();
    edit.setFocus();
    QApplication::clipboard()->clear();
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "Test of: a x b\nTest\tPower\nt test\t0.805");
}

}  // namespace
