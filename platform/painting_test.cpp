#include "platform/painting.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace platform {
namespace {

TEST(Painting, ConvertsPenVocabulary) {
    const std::pair<LineCap, Qt::PenCapStyle> caps[] = {{LineCap::Flat, Qt::FlatCap},
                                                        {LineCap::Square, Qt::SquareCap},
                                                        {LineCap::Round, Qt::RoundCap},
                                                        {LineCap::Triangle, Qt::RoundCap}};
    for (auto [cap, qt] : caps) EXPECT_EQ(ToQtCap(cap), qt);
    const std::pair<LineJoin, Qt::PenJoinStyle> joins[] = {
        {LineJoin::Miter, Qt::MiterJoin},
        {LineJoin::Bevel, Qt::BevelJoin},
        {LineJoin::Round, Qt::RoundJoin},
        {LineJoin::MiterClipped, Qt::SvgMiterJoin}};
    for (auto [join, qt] : joins) EXPECT_EQ(ToQtJoin(join), qt);
    const QPen pen = MakePen(Qt::red, 2.5, LineCap::Round, LineJoin::Bevel);
    EXPECT_EQ(pen.widthF(), 2.5);
    EXPECT_EQ(pen.capStyle(), Qt::RoundCap);
    EXPECT_EQ(pen.joinStyle(), Qt::BevelJoin);
    EXPECT_EQ(MakePen(Qt::red, 1).style(), Qt::SolidLine);
    EXPECT_EQ(MakePen(Qt::red, 1, LineCap::Flat, LineJoin::Miter, LineDash::Dash).dashPattern(),
              QList<qreal>({3.0, 1.0}));
    EXPECT_EQ(MakePen(Qt::red, 1, LineCap::Flat, LineJoin::Miter, LineDash::Dot).dashPattern(),
              QList<qreal>({1.0, 1.0}));
}

TEST(Painting, ConvertsColourLayouts) {
    EXPECT_EQ(FromArgb(0x80112233u), QColor(0x11, 0x22, 0x33, 0x80));
    EXPECT_EQ(FromColorRef(0x00332211u), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(ToColorRef(QColor(0x11, 0x22, 0x33)), 0x00332211u);
}

TEST(Painting, ArcsTurnClockwiseOnTheScreen) {
    EXPECT_EQ(ToQtArc(0, 90).startSixteenths, 0);
    EXPECT_EQ(ToQtArc(0, 90).spanSixteenths, -1440);
    EXPECT_EQ(ToQtArc(180, -45).startSixteenths, -2880);
    EXPECT_EQ(ToQtArc(180, -45).spanSixteenths, 720);

    // A quarter arc from 0 degrees sweeping 90 clockwise runs from the right
    // end of the ellipse down to its bottom: the lower right quadrant is
    // drawn, the upper right one is not.
    QImage image(101, 101, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(QPen(Qt::black, 3));
        DrawArc(painter, QRectF(10, 10, 80, 80), 0, 90);
    }
    auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    EXPECT_TRUE(dark(78, 78));   // 45 degrees below the x axis
    EXPECT_FALSE(dark(78, 22));  // 45 degrees above it
}

}  // namespace
}  // namespace platform
