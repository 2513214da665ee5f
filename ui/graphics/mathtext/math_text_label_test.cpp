#include "ui/graphics/mathtext/math_text_label.h"

#include <QLabel>

#include "platform/widget_test_main.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace mathtext {
namespace {

// Dark pixels of a rendered control and the columns they span.
struct Ink {
    int count = 0;
    int left = 1 << 20;
    int right = -1;
};
Ink InkOf(QLabel& label) {
    const QImage image = label.grab().toImage();
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                ++ink.count;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
    return ink;
}

TEST(MathTextLabel, TypesetsTheMarkupAndKeepsThePlainText) {
    InitSymbolFonts();
    {
        LabelFontSets fonts;
        QLabel label(QString::fromUtf16(u"α err prob"));
        label.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label.resize(200, 20);
        const Ink plain = InkOf(label);

        SetMathText(&label, QStringLiteral("$\\alpha$ err prob"), &fonts);
        EXPECT_EQ(MathTextOf(&label), QStringLiteral("$\\alpha$ err prob"));
        EXPECT_EQ(label.text(), QString::fromUtf16(u"α err prob"));
        const Ink typeset = InkOf(label);
        EXPECT_GT(typeset.count, 0);
        EXPECT_NE(typeset.count, plain.count);
        EXPECT_GE(typeset.right, 190);  // right-aligned like the control's text
        EXPECT_TRUE(fonts.Matched());   // scales matched before the first label

        // Too long for the control: drawn smaller, never cut.
        label.resize(60, 20);
        const Ink squeezed = InkOf(label);
        EXPECT_GE(squeezed.left, 0);
        EXPECT_LE(squeezed.right, 59);
        EXPECT_GT(squeezed.count, 0);

        // Without font sets the control paints itself again.
        label.resize(200, 20);
        SetMathText(&label, QStringLiteral("$\\alpha$ err prob"), nullptr);
        EXPECT_EQ(MathTextOf(&label), QString());
        EXPECT_EQ(InkOf(label).count, plain.count);
    }
    FreeSymbolFonts();
    ClearSymbolMap();
}

}  // namespace
}  // namespace mathtext
