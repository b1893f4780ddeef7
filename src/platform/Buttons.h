// Glyph buttons: the self-drawn speed button and the push button with a glyph.
// Both draw a cell of a glyph strip (up, disabled, clicked, down) beside their
// caption, placed by the classic layout arithmetic.
#pragma once

#include <QPushButton>

#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/StdCtrls.h"

namespace kv {

// Where the glyph and the caption go inside a button's client rectangle.
struct TButtonLayoutResult {
    QPoint GlyphPos;
    QRect TextBounds;
};

// The classic placement: glyph beside (left/right) or above/below (top/bottom)
// the text, both centred across that direction. Margin -1 centres the pair;
// Spacing -1 spreads the free space evenly; with no glyph or no text the spacing
// does not count. offset shifts both (a pressed button draws one pixel down-right).
TButtonLayoutResult CalcButtonLayout(const QRect& client, const QPoint& offset, const QSize& glyphSize,
                                     const QSize& textSize, TButtonLayout layout, int margin, int spacing);

// The cell of a strip of numGlyphs cells drawn in a state: up 0, disabled 1,
// clicked 2, down 3, the up cell where the strip has no cell for the state. -1
// for a disabled button with a single cell: a greyed image is drawn instead.
int GlyphCellForState(TButtonState state, int numGlyphs);

// The greyed look of a glyph cell: its dark pixels (not of the transparent
// colour) embossed in the button highlight and shadow colours on a transparent
// background (a 32-bit bitmap).
void CreateGrayedGlyph(const TBitmap& cell, TColor transparentColor, TBitmap& out);

// The glyph strip and its drawing, shared by the glyph buttons.
class TButtonGlyph {
public:
    explicit TButtonGlyph(QObject* owner);
    TBitmap* Glyph() const { return FGlyph; }
    // Copies the bitmap; a strip whose width is 1 to 4 times its height sets
    // the number of cells.
    void SetGlyph(const TBitmap* glyph);
    int NumGlyphs() const { return FNumGlyphs; }
    // Clamped to 1..4.
    void SetNumGlyphs(int count);
    QSize CellSize() const;
    // The picture for a state (a cell of the strip, or the greyed one), empty
    // without a glyph.
    void StateImage(TButtonState state, TBitmap& out) const;
    // Glyph and caption in client: the caption is embossed when disabled.
    void Draw(TCanvas* canvas, const QRect& client, const QPoint& offset, const QString& caption,
              TButtonLayout layout, int margin, int spacing, TButtonState state) const;

private:
    TBitmap* FGlyph;
    int FNumGlyphs = 1;
};

// A self-drawn button that can stay down: buttons of one parent with the same
// non-zero GroupIndex are exclusive (one down at a time; AllowAllUp lets the last
// one go up). Flat buttons show an edge only under the mouse or when down.
class TSpeedButton : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(kv::TBitmap* Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
    Q_PROPERTY(kv::Enums::TButtonLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
public:
    explicit TSpeedButton(TComponent* AOwner);

    TBitmap* Glyph() const { return FGlyph.Glyph(); }
    void SetGlyph(TBitmap* glyph);
    int NumGlyphs() const { return FGlyph.NumGlyphs(); }
    void SetNumGlyphs(int count);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return FMargin; }
    void SetMargin(int margin);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int spacing);
    bool Flat() const { return FFlat; }
    void SetFlat(bool on);
    bool Down() const { return FDown; }
    // Only grouped buttons go down; a down button of a group without AllowAllUp
    // stays down until another of its group goes down.
    void SetDown(bool on);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int index);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool on);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);

    // The state the button draws in now.
    TButtonState State() const;
    // The glyph cell drawn now (GlyphCellForState of State()).
    int DrawnGlyphCell() const { return GlyphCellForState(State(), NumGlyphs()); }

protected:
    void Paint(QPainter& painter) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    void WndProc(TMessage& message) override;
    void FontChanged() override;

private:
    // The other buttons of the group follow this one (down, AllowAllUp).
    void UpdateExclusive();
    void GroupButtonChanged(TSpeedButton* sender);
    bool Inside(int x, int y) const;

    TButtonGlyph FGlyph;
    TCanvas* FCanvas;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FFlat = false;
    bool FDown = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FTransparent = true;
    TButtonState FState = bsUp;
    bool FDragging = false;
    bool FMouseInControl = false;
};

class TBitBtnWidget;

// A push button with a glyph. Kind gives the classic stock buttons (caption,
// modal result, default/cancel and glyph); changing those by hand makes the kind
// bkCustom again. A bkClose button closes its form.
class TBitBtn : public TButton {
    Q_OBJECT
    Q_PROPERTY(kv::TBitmap* Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
    Q_PROPERTY(kv::Enums::TButtonLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
    Q_PROPERTY(kv::Enums::TBitBtnKind Kind READ Kind WRITE SetKind)
public:
    explicit TBitBtn(TComponent* AOwner);

    TBitmap* Glyph() const { return FGlyph.Glyph(); }
    void SetGlyph(TBitmap* glyph);
    int NumGlyphs() const { return FGlyph.NumGlyphs(); }
    void SetNumGlyphs(int count);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return FMargin; }
    void SetMargin(int margin);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int spacing);
    TBitBtnKind Kind() const;
    void SetKind(TBitBtnKind kind);

    void Click() override;
    // The state the glyph is drawn in now.
    TButtonState State() const;
    int DrawnGlyphCell() const { return GlyphCellForState(State(), NumGlyphs()); }

    // The stock texts, results and glyphs of the kinds.
    static QString KindCaption(TBitBtnKind kind);
    static TModalResult KindModalResult(TBitBtnKind kind);
    static void KindGlyph(TBitBtnKind kind, TBitmap& out);

private:
    friend class TBitBtnWidget;
    void PaintContent(QPainter& painter, const QRect& client, bool pressed);

    TButtonGlyph FGlyph;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    TBitBtnKind FKind = bkCustom;
};

}  // namespace kv
