#pragma once

#include <QString>
#include <QTextBrowser>
#include <vector>

// The explorer's result document: a read-only HTML view to which rules, bold
// paragraphs and tables of texts are appended at the end. Texts are shown as
// they are: "<" and "&" in them are escaped, never read as markup.
class CHTMLEdit : public QTextBrowser {
  public:
    using Table = std::vector<std::vector<QString>>;  // rows x columns

    explicit CHTMLEdit(QWidget* parent = nullptr);

    // Starts an empty document.
    void NewDocument();
    void AppendRule();
    void AppendParagraph(const QString& text);
    void AppendTable(const Table& table);
    // Replaces the whole document by `body` (markup built from the pieces
    // below), laid out once: a report of many tables appended piece by piece
    // would be laid out again for every piece.
    void SetBody(const QString& body);
    // Lays the document out again from what has been appended.
    void Refresh();

    // The markup appended so far, in order.
    const QString& Body() const { return body_; }

    // The markup each append adds.
    static QString RuleHtml();
    static QString ParagraphHtml(const QString& text);
    static QString TableHtml(const Table& table);

  private:
    void Append(const QString& html);

    QString body_;
};
