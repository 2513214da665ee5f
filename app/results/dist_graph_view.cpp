#include "app/results/dist_graph_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "app/results/distribution_graph.h"
#include "app/results/result_host.h"
#include "platform/fonts.h"
#include "platform/painting.h"
#include "ui/graphics/mathtext/label_fonts.h"

CDistGraphView::CDistGraphView(ResultHost* host, QWidget* parent)
    : CGraphView(host, parent), host_(host) {}

ResultHost* CDistGraphView::Host() {
    if (!host_) host_ = dynamic_cast<ResultHost*>(FontSource());
    return host_;
}

CDistGraphView::~CDistGraphView() = default;

bool CDistGraphView::HasSomethingToDraw() {
    ResultHost* frame = Host();
    // A graph belongs to the outputs it was drawn with: once an input has
    // changed (or a new calculation runs) it stays blank until the next plot.
    return frame && drawEnabled_ && frame->PlotValid() && !data_.centralCurve.empty();
}

void CDistGraphView::DrawGraph(QPainter* g, const QRectF& rect) {
    ResultHost* frame = Host();
    if (!frame) return;
    if (!graph_) graph_ = std::make_unique<DistributionGraph>(&frame->LabelFonts());
    if (HasSomethingToDraw()) {
        graph_->Draw(g, rect, data_, oneTailed_);
        return;
    }
    graph_->Draw(g, rect, PlotData(), oneTailed_);  // the background only
    const QString note = NoteShown();
    if (!note.isEmpty()) {
        QFont font = platform::MakeFont(QStringLiteral("Lucida Sans Unicode"), 9);
        font.setPixelSize(9);  // the painter draws in points
        g->setFont(font);
        g->setPen(platform::FromArgb(0xFF404040));
        g->drawText(rect, Qt::AlignCenter, note);
    }
}

void CDistGraphView::RedrawBlank() {
    drawEnabled_ = false;
    repaint();
    drawEnabled_ = true;
}

void CDistGraphView::TakeNewPlot(bool oneTailed) {
    oneTailed_ = oneTailed;
    failed_ = false;
}

void CDistGraphView::SetFailed(bool failed) {
    failed_ = failed;
    update();
}

QString CDistGraphView::NoteShown() {
    ResultHost* frame = Host();
    // Only beside the outputs of the run that made (or could not make) the plot.
    if (!drawEnabled_ || !frame || !frame->OutputsValid()) return QString();
    if (failed_ && !frame->PlotValid()) return QString::fromLatin1(kCannotDrawText);
    if (frame->PlotValid() && data_.centralCurve.empty()) return QString::fromLatin1(kNoPlotText);
    return QString();
}

std::unique_ptr<QMenu> CDistGraphView::MakeContextMenu() {
    ResultHost* frame = Host();
    if (!frame || !frame->OutputsValid()) return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    const std::pair<const char*, bool (CGraphView::*)()> items[] = {
        {"Copy plot to clipboard", &CGraphView::CopyToClipboard},
        {"Save plot to file...", &CGraphView::SaveAsEmf},
        {"Print plot...", &CGraphView::Print},
    };
    const int ids[] = {command_ids::kCopyPlot, command_ids::kSavePlot, command_ids::kPrintPlot};
    for (int i = 0; i < 3; ++i) {
        QAction* action = menu->addAction(QString::fromLatin1(items[i].first));
        action->setData(ids[i]);
        action->setEnabled(ShowsPlot());
        auto operation = items[i].second;
        QObject::connect(action, &QAction::triggered, this,
                         [this, operation] { (this->*operation)(); });
    }
    return menu;
}

void CDistGraphView::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu = MakeContextMenu();
    if (menu) menu->exec(event->globalPos());
}
