#include "platform/painting.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

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

TEST(Painting, ArcAnglesAreGeometricOnEllipses) {
    // On a 2 x 3 ellipse the arc ends where the rays at the given angles
    // meet it, whatever the sweep's sense.
    const QRectF ellipse(10, 20, 20, 30);
    const QPointF centre = ellipse.center();
    struct Case {
        double start, sweep;
    };
    for (const Case c :
         {Case{120, 60}, Case{-300, -60}, Case{0, -60}, Case{170, 20}, Case{90, -270}}) {
        QPainterPath path;
        AddArc(path, ellipse, c.start, c.sweep);
        for (double angle : {c.start, c.start + c.sweep}) {
            const QPointF p = angle == c.start ? path.pointAtPercent(0) : path.currentPosition();
            const double rad = angle * 3.14159265358979323846 / 180.0;
            // On the ray: the cross product with the direction vanishes and
            // the dot product is positive.
            const QPointF d = p - centre;
            EXPECT_NEAR(d.x() * std::sin(rad) - d.y() * std::cos(rad), 0.0, 1e-2)
                << c.start << " " << c.sweep;
            EXPECT_GT(d.x() * std::cos(rad) + d.y() * std::sin(rad), 0.0);
            // And on the ellipse.
            const double u = d.x() / 10.0, v = d.y() / 15.0;
            EXPECT_NEAR(u * u + v * v, 1.0, 1e-3);
        }
    }
    // On a circle nothing changes.
    const QtArcDegrees circle = ToQtArc(QRectF(0, 0, 10, 10), 120, 60);
    EXPECT_DOUBLE_EQ(circle.start, -120);
    EXPECT_DOUBLE_EQ(circle.span, -60);
}

}  // namespace
}  // namespace platform
