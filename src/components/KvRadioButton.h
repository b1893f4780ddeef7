// A radio button whose caption the component paints itself over the native one,
// in the control's own font and colour, so a disabled option still reads in the
// colour the form gave it.
#pragma once

#include <QRadioButton>

#include "platform/Controls.h"

class QPainter;

namespace kv {

class TCanvas;
class TKvRadioWidget;

// How far right of the client's left edge the caption starts for a font size in
// points (the circle and its gap grow with the font).
int RadioCaptionOffset(int points);

class TKvRadioButton : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(kv::Enums::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(kv::Enums::TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)
public:
    explicit TKvRadioButton(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    // taRightJustify: the caption right of the circle.
    void SetAlignment(TAlignment alignment);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode mode);
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }

    bool Checked() const { return FChecked; }
    // Checking unchecks the other TKvRadioButtons of the same parent (no other
    // kind of radio button) and raises OnClick; unchecking raises nothing. A
    // checked button is a tab stop, an unchecked one is not.
    void SetChecked(bool on);

    // The rectangle the caption is drawn in: the client area without the circle.
    QRect CaptionArea() const;

    QRadioButton* RadioButton() const { return static_cast<QRadioButton*>(FHandle.data()); }

protected:
    QString GetText() const override;
    void SetText(const QString& text) override;
    void WndProc(TMessage& message) override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    void FontChanged() override;

    // The native button's notifications: it was clicked (mouse or space key),
    // it was double-clicked.
    virtual void ButtonClicked();
    virtual void ButtonDblClicked();

private:
    friend class TKvRadioWidget;
    bool CaptionOnLeft() const;
    void ApplyLayoutDirection();
    void SyncNativeCheck();
    void TurnSiblingsOff();
    // Paints the caption over what the native button drew.
    void PaintCaption(QPainter& painter);

    TCanvas* FCanvas = nullptr;
    TAlignment FAlignment = taRightJustify;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FChecked = false;
    bool FSyncing = false;
};

}  // namespace kv
