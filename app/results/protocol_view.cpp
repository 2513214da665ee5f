#include "app/results/protocol_view.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <cstdio>
#include <memory>

#include "analysis/protocol.h"
#include "app/results/protocol_entry.h"
#include "app/widgets/ui_helpers.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/fonts.h"

namespace {

constexpr double kPointSize = 8.5;
// Layout happens at 96 pixels per inch, as on the screen; a twip is 1/1440 inch.
constexpr double kTwipsPerPixel = 1440.0 / 96.0;

QColor FromColorRef(unsigned colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

unsigned ToColorRef(const QColor& colour) {
    return static_cast<unsigned>(colour.red()) | static_cast<unsigned>(colour.green()) << 8 |
           static_cast<unsigned>(colour.blue()) << 16;
}

QFont ProtocolFont() {
    return platform::MakeFont(QStringLiteral("Lucida Sans Unicode"), kPointSize);
}

QTextBlockFormat ParagraphFormat() {
    QList<QTextOption::Tab> tabs;
    for (int stop : CProtocolView::kTabStops)
        tabs.append(QTextOption::Tab(stop / kTwipsPerPixel, QTextOption::LeftTab));
    QTextBlockFormat format;
    format.setTabPositions(tabs);
    return format;
}

// Where each printed page starts in a document laid out without pages: a
// page ends before the first line that would reach beyond its height. Empty
// lines never start a page, so no page holds nothing but blank lines.
std::vector<double> PageStarts(const QTextDocument& document, double pageHeight) {
    std::vector<double> starts{0.0};
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty()) continue;
        const double blockTop = layout->blockBoundingRect(block).top();
        for (int i = 0; i < block.layout()->lineCount(); ++i) {
            const QTextLine line = block.layout()->lineAt(i);
            const double top = blockTop + line.y();
            if (top + line.height() - starts.back() > pageHeight && top > starts.back())
                starts.push_back(top);
        }
    }
    return starts;
}

}  // namespace

CProtocolEdit::CProtocolEdit(QWidget* parent) : QTextEdit(parent) {}

void CProtocolEdit::keyReleaseEvent(QKeyEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() == Qt::Key_A) {
            selectAll();
            viewport()->update();
        } else if (event->key() == Qt::Key_C) {
            copy();
        }
    }
    QTextEdit::keyReleaseEvent(event);
}

platform::DialogTemplate CProtocolView::Dialog() {
    platform::DialogTemplate t;
    t.id = 151;
    t.width = 337;
    t.height = 151;
    using platform::ControlKind;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect) {
        t.controls.push_back(
            platform::ControlSpec{id, kind, caption, rect, platform::kStyleNone, {}});
    };
    add(kTextArea, ControlKind::Area, "", {0, 0, 337, 132});
    add(kClearButton, ControlKind::PushButton, "Clear", {0, 136, 50, 14});
    add(kPrintButton, ControlKind::PushButton, "Print", {233, 136, 50, 14});
    add(kSaveButton, ControlKind::PushButton, "Save", {287, 136, 50, 14});
    return t;
}

CProtocolView::CProtocolView() : CFormViewEx(Dialog()) {}

CProtocolView::~CProtocolView() = default;

void CProtocolView::OnInitialUpdate() {
    QWidget* area = Control(kTextArea);
    if (!area || edit_) return;
    edit_ = new CProtocolEdit(area);
    edit_->setObjectName(QStringLiteral("protocol"));
    edit_->setGeometry(area->rect());
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit_->setLineWrapMode(QTextEdit::WidgetWidth);
    edit_->setFont(ProtocolFont());
    edit_->document()->setDefaultFont(ProtocolFont());
    edit_->setReadOnly(true);
    // Read-only, yet the keys select and copy.
    edit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    ApplyParagraphFormat();
    edit_->show();
}

void CProtocolView::ApplyParagraphFormat() {
    QTextCursor cursor(edit_->document());
    cursor.select(QTextCursor::Document);
    cursor.mergeBlockFormat(ParagraphFormat());
}

bool CProtocolView::IsEmpty() const {
    return !edit_ || edit_->document()->isEmpty();
}

