#pragma once

#include <QString>
#include <QTextBrowser>
#include <vector>

class QMimeData;
class ReportTableObject;

// The explorer's result document: a read-only HTML view to which rules, bold
// paragraphs and tables of texts are appended at the end. Texts are shown as
// they are: "<" and "&" in them are escaped, never read as markup.
//
// Rules and paragraphs go into the document as its own blocks; a table goes
// in as one object character that the view measures when it lays the line
// out and draws only where it is in sight. No markup is parsed, nothing
// appended before is touched again, and the document holds a few lines a
// table however many cells it has, so that a report of a thousand large
// tables is laid out as quickly as a page of text. The markup of what has
// been appended is made only when asked for (Body); copying the selection
// gives the tables' texts, a row a line and a tab between cells.
class CHTMLEdit : public QTextBrowser {
  public:
    using Table = std::vector<std::vector<QString>>;  // rows x columns

    explicit CHTMLEdit(QWidget* parent = nullptr);
    ~CHTMLEdit() override;

    // Starts an empty document.
    void NewDocument();
    void AppendRule();
    void AppendParagraph(const QString& text);
    void AppendTable(Table table);
    // The pieces appended between these two are laid out once, after the
    // last of them.
    void BeginAppending();
    void EndAppending();
    // Lays the document out again from what has been appended.
    void Refresh();

    // The markup of what has been appended so far, in order.
    QString Body() const;
    // What the reader sees, as text: a line a paragraph and a table row,
    // the cells of a row apart by tabs.
    QString PlainText() const;
    // The table an object character of the document stands for, or null.
    const Table* TableAt(int position) const;

    // The markup each append stands for.
    static QString RuleHtml();
    static QString ParagraphHtml(const QString& text);
    static QString TableHtml(const Table& table);

  protected:
    QMimeData* createMimeDataFromSelection() const override;

  private:
    friend class ReportTableObject;
    struct Piece {
        enum Kind { kRule, kParagraph, kTable } kind;
        QString text;
        Table table;
    };
    void Insert(int index);
    QTextDocument* NewTextDocument();
    QTextDocument* Target() const;
    // The text between two positions of the shown document, each table
    // given as its rows.
    QString TextBetween(int from, int to) const;

    std::vector<Piece> pieces_;
    int appending_ = 0;
    int inserted_ = 0;  // pieces in the document since it was cleared
    // Between BeginAppending and EndAppending: the document being written,
    // shown at the end.
    QTextDocument* building_ = nullptr;
    ReportTableObject* tables_ = nullptr;
};
