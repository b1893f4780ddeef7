#include "platform/Graphics.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kv {

namespace {

struct ColorName {
    TColor Color;
    const char* Name;
};

constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"},         {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},         {clOlive, "clOlive"},
    {clNavy, "clNavy"},           {clPurple, "clPurple"},
    {clTeal, "clTeal"},           {clGray, "clGray"},
    {clSilver, "clSilver"},       {clRed, "clRed"},
    {clLime, "clLime"},           {clYellow, "clYellow"},
    {clBlue, "clBlue"},           {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},           {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
    {clCaptionText, "clCaptionText"}, {clInactiveCaptionText, "clInactiveCaptionText"},
    {clWindow, "clWindow"},       {clWindowText, "clWindowText"},
    {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},     {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},   {clBtnText, "clBtnText"},
    {clBtnHighlight, "clBtnHighlight"},
    {clInfoText, "clInfoText"},   {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},           {clDefault, "clDefault"},
};

struct CharsetName {
    int Charset;
    const char* Name;
};

constexpr CharsetName kCharsetNames[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},         {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},     {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},   {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"}, {OEM_CHARSET, "OEM_CHARSET"},
    {77, "MAC_CHARSET"},                    {130, "JOHAB_CHARSET"},
    {161, "GREEK_CHARSET"},                 {162, "TURKISH_CHARSET"},
    {163, "VIETNAMESE_CHARSET"},            {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"},                {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"},               {222, "THAI_CHARSET"},
    {238, "EASTEUROPE_CHARSET"},
};

QColor SystemColor(int index) {
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
        // Title bars: the active one in the selection colours, an inactive one
        // greyed, as classic captions look.
        case 0x02: return pal.color(QPalette::Highlight);
        case 0x03: return pal.color(QPalette::Mid);
        case 0x09: return pal.color(QPalette::HighlightedText);
        case 0x13: return pal.color(QPalette::Light);
        case 0x05: return pal.color(QPalette::Base);
        case 0x08: return pal.color(QPalette::Text);
        case 0x0D: return pal.color(QPalette::Highlight);
        case 0x0E: return pal.color(QPalette::HighlightedText);
        case 0x0F: return pal.color(QPalette::Button);
        case 0x10: return pal.color(QPalette::Dark);
        case 0x11: return pal.color(QPalette::Disabled, QPalette::Text);
        case 0x12: return pal.color(QPalette::ButtonText);
        case 0x14: return pal.color(QPalette::Light);
        case 0x17: return pal.color(QPalette::ToolTipText);
        case 0x18: return pal.color(QPalette::ToolTipBase);
        default: return pal.color(QPalette::Window);
    }
}

}  // namespace