void CProtocolView::AppendEntry(const std::string& text, int effects, unsigned colour) {
    if (!edit_) return;
    QTextCursor cursor(edit_->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setFontWeight((effects & ProtocolPiece::kBold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic((effects & ProtocolPiece::kItalic) != 0);
    format.setForeground(FromColorRef(colour));
    // New paragraphs take the tab stops of the one they split from.
    cursor.insertText(ToDisplayLabel(text), format);
}

void CProtocolView::AddRecord(const ProtocolRecord& record, const std::tm& when) {
    if (!edit_) return;
    QTextDocument* document = edit_->document();
    const int oldBlocks = document->blockCount();
    const bool separate = oldBlocks > 1;
    for (const ProtocolPiece& piece : ProtocolEntryPieces(record, ++entries_, when, separate))
        AppendEntry(piece.text, piece.effects, piece.colour);
    // The entry's header line at the top, as far as the text reaches below it.
    const QTextBlock header = document->findBlockByNumber(separate ? oldBlocks : 0);
    const QRectF bounds = document->documentLayout()->blockBoundingRect(header);
    edit_->verticalScrollBar()->setValue(static_cast<int>(bounds.top()));
}

void CProtocolView::AddRecord(const ProtocolRecord& record) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    AddRecord(record, local);
}

void CProtocolView::OnControlEvent(int id, platform::ControlEvent event) {
    if (event != platform::ControlEvent::Clicked) return;
    switch (id) {
        case kClearButton:
            OnClear();
            break;
        case kPrintButton:
            OnPrint();
            break;
        case kSaveButton:
            OnSave();
            break;
        default:
            break;
    }
}

void CProtocolView::OnClear() {
    if (IsEmpty()) return;
    if (platform::ShowMessage(
            window(),
            QStringLiteral("Do you really want to clear all entries in the protocol window?"),
            QStringLiteral("Quorix"), platform::MessageIcon::Question,
            platform::MessageButtons::YesNoDefaultNo) != platform::MessageAnswer::Yes)
        return;
    edit_->clear();
    ApplyParagraphFormat();
    edit_->viewport()->update();
    entries_ = 0;
}

void CProtocolView::OnPrint() {
    if (!edit_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Quorix Protocol"));
    if (!platform::PrintDialogs().ChooseTextPrinter(window(), &printer,
                                                    edit_->textCursor().hasSelection())) {
        std::fputs("Failure\n", stdout);
        std::fflush(stdout);
        return;
    }
    PrintTo(&printer);
    edit_->viewport()->update();
}

int CProtocolView::PrintTo(QPrinter* printer) const {
    if (!edit_) return 0;
    // A copy laid out at the printable width, at screen resolution, and cut
    // into pages; one scale takes it to the printer (fonts are sized in pixels).
    std::unique_ptr<QTextDocument> document;
    const QTextCursor selection = edit_->textCursor();
    if (printer->printRange() == QPrinter::Selection && selection.hasSelection()) {
        document = std::make_unique<QTextDocument>();
        document->setDefaultFont(ProtocolFont());
        QTextCursor(document.get()).insertFragment(selection.selection());
        QTextCursor all(document.get());
        all.select(QTextCursor::Document);
        all.mergeBlockFormat(ParagraphFormat());
    } else {
        document.reset(edit_->document()->clone());
    }
    document->setDocumentMargin(0);

    printer->setFullPage(true);  // the painter's origin is the corner of the sheet
    const QSizeF paper = printer->paperRect(QPrinter::Inch).size();
    const double margin = kPrintMargin / kTwipsPerPixel;
    const QSizeF page(paper.width() * 96.0 - 2 * margin, paper.height() * 96.0 - 2 * margin);
    if (page.width() <= 0 || page.height() <= 0) return 0;
    document->setTextWidth(page.width());
    const std::vector<double> starts = PageStarts(*document, page.height());
    const double end = document->size().height();

    QPainter painter;
    if (!painter.begin(printer)) return 0;
    const double scale = printer->resolution() / 96.0;
    const int pages = static_cast<int>(starts.size());
    for (int index = 0; index < pages; ++index) {
        if (index > 0) printer->newPage();
        const double top = starts[index];
        const double bottom = index + 1 < pages ? starts[index + 1] : end;
        painter.save();
        painter.scale(scale, scale);
        painter.translate(margin, margin - top);
        painter.setClipRect(QRectF(0, top, page.width(), bottom - top));
        // The layout draws every line that touches its clip: a line that ends
        // where the page starts would go into the file a second time.
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, top + 0.5, page.width(), bottom - top - 1.0);
        document->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    return pages;
}

std::vector<rtf::Run> CProtocolView::Runs() const {
    std::vector<rtf::Run> runs;
    if (!edit_) return runs;
    const QTextDocument* document = edit_->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            const QTextCharFormat format = fragment.charFormat();
            runs.push_back(rtf::Run{fragment.text(), format.fontWeight() >= QFont::Bold,
                                    format.fontItalic(), ToColorRef(format.foreground().color())});
        }
        if (block.next().isValid()) runs.push_back(rtf::Run{QStringLiteral("\n")});
    }
    return runs;
}

std::string CProtocolView::ToRtf() const {
    rtf::Style style;
    style.halfPoints = static_cast<int>(kPointSize * 2);
    style.tabStops.assign(std::begin(kTabStops), std::end(kTabStops));
    return rtf::WriteDocument(Runs(), style);
}

void CProtocolView::OnSave() {
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Name of protocol file");
    GetMyDocumentsFolder(&request.folder);
    request.defaultSuffix = QStringLiteral("rtf");
    request.fileName = QStringLiteral("*.rtf");
    const auto chosen = platform::FileDialogs().SaveFileName(window(), request);
    if (!chosen || chosen->isEmpty()) return;
    const std::string text = ToRtf();
    QString error;
    if (!platform::SaveFileAtomically(
            *chosen, QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error)) {
        platform::ShowMessage(
            window(),
            QStringLiteral("The protocol could not be saved as\n%1\n\n%2").arg(*chosen, error),
            QStringLiteral("Quorix"), platform::MessageIcon::Warning);
    }
}
