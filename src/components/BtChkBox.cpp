#include "components/BtChkBox.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "platform/StdCtrls.h"

namespace kv {

namespace {

constexpr int kGlyphWidth = 19;
constexpr int kGlyphHeight = 14;
constexpr int kBoxSize = 13;
constexpr QRgb kTeal = qRgb(0, 128, 128);
constexpr QRgb kSilver = qRgb(192, 192, 192);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kRed = qRgb(255, 0, 0);

// A raised silver box in the top-left 13 x 13 pixels, teal around it.
QImage EmptyBox() {
    QImage image(kGlyphWidth, kGlyphHeight, QImage::Format_RGB32);
    image.fill(kTeal);
    for (int y = 0; y < kBoxSize; ++y)
        for (int x = 0; x < kBoxSize; ++x) {
            QRgb c = kSilver;
            if (x == kBoxSize - 1 || y == kBoxSize - 1)
                c = kGrey;
            else if (x == 0 || y == 0)
                c = kWhite;
            image.setPixel(x, y, c);
        }
    return image;
}

// Two pixels thick downwards from each point of the centre line.
void Stroke(QImage& image, std::initializer_list<std::pair<int, int>> points) {
    for (const auto& [x, y] : points)
        for (int dy = 0; dy < 2; ++dy)
            if (image.valid(x, y + dy)) image.setPixel(x, y + dy, kRed);
}

// The tick's long arm leaves the box at its upper right, as a hand-made mark does.
QImage CheckedBox() {
    QImage image = EmptyBox();
    Stroke(image, {{2, 6}, {3, 7}, {4, 8}, {5, 9}});
    Stroke(image, {{6, 9}, {7, 8}, {8, 7}, {9, 6}, {10, 5}, {11, 4}, {12, 3}, {13, 2}, {14, 1}, {15, 0}});
    return image;
}

QImage GrayedBox() {
    static const char* const kQuestionMark[] = {
        " XXX ",
        "XX XX",
        "   XX",
        "  XX ",
        " XX  ",
        " XX  ",
        "     ",
        " XX  ",
        " XX  ",
    };
    QImage image = EmptyBox();
    for (int row = 0; row < 9; ++row)
        for (int col = 0; col < 5; ++col)
            if (kQuestionMark[row][col] == 'X') image.setPixel(4 + col, 2 + row, kRed);
    return image;
}

const char* GlyphResourceName(TCheckBoxState state) {
    switch (state) {
        case cbChecked: return "CHECKED";
        case cbGrayed: return "GRAYED";
        default: return "UNCHECKED";
    }
}

constexpr TCheckBoxState kStates[] = {cbUnchecked, cbChecked, cbGrayed};

}  // namespace

QImage CheckGlyphImage(const QString& name) {
    if (name == QLatin1String("UNCHECKED")) return EmptyBox();
    if (name == QLatin1String("CHECKED")) return CheckedBox();
    if (name == QLatin1String("GRAYED")) return GrayedBox();
    return QImage();
}

// ---- TBitCheckBox ------------------------------------------------------------------

TBitCheckBox::TBitCheckBox(TComponent* AOwner) : TCustomControl(AOwner) {
    for (TCheckBoxState s : kStates) {
        FGlyphs[s].Picture = new TBitmap(this);
        LoadBuiltInGlyph(s);
    }
    SetBounds(Left(), Top(), 97, 17);
    SetTabStop(true);
    FHandle->setFocusPolicy(Qt::StrongFocus);
    SetClickOnRelease(true);
}

void TBitCheckBox::LoadBuiltInGlyph(TCheckBoxState state) {
    TBitmap* picture = FGlyphs[state].Picture;
    picture->FromQImage(CheckGlyphImage(QLatin1String(GlyphResourceName(state))));
    picture->SetTransparentColor(clTeal);
    picture->SetTransparent(true);
    // The built-in pictures have one cell; a count left from a replaced strip
    // would cut them in half.
    FGlyphs[state].Cells = 1;
}

void TBitCheckBox::SetAlignment(TAlignment alignment) {
    if (alignment == FAlignment) return;
    FAlignment = alignment;
    Invalidate();
}

void TBitCheckBox::SetState(TCheckBoxState state) {
    if (state == FState) return;
    FState = state;
    Invalidate();
}

void TBitCheckBox::SetGlyph(TCheckBoxState state, TBitmap* glyph) {
    GlyphStrip& strip = FGlyphs[state];
    if (glyph && !glyph->Empty()) {
        if (glyph != strip.Picture) strip.Picture->Assign(glyph);
    } else {
        LoadBuiltInGlyph(state);
    }
    // Cells are at most as wide as high: a 38 x 14 strip holds two cells of the
    // built-in pictures' 19 x 14, a 19 x 14 one a single cell.
    const int height = strip.Picture->Height();
    if (height > 0) strip.Cells = std::clamp(strip.Picture->Width() / height, 1, 2);
    Invalidate();
}

void TBitCheckBox::SetNumGlyphs(TCheckBoxState state, int count) {
    FGlyphs[state].Cells = std::clamp(count, 1, 2);
    Invalidate();
}

bool TBitCheckBox::Ctl3D() const {
    if (FParentCtl3D && Parent()) {
        const QVariant inherited = Parent()->property("Ctl3D");
        if (inherited.isValid()) return inherited.toBool();
    }
    return FCtl3D;
}

void TBitCheckBox::SetCtl3D(bool on) {
    FCtl3D = on;
    FParentCtl3D = false;
    Invalidate();
}

void TBitCheckBox::SetParentCtl3D(bool on) {
    FParentCtl3D = on;
    Invalidate();
}

void TBitCheckBox::Toggle() {
    switch (FState) {
        case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
        case cbChecked: SetState(cbUnchecked); break;
        case cbGrayed: SetState(cbChecked); break;
    }
}

void TBitCheckBox::Click() {
    Toggle();
    QPointer<TBitCheckBox> alive(this);
    TCustomControl::Click();
    if (alive && Showing() && CanFocus()) SetFocus();
}

void TBitCheckBox::SetName(const QString& name) {
    // In the designer a new box shows its name until it is given a caption.
    const bool captionIsName = ComponentState().testFlag(csDesigning) && GetText() == Name();
    TCustomControl::SetName(name);
    if (captionIsName) SetText(name);
}

void TBitCheckBox::KeyPress(QChar& key) {
    TCustomControl::KeyPress(key);
    if (key == QLatin1Char(' ')) Click();
}

void TBitCheckBox::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TBitCheckBox::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TBitCheckBox::FontChanged() {
    TCustomControl::FontChanged();
    Invalidate();
}

void TBitCheckBox::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<std::uint16_t>(message.WParam), GetText()) && Enabled() && CanFocus()) {
                SetFocus();
                if (Focused()) Toggle();
                message.Result = 1;
                return;
            }
            break;
        case CM_ENABLEDCHANGED:
        case CM_TEXTCHANGED: Invalidate(); break;
        default: break;
    }
    TCustomControl::WndProc(message);
}