QColor ColorToQColor(TColor color) {
    if (color == clNone) return QColor(Qt::transparent);
    if (color == clDefault) return SystemColor(0x0F);
    if (color & static_cast<TColor>(0x80000000)) return SystemColor(color & 0xFF);
    const auto c = static_cast<std::uint32_t>(color);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

TColor QColorToColor(const QColor& color) {
    return static_cast<TColor>(static_cast<std::uint32_t>(color.red()) | (static_cast<std::uint32_t>(color.green()) << 8) |
                               (static_cast<std::uint32_t>(color.blue()) << 16));
}

bool IdentToColor(const QString& ident, TColor& color) {
    const QString t = ident.trimmed();
    for (const ColorName& n : kColorNames)
        if (t.compare(QLatin1String(n.Name), Qt::CaseInsensitive) == 0) {
            color = n.Color;
            return true;
        }
    return false;
}

QString ColorToIdent(TColor color) {
    for (const ColorName& n : kColorNames)
        if (n.Color == color) return QLatin1String(n.Name);
    return QStringLiteral("$%1").arg(static_cast<std::uint32_t>(color), 8, 16, QLatin1Char('0')).toUpper();
}

bool IdentToCharset(const QString& ident, int& charset) {
    const QString t = ident.trimmed();
    for (const CharsetName& n : kCharsetNames)
        if (t.compare(QLatin1String(n.Name), Qt::CaseInsensitive) == 0) {
            charset = n.Charset;
            return true;
        }
    return false;
}

TFont::TFont(QObject* parent) : TPersistent(parent) {
    FFont = QGuiApplication::font();
    FFont.setPixelSize(12);
}

void TFont::SetName(const QString& name) {
    if (name == FFont.family()) return;
    FFont.setFamily(name);
    DoChanged();
}

int TFont::Size() const {
    // MulDiv rounds half away from zero.
    const double points = FFont.pixelSize() * 72.0 / PixelsPerInch;
    return static_cast<int>(std::lround(points));
}

void TFont::SetSize(int points) {
    SetHeight(-static_cast<int>(std::lround(std::abs(points) * static_cast<double>(PixelsPerInch) / 72.0)));
}

void TFont::SetHeight(int height) {
    int pixels = std::abs(height);
    if (pixels == 0) pixels = 12;
    if (pixels == FFont.pixelSize()) return;
    FFont.setPixelSize(pixels);
    DoChanged();
}

void TFont::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    DoChanged();
}

void TFont::SetCharset(int charset) {
    if (charset == FCharset) return;
    FCharset = charset & 0xFF;
    DoChanged();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == FStyle) return;
    FStyle = style;
    FFont.setBold(style.testFlag(fsBold));
    FFont.setItalic(style.testFlag(fsItalic));
    FFont.setUnderline(style.testFlag(fsUnderline));
    FFont.setStrikeOut(style.testFlag(fsStrikeOut));
    DoChanged();
}

void TFont::SetQFont(const QFont& font) {
    FFont = font;
    if (FFont.pixelSize() <= 0) FFont.setPixelSize(12);
    TFontStyles style;
    if (font.bold()) style |= fsBold;
    if (font.italic()) style |= fsItalic;
    if (font.underline()) style |= fsUnderline;
    if (font.strikeOut()) style |= fsStrikeOut;
    FStyle = style;
    DoChanged();
}

bool TFont::Assign(const TPersistent* source) {
    const auto* other = qobject_cast<const TFont*>(source);
    if (!other) return false;
    if (other == this) return true;
    FFont = other->FFont;
    FColor = other->FColor;
    FCharset = other->FCharset;
    FStyle = other->FStyle;
    DoChanged();
    return true;
}

void TFont::DoChanged() {
    emit Changed();
    if (OnChange) OnChange(this);
}

// ---- brushes and pens -------------------------------------------------------------

void TBrush::SetColor(TColor color) {
    if (color == FColor && FStyle != bsClear) return;
    FColor = color;
    if (FStyle == bsClear) FStyle = bsSolid;
    emit Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    emit Changed();
}

QBrush TBrush::ToQBrush() const {
    Qt::BrushStyle style = Qt::SolidPattern;
    switch (FStyle) {
        case bsSolid: style = Qt::SolidPattern; break;
        case bsClear: style = Qt::NoBrush; break;
        case bsHorizontal: style = Qt::HorPattern; break;
        case bsVertical: style = Qt::VerPattern; break;
        case bsFDiagonal: style = Qt::FDiagPattern; break;
        case bsBDiagonal: style = Qt::BDiagPattern; break;
        case bsCross: style = Qt::CrossPattern; break;
        case bsDiagCross: style = Qt::DiagCrossPattern; break;
    }
    return QBrush(ColorToQColor(FColor), style);
}

bool TBrush::Assign(const TPersistent* source) {
    const auto* other = qobject_cast<const TBrush*>(source);
    if (!other) return false;
    FColor = other->FColor;
    FStyle = other->FStyle;
    emit Changed();
    return true;
}

void TPen::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    emit Changed();
}

