// The base of the plug-in's modal lookup dialogs: F2, F3 and F4 (or the lookup
// messages) go to overridable handlers, and Enter moves to the next control.
#pragma once

#include "forms/KVForm.h"

namespace kv {

class TfrmKVDialog : public TKVForm {
    Q_OBJECT
public:
    explicit TfrmKVDialog(TComponent* AOwner);

    // Give Control the focus when it can take it.
    virtual void DoF2Key(std::uint16_t& Key, TWinControl* Control);
    virtual void DoF3Key(std::uint16_t& Key, TWinControl* Control);
    virtual void DoF4Key(std::uint16_t& Key, TWinControl* Control);

public slots:
    void FormCreate(kv::TObject* Sender) override;

protected:
    void WndProc(TMessage& message) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(QChar& key) override;

private:
    static void FocusIfPossible(TWinControl* control);
};

}  // namespace kv
