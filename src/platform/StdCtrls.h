// The standard controls: edits, labels, buttons, check boxes, radio buttons,
// combo and list boxes, memos and group boxes.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/Controls.h"

class QPainter;

namespace kv {

// The accelerator of a caption: the character after the first single "&" ("&&"
// is a literal ampersand), null when there is none.
QChar AccelChar(const QString& caption);
// Whether a virtual key (letters and digits are their upper-case character) is
// the caption's accelerator, letter case ignored.
bool IsAccel(std::uint16_t key, const QString& caption);

// How an owner-drawn item is to be drawn.
enum TOwnerDrawStateFlag {
    odSelected = 0x0001,
    odGrayed = 0x0002,
    odDisabled = 0x0004,
    odChecked = 0x0008,
    odFocused = 0x0010,
    odDefault = 0x0020,
    odComboBoxEdit = 0x1000,
};
Q_DECLARE_FLAGS(TOwnerDrawState, TOwnerDrawStateFlag)

// Draws item Index of an owner-drawn list into Rect; the painter is the control's
// Canvas() for the duration of the call.
using TDrawItemEvent = TEvent<void(TWinControl* Control, int Index, const QRect& Rect, TOwnerDrawState State)>;

// The single-line edit all edits share: text, selection, length limit, read-only,
// letter case and OnChange (raised for every change of the text, typed or set).
class TCustomEdit : public TWinControl {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
public:
    explicit TCustomEdit(TComponent* AOwner);

    QString Text() const { return GetText(); }
    void SetTextValue(const QString& text) { SetText(text); }
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int length);
    bool ReadOnly() const;
    void SetReadOnly(bool on);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase charCase);
    QChar PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(QChar ch);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool on) { FAutoSelect = on; }
    bool Modified() const { return FModified; }
    void SetModified(bool on) { FModified = on; }

    int SelStart() const;
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);
    QString SelText() const;
    void SetSelText(const QString& text);
    void SelectAll();
    void Clear() { SetText(QString()); }

    QLineEdit* LineEdit() const { return static_cast<QLineEdit*>(FHandle.data()); }

    TNotifyEvent OnChange;

protected:
    TCustomEdit(TComponent* AOwner, QLineEdit* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;
    // The text changed (by typing or by code).
    virtual void Change();
    void DoEnter() override;

private:
    void Init();
    int FMaxLength = 0;
    TEditCharCase FCharCase = ecNormal;
    QChar FPasswordChar;
    bool FAutoSelect = true;
    bool FModified = false;
    bool FSettingText = false;
};

// The edit as forms place it.
class TEdit : public TCustomEdit {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetTextValue)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(kv::Enums::TEditCharCase CharCase READ CharCase WRITE SetCharCase)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(QString ImeName MEMBER ImeName)
    Q_PROPERTY(kv::TNotifyEvent OnChange MEMBER OnChange)
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
    QString ImeName;
};

// A push button. Clicking sets the form's ModalResult to the button's own (when
// not mrNone); Default buttons answer Enter and Cancel buttons Escape anywhere on
// their form.
class TButton : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
public:
    explicit TButton(TComponent* AOwner);

    bool Default() const { return FDefault; }
    void SetDefault(bool on);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool on) { FCancel = on; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result) { FModalResult = result; }
    void Click() override;
    // The default button answers Enter unless another button has the focus.
    bool IsActiveDefault() const;

    QPushButton* PushButton() const { return static_cast<QPushButton*>(FHandle.data()); }

protected:
    TButton(TComponent* AOwner, QPushButton* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;
    // A focused button clicks itself on Enter.
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    // Enter (active default), Escape (Cancel) and the caption's accelerator.
    void WndProc(TMessage& message) override;

private:
    void Init();
    bool FDefault = false;
    bool FCancel = false;
    TModalResult FModalResult = mrNone;
};

// ---- labels ------------------------------------------------------------------------

class TLabelWidget;

// A caption drawn on its parent: alignment and layout inside its bounds, optional
// word wrap, an accelerator that focuses FocusControl, and AutoSize (the label
// takes the size of its text; a right-justified label keeps its right edge).
class TCustomLabel : public TGraphicControl {
    Q_OBJECT
public:
    explicit TCustomLabel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout layout);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool on);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control);

    // The size the caption takes in the label's font (the width is kept as the
    // limit when wrapping).
    QSize TextExtent() const;

    QLabel* Label() const { return static_cast<QLabel*>(FHandle.data()); }

