#pragma once
// The product's glyph library: numbered button pictures shared by every module.
// Callers only know numbers; the pictures are this library's own business.
//
// A glyph is a horizontal strip of square cells (each cell as wide as the strip is
// high). Glyphs with a second cell carry the disabled look there. The strips have no
// alpha channel: the bottom-left pixel holds the transparent key colour, which is
// where a bitmap button takes it from.

class QImage;

#define PICTOLIB_API __attribute__((visibility("default")))

namespace kv {

// The key colour of every strip (clFuchsia), as a QRgb.
inline constexpr unsigned int PictolibKeyColor = 0xFFFF00FFu;

// Plain C names, so a host can also import them by name from Pictolib.so.
extern "C" {

// The highest glyph number the library holds.
PICTOLIB_API int GetMaxBmpID();

// Replaces `bitmap` with glyph `number` and returns true; returns false and leaves
// `bitmap` as it was when the library holds no glyph of that number.
PICTOLIB_API bool LoadBmp(QImage& bitmap, int number);

}  // extern "C"

}  // namespace kv
