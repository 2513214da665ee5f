#include "ui/graphics/plot/data_curve.h"

#include <QImage>
#include <QPainter>
#include <cmath>

#include "platform/painting.h"
#include "platform/widget_test_main.h"

namespace plot {
namespace {

bool Dark(const QImage& image, double x, double y) {
    return qGray(image.pixel(static_cast<int>(x), static_cast<int>(y))) < 100;
}
bool White(const QImage& image, double x, double y) {
    return image.pixel(static_cast<int>(x), static_cast<int>(y)) == qRgb(255, 255, 255);
}

QImage Blank(int w = 200, int h = 200) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(SplinePath, StraightAtTensionZeroElseTheCardinalBeziers) {
    const std::vector<QPointF> p = {{0, 0}, {10, 30}, {25, 10}, {40, 40}};
    const QPainterPath straight = SplinePath(p, 0.0f);
    ASSERT_EQ(straight.elementCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(straight.elementAt(i).type,
                  i == 0 ? QPainterPath::MoveToElement : QPainterPath::LineToElement);
        EXPECT_EQ(QPointF(straight.elementAt(i)), p[i]);
    }
    const QPainterPath smooth = SplinePath(p, 0.3f);
    std::vector<Vec2> v;
    for (const QPointF& q : p) v.push_back({q.x(), q.y()});
    const auto segments = CardinalSplineBeziers(v, 0.3f);
    ASSERT_EQ(smooth.elementCount(), 1 + 3 * 3);
    for (int s = 0; s < 3; ++s) {
        const auto& e1 = smooth.elementAt(1 + 3 * s);
        const auto& e2 = smooth.elementAt(2 + 3 * s);
        const auto& e3 = smooth.elementAt(3 + 3 * s);
        EXPECT_EQ(e1.type, QPainterPath::CurveToElement);
        EXPECT_DOUBLE_EQ(e1.x, segments[s].control1.x);
        EXPECT_DOUBLE_EQ(e1.y, segments[s].control1.y);
        EXPECT_DOUBLE_EQ(e2.x, segments[s].control2.x);
        EXPECT_DOUBLE_EQ(e3.y, p[s + 1].y());  // through every point
    }
    EXPECT_TRUE(SplinePath({}, 0.3f).isEmpty());
}

// A curve over an area of 100 x 100 at (50, 50), data 0..10 on both axes.
struct CurveFixture {
    AxisRange x{0, 10}, y{0, 10};
    QImage image = Blank();
    void Draw(DataCurve& curve, float unit = 100, float scale = 1) {
        QPainter p(&image);
        p.scale(scale, scale);
        curve.Draw(&p, 50 / scale, 50 / scale, 100 / scale, 100 / scale, unit, &x, &y);
    }
};

TEST(DataCurve, InvalidPointsBreakTheLineAndGetNoMarker) {
    // valid, valid, invalid, valid, valid, valid along y = 5.
    std::vector<CurvePoint> points;
    for (int i = 0; i < 6; ++i) points.push_back({1.0 + 1.6 * i, 5, 0, 0, i != 2});
    auto dataX = [](double x) { return 50 + 10 * x; };
    const double row = 100;

    CurveFixture lines;
    DataCurve line(&points, platform::MakePen(Qt::black, 2), 0.0f, false, nullptr);
    lines.Draw(line);
    EXPECT_TRUE(Dark(lines.image, dataX(1.8), row));   // between points 0 and 1
    EXPECT_TRUE(White(lines.image, dataX(3.4), row));  // around the invalid point
    EXPECT_TRUE(White(lines.image, dataX(5.0), row));
    EXPECT_TRUE(Dark(lines.image, dataX(7.4), row));  // inside the run of three

    CurveFixture marks;
    DataCurve markers(
        &points, std::nullopt, 0.0f, false,
        std::make_unique<CurveStyle>(0, 0, 3, std::nullopt, QBrush(Qt::black), 0.02f, false));
    marks.Draw(markers);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Dark(marks.image, dataX(points[i].x), row), i != 2) << i;
    EXPECT_TRUE(White(marks.image, dataX(1.8), row));  // no pen: no line
}

TEST(DataCurve, FillAndShadowRunThroughEveryPoint) {
    std::vector<CurvePoint> points = {{0, 5, 0, 0, true},
                                      {2, 5, 0, 0, true},
                                      {5, 5, 0, 0, false},
                                      {8, 5, 0, 0, true},
                                      {10, 5, 0, 0, true}};
    CurveFixture f;
    DataCurve curve(&points, std::nullopt, 0.0f, false, nullptr);
    curve.SetFillBrush(true, QBrush(Qt::black));
    f.Draw(curve);
    EXPECT_TRUE(Dark(f.image, 100, 120));  // below the line, at the invalid point
    EXPECT_TRUE(White(f.image, 100, 90));  // above it

    // The shadow is offset by 0.01 unit without a marker style, by the
    // marker size in units with one (a kind that draws nothing here).
    for (float size : {0.0f, 0.06f}) {
        CurveFixture g;
        std::unique_ptr<CurveStyle> style;
        if (size > 0)
            style = std::make_unique<CurveStyle>(0, 0, 5, std::nullopt, std::nullopt, size, false);
        DataCurve shadowed(&points, platform::MakePen(Qt::black, 1.5), 0.0f, true,
                           std::move(style));
        g.Draw(shadowed, 500);
        const double offset = 500 * (size > 0 ? size : 0.01f);
        // Along the whole width, through the invalid point in the middle.
        EXPECT_FALSE(White(g.image, 100, 100 + offset)) << size;
        EXPECT_TRUE(White(g.image, 100, 100)) << size;  // the line itself is broken there
        EXPECT_TRUE(Dark(g.image, 60, 100)) << size;
    }
}

TEST(DataCurve, ClippedToTheAreaWithOneUnitAbove) {
    // Drawn at 10 pixels per unit: the area spans 50..150 pixels, one unit of
    // room is 10 pixels.
    auto draw = [](double y, double x0, double x1) {
        std::vector<CurvePoint> points = {{x0, y, 0, 0, true}, {x1, y, 0, 0, true}};
        CurveFixture f;
        DataCurve curve(&points, platform::MakePen(Qt::black, 0.3), 0.0f, false, nullptr);
        f.Draw(curve, 10, 10);
        return f.image;
    };
    // y = 10.5 lies half a unit above the top: still drawn.
    EXPECT_TRUE(Dark(draw(10.5, 2, 8), 100, 45));
    // Two units above: cut off.
    EXPECT_TRUE(White(draw(12, 2, 8), 100, 30));
    // Left of the area and below it: cut at the edges.
    QImage side = draw(5, -4, 4);
    EXPECT_TRUE(White(side, 40, 100));
    EXPECT_TRUE(Dark(side, 80, 100));
    EXPECT_TRUE(White(draw(-0.5, 2, 8), 100, 155));
}

TEST(DataCurve, EmptyOrNonFiniteCurvesDrawNothingAndDoNotFail) {
    std::vector<CurvePoint> none;
    CurveFixture f;
    auto style = [] {
        return std::make_unique<CurveStyle>(0, 0, 4, platform::MakePen(Qt::black, 1),
                                            QBrush(Qt::black), 0.05f, true);
    };
    DataCurve empty(&none, platform::MakePen(Qt::black, 1), 0.3f, true, style());
    empty.SetFillBrush(true, QBrush(Qt::black));
    f.Draw(empty);
    DataCurve noVector(nullptr, platform::MakePen(Qt::black, 1), 0.3f, true, style());
    f.Draw(noVector);
    EXPECT_EQ(f.image, Blank());

    const double inf = INFINITY;
    std::vector<CurvePoint> odd = {{std::nan(""), 1}, {2, inf}, {-inf, 3}};
    DataCurve nonFinite(&odd, platform::MakePen(Qt::black, 1), 0.3f, true, style());
    nonFinite.SetFillBrush(true, QBrush(Qt::black));
    f.Draw(nonFinite);
    EXPECT_EQ(f.image, Blank());
}

TEST(CurveStyle, MarkerShapesPointWhereTheirNamesSay) {
    const float cx = 100, cy = 50, r = 10;
    const struct {
        int kind;
        std::size_t vertices;
        QPointF first;
    } cases[] = {
        {2, 4, {cx + r, cy}},  {3, 4, {cx + r, cy + r}}, {8, 10, {cx, cy - r}},
        {9, 12, {cx + r, cy}}, {10, 3, {cx - r, cy}},    {11, 3, {cx + r, cy}},
        {12, 3, {cx, cy - r}}, {13, 3, {cx, cy + r}},
    };
    for (const auto& c : cases) {
        const auto v = MarkerPolygon(c.kind, cx, cy, r);
        ASSERT_EQ(v.size(), c.vertices) << c.kind;
        EXPECT_NEAR(v[0].x(), c.first.x(), 1e-4) << c.kind;
        EXPECT_NEAR(v[0].y(), c.first.y(), 1e-4) << c.kind;
    }
    // Stars alternate between the full and half radius.
    const auto star = MarkerPolygon(8, cx, cy, r);
    EXPECT_NEAR(std::hypot(star[1].x() - cx, star[1].y() - cy), r / 2, 1e-4);
    for (int kind : {0, 1, 4, 5, 6, 7, 14}) EXPECT_TRUE(MarkerPolygon(kind, cx, cy, r).empty());

    // Drawn: an upward triangle with its shadow down and to the right.
    QImage image = Blank();
    {
        QPainter p(&image);
        CurveStyle up(0, 0, 12, std::nullopt, QBrush(Qt::black), 0.2f, true);
        EXPECT_TRUE(up.DrawMarker(&p, 100, 100, 100));
    }
    EXPECT_TRUE(Dark(image, 100, 88));     // towards the apex
    EXPECT_TRUE(White(image, 80, 80));     // beside the apex
    EXPECT_FALSE(White(image, 130, 126));  // shadow below the base, offset by r
    // A circle is filled and outlined; a dot is a point of the pen.
    QImage round = Blank();
    {
        QPainter p(&round);
        CurveStyle circle(0, 0, 4, platform::MakePen(Qt::red, 1), QBrush(Qt::black), 0.1f, false);
        circle.DrawMarker(&p, 50, 50, 100);
        CurveStyle dot(0, 0, 1, platform::MakePen(Qt::black, 3), std::nullopt, 0.1f, false);
        dot.DrawMarker(&p, 150, 150, 100);
    }
    EXPECT_TRUE(Dark(round, 50, 50));
    EXPECT_TRUE(White(round, 58, 58));  // outside the circle, inside its square
    EXPECT_TRUE(Dark(round, 150, 150));
}

TEST(DataCurveContainer, RangeIsTheUnionOfTheCurvesThatHavePoints) {
    DataCurveContainer curves;
    double a = -7, b = -7, c = -7, d = -7;
    EXPECT_FALSE(curves.GetRange(a, b, c, d));
    EXPECT_EQ(a, -7);

    std::vector<CurvePoint> none;
    curves.Add(std::make_unique<DataCurve>(&none, std::nullopt, 0.0f, false, nullptr));
    ASSERT_TRUE(curves.GetRange(a, b, c, d));
    EXPECT_EQ(std::vector<double>({a, b, c, d}), std::vector<double>({0, 1, 0, 1}));

    std::vector<CurvePoint> first = {{0.2, 3}, {1, 4}}, second = {{0.5, -2}, {2, 1}};
    curves.Add(std::make_unique<DataCurve>(&first, std::nullopt, 0.0f, false, nullptr));
    curves.Add(std::make_unique<DataCurve>(&second, std::nullopt, 0.0f, false, nullptr));
    ASSERT_TRUE(curves.GetRange(a, b, c, d));
    EXPECT_EQ(std::vector<double>({a, b, c, d}), std::vector<double>({0.2, 2, -2, 4}));
}

}  // namespace
}  // namespace plot
