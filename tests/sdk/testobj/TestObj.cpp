// An automation library for the SDK tests: exports KvCreateObject like the outside
// modules do, and keeps a class in its own in-process class table.
#include <strings.h>

#include <memory>
#include <stdexcept>

#include "kv/Automation.h"
#include "kv/Library.h"
#include "kv/Variant.h"

namespace {

void Anchor() {}

class TestObject : public kv::IDispatchObject {
public:
    explicit TestObject(std::string kind) : kind_(std::move(kind)) {}

    kv::Variant Invoke(const std::string& member, kv::InvokeKind kind, std::vector<kv::Variant>& args) override {
        if (kind == kv::InvokeKind::Get && member == "Kind") return kind_;
        if (kind == kv::InvokeKind::Get && member == "ModulePath")
            return kv::ModuleFileName(reinterpret_cast<const void*>(&Anchor));
        if (kind == kv::InvokeKind::Method && member == "Twice" && args.size() == 1) return args[0].ToInt() * 2;
        throw kv::EOleError("Unknown name: " + member);
    }

private:
    std::string kind_;
};

// Registered in this module's table only; the host's table never sees it.
const bool kInnerRegistered = [] {
    kv::RegisterOleClass("KvTest.Inner", [] { return kv::Variant(std::make_shared<TestObject>("inner")); });
    return true;
}();

}  // namespace

extern "C" __attribute__((visibility("default"))) bool KvCreateObject(const char* progId, kv::Variant* out) {
    if (strcasecmp(progId, "KvTest.Object") == 0) {
        *out = kv::Variant(std::make_shared<TestObject>("object"));
        return true;
    }
    // Served from this module's own class table.
    if (strcasecmp(progId, "KvTest.Inner") == 0 || strcasecmp(progId, "KvTest.Recursive") == 0) {
        *out = kv::CreateOleObject(progId);
        return true;
    }
    if (strcasecmp(progId, "KvTest.Throws") == 0) throw std::runtime_error("the factory failed");
    if (strcasecmp(progId, "KvTest.NotAnObject") == 0) {
        *out = kv::Variant(5);
        return true;
    }
    return false;
}
