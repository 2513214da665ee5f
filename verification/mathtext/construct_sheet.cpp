// Renders the stacked and delimited constructs of the markup into a PNG sheet
// (accents, stacked relations, braces, tables, delimiters, names with
// limits), each with its measured box in green and its baseline in grey, to
// be compared by eye with what they should look like.
// Usage: mathtext_construct_sheet out.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/mathtext/symbol_table.h"

using namespace mathtext;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    InitSymbolFonts();
    UpdateSymbolFontScales();
    bool ok = false;
    {
        LabelFontSets fonts;
        fonts.MatchLabelFonts();
        const QStringList texts = {
            // Line accents and glyph accents.
            QStringLiteral("a+\\bar{x} \\quad \\vec{v} \\quad \\widehat{xyz} \\quad "
                           "\\widetilde{abcd} \\quad \\bar{\\bar{x}} \\quad \\widetilde{}"),
            QStringLiteral("\\hat{x} \\tilde{a} \\dot{x} \\ddot{y} \\acute{e} \\grave{e} "
                           "\\breve{u} \\check{a} \\mathring{A} \\hat{\\hat{x}} \\tilde{} b"),
            // Stacked relations and names with limits.
            QStringLiteral("a \\stackrel{def}{=} b \\quad x \\stackrel{abcdef}{=} y \\quad "
                           "x_{\\stackrel{!}{=}}"),
            QStringLiteral("\\lim_{x \\to 0} f \\quad \\max _{i} x_i \\quad \\limsup_{n} a_n "
                           "\\quad \\det A \\quad x_{\\lim_{n}}"),
            // Braces.
            QStringLiteral("\\underbrace{a+b+c}_{n} \\quad \\underbrace{x}_{wide text} \\quad "
                           "\\overbrace{a+b+c}^{n} \\quad \\overbrace{x+y}"),
            // Delimiters: small content (glyphs scaled to it), a line of text
            // and tall content (stroked outlines), plain delimiters.
            QStringLiteral("\\left( \\infty \\right) \\left[ \\cdot \\right] "
                           "\\left\\{ \\infty \\right\\} \\left| \\infty \\right| "
                           "\\left\\| \\infty \\right\\| \\left\\langle \\infty "
                           "\\right\\rangle \\left( \\infty \\right)^{2}_{i}"),
            QStringLiteral("\\left( x \\right) \\left[ x \\right] \\left\\{ x \\right\\} "
                           "\\left| x \\right| \\left\\langle x \\right\\rangle ( [ \\{ \\| "
                           "\\langle x \\rangle"),
            QStringLiteral("\\left( \\frac{a}{b} \\right) \\left[ \\frac{a}{b} \\right] "
                           "\\left\\{ \\frac{a}{b} \\right\\} \\left\\| \\frac{a}{b} \\right\\| "
                           "\\left\\langle \\frac{a}{b} \\right\\rangle"),
            QStringLiteral(
                "\\left. \\frac{x^2}{2} \\right|_{0}^{1} \\quad \\left( x "
                "\\right)^2 \\quad {n \\choose k} \\quad \\left( \\frac{\\frac{a}{b}}{c} "
                "\\right)_{i}"),
            // Tables.
            QStringLiteral("\\array{a & b \\\\ c & d} \\quad \\begin{eqnarray} x & = & y+1 \\\\ "
                           "z & = & 2 \\end{eqnarray}"),
            QStringLiteral("\\begin{array}{lcr} a & b & c \\\\ xxx & yyy & zzz \\end{array} "
                           "\\quad \\begin{array}{*{3}{c}} 1 & 22 & 333 \\\\ 4444 & 5 & 6 "
                           "\\end{array} \\quad \\begin{array}{c@{:}c} a & b \\end{array}"),
            QStringLiteral("\\left( \\begin{matrix} a & b \\\\ c & d \\end{matrix} \\right) "
                           "\\quad \\begin{array}{cc} \\frac{1}{2} & x \\\\ y & "
                           "\\sum_{i} i \\end{array}"),
        };
        MathLabel label(QStringLiteral("sheet"), 14.0f, false, &fonts.romanFonts,
                        &fonts.romanItalicFonts, SymbolMapPointer());
        const int rowH = 170;
        QImage page(1400, rowH * texts.size() + 10, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        p.setRenderHint(QPainter::Antialiasing);
        QFont small(QStringLiteral("DejaVu Sans Mono"));
        small.setPixelSize(10);
        for (int i = 0; i < texts.size(); ++i) {
            const float base = 20.0f;
            p.save();
            p.translate(10, 10 + rowH * i + 45);
            p.scale(2.5, 2.5);
            label.SetText(texts[i], true);
            label.Draw(&p, 0, base, kAlignBaseline, kAlignLeft, 0, true);
            p.setPen(QPen(QColor(0, 160, 0, 140), 0));
            p.drawRect(QRectF(0, base - label.Ascent(), label.Width(), label.Height()));
            p.setPen(QPen(QColor(160, 160, 160, 120), 0));
            p.drawLine(QPointF(0, base), QPointF(label.Width(), base));
            p.restore();
            p.setFont(small);
            p.setPen(QColor(110, 110, 170));
            p.drawText(QPointF(10, 10 + rowH * i + 12), texts[i]);
        }
        p.end();
        ok = page.save(QString::fromLocal8Bit(argv[1]));
    }
    FreeSymbolFonts();
    ClearSymbolMap();
    return ok ? 0 : 1;
}
