#include "platform/Buttons.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionButton>

#include <algorithm>

#include "platform/Forms.h"

namespace kv {

// ---- layout and glyph cells ---------------------------------------------------------

TButtonLayoutResult CalcButtonLayout(const QRect& client, const QPoint& offset, const QSize& glyphSize,
                                     const QSize& textSize, TButtonLayout layout, int margin, int spacing) {
    const QSize clientSize = client.size();
    QPoint glyphPos, textPos;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    // Across the layout direction both are centred.
    if (horizontal) {
        glyphPos.setY((clientSize.height() - glyphSize.height() + 1) / 2);
        textPos.setY((clientSize.height() - textSize.height() + 1) / 2);
    } else {
        glyphPos.setX((clientSize.width() - glyphSize.width() + 1) / 2);
        textPos.setX((clientSize.width() - textSize.width() + 1) / 2);
    }
    if (textSize.width() == 0 || glyphSize.width() == 0) spacing = 0;
    const int free = horizontal ? clientSize.width() : clientSize.height();
    const int glyphExtent = horizontal ? glyphSize.width() : glyphSize.height();
    const int textExtent = horizontal ? textSize.width() : textSize.height();
    if (margin == -1) {
        if (spacing == -1) {
            margin = (free - (glyphExtent + textExtent)) / 3;
            spacing = margin;
        } else {
            margin = (free - (glyphExtent + spacing + textExtent) + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (free - (margin + glyphExtent) - textExtent) / 2;
    }
    switch (layout) {
        case blGlyphLeft:
            glyphPos.setX(margin);
            textPos.setX(glyphPos.x() + glyphSize.width() + spacing);
            break;
        case blGlyphRight:
            glyphPos.setX(clientSize.width() - margin - glyphSize.width());
            textPos.setX(glyphPos.x() - spacing - textSize.width());
            break;
        case blGlyphTop:
            glyphPos.setY(margin);
            textPos.setY(glyphPos.y() + glyphSize.height() + spacing);
            break;
        case blGlyphBottom:
            glyphPos.setY(clientSize.height() - margin - glyphSize.height());
            textPos.setY(glyphPos.y() - spacing - textSize.height());
            break;
    }
    const QPoint shift = client.topLeft() + offset;
    return {glyphPos + shift, QRect(textPos + shift, textSize)};
}

int GlyphCellForState(TButtonState state, int numGlyphs) {
    switch (state) {
        case bsDisabled: return numGlyphs >= 2 ? 1 : -1;
        case bsDown: return numGlyphs >= 3 ? 2 : 0;
        case bsExclusive: return numGlyphs >= 4 ? 3 : 0;
        default: return 0;
    }
}

void CreateGrayedGlyph(const TBitmap& cell, TColor transparentColor, TBitmap& out) {
    QImage clear(cell.Width(), cell.Height(), QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    out.FromQImage(clear);
    if (cell.Empty()) return;
    // Black where the glyph has a dark pixel, white elsewhere.
    const QRgb key = ColorToQColor(transparentColor).rgb() & 0x00FFFFFFu;
    QImage mask(cell.Width(), cell.Height(), QImage::Format_RGB32);
    for (int y = 0; y < cell.Height(); ++y)
        for (int x = 0; x < cell.Width(); ++x) {
            const QRgb p = cell.Image().pixel(x, y);
            const bool dark = (p & 0x00FFFFFFu) != key && qRed(p) + qGreen(p) + qBlue(p) < 384;
            mask.setPixel(x, y, dark ? 0xFF000000u : 0xFFFFFFFFu);
        }
    TBitmap m;
    m.FromQImage(mask);
    TCanvas* canvas = out.Canvas();
    canvas->Brush()->SetColor(clBtnHighlight);
    canvas->DrawMaskedBrush(1, 1, &m);
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->DrawMaskedBrush(0, 0, &m);
}

TButtonGlyph::TButtonGlyph(QObject* owner) : FGlyph(new TBitmap(owner)) {}

void TButtonGlyph::SetGlyph(const TBitmap* glyph) {
    FGlyph->Assign(glyph);
    if (glyph && glyph->Height() > 0 && glyph->Width() % glyph->Height() == 0) {
        const int cells = glyph->Width() / glyph->Height();
        if (cells >= 1 && cells <= 4) FNumGlyphs = cells;
    }
}

void TButtonGlyph::SetNumGlyphs(int count) { FNumGlyphs = std::clamp(count, 1, 4); }

QSize TButtonGlyph::CellSize() const {
    if (FGlyph->Empty()) return QSize(0, 0);
    return QSize(FGlyph->Width() / FNumGlyphs, FGlyph->Height());
}

void TButtonGlyph::StateImage(TButtonState state, TBitmap& out) const {
    const QSize cell = CellSize();
    if (cell.isEmpty()) {
        out.Assign(nullptr);
        return;
    }
    const TColor transparent = FGlyph->TransparentColor();
    const int index = GlyphCellForState(state, FNumGlyphs);
    TBitmap source;
    source.FromQImage(FGlyph->Image().copy(std::max(index, 0) * cell.width(), 0, cell.width(), cell.height()));
    if (index < 0) {
        CreateGrayedGlyph(source, transparent, out);
        return;
    }
    out.Assign(&source);
    out.SetTransparentColor(transparent);
    out.SetTransparent(true);
}

void TButtonGlyph::Draw(TCanvas* canvas, const QRect& client, const QPoint& offset, const QString& caption,
                        TButtonLayout layout, int margin, int spacing, TButtonState state) const {
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    const QSize textSize = caption.isEmpty()
                               ? QSize(0, 0)
                               : QFontMetrics(canvas->Font()->ToQFont()).size(Qt::TextSingleLine | Qt::TextShowMnemonic, caption);
    const TButtonLayoutResult place = CalcButtonLayout(client, offset, CellSize(), textSize, layout, margin, spacing);
    TBitmap image;
    StateImage(state, image);
    canvas->Draw(place.GlyphPos.x(), place.GlyphPos.y(), &image);
    if (caption.isEmpty()) return;
    const TColor fontColor = canvas->Font()->Color();
    if (state == bsDisabled) {
        canvas->Font()->SetColor(clBtnHighlight);
        canvas->DrawText(place.TextBounds.translated(1, 1), caption, flags);
        canvas->Font()->SetColor(clBtnShadow);
        canvas->DrawText(place.TextBounds, caption, flags);
        canvas->Font()->SetColor(fontColor);
    } else {
        canvas->DrawText(place.TextBounds, caption, flags);
    }
}

// ---- speed button -------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(this), FCanvas(new TCanvas(this)) {
    // Clicks come from MouseUp: a grouped button goes down before OnClick runs.
    SetClickOnRelease(false);
    SetBounds(0, 0, 23, 22);
    connect(FGlyph.Glyph(), &TBitmap::Changed, this, [this] { Invalidate(); });
}

void TSpeedButton::SetGlyph(TBitmap* glyph) {
    FGlyph.SetGlyph(glyph);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int count) {
    FGlyph.SetNumGlyphs(count);
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout layout) {
    FLayout = layout;
    Invalidate();
}

void TSpeedButton::SetMargin(int margin) {
    FMargin = std::max(-1, margin);
    Invalidate();
}

void TSpeedButton::SetSpacing(int spacing) {
    FSpacing = std::max(-1, spacing);
    Invalidate();
}

void TSpeedButton::SetFlat(bool on) {
    FFlat = on;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool on) {
    FTransparent = on;
    Invalidate();
}

void TSpeedButton::SetDown(bool on) {
    if (FGroupIndex == 0) on = false;
    if (on == FDown) return;
    if (FDown && !FAllowAllUp) return;
    FDown = on;
    FState = on ? bsExclusive : bsUp;
    Invalidate();
    if (on) UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int index) {
    if (index == FGroupIndex) return;
    FGroupIndex = index;
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool on) {
    if (on == FAllowAllUp) return;
    FAllowAllUp = on;
    UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    if (FGroupIndex == 0 || !Parent()) return;
    for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* other = qobject_cast<TSpeedButton*>(Parent()->Controls(i)); other && other != this)
            other->GroupButtonChanged(this);
}

void TSpeedButton::GroupButtonChanged(TSpeedButton* sender) {
    if (sender->FGroupIndex != FGroupIndex) return;
    if (sender->FDown && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
    }
    FAllowAllUp = sender->FAllowAllUp;
}

TButtonState TSpeedButton::State() const {
    if (!Enabled()) return bsDisabled;
    if (FState == bsDisabled) return FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    return FState;
}

bool TSpeedButton::Inside(int x, int y) const { return x >= 0 && x < Width() && y >= 0 && y <= Height(); }

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled()) return;
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!FDragging) return;
    TButtonState next = FDown ? bsExclusive : bsUp;
    if (Inside(x, y)) next = FDown ? bsExclusive : bsDown;
    if (next != FState) {
        FState = next;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    QPointer<TSpeedButton> alive(this);
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!alive || !FDragging || button != mbLeft) return;
    FDragging = false;
    const bool doClick = Inside(x, y);
    if (FGroupIndex == 0) {
        FState = bsUp;
        FMouseInControl = false;
    } else if (doClick) {
        SetDown(!FDown);
        // A down button of a group without AllowAllUp stays down.
        FState = FDown ? bsExclusive : bsUp;
    } else {
        FState = FDown ? bsExclusive : bsUp;
    }
    Invalidate();
    if (doClick) Click();
}

