// The standard controls: edits, labels, buttons, check boxes, radio buttons,
// combo and list boxes, memos and group boxes.
#pragma once

#include <QLineEdit>
#include <QPushButton>

#include "platform/Controls.h"

namespace kv {

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

    QPushButton* PushButton() const { return static_cast<QPushButton*>(FHandle.data()); }

protected:
    TButton(TComponent* AOwner, QPushButton* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;

private:
    void Init();
    bool FDefault = false;
    bool FCancel = false;
    TModalResult FModalResult = mrNone;
};

}  // namespace kv
