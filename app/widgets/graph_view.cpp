#include "app/widgets/graph_view.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>

#include "app/widgets/label_font_source.h"
#include "platform/dialogs.h"
#include "platform/emf_picture.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/painting.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace {

constexpr double kPointsPerInch = 72.0;
// 20 mm in points.
constexpr double kPrintMargin = 56.693;

// The symbol fonts' scales and the frame's label fonts are matched once,
// before the first picture is drawn.
void MatchFonts(LabelFontSource* source) {
    if (!source || source->LabelFonts().Matched()) return;
    mathtext::UpdateSymbolFontScales();
    source->LabelFonts().MatchLabelFonts();
}

}  // namespace

CGraphView::CGraphView(LabelFontSource* fonts, QWidget* parent)
    : QWidget(parent), fontSource_(fonts) {
    // Every paint covers the whole client area: no background of its own.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CGraphView::~CGraphView() = default;

void CGraphView::DrawGraph(QPainter*, const QRectF&) {}

LabelFontSource* CGraphView::FontSource() {
    if (!fontSource_) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* source = dynamic_cast<LabelFontSource*>(w)) {
                fontSource_ = source;
                break;
            }
        }
    }
    return fontSource_;
}

void CGraphView::PrepareGraphics(QPainter* g, double dpi) {
    g->setRenderHint(QPainter::Antialiasing, true);
    g->setRenderHint(QPainter::TextAntialiasing, true);
    g->setRenderHint(QPainter::SmoothPixmapTransform, true);
    const double pixelsPerPoint = dpi / kPointsPerInch;
    g->scale(pixelsPerPoint, pixelsPerPoint);
}

QRectF CGraphView::PictureRect(double dpi) const {
    const double s = kPointsPerInch / dpi;
    return QRectF(0, 0, width() * s, height() * s);
}

void CGraphView::paintEvent(QPaintEvent* event) {
    LabelFontSource* fonts = FontSource();
    if (!fonts) return;
    MatchFonts(fonts);
    // The picture is drawn off-screen and copied at once, so a repaint
    // never shows a half-drawn graph.
    const QRect clip = event->rect();
    const qreal ratio = devicePixelRatioF();
    QImage buffer((QSizeF(clip.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(palette().color(backgroundRole()));
    {
        QPainter g(&buffer);
        g.translate(-clip.topLeft());
        const double dpi = logicalDpiX();
        PrepareGraphics(&g, dpi);
        DrawGraph(&g, PictureRect(dpi));
    }
    QPainter target(this);
    target.drawImage(clip.topLeft(), buffer);
}

QByteArray CGraphView::RecordPicture(QString* error) {
    MatchFonts(FontSource());
    const double dpi = logicalDpiX();
    platform::EmfPicture picture(size(), dpi);
    QPainter g;
    if (!g.begin(&picture)) {
        if (error) *error = picture.Error();
        return QByteArray();
    }
    PrepareGraphics(&g, dpi);
    const QRectF rect = PictureRect(dpi);
    DrawGraph(&g, rect);
    // A thin black frame along the picture's edges, inside it.
    QPen pen = platform::MakePen(QColor(0, 0, 0), 1);
    pen.setJoinStyle(Qt::MiterJoin);
    g.setPen(pen);
    g.setBrush(Qt::NoBrush);
    g.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    g.end();
    const QByteArray bytes = picture.Bytes();
    if (bytes.isEmpty() && error) *error = picture.Error();
    return bytes;
}

QImage CGraphView::RenderPicture() {
    MatchFonts(FontSource());
    const double dpi = logicalDpiX();
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter g(&image);
    PrepareGraphics(&g, dpi);
    const QRectF rect = PictureRect(dpi);
    DrawGraph(&g, rect);
    // The metafile's frame, so that both pictures look alike.
    QPen pen = platform::MakePen(QColor(0, 0, 0), 1);
    pen.setJoinStyle(Qt::MiterJoin);
    g.setPen(pen);
    g.setBrush(Qt::NoBrush);
    g.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    g.end();
    return image;
}

void CGraphView::Report(const QString& text, const QString& caption) {
    platform::ShowMessage(this, text, caption, platform::MessageIcon::Error);
}

bool CGraphView::CopyToClipboard() {
    QString error;
    const QByteArray bytes = RecordPicture(&error);
    update();
    if (bytes.isEmpty()) {
        Report(QStringLiteral("The plot could not be copied to the clipboard:\n") + error,
               QStringLiteral("Copy plot"));
        return false;
    }
    platform::PutPictureOnClipboard(bytes, RenderPicture());
    return true;
}

bool CGraphView::SaveAsEmf() {
    platform::FileDialogRequest request;
    request.title = QString::fromLatin1(graph_view_texts::kSaveTitle);
    request.folder = platform::DocumentsFolder();
    request.filter = QStringLiteral("Enhanced meta files (*.emf);;All files (*)");
    request.defaultSuffix = QStringLiteral("emf");
    request.fileName = QStringLiteral("*.emf");
    const std::optional<QString> path = platform::FileDialogs().SaveFileName(this, request);
    if (!path || path->isEmpty()) return false;
    QString error;
    const QByteArray bytes = RecordPicture(&error);
    update();
    if (bytes.isEmpty() || !platform::SaveFileAtomically(*path, bytes, &error)) {
        Report(QStringLiteral("The plot could not be saved as\n%1:\n%2").arg(*path, error),
               QStringLiteral("Save plot"));
        return false;
    }
    return true;
}

bool CGraphView::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromLatin1(graph_view_texts::kPrintDocument));
    // Margins are measured from the paper's edges.
    printer.setFullPage(true);
    if (!platform::PrintDialogs().ChoosePrinter(this, &printer)) return false;
    MatchFonts(FontSource());
    QPainter g;
    if (width() <= 0 || height() <= 0 || !g.begin(&printer)) {
        update();
        Report(QStringLiteral("The plot could not be printed:\nthe printer could not be started."),
               QStringLiteral("Print plot"));
        return false;
    }
    const double dpi = printer.resolution();
    PrepareGraphics(&g, dpi);
    const double pageWidth = printer.paperRect(QPrinter::Point).width();
    const double w = pageWidth - 2 * kPrintMargin;
    // One page only: a picture taller than the page is cut at its end.
    DrawGraph(&g, QRectF(kPrintMargin, kPrintMargin, w, w * height() / width()));
    const bool ok = g.end();
    update();
    if (!ok) {
        Report(QStringLiteral("The plot could not be printed:\nthe printer reported an error."),
               QStringLiteral("Print plot"));
    }
    return ok;
}
