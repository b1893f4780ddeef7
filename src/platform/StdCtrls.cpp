#include "platform/StdCtrls.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTextBlock>

#include <climits>

#include "platform/Forms.h"

namespace kv {

namespace {

Qt::Alignment HorizontalAlignment(TAlignment alignment) {
    switch (alignment) {
        case taRightJustify: return Qt::AlignRight;
        case taCenter: return Qt::AlignHCenter;
        default: return Qt::AlignLeft;
    }
}

Qt::Alignment VerticalAlignment(TTextLayout layout) {
    switch (layout) {
        case tlCenter: return Qt::AlignVCenter;
        case tlBottom: return Qt::AlignBottom;
        default: return Qt::AlignTop;
    }
}

QString ApplyCharCase(const QString& text, TEditCharCase charCase) {
    if (charCase == ecUpperCase) return text.toUpper();
    if (charCase == ecLowerCase) return text.toLower();
    return text;
}

// The index kept after a list was replaced: the old one while it still exists.
int KeptIndex(int oldIndex, int count) { return oldIndex >= 0 && oldIndex < count ? oldIndex : -1; }

TOwnerDrawState DrawStateOf(const QStyleOptionViewItem& option) {
    TOwnerDrawState state;
    if (option.state & QStyle::State_Selected) state |= odSelected;
    if (option.state & QStyle::State_HasFocus) state |= odFocused;
    if (!(option.state & QStyle::State_Enabled)) state |= odDisabled;
    return state;
}

// The text of an item the way the classic list controls draw it when nobody
// draws it for them: highlighted when selected, 2 pixels in from the left.
void DrawItemText(QPainter* painter, const QRect& rect, const QString& text, TOwnerDrawState state,
                  const TControl* control) {
    const bool selected = state.testFlag(odSelected) && !state.testFlag(odComboBoxEdit);
    painter->fillRect(rect, ColorToQColor(selected ? clHighlight : control->Color()));
    painter->setFont(control->Font()->ToQFont());
    painter->setPen(ColorToQColor(selected ? clHighlightText
                                           : (state.testFlag(odDisabled) ? clGrayText : control->Font()->Color())));
    painter->drawText(rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

// Hands the drawing of list items to the control that owns the view.
template <class Control>
class TOwnerDrawDelegate : public QStyledItemDelegate {
public:
    TOwnerDrawDelegate(Control* control, QObject* parent) : QStyledItemDelegate(parent), FControl(control) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->save();
        FControl->DrawItem(index.row(), option.rect, DrawStateOf(option), painter);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(FControl->ItemHeight());
        return size;
    }

private:
    Control* FControl;
};

}  // namespace

QChar AccelChar(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&')) continue;
        if (caption.at(i + 1) == QLatin1Char('&')) {
            ++i;  // "&&" is a literal ampersand
            continue;
        }
        return caption.at(i + 1);
    }
    return QChar();
}

bool IsAccel(std::uint16_t key, const QString& caption) {
    const QChar accel = AccelChar(caption);
    return !accel.isNull() && key != 0 && accel.toUpper() == QChar(key).toUpper();
}

// ---- TCustomEdit ------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomEdit(AOwner, NewWidget<QLineEdit>()) {}

TCustomEdit::TCustomEdit(TComponent* AOwner, QLineEdit* handle) : TWinControl(AOwner, handle) { Init(); }

void TCustomEdit::Init() {
    SetTabStop(true);
    SetColor(clWindow);
    LineEdit()->setFocusPolicy(Qt::StrongFocus);
    LineEdit()->resize(121, 21);
    connect(LineEdit(), &QLineEdit::textChanged, this, [this] {
        if (!FSettingText) FModified = true;
        Change();
    });
}

QString TCustomEdit::GetText() const { return LineEdit()->text(); }

void TCustomEdit::SetText(const QString& text) {
    QString value = text;
    if (FCharCase == ecUpperCase) value = value.toUpper();
    if (FCharCase == ecLowerCase) value = value.toLower();
    if (FMaxLength > 0 && value.size() > FMaxLength) value.truncate(FMaxLength);
    if (value == LineEdit()->text()) return;
    FSettingText = true;
    LineEdit()->setText(value);
    FSettingText = false;
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
    if (FAutoSelect) LineEdit()->selectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::SetMaxLength(int length) {
    FMaxLength = length < 0 ? 0 : length;
    LineEdit()->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

bool TCustomEdit::ReadOnly() const { return LineEdit()->isReadOnly(); }
void TCustomEdit::SetReadOnly(bool on) { LineEdit()->setReadOnly(on); }

void TCustomEdit::SetCharCase(TEditCharCase charCase) {
    FCharCase = charCase;
    if (charCase != ecNormal) SetText(LineEdit()->text());
}

void TCustomEdit::SetPasswordChar(QChar ch) {
    FPasswordChar = ch;
    LineEdit()->setEchoMode(ch.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

int TCustomEdit::SelStart() const {
    return LineEdit()->hasSelectedText() ? LineEdit()->selectionStart() : LineEdit()->cursorPosition();
}

void TCustomEdit::SetSelStart(int start) {
    LineEdit()->deselect();
    LineEdit()->setCursorPosition(start);
}

int TCustomEdit::SelLength() const { return LineEdit()->hasSelectedText() ? LineEdit()->selectedText().size() : 0; }

void TCustomEdit::SetSelLength(int length) { LineEdit()->setSelection(SelStart(), length); }

QString TCustomEdit::SelText() const { return LineEdit()->selectedText(); }

void TCustomEdit::SetSelText(const QString& text) { LineEdit()->insert(text); }

void TCustomEdit::SelectAll() { LineEdit()->selectAll(); }

// ---- TButton ----------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButton(AOwner, NewWidget<QPushButton>()) {}

TButton::TButton(TComponent* AOwner, QPushButton* handle) : TWinControl(AOwner, handle) { Init(); }

void TButton::Init() {
    SetTabStop(true);
    PushButton()->setFocusPolicy(Qt::StrongFocus);
    PushButton()->setAutoDefault(false);
    PushButton()->resize(75, 25);
    connect(PushButton(), &QPushButton::clicked, this, [this] { Click(); });
}

QString TButton::GetText() const { return PushButton()->text(); }
void TButton::SetText(const QString& text) { PushButton()->setText(text); }

void TButton::SetDefault(bool on) {
    FDefault = on;
    PushButton()->setDefault(on);
}

bool TButton::IsActiveDefault() const {
    TForm* form = GetParentForm(this);
    TWinControl* active = form ? form->ActiveControl() : nullptr;
    if (qobject_cast<TButton*>(active)) return active == this;
    return FDefault;
}

void TButton::KeyDown(std::uint16_t& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    if (key == VK_RETURN && !(shift & (ssShift | ssAlt | ssCtrl))) {
        key = 0;
        Click();
    }
}

void TButton::WndProc(TMessage& message) {
    if (message.Msg == CM_DIALOGKEY) {
        const auto key = static_cast<std::uint16_t>(message.WParam);
        const bool plain = (message.LParam & (ssShift | ssAlt | ssCtrl)) == 0;
        if (plain && ((key == VK_RETURN && IsActiveDefault()) || (key == VK_ESCAPE && FCancel)) && CanFocus()) {
            Click();
            message.Result = 1;
        }
        return;
    }
    if (message.Msg == CM_DIALOGCHAR) {
        if (IsAccel(static_cast<std::uint16_t>(message.WParam), GetText()) && CanFocus()) {
            Click();
            message.Result = 1;
        }
        return;
    }
    TWinControl::WndProc(message);
}

void TButton::Click() {
    // The form's modal result first, so an OnClick handler can still change it.
    if (FModalResult != mrNone)
        if (TForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    TWinControl::Click();
}

// ---- TCustomLabel -----------------------------------------------------------------

// The label's widget: the control draws the caption (accelerator underlined, the
// classic way), so QLabel's own painting is not used.
class TLabelWidget : public QLabel {
public:
    explicit TLabelWidget(QWidget* parent = nullptr) : QLabel(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        auto* label = qobject_cast<TCustomLabel*>(TControl::FromWidget(this));
        if (!label || label->Handle() != this) return;
        QPainter painter(this);
        label->Paint(painter);
    }
};

TCustomLabel::TCustomLabel(TComponent* AOwner) : TCustomLabel(AOwner, NewWidget<TLabelWidget>()) {}

TCustomLabel::TCustomLabel(TComponent* AOwner, QLabel* handle) : TGraphicControl(AOwner, handle) { Init(); }

void TCustomLabel::Init() {
    Label()->resize(65, 17);
    Label()->setAttribute(Qt::WA_TransparentForMouseEvents, false);
}

void TCustomLabel::SetAlignment(TAlignment alignment) {
    if (alignment == FAlignment) return;
    FAlignment = alignment;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout layout) {
    if (layout == FLayout) return;
    FLayout = layout;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool on) {
    if (on == FAutoSize) return;
    FAutoSize = on;
    AdjustBounds();
}

void TCustomLabel::SetWordWrap(bool on) {
    if (on == FWordWrap) return;
    FWordWrap = on;
    Label()->setWordWrap(on);
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool on) {
    if (on == FTransparent) return;
    FTransparent = on;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool on) {
    if (on == FShowAccelChar) return;
    FShowAccelChar = on;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* control) { FFocusControl = control; }

int TCustomLabel::DrawTextFlags() const {
    int flags = Qt::TextExpandTabs;
    if (FWordWrap) flags |= Qt::TextWordWrap;
    if (FShowAccelChar) flags |= Qt::TextShowMnemonic;
    return flags;
}

QSize TCustomLabel::TextExtent() const {
    QString text = GetText();
    // An empty caption still takes one line.
    if (text.isEmpty() || (FShowAccelChar && text == QLatin1String("&"))) text += QLatin1Char(' ');
    const QFontMetrics metrics(Font()->ToQFont());
    const int limit = FWordWrap ? std::max(1, Width()) : INT_MAX / 4;
    const QRect r = metrics.boundingRect(QRect(0, 0, limit, INT_MAX / 4), DrawTextFlags(), text);
    return r.size();
}

void TCustomLabel::AdjustBounds() {
    if (!FAutoSize || IsLoading()) return;
    const QSize size = TextExtent();
    const int left = FAlignment == taRightJustify ? Left() + Width() - size.width() : Left();
    SetBounds(left, Top(), size.width(), size.height());
}

void TCustomLabel::TextChanged() {
    Label()->setText(GetText());
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_TEXTCHANGED: TextChanged(); break;
        case CM_DIALOGCHAR:
            if (FFocusControl && Enabled() && FShowAccelChar &&
                IsAccel(static_cast<std::uint16_t>(message.WParam), GetText()) && FFocusControl->CanFocus()) {
                FFocusControl->SetFocus();
                message.Result = 1;
            }
            return;
        default: break;
    }
    TGraphicControl::WndProc(message);
}

void TCustomLabel::FontChanged() {
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Paint(QPainter& painter) {
    const QRect r = Handle()->rect();
    if (!FTransparent) painter.fillRect(r, ColorToQColor(Color()));
    painter.setFont(Font()->ToQFont());
    const int flags = DrawTextFlags() | HorizontalAlignment(FAlignment) | VerticalAlignment(FLayout);
    if (!Enabled()) {
        // The classic engraved look of disabled text.
        painter.setPen(ColorToQColor(clBtnHighlight));
        painter.drawText(r.translated(1, 1), flags, GetText());
        painter.setPen(ColorToQColor(clBtnShadow));
    } else {
        painter.setPen(ColorToQColor(Font()->Color()));
    }
    painter.drawText(r, flags, GetText());
}

// ---- TCustomMemo ------------------------------------------------------------------

// The memo's widget: pasting respects the memo's MaxLength.
class TMemoWidget : public QPlainTextEdit {
public:
    explicit TMemoWidget(QWidget* parent = nullptr) : QPlainTextEdit(parent) {}

protected:
    void insertFromMimeData(const QMimeData* source) override {
        auto* memo = qobject_cast<TCustomMemo*>(TControl::FromWidget(this));
        if (!memo || !source->hasText()) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        QString text = source->text();
        text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        // Cut to the room left, counting a line break as two characters.
        int room = memo->RoomLeft();
        qsizetype n = 0;
        for (; n < text.size(); ++n) {
            room -= text.at(n) == QLatin1Char('\n') ? 2 : 1;
            if (room < 0) break;
        }
        insertPlainText(text.left(n));
    }
};

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomMemo(AOwner, NewWidget<TMemoWidget>()) {}

TCustomMemo::TCustomMemo(TComponent* AOwner, QPlainTextEdit* handle) : TWinControl(AOwner, handle) { Init(); }

void TCustomMemo::Init() {
    FLines = new TStringList(this);
    SetTabStop(true);
    SetColor(clWindow);
    PlainTextEdit()->setFocusPolicy(Qt::StrongFocus);
    PlainTextEdit()->resize(185, 89);
    PlainTextEdit()->setTabChangesFocus(true);
    PlainTextEdit()->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    PlainTextEdit()->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PlainTextEdit()->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RouteEventsFrom(PlainTextEdit()->viewport());
    connect(PlainTextEdit(), &QPlainTextEdit::textChanged, this, [this] { WidgetTextChanged(); });
    connect(FLines, &TStrings::Changed, this, [this] { LinesChanged(); });
}

void TCustomMemo::WidgetTextChanged() {
    if (!FSettingText) FModified = true;
    if (!FSyncing) {
        // The user (or SetText) changed the text: Lines follows.
        QStringList lines = PlainTextEdit()->toPlainText().split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        FSyncing = true;
        FLines->SetStrings(lines);
        FSyncing = false;
    }
    Change();
}

void TCustomMemo::LinesChanged() {
    if (FSyncing) return;
    FSyncing = true;
    FSettingText = true;
    PlainTextEdit()->setPlainText(FLines->ToStringList().join(QLatin1Char('\n')));
    FSettingText = false;
    FSyncing = false;
}

void TCustomMemo::SetLines(TStrings* lines) {
    if (lines && lines != FLines) FLines->Assign(lines);
}

QString TCustomMemo::GetText() const {
    return PlainTextEdit()->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void TCustomMemo::SetText(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (plain == PlainTextEdit()->toPlainText()) return;
    FSettingText = true;
    PlainTextEdit()->setPlainText(plain);
    FSettingText = false;
}

void TCustomMemo::Change() {
    if (OnChange) OnChange(this);
}

void TCustomMemo::SetWordWrap(bool on) {
    FWordWrap = on;
    PlainTextEdit()->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TCustomMemo::SetScrollBars(TScrollStyle style) {
    FScrollBars = style;
    const bool h = style == ssHorizontal || style == ssBoth;
    const bool v = style == ssVertical || style == ssBoth;
    PlainTextEdit()->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    PlainTextEdit()->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TCustomMemo::SetWantTabs(bool on) {
    FWantTabs = on;
    PlainTextEdit()->setTabChangesFocus(!on);
}

bool TCustomMemo::ReadOnly() const { return PlainTextEdit()->isReadOnly(); }
void TCustomMemo::SetReadOnly(bool on) { PlainTextEdit()->setReadOnly(on); }

void TCustomMemo::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    QTextDocument* doc = PlainTextEdit()->document();
    QTextOption option = doc->defaultTextOption();
    option.setAlignment(HorizontalAlignment(alignment));
    doc->setDefaultTextOption(option);
    PlainTextEdit()->viewport()->update();
}

int TCustomMemo::ToClassicPos(int position) const {
    const QString plain = PlainTextEdit()->toPlainText();
    position = std::clamp(position, 0, static_cast<int>(plain.size()));
    return position + static_cast<int>(QStringView(plain).left(position).count(QLatin1Char('\n')));
}

int TCustomMemo::ToWidgetPos(int position) const {
    const QString plain = PlainTextEdit()->toPlainText();
    int classic = 0;
    int i = 0;
    for (; i < plain.size(); ++i) {
        const int step = plain.at(i) == QLatin1Char('\n') ? 2 : 1;
        if (classic + step > position) break;
        classic += step;
    }
    return i;
}

int TCustomMemo::RoomLeft() const {
    if (FMaxLength <= 0) return INT_MAX / 2;
    const QTextCursor cursor = PlainTextEdit()->textCursor();
    const int selected = ToClassicPos(cursor.selectionEnd()) - ToClassicPos(cursor.selectionStart());
    return FMaxLength - static_cast<int>(GetText().size()) + selected;
}

QPoint TCustomMemo::CaretPos() const {
    const QTextCursor cursor = PlainTextEdit()->textCursor();
    return QPoint(cursor.positionInBlock(), cursor.blockNumber());
}

void TCustomMemo::SetCaretPos(const QPoint& pos) {
    QTextDocument* doc = PlainTextEdit()->document();
    const QTextBlock block = doc->findBlockByNumber(std::clamp(pos.y(), 0, doc->blockCount() - 1));
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + std::clamp(pos.x(), 0, block.length() - 1));
    PlainTextEdit()->setTextCursor(cursor);
}

int TCustomMemo::SelStart() const { return ToClassicPos(PlainTextEdit()->textCursor().selectionStart()); }

void TCustomMemo::SetSelStart(int start) {
    QTextCursor cursor = PlainTextEdit()->textCursor();
    cursor.setPosition(ToWidgetPos(start));
    PlainTextEdit()->setTextCursor(cursor);
}

int TCustomMemo::SelLength() const {
    const QTextCursor cursor = PlainTextEdit()->textCursor();
    return ToClassicPos(cursor.selectionEnd()) - ToClassicPos(cursor.selectionStart());
}

void TCustomMemo::SetSelLength(int length) {
    QTextCursor cursor = PlainTextEdit()->textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(ToWidgetPos(ToClassicPos(start) + std::max(0, length)), QTextCursor::KeepAnchor);
    PlainTextEdit()->setTextCursor(cursor);
}

QString TCustomMemo::SelText() const {
    return PlainTextEdit()->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
}

void TCustomMemo::SetSelText(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    PlainTextEdit()->insertPlainText(plain);
}

void TCustomMemo::SelectAll() { PlainTextEdit()->selectAll(); }

bool TCustomMemo::WidgetEvent(QWidget* widget, QEvent* event) {
    if (event->type() != QEvent::KeyPress || widget != FHandle) return TWinControl::WidgetEvent(widget, event);
    auto* ke = static_cast<QKeyEvent*>(event);
    const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
    const QString typed = ke->text();
    if (TWinControl::WidgetEvent(widget, event)) return true;
    if (enter && !FWantReturns) {
        if (ke->modifiers() & Qt::ControlModifier) {
            // Ctrl+Enter still breaks the line.
            if (!ReadOnly() && RoomLeft() >= 2) PlainTextEdit()->insertPlainText(QStringLiteral("\n"));
            return true;
        }
        // Not ours: on to the form (its default button).
        event->ignore();
        return true;
    }
    if (!ReadOnly() && FMaxLength > 0) {
        const int needed = enter ? 2 : (typed.size() == 1 && typed.at(0).isPrint() ? 1 : 0);
        if (needed > 0 && RoomLeft() < needed) return true;
    }
    return false;
}

// ---- TCustomComboBox --------------------------------------------------------------

void TComboWidget::showPopup() {
    QPointer<TComboWidget> alive(this);
    if (auto* combo = qobject_cast<TCustomComboBox*>(TControl::FromWidget(this)))
        if (combo->Handle() == this) combo->DropDown();
    if (alive) QComboBox::showPopup();
}

void TComboWidget::paintEvent(QPaintEvent* event) {
    auto* combo = qobject_cast<TCustomComboBox*>(TControl::FromWidget(this));
    if (!combo || combo->Handle() != this || !combo->IsOwnerDrawn()) {
        QComboBox::paintEvent(event);
        return;
    }
    // The frame and the arrow as usual; the item in the box is the control's.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    TOwnerDrawState state = odComboBoxEdit;
    if (hasFocus()) state |= odSelected | odFocused;
    if (!isEnabled()) state |= odDisabled;
    painter.save();
    combo->DrawItem(currentIndex(), field, state, &painter);
    painter.restore();
}

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TCustomComboBox(AOwner, NewWidget<TComboWidget>()) {}

TCustomComboBox::TCustomComboBox(TComponent* AOwner, QComboBox* handle) : TWinControl(AOwner, handle) { Init(); }

void TCustomComboBox::Init() {
    FItems = new TStringList(this);
    SetTabStop(true);
    SetColor(clWindow);
    ComboBox()->setFocusPolicy(Qt::StrongFocus);
    ComboBox()->resize(145, 21);
    ComboBox()->setMaxVisibleItems(FDropDownCount);
    FPlainDelegate = ComboBox()->itemDelegate();
    FOwnerDrawDelegate = new TOwnerDrawDelegate<TCustomComboBox>(this, ComboBox());
    ApplyStyle();
    connect(FItems, &TStrings::Changed, this, [this] { ItemsChanged(); });
    connect(ComboBox(), &QComboBox::activated, this, [this] { UserSelected(); });
}

void TCustomComboBox::SetItems(TStrings* items) {
    if (items && items != FItems) FItems->Assign(items);
}

void TCustomComboBox::ItemsChanged() {
    const int oldIndex = ItemIndex();
    const QString oldText = GetText();
    FUpdating = true;
    ComboBox()->clear();
    ComboBox()->addItems(FItems->ToStringList());
    const int index = KeptIndex(oldIndex, FItems->Count());
    ComboBox()->setCurrentIndex(index);
    // Text typed in the edit part (no item selected) stays.
    if (oldIndex < 0 && IsEditable()) ComboBox()->setEditText(oldText);
    FUpdating = false;
}

int TCustomComboBox::ItemIndex() const { return ComboBox()->currentIndex(); }

void TCustomComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= FItems->Count()) index = -1;
    if (index == ItemIndex() && (index >= 0 || !IsEditable())) return;
    FUpdating = true;
    ComboBox()->setCurrentIndex(index);
    if (index < 0 && IsEditable()) ComboBox()->setEditText(QString());
    FUpdating = false;
}

QString TCustomComboBox::GetText() const {
    if (IsEditable() && ComboBox()->lineEdit()) return ComboBox()->lineEdit()->text();
    return ComboBox()->currentIndex() >= 0 ? ComboBox()->currentText() : QString();
}

void TCustomComboBox::SetText(const QString& text) {
    FUpdating = true;
    if (IsEditable()) {
        QString value = ApplyCharCase(text, FCharCase);
        if (FMaxLength > 0 && value.size() > FMaxLength) value.truncate(FMaxLength);
        // An item spelled exactly so becomes the selected one.
        ComboBox()->setCurrentIndex(ComboBox()->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive));
        ComboBox()->setEditText(value);
    } else {
        ComboBox()->setCurrentIndex(FItems->IndexOf(text));
    }
    FUpdating = false;
}

void TCustomComboBox::UserSelected() {
    if (FUpdating) return;
    QPointer<TCustomComboBox> alive(this);
    Click();
    if (alive) Select();
    if (alive) Change();
}

void TCustomComboBox::UserEdited() {
    if (FUpdating || !IsEditable() || !ComboBox()->lineEdit()) return;
    QLineEdit* edit = ComboBox()->lineEdit();
    const QString cased = ApplyCharCase(edit->text(), FCharCase);
    const int match = ComboBox()->findText(cased, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (cased != edit->text() || match != ComboBox()->currentIndex()) {
        // Keep what was typed and where the caret is; the selection follows the
        // text (none unless an item is spelled exactly so).
        const int caret = edit->cursorPosition();
        FUpdating = true;
        ComboBox()->setCurrentIndex(match);
        edit->setText(cased);
        edit->setCursorPosition(caret);
        FUpdating = false;
    }
    Change();
}

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect) OnSelect(this);
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
    if (style == FStyle) return;
    const int oldIndex = ItemIndex();
    const QString oldText = GetText();
    FStyle = style;
    FUpdating = true;
    ApplyStyle();
    int index = KeptIndex(oldIndex, FItems->Count());
    // A list cannot show text that is no item: the item with that text, if any.
    if (index < 0 && !IsEditable() && !oldText.isEmpty()) index = FItems->IndexOf(oldText);
    ComboBox()->setCurrentIndex(index);
    if (index < 0 && IsEditable()) ComboBox()->setEditText(oldText);
    FUpdating = false;
    ComboBox()->update();
}

void TCustomComboBox::ApplyStyle() {
    const bool editable = IsEditable();
    if (ComboBox()->isEditable() != editable) ComboBox()->setEditable(editable);
    if (editable) {
        ComboBox()->setInsertPolicy(QComboBox::NoInsert);
        ComboBox()->setCompleter(nullptr);
        ApplyEditLimits();
        // Only the user's edits: text set with a selection is no typing. The
        // combo makes a new line edit each time it becomes editable.
        QLineEdit* edit = ComboBox()->lineEdit();
        disconnect(edit, &QLineEdit::textEdited, this, nullptr);
        connect(edit, &QLineEdit::textEdited, this, [this] { UserEdited(); });
    }
    QAbstractItemDelegate* delegate = IsOwnerDrawn() ? FOwnerDrawDelegate : FPlainDelegate.data();
    if (delegate && ComboBox()->itemDelegate() != delegate) ComboBox()->setItemDelegate(delegate);
}

void TCustomComboBox::ApplyEditLimits() {
    if (QLineEdit* edit = ComboBox()->lineEdit()) edit->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

void TCustomComboBox::SetDropDownCount(int count) {
    FDropDownCount = std::max(1, count);
    ComboBox()->setMaxVisibleItems(FDropDownCount);
}

void TCustomComboBox::SetMaxLength(int length) {
    FMaxLength = std::max(0, length);
    ApplyEditLimits();
}

void TCustomComboBox::SetCharCase(TEditCharCase charCase) {
    FCharCase = charCase;
    if (IsEditable() && charCase != ecNormal) SetText(GetText());
}

void TCustomComboBox::SetItemHeight(int height) {
    if (height <= 0) return;
    FItemHeight = height;
    ComboBox()->update();
}

void TCustomComboBox::DrawItem(int index, const QRect& rect, TOwnerDrawState state, QPainter* painter) {
    if (OnDrawItem) {
        QPainter* previous = FCanvas;
        FCanvas = painter;
        painter->setFont(Font()->ToQFont());
        OnDrawItem(this, index, rect, state);
        FCanvas = previous;
        return;
    }
    DrawItemText(painter, rect, index >= 0 && index < FItems->Count() ? FItems->Strings(index) : QString(), state, this);
}

// ---- TCustomListBox ---------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner) : TCustomListBox(AOwner, NewWidget<QListWidget>()) {}

TCustomListBox::TCustomListBox(TComponent* AOwner, QListWidget* handle) : TWinControl(AOwner, handle) { Init(); }

void TCustomListBox::Init() {
    FItems = new TStringList(this);
    SetTabStop(true);
    SetColor(clWindow);
    ListWidget()->setFocusPolicy(Qt::StrongFocus);
    ListWidget()->resize(121, 97);
    ListWidget()->setUniformItemSizes(true);
    FPlainDelegate = ListWidget()->itemDelegate();
    FOwnerDrawDelegate = new TOwnerDrawDelegate<TCustomListBox>(this, ListWidget());
    ApplySelectionMode();
    RouteEventsFrom(ListWidget()->viewport());
    connect(FItems, &TStrings::Changed, this, [this] { ItemsChanged(); });
    connect(ListWidget(), &QListWidget::itemSelectionChanged, this, [this] {
        if (!FUpdating) Click();
    });
}

void TCustomListBox::SetItems(TStrings* items) {
    if (items && items != FItems) FItems->Assign(items);
}

void TCustomListBox::ItemsChanged() {
    const int oldIndex = ItemIndex();
    FUpdating = true;
    ListWidget()->clear();
    ListWidget()->addItems(FItems->ToStringList());
    FUpdating = false;
    SetItemIndex(KeptIndex(oldIndex, FItems->Count()));
}

int TCustomListBox::ItemIndex() const {
    const int row = ListWidget()->currentRow();
    if (FMultiSelect) return row;
    return row >= 0 && ListWidget()->item(row)->isSelected() ? row : -1;
}

void TCustomListBox::SetItemIndex(int index) {
    if (index < -1 || index >= Count()) index = -1;
    FUpdating = true;
    if (index < 0) {
        if (!FMultiSelect) ListWidget()->clearSelection();
        ListWidget()->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    } else if (FMultiSelect) {
        ListWidget()->setCurrentRow(index, QItemSelectionModel::NoUpdate);
    } else {
        ListWidget()->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
    FUpdating = false;
}

void TCustomListBox::ApplySelectionMode() {
    ListWidget()->setSelectionMode(!FMultiSelect      ? QAbstractItemView::SingleSelection
                                   : FExtendedSelect ? QAbstractItemView::ExtendedSelection
                                                     : QAbstractItemView::MultiSelection);
}

void TCustomListBox::SetMultiSelect(bool on) {
    FMultiSelect = on;
    FUpdating = true;
    ApplySelectionMode();
    FUpdating = false;
}

void TCustomListBox::SetExtendedSelect(bool on) {
    FExtendedSelect = on;
    ApplySelectionMode();
}

bool TCustomListBox::Selected(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds");
    return ListWidget()->item(index)->isSelected();
}

void TCustomListBox::SetSelected(int index, bool on) {
    if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds");
    FUpdating = true;
    if (!FMultiSelect && on) ListWidget()->clearSelection();
    ListWidget()->item(index)->setSelected(on);
    if (!FMultiSelect && on) ListWidget()->setCurrentRow(index, QItemSelectionModel::NoUpdate);
    FUpdating = false;
}

int TCustomListBox::SelCount() const {
    if (!FMultiSelect) return -1;  // classic: only multi-select lists count
    return static_cast<int>(ListWidget()->selectedItems().size());
}

void TCustomListBox::SetStyle(TListBoxStyle style) {
    FStyle = style;
    QAbstractItemDelegate* delegate = style == lbStandard ? FPlainDelegate.data() : FOwnerDrawDelegate;
    if (delegate && ListWidget()->itemDelegate() != delegate) ListWidget()->setItemDelegate(delegate);
    ListWidget()->doItemsLayout();
}

void TCustomListBox::SetItemHeight(int height) {
    if (height <= 0) return;
    FItemHeight = height;
    ListWidget()->doItemsLayout();
}

void TCustomListBox::DrawItem(int index, const QRect& rect, TOwnerDrawState state, QPainter* painter) {
    if (OnDrawItem) {
        QPainter* previous = FCanvas;
        FCanvas = painter;
        painter->setFont(Font()->ToQFont());
        OnDrawItem(this, index, rect, state);
        FCanvas = previous;
        return;
    }
    DrawItemText(painter, rect, index >= 0 && index < Count() ? FItems->Strings(index) : QString(), state, this);
}

bool TCustomListBox::WidgetEvent(QWidget* widget, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && widget == ListWidget()->viewport()) {
        const bool consumed = TWinControl::WidgetEvent(widget, event);
        DblClick();
        return consumed;
    }
    return TWinControl::WidgetEvent(widget, event);
}

// ---- TCustomCheckBox --------------------------------------------------------------

namespace {

Qt::CheckState ToQtState(TCheckBoxState state) {
    switch (state) {
        case cbChecked: return Qt::Checked;
        case cbGrayed: return Qt::PartiallyChecked;
        default: return Qt::Unchecked;
    }
}

TCheckBoxState FromQtState(Qt::CheckState state) {
    switch (state) {
        case Qt::Checked: return cbChecked;
        case Qt::PartiallyChecked: return cbGrayed;
        default: return cbUnchecked;
    }
}

// Caption left of the mark (taLeftJustify) is the mirrored layout.
void ApplyButtonAlignment(QAbstractButton* button, TAlignment alignment) {
    button->setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

}  // namespace

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner, NewWidget<QCheckBox>()) {}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner, QCheckBox* handle) : TWinControl(AOwner, handle) { Init(); }

void TCustomCheckBox::Init() {
    SetTabStop(true);
    CheckBox()->setFocusPolicy(Qt::StrongFocus);
    CheckBox()->resize(97, 17);
    CheckBox()->setTristate(false);
    connect(CheckBox(), &QCheckBox::stateChanged, this, [this] { WidgetStateChanged(); });
}

QString TCustomCheckBox::GetText() const { return CheckBox()->text(); }
void TCustomCheckBox::SetText(const QString& text) { CheckBox()->setText(text); }

void TCustomCheckBox::WidgetStateChanged() {
    if (FUpdating) return;
    // The user clicked: the widget already moved on (classic order: unchecked,
    // grayed when allowed, checked).
    const TCheckBoxState state = FromQtState(CheckBox()->checkState());
    if (state == FState) return;
    FState = state;
    if (!FAllowGrayed && state != cbGrayed) {
        // Grayed was shown because code set it; clicks cannot come back to it.
        FUpdating = true;
        CheckBox()->setTristate(false);
        FUpdating = false;
    }
    if (!IsLoading()) Click();
}

void TCustomCheckBox::SetState(TCheckBoxState state) {
    if (state == FState) return;
    FState = state;
    FUpdating = true;
    // A grayed state set by code shows even when the user cannot reach it.
    if (state == cbGrayed) CheckBox()->setTristate(true);
    CheckBox()->setCheckState(ToQtState(state));
    if (!FAllowGrayed && state != cbGrayed) CheckBox()->setTristate(false);
    FUpdating = false;
    if (!IsLoading()) Click();
}

void TCustomCheckBox::SetAllowGrayed(bool on) {
    FAllowGrayed = on;
    FUpdating = true;
    CheckBox()->setTristate(on || FState == cbGrayed);
    FUpdating = false;
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
        case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
        case cbChecked: SetState(cbUnchecked); break;
        case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    ApplyButtonAlignment(CheckBox(), alignment);
}

void TCustomCheckBox::WndProc(TMessage& message) {
    if (message.Msg == CM_DIALOGCHAR) {
        if (IsAccel(static_cast<std::uint16_t>(message.WParam), GetText()) && CanFocus()) {
            SetFocus();
            if (Focused()) Toggle();
            message.Result = 1;
        }
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TRadioButton -----------------------------------------------------------------

namespace {

// Clicking a checked radio button leaves it checked; siblings are unchecked by
// the control, not by Qt's auto-exclusivity (which would reach every radio
// widget in the parent, whatever its control class).
class TRadioWidget : public QRadioButton {
public:
    explicit TRadioWidget(QWidget* parent = nullptr) : QRadioButton(parent) { setAutoExclusive(false); }

protected:
    void nextCheckState() override { setChecked(true); }
};

}  // namespace

TRadioButton::TRadioButton(TComponent* AOwner) : TRadioButton(AOwner, NewWidget<TRadioWidget>()) {}

TRadioButton::TRadioButton(TComponent* AOwner, QRadioButton* handle) : TWinControl(AOwner, handle) { Init(); }

void TRadioButton::Init() {
    RadioButton()->setAutoExclusive(false);
    RadioButton()->setFocusPolicy(Qt::StrongFocus);
    RadioButton()->resize(113, 17);
    SetTabStop(false);
    connect(RadioButton(), &QRadioButton::toggled, this, [this](bool on) {
        if (!FUpdating && on) SetChecked(true);
    });
}

QString TRadioButton::GetText() const { return RadioButton()->text(); }
void TRadioButton::SetText(const QString& text) { RadioButton()->setText(text); }

void TRadioButton::SetChecked(bool on) {
    if (on == FChecked) return;
    FChecked = on;
    SetTabStop(on);
    FUpdating = true;
    RadioButton()->setChecked(on);
    FUpdating = false;
    if (!on) return;
    TurnSiblingsOff();
    if (!IsLoading()) Click();
}

void TRadioButton::TurnSiblingsOff() {
    TWinControl* parent = Parent();
    if (!parent) return;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* sibling = qobject_cast<TRadioButton*>(parent->Controls(i)); sibling && sibling != this)
            sibling->SetChecked(false);
}

void TRadioButton::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    ApplyButtonAlignment(RadioButton(), alignment);
}

void TRadioButton::WndProc(TMessage& message) {
    if (message.Msg == CM_DIALOGCHAR) {
        if (IsAccel(static_cast<std::uint16_t>(message.WParam), GetText()) && CanFocus()) {
            SetFocus();
            message.Result = 1;
        }
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TCustomGroupBox --------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner, NewWidget<QGroupBox>()) {}

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner, QGroupBox* handle) : TCustomControl(AOwner, handle) { Init(); }

void TCustomGroupBox::Init() {
    GroupBox()->resize(185, 105);
    SetParentColor(true);
}

void TCustomGroupBox::AdjustClientRect(QRect& rect) const {
    TCustomControl::AdjustClientRect(rect);
    rect.setTop(rect.top() + QFontMetrics(Font()->ToQFont()).height());
    rect.adjust(2, 2, -2, -2);
}

QString TCustomGroupBox::GetText() const { return GroupBox()->title(); }
void TCustomGroupBox::SetText(const QString& text) { GroupBox()->setTitle(text); }

}  // namespace kv
