#include "Pictolib.h"

#include "GlyphDrawings.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace kv {

namespace {

using pictolib::GlyphArt;
using pictolib::GlyphCatalogue;
using pictolib::GlyphCellSize;

const GlyphArt* FindGlyph(int number) {
    const auto catalogue = GlyphCatalogue();
    const auto it = std::lower_bound(catalogue.begin(), catalogue.end(), number,
                                     [](const GlyphArt& art, int n) { return art.number < n; });
    return it != catalogue.end() && it->number == number ? &*it : nullptr;
}

// Antialiased edges are blended against a neutral button face, and pixels that are
// nearly transparent become the key colour: the strip carries no alpha, and this
// keeps the edges free of a key-coloured fringe on any face colour close to it.
constexpr QRgb kBlendFace = qRgb(0xE8, 0xE8, 0xE8);
constexpr int kOpaqueFrom = 64;

QRgb Flattened(QRgb premultiplied) {
    const int a = qAlpha(premultiplied);
    if (a < kOpaqueFrom) return PictolibKeyColor;
    auto over = [a](int src, int face) { return std::min(255, src + face * (255 - a) / 255); };
    QRgb out = qRgb(over(qRed(premultiplied), qRed(kBlendFace)), over(qGreen(premultiplied), qGreen(kBlendFace)),
                    over(qBlue(premultiplied), qBlue(kBlendFace)));
    // A drawn pixel must never read as transparent.
    if (out == PictolibKeyColor) out = qRgb(0xFE, 0x00, 0xFE);
    return out;
}

QImage PaintCell(const GlyphArt& art) {
    QImage canvas(GlyphCellSize, GlyphCellSize, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, true);
    art.draw(painter);
    painter.end();
    return canvas;
}

void CopyFlattened(const QImage& cell, QImage& strip, int cellIndex) {
    const int x0 = cellIndex * GlyphCellSize;
    for (int y = 0; y < GlyphCellSize; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < GlyphCellSize; ++x) dst[x0 + x] = Flattened(src[x]);
    }
}

// The classic disabled look: the darker parts of the picture in button shadow,
// with a highlight one pixel below and to the right, everything else transparent.
void CopyDisabled(QImage& strip, int fromCell, int toCell) {
    constexpr QRgb kShadow = qRgb(0x80, 0x80, 0x80);
    constexpr QRgb kHighlight = qRgb(0xFF, 0xFF, 0xFF);
    constexpr int kDarkBelow = 176;
    const int from = fromCell * GlyphCellSize, to = toCell * GlyphCellSize;
    auto dark = [&](int x, int y) {
        const QRgb c = strip.pixel(from + x, y);
        return c != PictolibKeyColor && qGray(c) < kDarkBelow;
    };
    for (int y = 0; y < GlyphCellSize; ++y) {
        for (int x = 0; x < GlyphCellSize; ++x) strip.setPixel(to + x, y, PictolibKeyColor);
    }
    for (int y = 0; y < GlyphCellSize; ++y) {
        for (int x = 0; x < GlyphCellSize; ++x) {
            if (!dark(x, y)) continue;
            if (x + 1 < GlyphCellSize && y + 1 < GlyphCellSize) strip.setPixel(to + x + 1, y + 1, kHighlight);
        }
    }
    for (int y = 0; y < GlyphCellSize; ++y) {
        for (int x = 0; x < GlyphCellSize; ++x) {
            if (dark(x, y)) strip.setPixel(to + x, y, kShadow);
        }
    }
}

QImage RenderStrip(const GlyphArt& art) {
    const int cells = art.disabledCell ? 2 : 1;
    QImage strip(cells * GlyphCellSize, GlyphCellSize, QImage::Format_RGB32);
    CopyFlattened(PaintCell(art), strip, 0);
    if (art.disabledCell) CopyDisabled(strip, 0, 1);
    // Bitmap buttons take the transparent colour from here, whatever the picture.
    strip.setPixel(0, strip.height() - 1, PictolibKeyColor);
    return strip;
}

}  // namespace

extern "C" {

int GetMaxBmpID() {
    const auto catalogue = GlyphCatalogue();
    return catalogue.empty() ? 0 : catalogue.back().number;
}

bool LoadBmp(QImage& bitmap, int number) {
    const GlyphArt* art = FindGlyph(number);
    if (art == nullptr) return false;
    bitmap = RenderStrip(*art);
    return true;
}

}  // extern "C"

}  // namespace kv