bool TSpeedButton::WidgetEvent(QWidget* widget, QEvent* event) {
    switch (event->type()) {
        case QEvent::Enter:
            FMouseInControl = true;
            if (FFlat) Invalidate();
            break;
        case QEvent::Leave:
            FMouseInControl = false;
            if (FFlat) Invalidate();
            break;
        case QEvent::MouseButtonDblClick: {
            // The second press of a quick double click is a press as well.
            QMouseEvent press(QEvent::MouseButtonPress, static_cast<QMouseEvent*>(event)->position(),
                              static_cast<QMouseEvent*>(event)->globalPosition(),
                              static_cast<QMouseEvent*>(event)->button(), static_cast<QMouseEvent*>(event)->buttons(),
                              static_cast<QMouseEvent*>(event)->modifiers());
            return TGraphicControl::WidgetEvent(widget, &press);
        }
        default: break;
    }
    return TGraphicControl::WidgetEvent(widget, event);
}

void TSpeedButton::WndProc(TMessage& message) {
    if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_ENABLEDCHANGED) Invalidate();
    TGraphicControl::WndProc(message);
}

void TSpeedButton::FontChanged() {
    TGraphicControl::FontChanged();
    Invalidate();
}

void TSpeedButton::Paint(QPainter& painter) {
    FCanvas->SetPainter(&painter);
    FCanvas->Font()->Assign(Font());
    const TButtonState state = State();
    const bool down = state == bsDown || state == bsExclusive;
    QRect r(0, 0, Width(), Height());
    if (!FFlat) {
        FCanvas->Brush()->SetColor(Color());
        FCanvas->FillRect(r);
        if (down) {
            Frame3D(FCanvas, r, clBlack, clBtnHighlight, 1);
            Frame3D(FCanvas, r, clBtnShadow, Color(), 1);
        } else {
            Frame3D(FCanvas, r, clBtnHighlight, clBlack, 1);
            Frame3D(FCanvas, r, Color(), clBtnShadow, 1);
        }
    } else {
        if (!FTransparent) {
            FCanvas->Brush()->SetColor(Color());
            FCanvas->FillRect(r);
        }
        if (down || (FMouseInControl && state != bsDisabled))
            Frame3D(FCanvas, r, down ? clBtnShadow : clBtnHighlight, down ? clBtnHighlight : clBtnShadow, 1);
        else
            r.adjust(1, 1, -1, -1);
    }
    if (state == bsExclusive && (!FFlat || !FMouseInControl))
        painter.fillRect(r, QBrush(ColorToQColor(clBtnHighlight), Qt::Dense4Pattern));
    const QPoint offset = down ? QPoint(1, 1) : QPoint(0, 0);
    FGlyph.Draw(FCanvas, r, offset, Caption(), FLayout, FMargin, FSpacing, state);
    FCanvas->SetPainter(nullptr);
}

