// Bitmaps of the program's resources (lamps, logo, button glyphs), loaded by name.
// Window thread only. Like the original bitmaps, each image is drawn with the colour of its
// bottom-left pixel (the silver background) made transparent.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace qv7 {

// Resource names of the images that are not lamps (the lamps are named by Tled).
inline constexpr const char* LogoBitmap = "LOGO";
inline constexpr const char* ScanGlyph = "GLYPH_SCAN";
inline constexpr const char* LoadGlyph = "GLYPH_LOAD";
inline constexpr const char* SaveGlyph = "GLYPH_SAVE";
inline constexpr const char* UnlockGlyph = "GLYPH_UNLOCK";

// Loads the bitmap `name` from the resources with its bottom-left colour transparent.
// Returns a null image when there is no such resource.
QImage loadTransparentBitmap(const QString& name);

// Builds a button icon from a glyph strip of `numGlyphs` equal images side by side:
// the first is the normal image, the second (when present) the disabled one.
// Returns a null icon when the bitmap does not exist.
QIcon glyphIcon(const QString& name, int numGlyphs = 1);

} // namespace qv7
