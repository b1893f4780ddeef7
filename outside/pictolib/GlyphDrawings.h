#pragma once
// The pictures of the glyph library, one drawing function per glyph number.

#include <span>

class QPainter;

namespace kv::pictolib {

// Every cell is this many pixels square: the classic button glyph size.
inline constexpr int GlyphCellSize = 16;

struct GlyphArt {
    int number;
    // Paints one cell on a transparent GlyphCellSize square, antialiasing on.
    void (*draw)(QPainter&);
    // Whether the strip carries a second, disabled-looking cell.
    bool disabledCell;
};

// All glyphs, in ascending number order; numbers not listed have no glyph.
std::span<const GlyphArt> GlyphCatalogue();

}  // namespace kv::pictolib