protected:
    TCustomLabel(TComponent* AOwner, QLabel* handle);
    void WndProc(TMessage& message) override;
    void FontChanged() override;
    void Loaded() override;
    void Paint(QPainter& painter) override;
    // Resizes to the text when AutoSize is on (not while loading).
    virtual void AdjustBounds();
    int DrawTextFlags() const;

private:
    friend class TLabelWidget;
    void Init();
    void TextChanged();
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FAutoSize = true;
    bool FWordWrap = false;
    bool FTransparent = false;
    bool FShowAccelChar = true;
    QPointer<TWinControl> FFocusControl;
};

class TLabel : public TCustomLabel {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(kv::Enums::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(kv::Enums::TTextLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE SetShowAccelChar)
    Q_PROPERTY(kv::TWinControl* FocusControl READ FocusControl WRITE SetFocusControl)
public:
    explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}

protected:
    TLabel(TComponent* AOwner, QLabel* handle) : TCustomLabel(AOwner, handle) {}
};

// ---- memo --------------------------------------------------------------------------

// A multi-line edit. Lines mirrors the text both ways (the text ends without a
// line break; Lines does not count an empty last line). Text and the selection
// count a line break as two characters (CR LF), as the classic control does.
class TCustomMemo : public TWinControl {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
public:
    explicit TCustomMemo(TComponent* AOwner);

    TStrings* Lines() const { return FLines; }
    void SetLines(TStrings* lines);
    QString Text() const { return GetText(); }
    void SetTextValue(const QString& text) { SetText(text); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle style);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool on) { FWantReturns = on; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool on);
    bool ReadOnly() const;
    void SetReadOnly(bool on);
    // 0: no limit. Limits what the user types or pastes, not what code sets.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int length) { FMaxLength = length < 0 ? 0 : length; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    bool Modified() const { return FModified; }
    void SetModified(bool on) { FModified = on; }

    // The caret as column (x) and line (y), both from 0.
    QPoint CaretPos() const;
    void SetCaretPos(const QPoint& pos);
    int SelStart() const;
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);
    QString SelText() const;
    void SetSelText(const QString& text);
    void SelectAll();
    void Clear() { SetText(QString()); }

    bool WantsTabKey() const override { return FWantTabs; }
    QPlainTextEdit* PlainTextEdit() const { return static_cast<QPlainTextEdit*>(FHandle.data()); }

    TNotifyEvent OnChange;

protected:
    TCustomMemo(TComponent* AOwner, QPlainTextEdit* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    // The text changed (by typing or by code).
    virtual void Change();

private:
    friend class TMemoWidget;
    void Init();
    void WidgetTextChanged();
    void LinesChanged();
    // Characters the user may still add (classic count), or a large number.
    int RoomLeft() const;
    int ToClassicPos(int position) const;
    int ToWidgetPos(int position) const;
    TStringList* FLines = nullptr;
    TScrollStyle FScrollBars = ssNone;
    TAlignment FAlignment = taLeftJustify;
    int FMaxLength = 0;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
    bool FModified = false;
    bool FSyncing = false;
    bool FSettingText = false;
};

class TMemo : public TCustomMemo {
    Q_OBJECT
    Q_PROPERTY(kv::TStrings* Lines READ Lines WRITE SetLines)
    Q_PROPERTY(QString Text READ Text WRITE SetTextValue)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(kv::Enums::TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(bool WantReturns READ WantReturns WRITE SetWantReturns)
    Q_PROPERTY(bool WantTabs READ WantTabs WRITE SetWantTabs)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(kv::Enums::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(QString ImeName MEMBER ImeName)
    Q_PROPERTY(kv::TNotifyEvent OnChange MEMBER OnChange)
public:
    explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
    QString ImeName;

protected:
    TMemo(TComponent* AOwner, QPlainTextEdit* handle) : TCustomMemo(AOwner, handle) {}
};

// ---- combo box ---------------------------------------------------------------------

class TCustomComboBox;

// The widget of a combo box: tells the control before the list drops down, and
// lets owner-drawn styles draw the closed box's item.
class TComboWidget : public QComboBox {
public:
    explicit TComboWidget(QWidget* parent = nullptr) : QComboBox(parent) {}
    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A combo box over a string list. Styles: csDropDown (editable), csSimple (shown
// as an editable drop-down), csDropDownList, and the owner-drawn styles, which are
// drop-down lists whose items the control draws (OnDrawItem when assigned, else
// the item's text). Changing Items or Style keeps the selected index while it is
// still valid. User selection raises OnClick, OnSelect and OnChange; typing in the
// edit part raises OnChange; setting ItemIndex or Text by code raises nothing.
class TCustomComboBox : public TWinControl {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
public:
    explicit TCustomComboBox(TComponent* AOwner);

    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* items);
    int ItemIndex() const;
    void SetItemIndex(int index);
    QString Text() const { return GetText(); }
    void SetTextValue(const QString& text) { SetText(text); }
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle style);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int count);
    bool Sorted() const { return FItems->Sorted(); }
    void SetSorted(bool on) { FItems->SetSorted(on); }
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int length);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase charCase);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int height);
    bool IsOwnerDrawn() const { return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable; }
    bool IsEditable() const { return FStyle == csDropDown || FStyle == csSimple; }

    // Draws one item (owner-drawn styles); Index -1 draws the empty box.
    virtual void DrawItem(int index, const QRect& rect, TOwnerDrawState state, QPainter* painter);
    // The painter of the item being drawn, null outside DrawItem.
    QPainter* Canvas() const { return FCanvas; }

    QComboBox* ComboBox() const { return static_cast<QComboBox*>(FHandle.data()); }

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TDrawItemEvent OnDrawItem;

