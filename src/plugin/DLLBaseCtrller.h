// The controller base shared by every report program: the event slots of
// TDLLBaseController (declared in the SDK's Controller.h) and the class reference
// GetController instantiates.
#pragma once

#include <stdexcept>
#include <string>

#include "kv/Controller.h"

namespace kv {

// An error the plug-in raises to its host: a class that was never registered.
class EDLLInternalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text reported when a class reference was left empty, naming it.
std::string NotAssignedMessage(const std::string& variableName);

// A class reference to a controller class: empty until a unit registers one.
struct TControllerClass {
    TDLLBaseController* (*Create)() = nullptr;

    explicit operator bool() const { return Create != nullptr; }
};

extern TControllerClass DLLControllerClass;

}  // namespace kv
