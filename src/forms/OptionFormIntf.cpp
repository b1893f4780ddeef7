#include "forms/OptionFormIntf.h"

namespace kv {

// Out of line so the interface's vtable has one home.
IOptionForm::~IOptionForm() = default;

}  // namespace kv
