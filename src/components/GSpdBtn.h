// A flat speed button whose picture is not kept with the form but taken by number
// from the product's shared glyph library: forms only say which glyph a button shows.
#pragma once

#include <functional>

#include "platform/Buttons.h"

class QImage;

namespace kv {

// Where glyph pictures come from. The glyph library unless replaced; a missing
// function falls back to the library's own.
struct TGlyphSource {
    // The highest glyph number there is.
    std::function<int()> MaxId;
    // Replaces bitmap with glyph number; false when there is no such glyph.
    std::function<bool(QImage& bitmap, int number)> Load;
};

// Installs a source (an empty one restores the glyph library) and returns the one
// it replaces.
TGlyphSource SetGlyphSource(TGlyphSource source);

class TGSpeedButton : public TSpeedButton {
    Q_OBJECT
    Q_PROPERTY(int GlyphIndex READ GlyphIndex WRITE SetGlyphIndex)
    Q_PROPERTY(int HintIndex MEMBER HintIndex)
    // The picture comes from the library, so it is never saved with the form.
    Q_PROPERTY(kv::TBitmap* Glyph READ Glyph WRITE SetGlyph STORED false)
public:
    explicit TGSpeedButton(TComponent* AOwner);

    int GlyphIndex() const { return FGlyphIndex; }
    // Loads glyph `index` (0: none). A glyph that cannot be had leaves no picture
    // and the number as caption, so the button still says what it is meant to show.
    void SetGlyphIndex(int index);

    // Kept with the form; nothing reads it.
    int HintIndex = 0;

private:
    // True when the glyph was loaded; throws when the library fails.
    bool LoadLibraryGlyph(int index);
    void DiscardGlyph();

    int FGlyphIndex = 0;
};

}  // namespace kv
