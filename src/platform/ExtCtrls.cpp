#include "platform/ExtCtrls.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace kv {

// ---- panel --------------------------------------------------------------------------

namespace {

void BevelColors(TBevelCut cut, TColor& top, TColor& bottom) {
    top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
}

}  // namespace

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner), FCanvas(new TCanvas(this)) {
    SetBounds(0, 0, 185, 41);
}

void TPanel::Changed() {
    Invalidate();
    AlignControls();
}

void TPanel::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut cut) {
    FBevelInner = cut;
    Changed();
}

void TPanel::SetBevelOuter(TBevelCut cut) {
    FBevelOuter = cut;
    Changed();
}

void TPanel::SetBevelWidth(int width) {
    FBevelWidth = std::max(1, width);
    Changed();
}

void TPanel::SetBorderStyle(TFormBorderStyle style) {
    FBorderStyle = style == bsNone ? bsNone : bsSingle;
    Changed();
}

void TPanel::SetBorderWidth(int width) {
    FBorderWidth = std::max(0, width);
    Changed();
}

void TPanel::AdjustClientRect(QRect& rect) const {
    int inset = BorderEdge() + FBorderWidth;
    if (FBevelOuter != bvNone) inset += FBevelWidth;
    if (FBevelInner != bvNone) inset += FBevelWidth;
    rect.adjust(inset, inset, -inset, -inset);
}

void TPanel::WndProc(TMessage& message) {
    if (message.Msg == CM_TEXTCHANGED) Invalidate();
    TCustomControl::WndProc(message);
}

void TPanel::Paint(QPainter& painter) {
    FCanvas->SetPainter(&painter);
    QRect r(0, 0, Width(), Height());
    if (FBorderStyle != bsNone) {
        Frame3D(FCanvas, r, clBtnShadow, clBtnHighlight, 1);
        Frame3D(FCanvas, r, clBlack, Color(), 1);
    }
    TColor top, bottom;
    if (FBevelOuter != bvNone) {
        BevelColors(FBevelOuter, top, bottom);
        Frame3D(FCanvas, r, top, bottom, FBevelWidth);
    }
    Frame3D(FCanvas, r, Color(), Color(), FBorderWidth);
    if (FBevelInner != bvNone) {
        BevelColors(FBevelInner, top, bottom);
        Frame3D(FCanvas, r, top, bottom, FBevelWidth);
    }
    FCanvas->Brush()->SetColor(Color());
    FCanvas->FillRect(r);
    const QString caption = Caption();
    if (!caption.isEmpty()) {
        FCanvas->Font()->Assign(Font());
        const int fontHeight = FCanvas->TextHeight(QStringLiteral("W"));
        const int textTop = (r.top() + r.top() + r.height() - fontHeight) / 2;
        const QRect textRect(r.left(), textTop, r.width(), fontHeight);
        const int horizontal = FAlignment == taLeftJustify ? Qt::AlignLeft
                               : FAlignment == taRightJustify ? Qt::AlignRight
                                                              : Qt::AlignHCenter;
        FCanvas->DrawText(textRect, caption, horizontal | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic);
    }
    FCanvas->SetPainter(nullptr);
}

// ---- splitter -----------------------------------------------------------------------

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner), FCanvas(new TCanvas(this)) {
    SetClickOnRelease(false);
    SetBounds(0, 0, 3, 100);
    SetAlign(alLeft);
    UpdateCursor();
}

void TSplitter::SetMinSize(int size) { FMinSize = std::max(1, size); }

void TSplitter::SetBeveled(bool on) {
    FBeveled = on;
    Invalidate();
}

void TSplitter::UpdateCursor() { SetCursor(Align() == alTop || Align() == alBottom ? crVSplit : crHSplit); }

