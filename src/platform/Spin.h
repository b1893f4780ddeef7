// The spin edit: an integer edit with up and down buttons.
#pragma once

#include <QToolButton>

#include "platform/StdCtrls.h"

namespace kv {

// An edit for a whole number with up/down buttons and the arrow keys. Classic
// value rules: the range is limited only when MinValue and MaxValue differ
// (both 0 by default: unlimited); Value reads text that is no number as
// MinValue and clamps to a limited range; setting Value writes the clamped
// number. Leaving the edit rewrites a number outside the range as the nearest
// bound; text that is no number (a blank edit too) is left as it is. Only
// digits, signs and control characters can be typed; with EditorEnabled off
// nothing can be typed, the buttons still work.
class TSpinEdit : public TCustomEdit {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE SetEditorEnabled)
    Q_PROPERTY(QString Text READ Text WRITE SetTextValue)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(QString ImeName MEMBER ImeName)
    Q_PROPERTY(kv::TNotifyEvent OnChange MEMBER OnChange)
public:
    explicit TSpinEdit(TComponent* AOwner);

    int Value() const;
    void SetValue(int value);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int value) { FMinValue = value; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int value) { FMaxValue = value; }
    int Increment() const { return FIncrement; }
    void SetIncrement(int value) { FIncrement = value; }
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool on) { FEditorEnabled = on; }
    // The value moved into the range when the range is limited.
    int CheckValue(int value) const;
    // Value plus (minus) Increment; nothing when read-only.
    void UpClick();
    void DownClick();

    QToolButton* UpButton() const { return FUpButton; }
    QToolButton* DownButton() const { return FDownButton; }

    QString ImeName;

protected:
    TSpinEdit(TComponent* AOwner, QLineEdit* handle);
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(QChar& key) override;
    void DoExit() override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    virtual bool IsValidChar(QChar key) const;

private:
    void Init();
    void PlaceButtons();
    QToolButton* FUpButton = nullptr;
    QToolButton* FDownButton = nullptr;
    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
    bool FEditorEnabled = true;
};

}  // namespace kv