// ---- bitmap button ------------------------------------------------------------------

// The push button that lets its control draw glyph and caption over the bevel.
class TBitBtnWidget : public QPushButton {
public:
    TBitBtnWidget() = default;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        option.icon = QIcon();
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
        if (auto* button = qobject_cast<TBitBtn*>(TControl::FromWidget(this)))
            button->PaintContent(painter, rect().adjusted(2, 2, -2, -2), isDown());
    }
};

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner, NewWidget<TBitBtnWidget>()), FGlyph(this) {
    connect(FGlyph.Glyph(), &TBitmap::Changed, this, [this] { Invalidate(); });
}

void TBitBtn::SetGlyph(TBitmap* glyph) {
    FGlyph.SetGlyph(glyph);
    Invalidate();
}

void TBitBtn::SetNumGlyphs(int count) {
    FGlyph.SetNumGlyphs(count);
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout layout) {
    FLayout = layout;
    Invalidate();
}

void TBitBtn::SetMargin(int margin) {
    FMargin = std::max(-1, margin);
    Invalidate();
}

void TBitBtn::SetSpacing(int spacing) {
    FSpacing = std::max(-1, spacing);
    Invalidate();
}

TBitBtnKind TBitBtn::Kind() const {
    if (FKind == bkCustom) return bkCustom;
    const bool wantsDefault = FKind == bkOK || FKind == bkYes;
    const bool wantsCancel = FKind == bkCancel || FKind == bkNo;
    if (wantsDefault != Default() || wantsCancel != Cancel() || ModalResult() != KindModalResult(FKind)) return bkCustom;
    return FKind;
}

