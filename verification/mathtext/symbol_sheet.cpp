// Renders every symbol of the math symbol table with its name into a PNG
// sheet, to be compared by eye with the fonts' own charts.
// Usage: mathtext_symbol_sheet out.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

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
    const int columns = 8, cellW = 150, cellH = 64;
    const int rows = (SymbolTableSize() + columns - 1) / columns;
    QImage image(columns * cellW, rows * cellH, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QBrush black(Qt::black);
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(10);
    painter.setFont(small);
    for (int i = 0; i < SymbolTableSize(); ++i) {
        const SymbolEntry& e = SymbolTable()[i];
        const QString name = QString::fromUtf16(e.name);
        CSymbol* s = FindSymbol(name);
        const int x = (i % columns) * cellW, y = (i / columns) * cellH;
        painter.setPen(QColor(220, 220, 220));
        painter.drawRect(x, y, cellW - 1, cellH - 1);
        // Each glyph centred in its cell by its ink; the grey line is its baseline.
        const float size = 0.24f;
        const SymbolBox ink = s->Measure(size, false, false);
        const float baseline = y + 28 + (ink.inkAscent - ink.inkDescent) / 2;
        painter.drawLine(QPointF(x + 4, baseline), QPointF(x + 70, baseline));
        SymbolBox box;
        s->Draw(&painter, x + 20, baseline, &black, &box, size, false, false, true);
        painter.setPen(Qt::darkBlue);
        painter.drawText(QPointF(x + 4, y + cellH - 6), QStringLiteral("%1  %2 #%3")
                                                            .arg(name)
                                                            .arg(int(e.glyph), 4, 16, QChar('0'))
                                                            .arg(e.fontRef));
    }
    painter.end();
    FreeSymbolFonts();
    ClearSymbolMap();
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
