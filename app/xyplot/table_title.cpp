#include "app/xyplot/table_title.h"

#include <QPainter>

#include "app/widgets/ui_helpers.h"
#include "app/xyplot/xy_plot_settings.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/mathtext/symbol_table.h"
#include "ui/graphics/plot/plot_geometry.h"

namespace {

// Vertical places in points: the title, the subtitle's first and second line.
constexpr float kTitleY = 3;
constexpr float kSubtitleY = 16;
constexpr float kSubtitle2Y = 27;

}  // namespace

CTableTitle::CTableTitle(mathtext::LabelFontSets* fonts, QWidget* parent)
    : QWidget(parent), fonts_(fonts) {
    setObjectName(QStringLiteral("TableTitle"));
    setAutoFillBackground(false);
    if (fonts_ && mathtext::SymbolMapPointer()) {
        auto make = [&](const char* text, float size) {
            return std::make_unique<mathtext::MathLabel>(
                QString::fromLatin1(text), size, true, &fonts_->labelFonts,
                &fonts_->romanItalicFonts, mathtext::SymbolMapPointer());
        };
        titleLabel_ = make("table title", 10);
        subtitleLabel_ = make("table subtitle", 9);
        subtitle2Label_ = make("table subtitle2", 9);
    }
}

CTableTitle::~CTableTitle() = default;

void CTableTitle::SetSettings(const PlotSettings* settings) {
    settings_ = settings;
    update();
}

void CTableTitle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    title_.clear();
    subtitle1_.clear();
    subtitle2_.clear();
    if (!settings_ || settings_->tableCurves.empty() || !titleLabel_) return;
    if (!fonts_->Matched()) {
        mathtext::UpdateSymbolFontScales();
        fonts_->MatchLabelFonts();
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // Labels are laid out in points.
    const double pixelsPerPoint = logicalDpiX() / 72.0;
    painter.scale(pixelsPerPoint, pixelsPerPoint);
    const float x = static_cast<float>(width() / 2.0 / pixelsPerPoint);

    title_ = settings_->title;
    titleLabel_->SetText(ToMathTextLabel(title_), true);
    titleLabel_->Draw(&painter, x, kTitleY, mathtext::kAlignTop, mathtext::kAlignCentre, 0, true);

    const std::string& subtitle = settings_->subtitle;
    if (static_cast<int>(subtitle.size()) < kLineLimit) {
        subtitle1_ = subtitle;
    } else {
        auto [first, second] = plot::SplitSubtitle(subtitle, kLineLimit);
        subtitle1_ = first;
        subtitle2_ = second;
    }
    subtitleLabel_->SetText(ToMathTextLabel(subtitle1_), true);
    subtitleLabel_->Draw(&painter, x, kSubtitleY, mathtext::kAlignTop, mathtext::kAlignCentre, 0,
                         true);
    if (!subtitle2_.empty()) {
        subtitle2Label_->SetText(ToMathTextLabel(subtitle2_), true);
        subtitle2Label_->Draw(&painter, x, kSubtitle2Y, mathtext::kAlignTop, mathtext::kAlignCentre,
                              0, true);
    }
}
