#include "app/xyplot/xy_plot_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "platform/painting.h"

CPlotGraphView::CPlotGraphView(std::function<XYPlotOptions()> options,
                               mathtext::LabelFontSets* fonts, QWidget* parent)
    : CGraphView(nullptr, parent), options_(std::move(options)), graph_(fonts) {}

CPlotGraphView::~CPlotGraphView() = default;

void CPlotGraphView::DrawGraph(QPainter* g, const QRectF& rect) {
    graph_.Draw(g, rect, settings_, options_ ? options_() : XYPlotOptions());
}

void CPlotGraphView::FitToParent() {
    if (parentWidget()) setGeometry(parentWidget()->rect());
}

std::unique_ptr<QMenu> CPlotGraphView::MakeContextMenu() {
    if (!options_ || !options_().plotValid) return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    auto add = [&](int id, const char* text, auto handler) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setData(id);
        connect(action, &QAction::triggered, this, handler);
    };
    add(xy_plot_ids::kCopyPlotToClipboard, "Copy plot to clipboard", [this] { CopyToClipboard(); });
    add(xy_plot_ids::kSavePlotToFile, "Save plot to file...", [this] { SaveAsEmf(); });
    add(xy_plot_ids::kPrintPlotPicture, "Print plot...", [this] { Print(); });
    return menu;
}

void CPlotGraphView::contextMenuEvent(QContextMenuEvent* event) {
    if (std::unique_ptr<QMenu> menu = MakeContextMenu()) menu->exec(event->globalPos());
}
