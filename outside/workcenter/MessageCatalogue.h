// The host's message catalogue: the texts behind the message codes the plug-in
// raises, addressed by a kind letter and a six-digit id, in simplified Chinese,
// traditional Chinese and English. Texts keep the "%s" placeholders that the
// caller fills with the code's parameters.
#pragma once

#include <QString>

#include "WorkCenterContext.h"

namespace kv::workcenter {

// The catalogue key of a kind and an id: the kind letter in upper case and the id
// as six digits ("4", "000004" and the silent "-000004" are one message); empty
// when the id is not a number.
QString MessageKey(const QString& kind, const QString& id);

bool HasMessage(const QString& kind, const QString& id);

// The text of a message. A kind and id the catalogue does not hold give a text
// that says so and names them (never an empty text, never a placeholder).
QString MessageText(Language language, const QString& kind, const QString& id);

}  // namespace kv::workcenter
