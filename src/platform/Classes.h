// The root of the system's object model and its notification handler type.
#pragma once

#include <functional>

namespace kv {

// Every model object (components, forms) derives from TObject, so a handler's
// Sender can be any of them.
class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

}  // namespace kv
