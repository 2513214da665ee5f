#pragma once

#include <QFont>
#include <QRawFont>
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

// The installed family that draws the requested family, or an empty string
// when none does. A family is accepted only when the font system resolves it
// to the name our table of stand-ins expects: fontconfig would otherwise hand
// over any font at all, and a TeX symbol code drawn in it is a wrong letter.
QString InstalledFamily(const QString& requested);

// The requested family (through its stand-in) as an unhinted raw font whose
// pixel size is the font's units per em, so that metrics and outlines come out
// in design units, independent of any screen. Invalid when the family is not
// installed.
QRawFont LoadDesignFont(const QString& requestedFamily, bool italic);

// The cell ascent and descent of a raw font in design units, read from its
// OS/2 table (the Windows ascent and descent); false when the table is missing.
bool ReadCellMetrics(const QRawFont& font, double* ascent, double* descent);

}  // namespace platform
