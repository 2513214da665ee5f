#pragma once

// Typesets a label control's math-text markup in place of its plain text.
// The control keeps its plain text (what it reports and what a reader of the
// window gets); only the painting changes.

#include <QString>

class QLabel;

namespace mathtext {

class LabelFontSets;

// Draws `markup` in `label` with the label font sets (their label fonts for
// words and numbers, the symbol fonts for Greek letters and operators), in
// the label's font size, colour and horizontal alignment, vertically centred
// and made smaller where it would not fit. An empty markup or no font sets
// gives the control back its own painting.
void SetMathText(QLabel* label, const QString& markup, LabelFontSets* fonts);

// The markup a label shows, or an empty string.
QString MathTextOf(const QLabel* label);

}  // namespace mathtext