void TBitBtn::SetKind(TBitBtnKind kind) {
    if (kind == Kind()) return;
    if (kind != bkCustom) {
        SetDefault(kind == bkOK || kind == bkYes);
        SetCancel(kind == bkCancel || kind == bkNo);
        // A loading form keeps the caption it was designed with.
        if (!IsLoading() || Caption().isEmpty()) SetCaption(KindCaption(kind));
        SetModalResult(KindModalResult(kind));
        TBitmap glyph;
        KindGlyph(kind, glyph);
        FGlyph.SetGlyph(&glyph);
        FGlyph.SetNumGlyphs(2);
    }
    FKind = kind;
    Invalidate();
}

void TBitBtn::Click() {
    if (Kind() == bkClose)
        if (TForm* form = GetParentForm(this)) {
            form->Close();
            return;
        }
    TButton::Click();
}

TButtonState TBitBtn::State() const {
    if (!Enabled()) return bsDisabled;
    return PushButton()->isDown() ? bsDown : bsUp;
}

void TBitBtn::PaintContent(QPainter& painter, const QRect& client, bool pressed) {
    TCanvas canvas(&painter);
    canvas.Font()->Assign(Font());
    const TButtonState state = !Enabled() ? bsDisabled : pressed ? bsDown : bsUp;
    FGlyph.Draw(&canvas, client, pressed ? QPoint(1, 1) : QPoint(0, 0), Caption(), FLayout, FMargin, FSpacing, state);
}

QString TBitBtn::KindCaption(TBitBtnKind kind) {
    switch (kind) {
        case bkOK: return QStringLiteral("OK");
        case bkCancel: return QStringLiteral("Cancel");
        case bkHelp: return QStringLiteral("&Help");
        case bkYes: return QStringLiteral("&Yes");
        case bkNo: return QStringLiteral("&No");
        case bkClose: return QStringLiteral("&Close");
        case bkAbort: return QStringLiteral("Abort");
        case bkRetry: return QStringLiteral("&Retry");
        case bkIgnore: return QStringLiteral("&Ignore");
        case bkAll: return QStringLiteral("&All");
        default: return QString();
    }
}