protected:
    TCustomComboBox(TComponent* AOwner, QComboBox* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();

private:
    friend class TComboWidget;
    void Init();
    void ItemsChanged();
    void UserSelected();
    void UserEdited();
    void ApplyStyle();
    void ApplyEditLimits();
    TStringList* FItems = nullptr;
    QPointer<QAbstractItemDelegate> FPlainDelegate;
    QAbstractItemDelegate* FOwnerDrawDelegate = nullptr;
    QPainter* FCanvas = nullptr;
    TComboBoxStyle FStyle = csDropDown;
    TEditCharCase FCharCase = ecNormal;
    int FDropDownCount = 8;
    int FMaxLength = 0;
    int FItemHeight = 16;
    bool FUpdating = false;
};

class TComboBox : public TCustomComboBox {
    Q_OBJECT
    Q_PROPERTY(kv::TStrings* Items READ Items WRITE SetItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(QString Text READ Text WRITE SetTextValue)
    Q_PROPERTY(kv::Enums::TComboBoxStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(int DropDownCount READ DropDownCount WRITE SetDropDownCount)
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(kv::Enums::TEditCharCase CharCase READ CharCase WRITE SetCharCase)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
    Q_PROPERTY(QString ImeName MEMBER ImeName)
    Q_PROPERTY(kv::TNotifyEvent OnChange MEMBER OnChange)
    Q_PROPERTY(kv::TNotifyEvent OnSelect MEMBER OnSelect)
    Q_PROPERTY(kv::TNotifyEvent OnDropDown MEMBER OnDropDown)
    Q_PROPERTY(kv::TDrawItemEvent OnDrawItem MEMBER OnDrawItem)
public:
    explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
    QString ImeName;

protected:
    TComboBox(TComponent* AOwner, QComboBox* handle) : TCustomComboBox(AOwner, handle) {}
};

// ---- list box ----------------------------------------------------------------------

// A list of texts with one or (MultiSelect) many selected. ItemIndex is the
// selected item (with MultiSelect: the focused one). User selection raises
// OnClick; setting ItemIndex by code raises nothing. Changing Items keeps
// ItemIndex while it is still valid.
class TCustomListBox : public TWinControl {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
public:
    explicit TCustomListBox(TComponent* AOwner);

    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* items);
    int Count() const { return FItems->Count(); }
    int ItemIndex() const;
    void SetItemIndex(int index);
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle style);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool on);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool on);
    bool Selected(int index) const;
    void SetSelected(int index, bool on);
    int SelCount() const;
    bool Sorted() const { return FItems->Sorted(); }
    void SetSorted(bool on) { FItems->SetSorted(on); }
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int height);
    void Clear() { FItems->Clear(); }

    virtual void DrawItem(int index, const QRect& rect, TOwnerDrawState state, QPainter* painter);
    QPainter* Canvas() const { return FCanvas; }

    QListWidget* ListWidget() const { return static_cast<QListWidget*>(FHandle.data()); }

    TDrawItemEvent OnDrawItem;

protected:
    TCustomListBox(TComponent* AOwner, QListWidget* handle);
    bool WidgetEvent(QWidget* widget, QEvent* event) override;

