// Labelled edits: an edit, a data-aware edit and a data-aware edit with a lookup
// button, each owning the label ("EditLabel") that names it and keeping it at one
// of four sides. Only the newer edition has them.
#pragma once

#include <QPointer>
#include <QString>

#include "components/DBLabel.h"
#include "components/GSpdBtn.h"
#include "platform/StdCtrls.h"

namespace kv {

// An edit with its own label. The label follows the edit's place, parent,
// enabled state and visibility; it keeps its own size. Caption is the label's
// text (empty, and not settable, once the label has been freed).
class TKvEdit : public TEdit {
    Q_OBJECT
public:
    enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };
    Q_ENUM(TLabelPosition)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TLabelPosition LabelPosition READ LabelPosition WRITE SetLabelPosition)
    Q_PROPERTY(int LabelSpacing READ LabelSpacing WRITE SetLabelSpacing)
    Q_PROPERTY(kv::TLabel* EditLabel READ EditLabel)

    explicit TKvEdit(TComponent* AOwner);

    // The label's text; it hides the window text an edit would otherwise call
    // its caption.
    QString Caption() const;
    void SetCaption(const QString& caption);
    TLabelPosition LabelPosition() const { return FLabelPosition; }
    void SetLabelPosition(TLabelPosition position);
    // Pixels between edit and label; negative values are ignored.
    int LabelSpacing() const { return FLabelSpacing; }
    void SetLabelSpacing(int spacing);
    // The owned label, null once it has been freed.
    TLabel* EditLabel() const { return FEditLabel; }

    // Puts the label on its side of the edit: above and below left-aligned with
    // the edit, left and right centred on its height.
    void PlaceLabel();

    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(TWinControl* parent) override;
    void SetEnabled(bool on) override;
    void SetVisible(bool on) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    class TEditLabel;
    QPointer<TLabel> FEditLabel;
    TLabelPosition FLabelPosition = lpLeft;
    int FLabelSpacing = 4;
};

// A labelled edit bound to a field (DataSource, DataField). The forms of this
// system bind no data: the binding names the field, whose display label can
// become the caption; values are not read or written.
class TKvDBEdit : public TKvEdit {
    Q_OBJECT
    Q_PROPERTY(kv::TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
public:
    explicit TKvDBEdit(TComponent* AOwner) : TKvEdit(AOwner) {}

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* source) { FDataSource = source; }
    QString DataField() const { return FDataField; }
    // While the form is designed, a field that is found gives the caption.
    void SetDataField(const QString& field);

private:
    QPointer<TDataSource> FDataSource;
    QString FDataField;
};

// A labelled data-aware edit with a lookup button ("F2Button") as a square to its
// right. The button asks the owning form for a lookup of the edit, as F2 in the
// edit does, unless OnDialog takes the click.
class TKvBtnDBEdit : public TKvDBEdit {
    Q_OBJECT
    Q_PROPERTY(int ButtonSpacing READ ButtonSpacing WRITE SetButtonSpacing)
    Q_PROPERTY(int GlyphIndex READ GlyphIndex WRITE SetGlyphIndex)
    Q_PROPERTY(QString ButtonHint READ ButtonHint WRITE SetButtonHint)
    Q_PROPERTY(kv::TGSpeedButton* F2Button READ F2Button)
    Q_PROPERTY(kv::TNotifyEvent OnDialog MEMBER OnDialog)
public:
    explicit TKvBtnDBEdit(TComponent* AOwner);

    int ButtonSpacing() const { return FButtonSpacing; }
    void SetButtonSpacing(int spacing);
    int GlyphIndex() const { return FGlyphIndex; }
    void SetGlyphIndex(int index);
    QString ButtonHint() const { return FButtonHint; }
    void SetButtonHint(const QString& hint);
    // The owned button, null once it has been freed.
    TGSpeedButton* F2Button() const { return FButton; }

    // ButtonSpacing to the right of the edit, top to top, as high as the edit.
    void PlaceButton();
    // OnDialog when assigned; otherwise focus the edit and, once it has the
    // focus, send the lookup request to the owning form.
    void ButtonClick();

    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(TWinControl* parent) override;
    void SetEnabled(bool on) override;
    void SetVisible(bool on) override;

    TNotifyEvent OnDialog;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    class TLookupButton;
    QPointer<TGSpeedButton> FButton;
    int FButtonSpacing = 2;
    int FGlyphIndex = 8;
    QString FButtonHint;
};

}  // namespace kv