bool TBitCheckBox::WidgetEvent(QWidget* widget, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            // The box takes no double clicks: the second press of one is another
            // click, so quick clicks keep cycling the state.
            if (widget == FHandle) {
                auto* me = static_cast<QMouseEvent*>(event);
                QMouseEvent press(QEvent::MouseButtonPress, me->position(), me->globalPosition(), me->button(),
                                  me->buttons(), me->modifiers());
                TCustomControl::WidgetEvent(widget, &press);
                return true;
            }
            break;
        case QEvent::PaletteChange: Invalidate(); break;
        default: break;
    }
    return TCustomControl::WidgetEvent(widget, event);
}

QRect TBitCheckBox::CaptionRect() const {
    const GlyphStrip& strip = FGlyphs[FState];
    const int cellWidth = strip.Picture->Width() / strip.Cells;
    const QFontMetrics metrics(Font()->ToQFont());
    const QString caption = GetText();
    const int left = FAlignment == taRightJustify ? cellWidth + 4 : 1;
    int textWidth = metrics.horizontalAdvance(caption);
    // The "&" of an accelerator is not drawn.
    if (caption.contains(QLatin1Char('&'))) textWidth -= metrics.horizontalAdvance(QLatin1Char('&'));
    const int textHeight = metrics.height();
    const int top = (ClientHeight() - textHeight) / 2 - 2;
    const QRect r = Rect(left, top, left + textWidth, top + textHeight + 3);
    return r.intersected(QRect(0, 0, ClientWidth(), ClientHeight()));
}

