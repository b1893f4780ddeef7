// Colours and fonts as the system's code knows them. A TColor is the classic
// 0x00BBGGRR value; values with the top bit set name a system colour (the low byte
// is its index) and are resolved through the application palette.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPointer>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <cstdint>
#include <stdexcept>

#include "platform/Classes.h"
#include "platform/Types.h"

class QPainter;
class QWidget;

namespace kv {

using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clInfoBk = static_cast<TColor>(0x80000018);
constexpr TColor clScrollBar = static_cast<TColor>(0x80000000);
constexpr TColor clBackground = static_cast<TColor>(0x80000001);
constexpr TColor clActiveCaption = static_cast<TColor>(0x80000002);
constexpr TColor clInactiveCaption = static_cast<TColor>(0x80000003);
constexpr TColor clCaptionText = static_cast<TColor>(0x80000009);
constexpr TColor clInactiveCaptionText = static_cast<TColor>(0x80000013);
constexpr TColor clWindow = static_cast<TColor>(0x80000005);
constexpr TColor clWindowText = static_cast<TColor>(0x80000008);
constexpr TColor clHighlight = static_cast<TColor>(0x8000000D);
constexpr TColor clHighlightText = static_cast<TColor>(0x8000000E);
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000F);
constexpr TColor clBtnShadow = static_cast<TColor>(0x80000010);
constexpr TColor clGrayText = static_cast<TColor>(0x80000011);
constexpr TColor clBtnText = static_cast<TColor>(0x80000012);
constexpr TColor clBtnHighlight = static_cast<TColor>(0x80000014);
constexpr TColor clInfoText = static_cast<TColor>(0x80000017);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The colour as Qt draws it (system colours from the application palette).
QColor ColorToQColor(TColor color);
// An RGB colour back to a TColor (alpha dropped).
TColor QColorToColor(const QColor& color);
// clXxx identifiers, as the language files and form texts write them.
bool IdentToColor(const QString& ident, TColor& color);
QString ColorToIdent(TColor color);

// Character sets keep the classic numbers; Qt ignores them for drawing, but the
// system's code reads and sets them.
enum TFontCharsetValue : int {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    OEM_CHARSET = 255,
};
bool IdentToCharset(const QString& ident, int& charset);

enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)

// Screen pixels per inch for the classic size/height arithmetic.
constexpr int PixelsPerInch = 96;

// A font: face name, height in pixels (negative, as the classic character height)
// or size in points, colour, character set and style. A control's font is bound to
// its widget, so every change shows at once.
class TFont : public TPersistent {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
    Q_CLASSINFO("PropertyType:Charset", "TFontCharset")
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(int Charset READ Charset WRITE SetCharset)
    Q_PROPERTY(int Style READ StyleBits WRITE SetStyleBits)
public:
    explicit TFont(QObject* parent = nullptr);

    QString Name() const { return FFont.family(); }
    void SetName(const QString& name);
    // Points, from the pixel height as the classic arithmetic rounds it.
    int Size() const;
    void SetSize(int points);
    // Negative: the character height in pixels.
    int Height() const { return -FFont.pixelSize(); }
    void SetHeight(int height);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    int Charset() const { return FCharset; }
    void SetCharset(int charset);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style);
    int StyleBits() const { return static_cast<int>(FStyle); }
    void SetStyleBits(int bits) { SetStyle(TFontStyles(bits)); }

    const QFont& ToQFont() const { return FFont; }
    void SetQFont(const QFont& font);
    bool Assign(const TPersistent* source) override;

    TNotifyEvent OnChange;

signals:
    void Changed();

private:
    void DoChanged();
    QFont FFont;
    TColor FColor = clWindowText;
    int FCharset = DEFAULT_CHARSET;
    TFontStyles FStyle;
};


// ---- bitmaps and canvases -----------------------------------------------------------

// A picture file that cannot be read or written.
class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Classic rectangles: right and bottom are exclusive, so Rect(0, 0, 16, 16) is
// 16 x 16 pixels, as QRect(0, 0, 16, 16) is.
inline QRect Rect(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }
inline QRect Bounds(int left, int top, int width, int height) { return QRect(left, top, width, height); }

// Copy modes (raster operations) keep their classic numbers.
using TCopyMode = std::uint32_t;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;
// With a monochrome source: the brush where the source is black, the destination
// elsewhere (what greyed glyphs are embossed with).
constexpr TCopyMode ROP_DSPDxax = 0x00E20746;

class TBitmap;

