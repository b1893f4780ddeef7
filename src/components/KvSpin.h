// The spin edit of the option forms: a sign may only lead the number, and an
// empty edit stays silent.
#pragma once

#include <QString>

#include "platform/Spin.h"

namespace kv {

// The text without the "+" and "-" that stand after its first character.
QString WithoutInnerSigns(const QString& text);

// A spin edit that takes out a sign typed anywhere but in front (the digits
// around it stay) and raises OnChange only for a text that is not blank.
class TKvSpinEdit : public TSpinEdit {
    Q_OBJECT
public:
    explicit TKvSpinEdit(TComponent* AOwner) : TSpinEdit(AOwner) {}

protected:
    void Change() override;
};

}  // namespace kv
