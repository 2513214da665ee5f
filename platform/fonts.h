#pragma once

#include <QFont>
#include <QString>

namespace platform {

// The forms and pictures name their fonts by the family names of their
// design. Those families are not installed here; each is replaced by an
// installed family of the same kind and metrics class.
QString StandInFamily(const QString& requested);

// A font of the requested family (through its stand-in) at a size in points
// as the designs meant it: 96 pixels per inch, so that dialog units and
// pictures come out the same on every screen.
QFont MakeFont(const QString& requestedFamily, double pointSize, bool bold = false,
               bool italic = false);

// The pixel size of a font of `pointSize` points at 96 pixels per inch.
int PointsToPixels(double pointSize);

// The family that the font system actually chose for `font`. Fontconfig
// substitutes an unrelated family silently when the one asked for is missing.
QString ResolvedFamily(const QFont& font);

// True when the family chosen for `font` is the one it asks for.
bool ResolvesAsRequested(const QFont& font);

}  // namespace platform
