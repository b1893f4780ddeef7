// Late-bound automation: objects answer calls by member name, the way the host's
// work-center object, its services and the application server are reached.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv {

class Variant;

enum class InvokeKind { Method, Get, Put };

// A failed automation call: missing member, unknown class, a server-side error.
class EOleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IDispatchObject {
public:
    virtual ~IDispatchObject() = default;
    // `args` is by reference so that var parameters come back to the caller.
    // A member the object does not have raises EOleError.
    virtual Variant Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) = 0;
};

using OleFactory = std::function<Variant()>;

// Registers a class in this module's own class table.
void RegisterOleClass(const std::string& progId, OleFactory factory);

// Creates an object by ProgID: first from this module's class table, then from the
// library named by the registry file's [HKEY_CLASSES_ROOT\<ProgID>] "Library"
// value, whose exported `KvCreateObject(const char* progId, kv::Variant* out)`
// fills `out`. Raises EOleError when neither knows the class.
Variant CreateOleObject(const std::string& progId);

// The factory an automation library exports (C linkage, looked up by name).
using CreateObjectFn = bool (*)(const char* progId, Variant* out);
inline constexpr const char* kCreateObjectExport = "KvCreateObject";

}  // namespace kv