int TBitCheckBox::CellToDraw(TCheckBoxState state) const {
    return !Enabled() && FGlyphs[state].Cells >= 2 ? 1 : 0;
}

void TBitCheckBox::Paint(QPainter& painter) {
    TCanvas canvas(&painter);
    canvas.SetFont(Font());
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(QRect(0, 0, ClientWidth(), ClientHeight()));
    const QRect caption = CaptionRect();
    DrawCaption(canvas, caption);
    if (Focused()) DrawFocusFrame(painter, caption);
    DrawGlyph(canvas);
}

void TBitCheckBox::DrawCaption(TCanvas& canvas, const QRect& rect) const {
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    const QString caption = GetText();
    if (Enabled()) {
        canvas.DrawText(rect, caption, flags);
        return;
    }
    if (Ctl3D()) {
        canvas.Font()->SetColor(clBtnHighlight);
        canvas.DrawText(rect.translated(1, 1), caption, flags);
    }
    canvas.Font()->SetColor(clGrayText);
    canvas.DrawText(rect, caption, flags);
}

void TBitCheckBox::DrawFocusFrame(QPainter& painter, QRect rect) const {
    if (rect.left() > 0) rect.setLeft(rect.left() - 1);
    if (rect.top() > 0) rect.setTop(rect.top() - 1);
    rect.setRight(rect.right() + 1);
    if (rect.top() + rect.height() < Height()) rect.setBottom(rect.bottom() + 1);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ColorToQColor(Font()->Color()), 1, Qt::DotLine));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

void TBitCheckBox::DrawGlyph(TCanvas& canvas) const {
    const GlyphStrip& strip = FGlyphs[FState];
    const TBitmap* glyph = strip.Picture;
    const int cellWidth = glyph->Width() / strip.Cells;
    if (cellWidth <= 0) return;
    const int x = FAlignment == taRightJustify ? 0 : ClientWidth() - cellWidth;
    const int y = (ClientHeight() - glyph->Height()) / 2;
    const int cell = CellToDraw(FState);
    canvas.Brush()->SetColor(Color());
    canvas.BrushCopy(Bounds(x, y, cellWidth, glyph->Height()), glyph,
                     Bounds(cell * cellWidth, 0, cellWidth, glyph->Height()), glyph->TransparentColor());
}

// ---- SimulateClick -----------------------------------------------------------------

void SimulateClick(TControl* control, WPARAM wParam, LPARAM lParam) {
    if (!control || !control->Handle()) return;
    QWidget* widget = control->Handle();
    const auto x = static_cast<std::int16_t>(lParam & 0xFFFF);
    const auto y = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
    Qt::KeyboardModifiers modifiers;
    if (wParam & MK_SHIFT) modifiers |= Qt::ShiftModifier;
    if (wParam & MK_CONTROL) modifiers |= Qt::ControlModifier;
    const QPointF local(x, y);
    const QPointF global = widget->mapToGlobal(local);
    QPointer<QWidget> alive(widget);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(widget, &press);
    // The press may have closed the form the control was on.
    if (!alive) return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, modifiers);
    QCoreApplication::sendEvent(widget, &release);
}

}  // namespace kv