TModalResult TBitBtn::KindModalResult(TBitBtnKind kind) {
    switch (kind) {
        case bkOK: return mrOk;
        case bkCancel: return mrCancel;
        case bkYes: return mrYes;
        case bkNo: return mrNo;
        case bkAbort: return mrAbort;
        case bkRetry: return mrRetry;
        case bkIgnore: return mrIgnore;
        case bkAll: return mrAll;
        default: return mrNone;
    }
}

namespace {

constexpr int kKindCell = 18;
constexpr TColor kKindBackground = clOlive;

void DrawTick(TCanvas* c, int dx, TColor color) {
    c->Pen()->SetColor(color);
    c->Pen()->SetWidth(3);
    c->Polyline(QPolygon({QPoint(3 + dx, 9), QPoint(7 + dx, 13), QPoint(15 + dx, 4)}));
}

void DrawKindPicture(TBitBtnKind kind, TCanvas* c) {
    c->Brush()->SetStyle(bsClear);
    switch (kind) {
        case bkOK:
        case bkYes: DrawTick(c, 0, clGreen); break;
        case bkAll:
            DrawTick(c, -2, clGreen);
            DrawTick(c, 3, clGreen);
            break;
        case bkCancel:
            c->Pen()->SetColor(clRed);
            c->Pen()->SetWidth(3);
            c->MoveTo(4, 4);
            c->LineTo(14, 14);
            c->MoveTo(14, 4);
            c->LineTo(4, 14);
            break;
        case bkNo:
        case bkAbort:
            c->Pen()->SetColor(clRed);
            c->Pen()->SetWidth(2);
            c->Ellipse(2, 2, 16, 16);
            c->MoveTo(5, 13);
            c->LineTo(13, 5);
            break;
        case bkHelp:
            c->Font()->SetColor(clNavy);
            c->Font()->SetHeight(-15);
            c->Font()->SetStyle(fsBold);
            c->DrawText(QRect(0, 0, kKindCell, kKindCell), QStringLiteral("?"), Qt::AlignCenter);
            break;
        case bkClose:
            c->Pen()->SetColor(clBlack);
            c->Brush()->SetColor(clTeal);
            c->Rectangle(5, 2, 14, 16);
            c->SetPixels(11, 9, clYellow);
            c->SetPixels(11, 10, clYellow);
            break;
        case bkRetry:
            c->Pen()->SetColor(clGreen);
            c->Pen()->SetWidth(2);
            c->Ellipse(3, 3, 15, 15);
            c->Pen()->SetWidth(1);
            c->Brush()->SetColor(clGreen);
            c->Polygon(QPolygon({QPoint(11, 1), QPoint(16, 4), QPoint(11, 7)}));
            break;
        case bkIgnore:
            c->Pen()->SetColor(clNavy);
            c->Pen()->SetWidth(2);
            c->MoveTo(2, 9);
            c->LineTo(13, 9);
            c->Pen()->SetWidth(1);
            c->Brush()->SetColor(clNavy);
            c->Polygon(QPolygon({QPoint(12, 5), QPoint(16, 9), QPoint(12, 13)}));
            break;
        default: break;
    }
}

}  // namespace

void TBitBtn::KindGlyph(TBitBtnKind kind, TBitmap& out) {
    out.Assign(nullptr);
    if (kind == bkCustom) return;
    TBitmap picture;
    picture.SetSize(kKindCell, kKindCell);
    picture.Canvas()->Brush()->SetColor(kKindBackground);
    picture.Canvas()->FillRect(QRect(0, 0, kKindCell, kKindCell));
    DrawKindPicture(kind, picture.Canvas());
    TBitmap grayed;
    CreateGrayedGlyph(picture, kKindBackground, grayed);
    // [normal | disabled] on the transparent background.
    out.SetSize(2 * kKindCell, kKindCell);
    out.Canvas()->Brush()->SetColor(kKindBackground);
    out.Canvas()->FillRect(QRect(0, 0, 2 * kKindCell, kKindCell));
    out.Canvas()->Draw(0, 0, &picture);
    out.Canvas()->Draw(kKindCell, 0, &grayed);
}

}  // namespace kv
