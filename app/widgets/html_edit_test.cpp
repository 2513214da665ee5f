#include "app/widgets/html_edit.h"

#include <QTextDocument>

#include "platform/widget_test_main.h"

namespace {

TEST(CHTMLEdit, TableMarkupRowByRow) {
    EXPECT_EQ(CHTMLEdit::TableHtml({}),
              "<table border=\"1\" cellpadding=\"1\" cellspacing=\"1\">\n</table><br>");
    const QString cell =
        "<td style=\"font-family:'Lucida Sans Unicode',sans-serif; font-size:8pt;\"> ";
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
}

}  // namespace