void TPen::SetWidth(int width) {
    width = std::max(1, width);
    if (width == FWidth) return;
    FWidth = width;
    emit Changed();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    emit Changed();
}

QPen TPen::ToQPen() const {
    if (FStyle == psClear) return QPen(Qt::NoPen);
    QPen pen(ColorToQColor(FColor));
    pen.setWidth(FWidth);
    switch (FStyle) {
        case psDash: pen.setStyle(Qt::DashLine); break;
        case psDot: pen.setStyle(Qt::DotLine); break;
        case psDashDot: pen.setStyle(Qt::DashDotLine); break;
        case psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
        default: pen.setStyle(Qt::SolidLine); break;
    }
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

bool TPen::Assign(const TPersistent* source) {
    const auto* other = qobject_cast<const TPen*>(source);
    if (!other) return false;
    FColor = other->FColor;
    FWidth = other->FWidth;
    FStyle = other->FStyle;
    emit Changed();
    return true;
}

// ---- canvas -------------------------------------------------------------------------

namespace {

QRgb OpaqueRgb(TColor color) { return ColorToQColor(color).rgb() | 0xFF000000u; }

bool IsBlack(QRgb p) { return (p & 0x00FFFFFFu) == 0; }

// The line's pixels from `from` towards `to`, `to` left out (Bresenham).
QPolygon LinePixels(QPoint from, QPoint to) {
    QPolygon points;
    int x = from.x(), y = from.y();
    const int dx = std::abs(to.x() - x), dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1, sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    while (x != to.x() || y != to.y()) {
        points << QPoint(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return points;
}

// The part of `image` inside `rect` of the source, as a plain 32-bit image.
QImage SourcePart(const QImage& image, const QRect& rect) {
    return image.copy(rect).convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

TCanvas::TCanvas(QObject* parent) : TPersistent(parent) { Init(); }

TCanvas::TCanvas(QPainter* painter, QObject* parent) : TPersistent(parent), FPainter(painter) { Init(); }

TCanvas::TCanvas(TBitmap* bitmap, QObject* parent) : TPersistent(parent), FBitmap(bitmap) { Init(); }

void TCanvas::Init() {
    FBrush = new TBrush(this);
    FPen = new TPen(this);
    FFont = new TFont(this);
    FFont->SetColor(clBlack);
}

bool TCanvas::HandleAllocated() const { return FPainter || (FBitmap && !FBitmap->Empty()); }

QImage* TCanvas::TargetImage() const {
    if (FPainter) {
        QPaintDevice* device = FPainter->device();
        return device && device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    }
    if (FBitmap && !FBitmap->Empty()) return &FBitmap->FImage;
    return nullptr;
}

template <class F>
void TCanvas::Paint(F&& f) {
    auto setUp = [this](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(FPen->ToQPen());
        p.setBrush(FBrush->ToQBrush());
        p.setFont(FFont->ToQFont());
    };
    if (FPainter) {
        FPainter->save();
        setUp(*FPainter);
        f(*FPainter);
        FPainter->restore();
    } else if (FBitmap && !FBitmap->Empty()) {
        {
            QPainter p(&FBitmap->FImage);
            setUp(p);
            f(p);
        }
        FBitmap->CanvasChanged();
    } else {
        return;
    }
    emit Changed();
}

void TCanvas::DrawLinePixels(QPainter& painter, QPoint from, QPoint to) {
    if (FPen->IsClear()) return;
    if (FPen->Width() <= 1 && FPen->Style() == psSolid) {
        const QPolygon pixels = LinePixels(from, to);
        if (pixels.isEmpty()) return;
        QPen pen(ColorToQColor(FPen->Color()));
        pen.setWidth(1);
        painter.setPen(pen);
        painter.drawPoints(pixels);
    } else {
        painter.drawLine(from, to);
    }
}

void TCanvas::LineTo(int x, int y) {
    const QPoint from = FPenPos, to(x, y);
    Paint([&](QPainter& p) { DrawLinePixels(p, from, to); });
    FPenPos = to;
}

void TCanvas::Polyline(const QPolygon& points) {
    if (points.size() < 2) return;
    Paint([&](QPainter& p) {
        for (qsizetype i = 1; i < points.size(); ++i) DrawLinePixels(p, points[i - 1], points[i]);
    });
    FPenPos = points.last();
}

void TCanvas::Polygon(const QPolygon& points) {
    if (points.size() < 2) return;
    Paint([&](QPainter& p) { p.drawPolygon(points); });
}

void TCanvas::FillRect(const QRect& rect) {
    if (FBrush->IsClear()) return;
    Paint([&](QPainter& p) { p.fillRect(rect.normalized(), FBrush->ToQBrush()); });
}

void TCanvas::FrameRect(const QRect& rect) {
    const QRect r = rect.normalized();
    if (r.isEmpty()) return;
    const QColor c = ColorToQColor(FBrush->Color());
    Paint([&](QPainter& p) {
        p.fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
    });
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    const QRect r = Rect(x1, y1, x2, y2).normalized();
    if (r.isEmpty()) return;
    Paint([&](QPainter& p) {
        if (!FBrush->IsClear()) p.fillRect(r, FBrush->ToQBrush());
        if (FPen->IsClear()) return;
        p.setBrush(Qt::NoBrush);
        const int w = FPen->Width();
        // A wide pen stays inside the rectangle, a thin one is its outer ring.
        const int inset = w / 2;
        p.drawRect(r.adjusted(inset, inset, -inset - (w % 2 == 1 ? 1 : 0), -inset - (w % 2 == 1 ? 1 : 0)));
    });
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    const QRect r = Rect(x1, y1, x2, y2).normalized();
    if (r.isEmpty()) return;
    Paint([&](QPainter& p) { p.drawEllipse(r.adjusted(0, 0, -1, -1)); });
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    const QSize size = TextExtent(text);
    Paint([&](QPainter& p) {
        const QRect cell(QPoint(x, y), size);
        if (!FBrush->IsClear()) p.fillRect(cell, ColorToQColor(FBrush->Color()));
        p.setPen(ColorToQColor(FFont->Color()));
        p.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    });
    FPenPos = QPoint(x + size.width(), y);
}

void TCanvas::TextRect(const QRect& rect, int x, int y, const QString& text) {
    const QSize size = TextExtent(text);
    Paint([&](QPainter& p) {
        p.setClipRect(rect, Qt::IntersectClip);
        if (!FBrush->IsClear()) p.fillRect(rect, ColorToQColor(FBrush->Color()));
        p.setPen(ColorToQColor(FFont->Color()));
        p.drawText(QRect(QPoint(x, y), size), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    });
}

void TCanvas::DrawText(const QRect& rect, const QString& text, int flags) {
    Paint([&](QPainter& p) {
        p.setPen(ColorToQColor(FFont->Color()));
        p.drawText(rect, flags, text);
    });
}

int TCanvas::TextWidth(const QString& text) const { return QFontMetrics(FFont->ToQFont()).horizontalAdvance(text); }

int TCanvas::TextHeight(const QString&) const { return QFontMetrics(FFont->ToQFont()).height(); }

QSize TCanvas::TextExtent(const QString& text) const { return QSize(TextWidth(text), TextHeight(text)); }

void TCanvas::DrawImage(const QRect& dest, const QImage& image, const QRect& sourceRect, TCopyMode mode) {
    if (dest.isEmpty() || image.isNull()) return;
    QImage* target = TargetImage();
    const bool bitwise = mode == cmSrcAnd || mode == cmSrcPaint || mode == cmSrcInvert || mode == cmNotSrcCopy;
    if (bitwise && target) {
        // Bit operations on the colour; the source is scaled to the destination
        // first when the sizes differ.
        QImage src = SourcePart(image, sourceRect);
        if (src.size() != dest.size()) src = src.scaled(dest.size());
        const QRect area = dest.intersected(target->rect());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb s = src.pixel(x - dest.left(), y - dest.top()) & 0x00FFFFFFu;
                const QRgb d = target->pixel(x, y) & 0x00FFFFFFu;
                QRgb r = s;
                if (mode == cmSrcAnd) r = s & d;
                else if (mode == cmSrcPaint) r = s | d;
                else if (mode == cmSrcInvert) r = s ^ d;
                else r = ~s & 0x00FFFFFFu;
                target->setPixel(x, y, r | (target->pixel(x, y) & 0xFF000000u));
            }
        if (FBitmap && !FPainter) FBitmap->CanvasChanged();
        emit Changed();
        return;
    }
    Paint([&](QPainter& p) {
        if (mode == cmBlackness || mode == cmWhiteness) {
            p.fillRect(dest, mode == cmBlackness ? Qt::black : Qt::white);
            return;
        }
        if (bitwise) {
            // A widget's surface cannot be read: Qt's raster operations do the same.
            p.setCompositionMode(mode == cmSrcAnd      ? QPainter::RasterOp_SourceAndDestination
                                 : mode == cmSrcPaint  ? QPainter::RasterOp_SourceOrDestination
                                 : mode == cmSrcInvert ? QPainter::RasterOp_SourceXorDestination
                                                       : QPainter::RasterOp_NotSource);
        }
        p.drawImage(dest, image, sourceRect);
    });
}

void TCanvas::Draw(int x, int y, const TBitmap* graphic) {
    if (!graphic || graphic->Empty()) return;
    const QImage image = graphic->DrawingImage();
    DrawImage(QRect(QPoint(x, y), image.size()), image, image.rect(), cmSrcCopy);
}

void TCanvas::StretchDraw(const QRect& rect, const TBitmap* graphic) {
    if (!graphic || graphic->Empty()) return;
    const QImage image = graphic->DrawingImage();
    DrawImage(rect.normalized(), image, image.rect(), cmSrcCopy);
}

void TCanvas::CopyRect(const QRect& dest, const TCanvas* source, const QRect& sourceRect) {
    if (!source) return;
    const QImage* image = source->TargetImage();
    if (!image) return;
    // A copy, so a canvas can copy within itself.
    const QImage copy = *image;
    DrawImage(dest.normalized(), copy, sourceRect.normalized(), FCopyMode);
}

void TCanvas::BrushCopy(const QRect& dest, const TBitmap* source, const QRect& sourceRect, TColor color) {
    if (!source || source->Empty()) return;
    QImage part = SourcePart(source->Image(), sourceRect.normalized());
    const QRgb key = OpaqueRgb(color) & 0x00FFFFFFu;
    const QRgb fill = FBrush->IsClear() ? 0 : OpaqueRgb(FBrush->Color());
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            if ((part.pixel(x, y) & 0x00FFFFFFu) == key) part.setPixel(x, y, fill);
    DrawImage(dest.normalized(), part, part.rect(), cmSrcCopy);
}

void TCanvas::DrawMaskedBrush(int x, int y, const TBitmap* mask) {
    if (!mask || mask->Empty() || FBrush->IsClear()) return;
    const QImage& m = mask->Image();
    QImage ink(m.size(), QImage::Format_ARGB32);
    const QRgb brush = OpaqueRgb(FBrush->Color());
    for (int j = 0; j < m.height(); ++j)
        for (int i = 0; i < m.width(); ++i) ink.setPixel(i, j, IsBlack(m.pixel(i, j)) ? brush : 0u);
    DrawImage(QRect(QPoint(x, y), ink.size()), ink, ink.rect(), cmSrcCopy);
}

void TCanvas::BitBlt(int x, int y, int width, int height, const TBitmap* source, int sx, int sy, TCopyMode rop) {
    if (rop == ROP_DSPDxax) {
        if (!source) return;
        TBitmap part;
        part.FromQImage(source->Image().copy(sx, sy, width, height));
        DrawMaskedBrush(x, y, &part);
        return;
    }
    if (rop == cmBlackness || rop == cmWhiteness) {
        const QImage none(1, 1, QImage::Format_RGB32);
        DrawImage(QRect(x, y, width, height), none, none.rect(), rop);
        return;
    }
    if (!source || source->Empty()) return;
    DrawImage(QRect(x, y, width, height), source->Image(), QRect(sx, sy, width, height), rop);
}

TColor TCanvas::Pixels(int x, int y) const {
    const QImage* image = TargetImage();
    if (!image || !image->rect().contains(x, y)) return clNone;
    return QColorToColor(QColor(image->pixel(x, y)));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
    if (color == clNone) return;
    const QColor c = ColorToQColor(color);
    Paint([&](QPainter& p) { p.fillRect(QRect(x, y, 1, 1), c); });
}

// ---- bitmap -------------------------------------------------------------------------

TBitmap::TBitmap(QObject* parent) : TPersistent(parent) {}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) FCanvas = new TCanvas(this, this);
    return FCanvas;
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height() && !FImage.isNull()) return;
    const QImage::Format format = FPixelFormat == pf32bit ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    QImage next(width, height, format);
    if (!next.isNull()) {
        next.fill(Qt::white);
        if (!FImage.isNull()) {
            QPainter p(&next);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(0, 0, FImage);
        }
    }
    FImage = next;
    DoChanged();
}

void TBitmap::Quantize() {
    for (int y = 0; y < FImage.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(FImage.scanLine(y));
        for (int x = 0; x < FImage.width(); ++x) line[x] = IsBlack(line[x]) ? 0xFF000000u : 0xFFFFFFFFu;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format != pf1bit && format != pf32bit) format = pf24bit;
    if (format == FPixelFormat) return;
    FPixelFormat = format;
    if (!FImage.isNull()) {
        if (format == pf32bit) {
            FImage = FImage.convertToFormat(QImage::Format_ARGB32);
        } else {
            // The colour stays as it is; only the alpha goes.
            FImage = FImage.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < FImage.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(FImage.scanLine(y));
                for (int x = 0; x < FImage.width(); ++x) line[x] |= 0xFF000000u;
            }
            FImage.reinterpretAsFormat(QImage::Format_RGB32);
            if (format == pf1bit) Quantize();
        }
    }
    DoChanged();
}

void TBitmap::SetMonochrome(bool on) { SetPixelFormat(on ? pf1bit : pf24bit); }

TColor TBitmap::Pixels(int x, int y) const {
    if (Empty() || !FImage.rect().contains(x, y)) return clNone;
    return QColorToColor(QColor(FImage.pixel(x, y)));
}

void TBitmap::SetPixels(int x, int y, TColor color) {
    if (Empty() || !FImage.rect().contains(x, y) || color == clNone) return;
    QRgb rgb = OpaqueRgb(color);
    if (FPixelFormat == pf1bit) rgb = IsBlack(rgb) ? 0xFF000000u : 0xFFFFFFFFu;
    FImage.setPixel(x, y, rgb);
    DoChanged();
}

void TBitmap::SetTransparent(bool on) {
    if (on == FTransparent) return;
    FTransparent = on;
    DoChanged();
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentMode == tmFixed) return FTransparentColor;
    if (Empty()) return clDefault;
    return Pixels(0, Height() - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
    FTransparentColor = color;
    FTransparentMode = color == clDefault ? tmAuto : tmFixed;
    DoChanged();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
    if (mode == FTransparentMode) return;
    if (mode == tmFixed && FTransparentColor == clDefault) FTransparentColor = TransparentColor();
    FTransparentMode = mode;
    DoChanged();
}

void TBitmap::Mask(TColor color) {
    if (Empty()) return;
    const QRgb key = OpaqueRgb(color) & 0x00FFFFFFu;
    SetPixelFormat(pf24bit);
    for (int y = 0; y < FImage.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(FImage.scanLine(y));
        for (int x = 0; x < FImage.width(); ++x)
            line[x] = (line[x] & 0x00FFFFFFu) == key ? 0xFFFFFFFFu : 0xFF000000u;
    }
    FPixelFormat = pf1bit;
    DoChanged();
}

bool TBitmap::Assign(const TPersistent* source) {
    if (!source) {
        FImage = QImage();
        DoChanged();
        return true;
    }
    const auto* other = qobject_cast<const TBitmap*>(source);
    if (!other) return false;
    if (other == this) return true;
    FImage = other->FImage;
    FPixelFormat = other->FPixelFormat;
    FTransparent = other->FTransparent;
    FTransparentMode = other->FTransparentMode;
    FTransparentColor = other->FTransparentColor;
    DoChanged();
    return true;
}

void TBitmap::FromQImage(const QImage& image) {
    if (image.isNull()) {
        FImage = QImage();
        DoChanged();
        return;
    }
    if (image.depth() == 1) {
        FPixelFormat = pf1bit;
        FImage = image.convertToFormat(QImage::Format_RGB32);
        Quantize();
    } else if (image.hasAlphaChannel()) {
        FPixelFormat = pf32bit;
        FImage = image.convertToFormat(QImage::Format_ARGB32);
    } else {
        FPixelFormat = pf24bit;
        FImage = image.convertToFormat(QImage::Format_RGB32);
    }
    DoChanged();
}

QImage TBitmap::ToQImage() const {
    if (FPixelFormat == pf1bit && !Empty())
        return FImage.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    return FImage;
}

QImage TBitmap::DrawingImage() const {
    if (Empty()) return QImage();
    QImage out = FImage.convertToFormat(QImage::Format_ARGB32);
    if (!FTransparent) return out;
    const QRgb key = OpaqueRgb(TransparentColor()) & 0x00FFFFFFu;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == key) line[x] = 0;
    }
    return out;
}