// The fill of shapes and text backgrounds. Giving a clear brush a colour makes it
// solid again, as the classic brush does.
class TBrush : public TPersistent {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(kv::Enums::TBrushStyle Style READ Style WRITE SetStyle)
public:
    explicit TBrush(QObject* parent = nullptr) : TPersistent(parent) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle style);
    bool IsClear() const { return FStyle == bsClear; }
    QBrush ToQBrush() const;
    bool Assign(const TPersistent* source) override;

signals:
    void Changed();

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

// The outline of shapes and lines.
class TPen : public TPersistent {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(kv::Enums::TPenStyle Style READ Style WRITE SetStyle)
public:
    explicit TPen(QObject* parent = nullptr) : TPersistent(parent) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    int Width() const { return FWidth; }
    void SetWidth(int width);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle style);
    bool IsClear() const { return FStyle == psClear; }
    QPen ToQPen() const;
    bool Assign(const TPersistent* source) override;

signals:
    void Changed();

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
};

// A drawing surface with the classic operations and pixel rules (rectangles
// exclude their right and bottom edge, lines their end point). It draws either
// into a bitmap (the bitmap's Canvas) or through a painter a self-drawn control
// hands over while it paints (SetPainter). Without either it draws nothing.
class TCanvas : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(kv::TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(kv::TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(kv::TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(int CopyMode READ CopyModeValue WRITE SetCopyModeValue)
public:
    explicit TCanvas(QObject* parent = nullptr);
    explicit TCanvas(QPainter* painter, QObject* parent = nullptr);

    // The painter of a paint event; null detaches. The canvas does not own it.
    void SetPainter(QPainter* painter) { FPainter = painter; }
    QPainter* Painter() const { return FPainter; }
    TBitmap* Bitmap() const { return FBitmap; }
    // Something to draw on is attached.
    bool HandleAllocated() const;

    TBrush* Brush() const { return FBrush; }
    void SetBrush(TBrush* brush) { FBrush->Assign(brush); }
    TPen* Pen() const { return FPen; }
    void SetPen(TPen* pen) { FPen->Assign(pen); }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* font) { FFont->Assign(font); }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode mode) { FCopyMode = mode; }
    int CopyModeValue() const { return static_cast<int>(FCopyMode); }
    void SetCopyModeValue(int mode) { FCopyMode = static_cast<TCopyMode>(mode); }

    QPoint PenPos() const { return FPenPos; }
    void SetPenPos(const QPoint& p) { FPenPos = p; }
    void MoveTo(int x, int y) { FPenPos = QPoint(x, y); }
    // A line from the pen position to (x, y), the end point left out; the pen
    // position moves there.
    void LineTo(int x, int y);
    // Connected lines; the last point is left out.
    void Polyline(const QPolygon& points);
    // Filled with the brush, outlined with the pen.
    void Polygon(const QPolygon& points);
    void FillRect(const QRect& rect);
    // A one-pixel frame in the brush colour.
    void FrameRect(const QRect& rect);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const QRect& rect) { Rectangle(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()); }
    void Ellipse(int x1, int y1, int x2, int y2);

    // Text with its cell's top-left at (x, y), on the brush colour unless the brush
    // is clear; the pen position moves to the end of the text.
    void TextOut(int x, int y, const QString& text);
    // TextOut clipped to rect, which is filled with the brush first unless clear.
    void TextRect(const QRect& rect, int x, int y, const QString& text);
    // Text laid out in rect by Qt alignment and text flags (Qt::AlignCenter,
    // Qt::TextSingleLine, Qt::TextShowMnemonic for "&" accelerators, ...), with no
    // background.
    void DrawText(const QRect& rect, const QString& text, int flags);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    QSize TextExtent(const QString& text) const;

    // The bitmap at (x, y); a transparent bitmap leaves its transparent colour
    // out, a 32-bit one is blended by its alpha.
    void Draw(int x, int y, const TBitmap* graphic);
    void StretchDraw(const QRect& rect, const TBitmap* graphic);
    // Copies part of another canvas (it must draw into a bitmap or an image)
    // with CopyMode.
    void CopyRect(const QRect& dest, const TCanvas* source, const QRect& sourceRect);
    // Copies part of a bitmap with its colour `color` replaced by the brush.
    void BrushCopy(const QRect& dest, const TBitmap* source, const QRect& sourceRect, TColor color);
    // Paints the brush colour where the mask is black and keeps the destination
    // elsewhere; the mask's top-left goes to (x, y).
    void DrawMaskedBrush(int x, int y, const TBitmap* mask);
    // The classic block transfer from a bitmap: the copy modes above, with
    // ROP_DSPDxax as DrawMaskedBrush.
    void BitBlt(int x, int y, int width, int height, const TBitmap* source, int sx, int sy, TCopyMode rop);

    // clNone outside the surface or where it cannot be read (a widget).
    TColor Pixels(int x, int y) const;
    void SetPixels(int x, int y, TColor color);

