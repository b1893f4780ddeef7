#include "kv/Automation.h"

#include <map>
#include <mutex>
#include <set>

#include "SdkText.h"
#include "kv/Library.h"
#include "kv/Registry.h"
#include "kv/Variant.h"

namespace kv {

namespace {

// This module's classes. Every module links its own copy of the SDK, so each has
// its own table; other modules' classes are reached through the registry file.
struct ClassTable {
    std::mutex lock;
    std::map<std::string, OleFactory, sdk::LessNoCase> factories;
    std::map<std::string, CreateObjectFn, sdk::LessNoCase> libraryFactories;  // by library name
};

ClassTable& Classes() {
    static ClassTable table;
    return table;
}

// ProgIDs this thread is creating through a library right now. A library whose
// factory asks for its own ProgID again would otherwise load itself without end.
thread_local std::set<std::string, sdk::LessNoCase> gCreating;

struct CreatingGuard {
    explicit CreatingGuard(const std::string& progId) : id(progId) {
        if (!gCreating.insert(id).second)
            throw EOleError("Invalid class string: " + id + " (its library does not provide it)");
    }
    ~CreatingGuard() { gCreating.erase(id); }
    CreatingGuard(const CreatingGuard&) = delete;
    CreatingGuard& operator=(const CreatingGuard&) = delete;
    std::string id;
};

OleFactory FindRegisteredFactory(const std::string& progId) {
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.factories.find(progId);
    return it == t.factories.end() ? OleFactory() : it->second;
}

Variant CheckedObject(const std::string& progId, Variant object) {
    if (object.Type() != VarType::Dispatch)
        throw EOleError("Cannot create " + progId + ": its factory returned no automation object");
    return object;
}

std::string LibraryForClass(const std::string& progId) {
    const std::string path = RegistryFile::DefaultPath();
    RegistryFile reg;
    std::string why;
    if (!RegistryFile::Load(path, reg, &why))
        throw EOleError("Invalid class string: " + progId + " is not registered in this process and " + why);
    const std::optional<std::string> lib = reg.ReadString("HKEY_CLASSES_ROOT\\" + progId, "Library");
    if (!lib || sdk::Trim(*lib).empty())
        throw EOleError("Invalid class string: " + progId + " (no [HKEY_CLASSES_ROOT\\" + progId +
                        "] \"Library\" value in " + path + ")");
    return std::string(sdk::Trim(*lib));
}

// Libraries stay loaded: the objects they make live on in the caller.
CreateObjectFn LibraryFactory(const std::string& progId, const std::string& library) {
    ClassTable& t = Classes();
    {
        std::lock_guard<std::mutex> hold(t.lock);
        auto it = t.libraryFactories.find(library);
        if (it != t.libraryFactories.end()) return it->second;
    }
    std::string why;
    void* handle = LoadLibraryByName(library, &why);
    if (!handle) throw EOleError("Cannot create " + progId + ": " + why);
    auto fn = reinterpret_cast<CreateObjectFn>(GetProcAddress(handle, kCreateObjectExport));
    if (!fn) throw EOleError("Cannot create " + progId + ": " + library + " does not export " + kCreateObjectExport);
    std::lock_guard<std::mutex> hold(t.lock);
    t.libraryFactories.emplace(library, fn);
    return fn;
}

Variant CreateFromLibrary(const std::string& progId) {
    const std::string library = LibraryForClass(progId);
    const CreateObjectFn create = LibraryFactory(progId, library);
    CreatingGuard guard(progId);
    Variant out;
    bool made = false;
    try {
        made = create(progId.c_str(), &out);
    } catch (const EOleError&) {
        throw;
    } catch (const std::exception& e) {
        throw EOleError("Cannot create " + progId + ": " + e.what());
    }
    if (!made) throw EOleError("Invalid class string: " + progId + " (" + library + " does not provide it)");
    return CheckedObject(progId, std::move(out));
}

}  // namespace

// An empty factory takes the class out of the table again.
void RegisterOleClass(const std::string& progId, OleFactory factory) {
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> hold(t.lock);
    if (factory)
        t.factories[progId] = std::move(factory);
    else
        t.factories.erase(progId);
}

Variant CreateOleObject(const std::string& progId) {
    if (sdk::Trim(progId).empty()) throw EOleError("Invalid class string: empty ProgID");
    if (const OleFactory factory = FindRegisteredFactory(progId)) return CheckedObject(progId, factory());
    return CreateFromLibrary(progId);
}

}  // namespace kv
