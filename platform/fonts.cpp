#include "platform/fonts.h"

#include <QFontInfo>
#include <cmath>

namespace platform {

QString StandInFamily(const QString& requested) {
    struct StandIn {
        const char* requested;
        const char* installed;
    };
    static const StandIn kStandIns[] = {
        {"lucida sans unicode", "DejaVu Sans"},
        {"courier new", "Liberation Mono"},
        {"times new roman", "Liberation Serif"},
    };
    const QString key = requested.trimmed().toLower();
    for (const auto& s : kStandIns) {
        if (key == QLatin1String(s.requested)) return QString::fromLatin1(s.installed);
    }
    return requested;
}

int PointsToPixels(double pointSize) {
    return static_cast<int>(std::lround(pointSize * 96.0 / 72.0));
}

QFont MakeFont(const QString& requestedFamily, double pointSize, bool bold, bool italic) {
    QFont font(StandInFamily(requestedFamily));
    font.setPixelSize(PointsToPixels(pointSize));
    font.setBold(bold);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QString ResolvedFamily(const QFont& font) {
    return QFontInfo(font).family();
}

bool ResolvesAsRequested(const QFont& font) {
    return ResolvedFamily(font).compare(font.family(), Qt::CaseInsensitive) == 0;
}

}  // namespace platform
