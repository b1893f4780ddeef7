// Colours and fonts as the system's code knows them. A TColor is the classic
// 0x00BBGGRR value; values with the top bit set name a system colour (the low byte
// is its index) and are resolved through the application palette.
#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>

#include <cstdint>

#include "platform/Classes.h"

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

}  // namespace kv

Q_DECLARE_OPERATORS_FOR_FLAGS(kv::TFontStyles)
