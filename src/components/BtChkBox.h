// A three-state check box the component draws entirely itself from three glyph
// strips (unchecked, checked, grayed), so the option dialogs look the same on every
// desktop style. Each strip may carry a second cell for the disabled look.
#pragma once

#include <QImage>

#include "platform/Controls.h"

class QPainter;

namespace kv {

class TCanvas;

// The built-in pictures by their resource names "UNCHECKED", "CHECKED" and
// "GRAYED": 19 x 14, one cell, transparent colour teal. Null for other names.
QImage CheckGlyphImage(const QString& name);

class TBitCheckBox : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(kv::Enums::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AllowGrayed READ AllowGrayed WRITE SetAllowGrayed)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(kv::Enums::TCheckBoxState State READ State WRITE SetState)
    // The pictures are the built-in ones unless code replaces them: never stored.
    Q_PROPERTY(kv::TBitmap* CheckedGlyph READ CheckedGlyph WRITE SetCheckedGlyph STORED false)
    Q_PROPERTY(kv::TBitmap* UncheckedGlyph READ UncheckedGlyph WRITE SetUncheckedGlyph STORED false)
    Q_PROPERTY(kv::TBitmap* GrayedGlyph READ GrayedGlyph WRITE SetGrayedGlyph STORED false)
    Q_PROPERTY(int CheckedNumGlyphs READ CheckedNumGlyphs WRITE SetCheckedNumGlyphs)
    Q_PROPERTY(int UncheckedNumGlyphs READ UncheckedNumGlyphs WRITE SetUncheckedNumGlyphs)
    Q_PROPERTY(int GrayedNumGlyphs READ GrayedNumGlyphs WRITE SetGrayedNumGlyphs)
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE SetCtl3D)
    Q_PROPERTY(bool ParentCtl3D READ ParentCtl3D WRITE SetParentCtl3D)
public:
    explicit TBitCheckBox(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool on) { FAllowGrayed = on; }
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool on) { SetState(on ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    // Repaints; raises no event.
    void SetState(TCheckBoxState state);

    TBitmap* CheckedGlyph() const { return Glyph(cbChecked); }
    TBitmap* UncheckedGlyph() const { return Glyph(cbUnchecked); }
    TBitmap* GrayedGlyph() const { return Glyph(cbGrayed); }
    // A copy is taken; an empty or null bitmap brings the built-in picture back.
    // The cell count becomes width div height (1..2).
    void SetCheckedGlyph(TBitmap* glyph) { SetGlyph(cbChecked, glyph); }
    void SetUncheckedGlyph(TBitmap* glyph) { SetGlyph(cbUnchecked, glyph); }
    void SetGrayedGlyph(TBitmap* glyph) { SetGlyph(cbGrayed, glyph); }
    int CheckedNumGlyphs() const { return NumGlyphs(cbChecked); }
    int UncheckedNumGlyphs() const { return NumGlyphs(cbUnchecked); }
    int GrayedNumGlyphs() const { return NumGlyphs(cbGrayed); }
    // Clamped to 1..2; the second cell is the disabled look.
    void SetCheckedNumGlyphs(int count) { SetNumGlyphs(cbChecked, count); }
    void SetUncheckedNumGlyphs(int count) { SetNumGlyphs(cbUnchecked, count); }
    void SetGrayedNumGlyphs(int count) { SetNumGlyphs(cbGrayed, count); }

    TBitmap* Glyph(TCheckBoxState state) const { return FGlyphs[state].Picture; }
    void SetGlyph(TCheckBoxState state, TBitmap* glyph);
    int NumGlyphs(TCheckBoxState state) const { return FGlyphs[state].Cells; }
    void SetNumGlyphs(TCheckBoxState state, int count);

    // With ParentCtl3D, the parent's Ctl3D when it publishes one.
    bool Ctl3D() const;
    void SetCtl3D(bool on);
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool on);

    // unchecked -> grayed (AllowGrayed) or checked; checked -> unchecked;
    // grayed -> checked. Raises no event.
    void Toggle();
    // Toggle, OnClick, then the focus when the box can take it.
    void Click() override;
    void SetName(const QString& name) override;

    // Where the caption goes in the client area for the current glyph and font
    // (before the focus frame widens it).
    QRect CaptionRect() const;

protected:
    void Paint(QPainter& painter) override;
    void WndProc(TMessage& message) override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    // The space key clicks, after the ordinary key handling had its say.
    void KeyPress(QChar& key) override;
    void DoEnter() override;
    void DoExit() override;
    void FontChanged() override;

private:
    struct GlyphStrip {
        TBitmap* Picture = nullptr;
        int Cells = 1;
    };
    void LoadBuiltInGlyph(TCheckBoxState state);
    // The glyph cell drawn now: 0, or 1 (the disabled cell) when disabled and
    // the strip has one.
    int CellToDraw(TCheckBoxState state) const;
    void DrawCaption(TCanvas& canvas, const QRect& rect) const;
    void DrawFocusFrame(QPainter& painter, QRect rect) const;
    void DrawGlyph(TCanvas& canvas) const;

    GlyphStrip FGlyphs[3];
    TAlignment FAlignment = taRightJustify;
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
};

// The check box of the selection panel; it adds nothing, the panel finds it by
// its class.
class TMavCheckBox : public TBitCheckBox {
    Q_OBJECT
public:
    explicit TMavCheckBox(TComponent* AOwner) : TBitCheckBox(AOwner) {}
};

// Mouse-button key flags of the classic mouse messages' wParam.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;

// A classic point parameter: x in the low word, y in the high word.
constexpr LPARAM MakePointParam(int x, int y) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) | static_cast<std::uint32_t>(x & 0xFFFF));
}

// Clicks a control by sending its widget a left-button press and release at the
// point in lParam (client coordinates, x low word, y high word), with the Shift
// and Ctrl state of wParam. The control reacts as to a real click there.
void SimulateClick(TControl* control, WPARAM wParam, LPARAM lParam);

}  // namespace kv