signals:
    void Changed();

private:
    friend class TBitmap;
    TCanvas(TBitmap* bitmap, QObject* parent);
    void Init();
    // Runs f with a painter set up with the pen, brush and font, on the attached
    // painter or a new one over the bitmap; the bitmap learns of the change.
    template <class F>
    void Paint(F&& f);
    // The image drawn into, when it can be read (a bitmap, a painter over an image).
    QImage* TargetImage() const;
    void DrawImage(const QRect& dest, const QImage& image, const QRect& sourceRect, TCopyMode mode);
    void DrawLinePixels(QPainter& painter, QPoint from, QPoint to);

    TBrush* FBrush;
    TPen* FPen;
    TFont* FFont;
    QPainter* FPainter = nullptr;
    TBitmap* FBitmap = nullptr;
    QPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
};

// A bitmap over a QImage. Pixel formats: pf1bit (only black and white pixels),
// pf24bit (RGB without alpha; pfDevice and the palette formats are kept as this)
// and pf32bit (with alpha). New or grown areas are white. The transparent colour
// is the bottom-left pixel unless set (TransparentMode tmFixed).
class TBitmap : public TPersistent {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:TransparentColor", "TColor")
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(bool Empty READ Empty)
    Q_PROPERTY(kv::Enums::TPixelFormat PixelFormat READ PixelFormat WRITE SetPixelFormat)
    Q_PROPERTY(bool Monochrome READ Monochrome WRITE SetMonochrome)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(int TransparentColor READ TransparentColor WRITE SetTransparentColor)
    Q_PROPERTY(kv::Enums::TTransparentMode TransparentMode READ TransparentMode WRITE SetTransparentMode)
    Q_PROPERTY(kv::TNotifyEvent OnChange MEMBER OnChange)
public:
    explicit TBitmap(QObject* parent = nullptr);

    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    // The picture keeps its top-left part; new pixels are white.
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }
    void SetSize(int width, int height);
    bool Empty() const { return FImage.isNull() || Width() == 0 || Height() == 0; }

    TPixelFormat PixelFormat() const { return FPixelFormat; }
    // Converts the pixels: to pf1bit black stays black and every other colour
    // becomes white; to pf24bit the alpha is dropped.
    void SetPixelFormat(TPixelFormat format);
    bool Monochrome() const { return FPixelFormat == pf1bit; }
    // On: pf1bit. Off: pf24bit.
    void SetMonochrome(bool on);

    TCanvas* Canvas();
    // clNone outside the bitmap.
    TColor Pixels(int x, int y) const;
    void SetPixels(int x, int y, TColor color);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);
    // tmAuto: the bottom-left pixel (clDefault for an empty bitmap); tmFixed: the
    // colour set.
    TColor TransparentColor() const;
    // clDefault returns to tmAuto; any other colour fixes it.
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);

    // Turns the bitmap into its monochrome mask: pixels of `color` white, all
    // others black.
    void Mask(TColor color);

    // Copies a bitmap; a null source empties this one.
    bool Assign(const TPersistent* source) override;
    // Reads a BMP, PNG or other format Qt knows (by content); EInvalidGraphic when
    // the file cannot be read as a picture.
    void LoadFromFile(const QString& fileName);
    // Writes PNG for a ".png" name, else BMP; EInvalidGraphic on failure.
    void SaveToFile(const QString& fileName) const;
    // Takes the picture of a QImage (the pixel format follows it: 1-bit images
    // stay monochrome, images with alpha become pf32bit).
    void FromQImage(const QImage& image);
    // The picture as a QImage (Format_Mono for monochrome bitmaps).
    QImage ToQImage() const;
    // The pixels as stored (RGB32, or ARGB32 for pf32bit).
    const QImage& Image() const { return FImage; }
    // The picture with its transparent colour as alpha 0 when Transparent, for
    // drawing.
    QImage DrawingImage() const;

    TNotifyEvent OnChange;

signals:
    void Changed();

protected:
    void DoChanged();

private:
    friend class TCanvas;
    // After drawing through the canvas: monochrome bitmaps keep to black and white.
    void CanvasChanged();
    void Quantize();
    QImage FImage;
    TPixelFormat FPixelFormat = pf24bit;
    bool FTransparent = false;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
    TCanvas* FCanvas = nullptr;
};

// Draws a 3-D frame of `width` pixels inside rect (top and left in `top`, bottom
// and right in `bottom`) and shrinks rect by it.
void Frame3D(TCanvas* canvas, QRect& rect, TColor top, TColor bottom, int width);

}  // namespace kv

Q_DECLARE_OPERATORS_FOR_FLAGS(kv::TFontStyles)
