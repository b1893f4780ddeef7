#include "platform/Graphics.h"

#include <QGuiApplication>
#include <QPalette>

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
    {clActiveCaption, "clActiveCaption"},
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

}  // namespace kv