void TBitmap::LoadFromFile(const QString& fileName) {
    QImageReader reader(fileName);
    QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic(QStringLiteral("Cannot read the picture %1: %2").arg(fileName, reader.errorString()).toStdString());
    FromQImage(image);
}

void TBitmap::SaveToFile(const QString& fileName) const {
    const QByteArray format = fileName.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ? "PNG" : "BMP";
    QImageWriter writer(fileName, format);
    if (Empty() || !writer.write(ToQImage()))
        throw EInvalidGraphic(QStringLiteral("Cannot write the picture %1").arg(fileName).toStdString());
}

void TBitmap::CanvasChanged() {
    if (FPixelFormat == pf1bit) Quantize();
    DoChanged();
}

void TBitmap::DoChanged() {
    emit Changed();
    if (OnChange) OnChange(this);
}

void Frame3D(TCanvas* canvas, QRect& rect, TColor top, TColor bottom, int width) {
    if (!canvas) return;
    // Classic coordinates: the right and bottom edges are drawn one inside.
    int left = rect.left(), topY = rect.top(), right = rect.left() + rect.width() - 1, bottomY = rect.top() + rect.height() - 1;
    for (; width > 0; --width) {
        canvas->Pen()->SetColor(top);
        canvas->Polyline(QPolygon({QPoint(left, bottomY), QPoint(left, topY), QPoint(right, topY)}));
        canvas->Pen()->SetColor(bottom);
        canvas->Polyline(QPolygon({QPoint(right, topY), QPoint(right, bottomY), QPoint(left - 1, bottomY)}));
        ++left;
        ++topY;
        --right;
        --bottomY;
    }
    rect = QRect(QPoint(left, topY), QPoint(right, bottomY));
}

}  // namespace kv
