#include "app/xy_plot_view.h"

#include <QPainter>

#include "app/xy_plot_window.h"
#include "platform/painting.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"

CPlotGraphView::CPlotGraphView(CPlotAndTable* owner, mathtext::LabelFontSets* fonts,
                               QWidget* parent)
    : QWidget(parent), owner_(owner), fonts_(fonts), graph_(fonts) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CPlotGraphView::~CPlotGraphView() = default;

void CPlotGraphView::DrawGraph(QPainter* g, const QRectF& rect) {
    XYPlotOptions options;
    if (owner_) {
        options.plotValid = owner_->PlotValid();
        options.markers = owner_->MarkersShown();
        options.valueLabels = owner_->ValueLabelsShown();
        options.digits = owner_->ValueDigits();
    }
    graph_.Draw(g, rect, settings_, options);
}

void CPlotGraphView::ClearBackground(QPainter* g, const QRectF& rect) {
    g->fillRect(rect, platform::FromArgb(0xFFFFFFFF));
}

void CPlotGraphView::FitToParent() {
    if (parentWidget()) setGeometry(parentWidget()->rect());
}

void CPlotGraphView::paintEvent(QPaintEvent*) {
    // The first graph that draws sets the symbol fonts' scales.
    if (fonts_ && !fonts_->Matched()) {
        mathtext::UpdateSymbolFontScales();
        fonts_->MatchLabelFonts();
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = logicalDpiX() / 72.0;
    painter.scale(scale, scale);
    DrawGraph(&painter, QRectF(0, 0, width() / scale, height() / scale));
}

void CPlotGraphView::CopyPlot() {}
void CPlotGraphView::SavePlot() {}
void CPlotGraphView::PrintPlot() {}
