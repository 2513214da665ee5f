#include "ui/graphics/mathtext/math_text_label.h"

#include <QEvent>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <memory>

#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace mathtext {

namespace {

constexpr char kPainterName[] = "quorixMathText";
// Pixels that smoothing may add beside a glyph's outline.
constexpr qreal kSmoothing = 1.0;

class MathTextPainter : public QObject {
  public:
    MathTextPainter(QLabel* label, LabelFontSets* fonts) : QObject(label), fonts_(fonts) {
        setObjectName(QLatin1String(kPainterName));
        label->installEventFilter(this);
    }

    void SetMarkup(const QString& markup, LabelFontSets* fonts) {
        if (fonts != fonts_) label_.reset();
        fonts_ = fonts;
        markup_ = markup;
        if (label_) label_->SetText(markup_, true);
    }
    const QString& Markup() const { return markup_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || markup_.isEmpty() || !fonts_ || !SymbolMapPointer())
            return false;
        auto* control = static_cast<QLabel*>(watched);
        Paint(control);
        return true;
    }

  private:
    void Paint(QLabel* control) {
        if (!fonts_->Matched()) {
            UpdateSymbolFontScales();
            fonts_->MatchLabelFonts();
        }
        const float pixels = static_cast<float>(QFontInfo(control->font()).pixelSize());
        if (!label_ || size_ != pixels) {
            label_ = std::make_unique<MathLabel>(QStringLiteral("control"), pixels, true,
                                                 &fonts_->labelFonts, &fonts_->labelFonts,
                                                 SymbolMapPointer());
            label_->SetText(markup_, true);
            label_->SetTextSpacing(true);
            size_ = pixels;
        }
        label_->SetTextColor(control->palette().color(control->foregroundRole()));
        label_->Draw(nullptr, 0, 0, kAlignBaseline, kAlignLeft, 0, false);

        QPainter painter(control);
        painter.setRenderHint(QPainter::Antialiasing);
        // The ink, not the advance, must fit: an italic letter or a script
        // reaches past the advance, and smoothing adds a pixel at each end.
        const QRectF area = QRectF(control->contentsRect()).adjusted(kSmoothing, 0, -kSmoothing, 0);
        const MathBox& box = label_->ContentBox();
        const float inkStart = std::min(0.0f, box.inkLeft);
        const float inkEnd = std::max(label_->Width(), box.inkLeft + box.inkWidth);
        const float span = inkEnd - inkStart;
        const float room = static_cast<float>(area.width());
        const float scale = span > room && span > 0.0f ? room / span : 1.0f;
        const Qt::Alignment align = control->alignment();
        float x = static_cast<float>(area.left()) - inkStart * scale;
        if (align & Qt::AlignRight) x = static_cast<float>(area.right()) - inkEnd * scale;
        if (align & Qt::AlignHCenter)
            x = static_cast<float>(area.center().x()) - (inkStart + inkEnd) / 2.0f * scale;
        // The baseline where the control's own font would put it.
        const QFontMetricsF metrics(control->font());
        const float baseline =
            static_cast<float>(area.center().y() + (metrics.ascent() - metrics.descent()) / 2.0);
        painter.translate(x, baseline);
        painter.scale(scale, scale);
        label_->Draw(&painter, 0, 0, kAlignBaseline, kAlignLeft, 0, true);
    }

    LabelFontSets* fonts_;
    QString markup_;
    std::unique_ptr<MathLabel> label_;
    float size_ = 0.0f;
};

MathTextPainter* PainterOf(const QLabel* label) {
    return label ? static_cast<MathTextPainter*>(label->findChild<QObject*>(
                       QLatin1String(kPainterName), Qt::FindDirectChildrenOnly))
                 : nullptr;
}

}  // namespace

void SetMathText(QLabel* label, const QString& markup, LabelFontSets* fonts) {
    if (!label) return;
    MathTextPainter* painter = PainterOf(label);
    if (!painter) painter = new MathTextPainter(label, fonts);
    painter->SetMarkup(fonts ? markup : QString(), fonts);
    label->update();
}

QString MathTextOf(const QLabel* label) {
    const MathTextPainter* painter = PainterOf(label);
    return painter ? painter->Markup() : QString();
}

}  // namespace mathtext
