#include "platform/fonts.h"

#include <QByteArray>
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
        {"symbol", "Standard Symbols PS"},
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

namespace {

// Qt names a family that several foundries supply "Family [Foundry]".
QString WithoutFoundry(const QString& family) {
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket < 0 ? family : family.left(bracket);
}

}  // namespace

QString InstalledFamily(const QString& requested) {
    const QString family = StandInFamily(requested).trimmed();
    if (family.isEmpty()) return {};
    const QString resolved = ResolvedFamily(QFont(family));
    if (WithoutFoundry(resolved).compare(family, Qt::CaseInsensitive) != 0) return {};
    return resolved;
}

QRawFont LoadDesignFont(const QString& requestedFamily, bool italic) {
    const QString family = InstalledFamily(requestedFamily);
    if (family.isEmpty()) return {};
    QFont font(family);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid() ||
        WithoutFoundry(raw.familyName()).compare(WithoutFoundry(family), Qt::CaseInsensitive) != 0)
        return {};
    raw.setPixelSize(raw.unitsPerEm());
    return raw;
}

bool ReadCellMetrics(const QRawFont& font, double* ascent, double* descent) {
    const QByteArray os2 = font.fontTable("OS/2");
    // usWinAscent and usWinDescent: big-endian 16-bit values at bytes 74 and 76.
    if (os2.size() < 78) return false;
    auto u16 = [&](int at) {
        return static_cast<unsigned>(static_cast<unsigned char>(os2[at])) << 8 |
               static_cast<unsigned char>(os2[at + 1]);
    };
    *ascent = u16(74);
    *descent = u16(76);
    return true;
}

}  // namespace platform