TControl* TSplitter::FindControl() const {
    if (!Parent()) return nullptr;
    QPoint p(Left(), Top());
    switch (Align()) {
        case alLeft: p.rx() -= 1; break;
        case alRight: p.rx() += Width(); break;
        case alTop: p.ry() -= 1; break;
        case alBottom: p.ry() += Height(); break;
        default: return nullptr;
    }
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        TControl* c = Parent()->Controls(i);
        if (c == this || !c->Visible() || !c->Enabled()) continue;
        QRect r = c->BoundsRect();
        // A control collapsed to nothing still touches the splitter.
        if (r.width() == 0) {
            if (Align() == alLeft || Align() == alTop) r.setLeft(r.left() - 1);
            else r.setWidth(1);
        }
        if (r.height() == 0) {
            if (Align() == alLeft || Align() == alTop) r.setTop(r.top() - 1);
            else r.setHeight(1);
        }
        if (r.contains(p)) return c;
    }
    return nullptr;
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    FControl = FindControl();
    FDownPos = QPoint(x, y);
    FPendingSize = -1;
    if (!FControl) return;
    // The space the parent's aligned controls share, less what the others on
    // this axis take and the MinSize the rest keeps.
    QRect area = Parent()->ClientWidget() ? Parent()->ClientWidget()->rect() : QRect();
    Parent()->AdjustClientRect(area);
    const bool horizontal = Horizontal();
    FMaxSize = (horizontal ? area.width() : area.height()) - FMinSize;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        TControl* c = Parent()->Controls(i);
        if (!c->Visible()) continue;
        if (horizontal && (c->Align() == alLeft || c->Align() == alRight)) FMaxSize -= c->Width();
        if (!horizontal && (c->Align() == alTop || c->Align() == alBottom)) FMaxSize -= c->Height();
    }
    FMaxSize += horizontal ? FControl->Width() : FControl->Height();
}

int TSplitter::NewSize(int x, int y) const {
    const int split = Horizontal() ? x - FDownPos.x() : y - FDownPos.y();
    int size = 0;
    switch (Align()) {
        case alLeft: size = FControl->Width() + split; break;
        case alRight: size = FControl->Width() - split; break;
        case alTop: size = FControl->Height() + split; break;
        case alBottom: size = FControl->Height() - split; break;
        default: break;
    }
    if (size < FMinSize) return FMinSize;
    if (size > FMaxSize) return FMaxSize;
    return size;
}

void TSplitter::ApplySize(int size) {
    if (!FControl) return;
    switch (Align()) {
        case alLeft: FControl->SetWidth(size); break;
        case alRight:
            FControl->SetBounds(FControl->Left() + FControl->Width() - size, FControl->Top(), size, FControl->Height());
            break;
        case alTop: FControl->SetHeight(size); break;
        case alBottom:
            FControl->SetBounds(FControl->Left(), FControl->Top() + FControl->Height() - size, FControl->Width(), size);
            break;
        default: break;
    }
    if (Parent()) Parent()->AlignControls();
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!FControl || !(shift & ssLeft)) return;
    const int size = NewSize(x, y);
    if (FResizeStyle == rsNone)
        FPendingSize = size;
    else if (size != (Horizontal() ? FControl->Width() : FControl->Height()))
        ApplySize(size);
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    QPointer<TSplitter> alive(this);
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!alive || button != mbLeft || !FControl) return;
    if (FResizeStyle == rsNone && FPendingSize >= 0) ApplySize(FPendingSize);
    FControl = nullptr;
    FPendingSize = -1;
    if (OnMoved) OnMoved(this);
}

bool TSplitter::WidgetEvent(QWidget* widget, QEvent* event) {
    if (event->type() == QEvent::Enter) UpdateCursor();
    return TGraphicControl::WidgetEvent(widget, event);
}

void TSplitter::Paint(QPainter& painter) {
    FCanvas->SetPainter(&painter);
    QRect r(0, 0, Width(), Height());
    FCanvas->Brush()->SetColor(Color());
    FCanvas->FillRect(r);
    if (FBeveled) {
        r = Horizontal() ? r.adjusted(1, -2, -1, 2) : r.adjusted(-2, 1, 2, -1);
        FCanvas->Brush()->SetColor(clBtnHighlight);
        FCanvas->FrameRect(r.translated(1, 1));
        FCanvas->Brush()->SetColor(clBtnShadow);
        FCanvas->FrameRect(r.translated(-1, -1));
    }
    FCanvas->SetPainter(nullptr);
}

