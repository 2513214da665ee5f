#include "ui/graphics/plot/plot_geometry.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

#include "numerics/rounding.h"

namespace plot {

double NiceStep(double x) {
    if (!(x > 0.0 && std::isfinite(x))) return std::nan("");
    const int k = static_cast<int>(std::floor(std::log10(x)));
    // Scaling by repeated steps of ten keeps 0.1, 0.2 and the like on the
    // doubles that the user would type.
    double m = x;
    for (int i = 0; i < k; ++i) m /= 10.0;
    for (int i = 0; i < -k; ++i) m *= 10.0;
    double nice = 1.0;
    if (m > 5.0)
        nice = 10.0;
    else if (m > 2.0)
        nice = 5.0;
    else if (m > 1.0)
        nice = 2.0;
    for (int i = 0; i < k; ++i) nice *= 10.0;
    for (int i = 0; i < -k; ++i) nice /= 10.0;
    return nice;
}

std::wstring FormatNumberAsMathText(double value, int decimals) {
    if (decimals >= 0) value = RoundTo(value, decimals);
    std::wostringstream out;
    out.imbue(std::locale::classic());
    out << value;  // six significant digits, as printf's %g
    const std::wstring text = out.str();
    const auto e = text.find(L'e');
    if (e == std::wstring::npos) return L"\\mbox{" + text + L"}";
    const std::wstring mantissa = text.substr(0, e);
    const long exponent = std::wcstol(text.c_str() + e + 1, nullptr, 10);
    return L"\\mbox{" + mantissa + L"\u00B710}^{\\,\\mbox{" + std::to_wstring(exponent) + L"}}";
}

float AxisRange::Normalize(float value) const {
    return static_cast<float>((static_cast<double>(value) - min) / (max - min));
}

LinearAxis::LinearAxis(double lo, double hi) : AxisRange(lo, hi) {
    if (lo == hi) {
        if (lo > 0) {
            min = 0.95 * lo;
            max = 1.05 * lo;
        } else if (lo < 0) {
            min = 1.05 * lo;
            max = 0.95 * lo;
        } else {
            min = -0.05;
            max = 0.05;
        }
    }
}

bool LinearAxis::ComputeTicks(int requested, int minorCount, bool snapRangeToTicks, TickSet* out) {
    ticks.clear();
    if (!(min < max) || !std::isfinite(min) || !std::isfinite(max) || requested < 1) return false;
    const double s = NiceStep((max - min) / requested);
    if (!(s > 0.0 && std::isfinite(s))) return false;
    const double f = std::floor(min / s) * s;
    // The count by repeated addition, as the ticks are placed; a range too
    // narrow for its magnitude would never reach max, so the count has a
    // bound far above what a nice step gives (about requested + 2).
    const int bound = 4 * requested + 16;
    int count = 1;
    for (double v = f; v < max; v += s) {
        if (++count > bound) return false;
    }
    requestedTicks = requested;
    step = s;
    first = f;
    tickCount = count;
    ticks.reserve(count);
    for (int i = 0; i < count; ++i) ticks.push_back(static_cast<float>(i * s + f));
    if (snapRangeToTicks) {
        min = f;
        max = (count - 1) * s + f;
    }
    for (int i = 0; i < count; ++i) {
        const float p = Normalize(ticks[i]);
        if (-0.001f <= p && p <= 1.001f) {
            out->major.push_back(p);
            out->majorValues.push_back(ticks[i]);
        }
        if (i > 0 && minorCount > 0) {
            const float q0 = Normalize(ticks[i - 1]);
            const float d = (p - q0) / static_cast<float>(minorCount + 1);
            for (int j = 1; j <= minorCount; ++j) {
                const float q = q0 + static_cast<float>(j) * d;
                if (-0.0001f <= q && q <= 1.0001f) out->minor.push_back(q);
            }
        }
    }
    return true;
}

bool IsDrawable(const CurvePoint& p) {
    return p.valid && std::isfinite(p.x) && std::isfinite(p.y);
}

bool ComputePointRange(const std::vector<CurvePoint>& points, double& xMin, double& xMax,
                       double& yMin, double& yMax) {
    xMin = 0;
    xMax = 1;
    yMin = 0;
    yMax = 1;
    bool anyX = false, anyY = false;
    for (const CurvePoint& p : points) {
        if (std::isfinite(p.x)) {
            xMin = anyX ? std::min(xMin, p.x) : p.x;
            xMax = anyX ? std::max(xMax, p.x) : p.x;
            anyX = true;
        }
        if (p.valid && std::isfinite(p.x) && std::isfinite(p.y)) {
            yMin = anyY ? std::min(yMin, p.y) : p.y;
            yMax = anyY ? std::max(yMax, p.y) : p.y;
            anyY = true;
        }
    }
    if (!anyX) {
        yMin = 0;
        yMax = 1;
    }
    return anyX;
}

std::vector<std::pair<int, int>> DrawableRuns(const std::vector<CurvePoint>& points) {
    std::vector<std::pair<int, int>> runs;
    const int n = static_cast<int>(points.size());
    for (int i = 0; i < n;) {
        if (!IsDrawable(points[i])) {
            ++i;
            continue;
        }
        int j = i;
        while (j < n && IsDrawable(points[j])) ++j;
        runs.emplace_back(i, j);
        i = j;
    }
    return runs;
}

std::vector<BezierSegment> CardinalSplineBeziers(const std::vector<Vec2>& p, double tension) {
    std::vector<BezierSegment> segments;
    const int n = static_cast<int>(p.size());
    if (n < 2) return segments;
    // The Hermite tangent m_i = tension · (P[i+1] - P[i-1]) gives the Bezier
    // control points P_i + m_i / 3 and P_{i+1} - m_{i+1} / 3: the same cubic.
    const double c = tension / 3.0;
    auto tangent = [&](int i) {
        const Vec2& next = p[std::min(i + 1, n - 1)];
        const Vec2& prev = p[std::max(i - 1, 0)];
        return Vec2{c * (next.x - prev.x), c * (next.y - prev.y)};
    };
    segments.reserve(n - 1);
    for (int i = 0; i + 1 < n; ++i) {
        const Vec2 t0 = tangent(i), t1 = tangent(i + 1);
        segments.push_back({p[i],
                            {p[i].x + t0.x, p[i].y + t0.y},
                            {p[i + 1].x - t1.x, p[i + 1].y - t1.y},
                            p[i + 1]});
    }
    return segments;
}

PlotLayout ComputePlotLayout(const PlotLayoutInput& in) {
    const PlotRect& r = in.rect;
    PlotLayout out;
    const float x0 = r.left + in.marginLeft;
    float base = r.bottom - in.marginBottom;
    const float top = base - r.height + in.marginTop;
    float w = r.width;
    float h = r.height;
    out.x0 = x0;
    out.titleTop = top;
    out.xTitleBottom = base;
    if (in.xTitle.shown) {
        base -= in.xTitle.height;
        h -= in.xTitle.height;
    }
    float x1 = x0;
    if (in.yTitle.shown) {
        w -= in.yTitle.height;
        x1 = x0 + in.yTitle.height;
    }
    float s = top;
    if (in.title.shown) {
        h -= in.title.height;
        s = top + in.title.height;
    }
    float g = 0;
    if (in.subtitle1.shown) {
        g = in.subtitle1.height;
        h -= g;
    }
    // Line 2 stands 0.2 of line 1's height below it; the gap is taken from
    // the plot area too, so that line 2 stays clear of it.
    if (in.subtitle2.shown) h -= in.subtitle2.height + 0.2f * g;
    out.subtitle1Top = s;
    out.subtitle2Top = s + 1.2f * g;
    out.area.left = x1 + in.yLabelDepth;
    out.area.bottom = base - in.xLabelDepth;
    out.area.width = w - (in.yLabelDepth + in.marginRight + in.marginLeft);
    out.area.height = h - (in.xLabelDepth + in.marginTop + in.marginBottom);
    return out;
}

Vec2 MapToArea(const PlotRect& area, const AxisRange& xAxis, const AxisRange& yAxis, double x,
               double y) {
    return {area.left + xAxis.Normalize(static_cast<float>(x)) * area.width,
            area.bottom - yAxis.Normalize(static_cast<float>(y)) * area.height};
}

std::pair<std::string, std::string> SplitSubtitle(const std::string& text, int limit) {
    const long length = static_cast<long>(text.size());
    if (length < limit) return {text, {}};
    const long m = length / 2;
    const auto before =
        m > 0 ? text.rfind(',', static_cast<std::size_t>(m - 1)) : std::string::npos;
    const auto after = text.find(',', static_cast<std::size_t>(m));
    std::size_t cut = std::string::npos;
    if (before != std::string::npos && after != std::string::npos)
        cut = (m - static_cast<long>(before) < static_cast<long>(after) - m) ? before : after;
    else
        cut = before != std::string::npos ? before : after;
    if (cut == std::string::npos) return {text, {}};
    std::size_t rest = cut + 1;
    while (rest < text.size() && text[rest] == ' ') ++rest;
    return {text.substr(0, cut + 1), text.substr(rest)};
}

}  // namespace plot
