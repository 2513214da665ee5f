#pragma once

#include <QString>
#include <QTextBrowser>
#include <vector>

// The explorer's result document: a read-only HTML view to which rules, bold
// paragraphs and tables of texts are appended at the end. Texts are shown as
// they are: "<" and "&" in them are escaped, never read as markup.
//
// Each piece goes into the document where it ends, as the text document's
// own blocks and tables: no markup is parsed and nothing appended before is
// touched again, so that a report of a thousand tables costs a thousand
// times one table, not the square of it. The markup of what has been
// appended is made only when asked for (Body).
class CHTMLEdit : public QTextBrowser {
  public:
    using Table = std::vector<std::vector<QString>>;  // rows x columns

    explicit CHTMLEdit(QWidget* parent = nullptr);

    // Starts an empty document.
    void NewDocument();
    void AppendRule();
    void AppendParagraph(const QString& text);
    void AppendTable(const Table& table);
    // The pieces appended between these two are laid out once, after the
    // last of them.
    void BeginAppending();
    void EndAppending();
    // Lays the document out again from what has been appended.
    void Refresh();

    // The markup of what has been appended so far, in order.
    QString Body() const;

    // The markup each append stands for.
    static QString RuleHtml();
    static QString ParagraphHtml(const QString& text);
    static QString TableHtml(const Table& table);

  private:
    struct Piece {
        enum Kind { kRule, kParagraph, kTable } kind;
        QString text;
        Table table;
    };
    void Insert(const Piece& piece);
    QTextDocument* NewTextDocument();

    std::vector<Piece> pieces_;
    int appending_ = 0;
    int inserted_ = 0;  // pieces in the document since it was cleared
    // Between BeginAppending and EndAppending: the document being written,
    // shown at the end.
    QTextDocument* building_ = nullptr;
};