// ---- picture and image --------------------------------------------------------------

TPicture::TPicture(QObject* parent) : TPersistent(parent), FBitmap(new TBitmap(this)) {
    connect(FBitmap, &TBitmap::Changed, this, [this] {
        emit Changed();
        if (OnChange) OnChange(this);
    });
}

bool TPicture::Assign(const TPersistent* source) {
    if (!source) return FBitmap->Assign(nullptr);
    if (const auto* picture = qobject_cast<const TPicture*>(source)) return FBitmap->Assign(picture->Bitmap());
    return FBitmap->Assign(source);
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture(this)), FCanvas(new TCanvas(this)) {
    SetBounds(0, 0, 105, 105);
    connect(FPicture, &TPicture::Changed, this, [this] { PictureChanged(); });
}

void TImage::PictureChanged() {
    TBitmap* bitmap = FPicture->Bitmap();
    if (!bitmap->Empty()) {
        bitmap->SetTransparent(FTransparent);
        if (FAutoSize) SetBounds(Left(), Top(), bitmap->Width(), bitmap->Height());
    }
    Invalidate();
}

void TImage::SetStretch(bool on) {
    FStretch = on;
    Invalidate();
}

void TImage::SetCenter(bool on) {
    FCenter = on;
    Invalidate();
}

void TImage::SetTransparent(bool on) {
    FTransparent = on;
    PictureChanged();
}

void TImage::SetAutoSize(bool on) {
    FAutoSize = on;
    PictureChanged();
}

QRect TImage::DestRect() const {
    int w = FPicture->Width(), h = FPicture->Height();
    if (FStretch) {
        w = ClientWidth();
        h = ClientHeight();
    }
    QRect r(0, 0, w, h);
    if (FCenter) r.translate((ClientWidth() - w) / 2, (ClientHeight() - h) / 2);
    return r;
}

void TImage::Paint(QPainter& painter) {
    if (FPicture->Bitmap()->Empty()) return;
    FCanvas->SetPainter(&painter);
    FCanvas->StretchDraw(DestRect(), FPicture->Bitmap());
    FCanvas->SetPainter(nullptr);
}

// ---- bevel --------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner), FCanvas(new TCanvas(this)) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape shape) {
    FShape = shape;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
    FStyle = style;
    Invalidate();
}

void TBevel::Paint(QPainter& painter) {
    FCanvas->SetPainter(&painter);
    TColor first = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor second = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = Width(), h = Height();
    auto bevelRect = [&](int l, int t, int r, int b, TColor c1, TColor c2) {
        FCanvas->Pen()->SetColor(c1);
        FCanvas->Polyline(QPolygon({QPoint(l, b), QPoint(l, t), QPoint(r, t)}));
        FCanvas->Pen()->SetColor(c2);
        FCanvas->Polyline(QPolygon({QPoint(r, t), QPoint(r, b), QPoint(l, b)}));
    };
    auto bevelLine = [&](TColor c, int x1, int y1, int x2, int y2) {
        FCanvas->Pen()->SetColor(c);
        FCanvas->MoveTo(x1, y1);
        FCanvas->LineTo(x2, y2);
    };
    switch (FShape) {
        case bsBox: bevelRect(0, 0, w - 1, h - 1, first, second); break;
        case bsFrame:
            bevelRect(1, 1, w - 1, h - 1, second, second);
            bevelRect(0, 0, w - 2, h - 2, first, first);
            break;
        case bsTopLine:
            bevelLine(first, 0, 0, w, 0);
            bevelLine(second, 0, 1, w, 1);
            break;
        case bsBottomLine:
            bevelLine(first, 0, h - 2, w, h - 2);
            bevelLine(second, 0, h - 1, w, h - 1);
            break;
        case bsLeftLine:
            bevelLine(first, 0, 0, 0, h);
            bevelLine(second, 1, 0, 1, h);
            break;
        case bsRightLine:
            bevelLine(first, w - 2, 0, w - 2, h);
            bevelLine(second, w - 1, 0, w - 1, h);
            break;
        case bsSpacer: break;
    }
    FCanvas->SetPainter(nullptr);
}

}  // namespace kv