private:
    void Init();
    void ItemsChanged();
    void ApplySelectionMode();
    TStringList* FItems = nullptr;
    QPointer<QAbstractItemDelegate> FPlainDelegate;
    QAbstractItemDelegate* FOwnerDrawDelegate = nullptr;
    QPainter* FCanvas = nullptr;
    TListBoxStyle FStyle = lbStandard;
    int FItemHeight = 16;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    bool FUpdating = false;
};

class TListBox : public TCustomListBox {
    Q_OBJECT
    Q_PROPERTY(kv::TStrings* Items READ Items WRITE SetItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(kv::Enums::TListBoxStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(bool MultiSelect READ MultiSelect WRITE SetMultiSelect)
    Q_PROPERTY(bool ExtendedSelect READ ExtendedSelect WRITE SetExtendedSelect)
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
    Q_PROPERTY(QString ImeName MEMBER ImeName)
    Q_PROPERTY(kv::TDrawItemEvent OnDrawItem MEMBER OnDrawItem)
public:
    explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
    QString ImeName;

protected:
    TListBox(TComponent* AOwner, QListWidget* handle) : TCustomListBox(AOwner, handle) {}
};

// ---- check box and radio button -----------------------------------------------------

// A two- or (AllowGrayed) three-state check box. OnClick is raised whenever the
// state changes, by the user or by code (not while loading). A click cycles
// unchecked -> (grayed when allowed) -> checked -> unchecked.
class TCustomCheckBox : public TWinControl {
    Q_OBJECT
public:
    explicit TCustomCheckBox(TComponent* AOwner);

    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool on) { SetState(on ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState state);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool on);
    // taRightJustify (classic): the caption right of the box.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    void Toggle();

    QCheckBox* CheckBox() const { return static_cast<QCheckBox*>(FHandle.data()); }

protected:
    TCustomCheckBox(TComponent* AOwner, QCheckBox* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;
    void WndProc(TMessage& message) override;

private:
    void Init();
    void WidgetStateChanged();
    TCheckBoxState FState = cbUnchecked;
    TAlignment FAlignment = taRightJustify;
    bool FAllowGrayed = false;
    bool FUpdating = false;
};

class TCheckBox : public TCustomCheckBox {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(kv::Enums::TCheckBoxState State READ State WRITE SetState)
    Q_PROPERTY(bool AllowGrayed READ AllowGrayed WRITE SetAllowGrayed)
    Q_PROPERTY(kv::Enums::TAlignment Alignment READ Alignment WRITE SetAlignment)
public:
    explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}

protected:
    TCheckBox(TComponent* AOwner, QCheckBox* handle) : TCustomCheckBox(AOwner, handle) {}
};

// A radio button. Checking it unchecks the other TRadioButtons of the same
// parent; OnClick is raised when it becomes checked (by the user or by code),
// never when it is unchecked or clicked while already checked. A checked button
// is a tab stop, an unchecked one is not.
class TRadioButton : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(kv::Enums::TAlignment Alignment READ Alignment WRITE SetAlignment)
public:
    explicit TRadioButton(TComponent* AOwner);

    bool Checked() const { return FChecked; }
    void SetChecked(bool on);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);

    QRadioButton* RadioButton() const { return static_cast<QRadioButton*>(FHandle.data()); }

protected:
    TRadioButton(TComponent* AOwner, QRadioButton* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;
    void WndProc(TMessage& message) override;

private:
    void Init();
    void TurnSiblingsOff();
    TAlignment FAlignment = taRightJustify;
    bool FChecked = false;
    bool FUpdating = false;
};

// ---- group box ---------------------------------------------------------------------

// A captioned frame holding controls; children are placed relative to the group
// box's own top-left corner.
class TCustomGroupBox : public TCustomControl {
    Q_OBJECT
public:
    explicit TCustomGroupBox(TComponent* AOwner);
    QGroupBox* GroupBox() const { return static_cast<QGroupBox*>(FHandle.data()); }

    // Aligned children stay inside the frame and below the caption.
    void AdjustClientRect(QRect& rect) const override;

protected:
    TCustomGroupBox(TComponent* AOwner, QGroupBox* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;

private:
    void Init();
};

class TGroupBox : public TCustomGroupBox {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
public:
    explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}

protected:
    TGroupBox(TComponent* AOwner, QGroupBox* handle) : TCustomGroupBox(AOwner, handle) {}
};

}  // namespace kv

Q_DECLARE_OPERATORS_FOR_FLAGS(kv::TOwnerDrawState)
Q_DECLARE_METATYPE(kv::TDrawItemEvent)
