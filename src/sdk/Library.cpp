#include "kv/Library.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>

#include "SdkText.h"

namespace kv {

namespace {

thread_local std::string gLastLoadError;

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// The entry of `folder` whose name equals `name` without regard to case; when
// several do, the first in byte order, so the choice does not depend on the
// directory's order.
std::optional<std::string> FindNoCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* e = ::readdir(dir)) {
        const std::string entry = e->d_name;
        if (sdk::EqualsNoCase(entry, name) && IsRegularFile(JoinPath(folder, entry)) && (!best || entry < *best))
            best = entry;
    }
    ::closedir(dir);
    if (!best) return std::nullopt;
    return JoinPath(folder, *best);
}

// The exact file if it is there, else one whose file name differs only in case.
std::optional<std::string> FindFile(const std::string& path) {
    if (IsRegularFile(path)) return path;
    return FindNoCase(FolderOf(path), path.substr(path.rfind('/') + 1));
}

void* OpenFile(const std::string& name, const std::string& path, std::string* error) {
    ::dlerror();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle) {
        gLastLoadError.clear();
        return handle;
    }
    const char* why = ::dlerror();
    gLastLoadError = "Cannot load " + name + " from " + path + ": " + (why ? why : "unknown error");
    if (error) *error = gLastLoadError;
    return nullptr;
}

void AnchorInThisModule() {}

}  // namespace

std::string LibraryFileName(const std::string& name) {
    std::string file = name;
    std::replace(file.begin(), file.end(), '\\', '/');
    const std::size_t slash = file.rfind('/');
    const std::string_view base = std::string_view(file).substr(slash == std::string::npos ? 0 : slash + 1);
    if (sdk::EndsWithNoCase(base, ".dll")) {
        file.replace(file.size() - 4, 4, ".so");
    } else if (!base.empty() && base.find('.') == std::string_view::npos) {
        file += ".so";
    }
    return file;
}

std::vector<std::string> LibrarySearchFolders() {
    std::vector<std::string> folders;
    const std::string self = ModuleFileName(reinterpret_cast<const void*>(&AnchorInThisModule));
    if (!self.empty()) folders.push_back(FolderOf(self));
    if (const char* env = std::getenv("KVN_LIBRARY_PATH")) {
        std::string_view rest = env;
        while (true) {
            const std::size_t colon = rest.find(':');
            const std::string_view entry = rest.substr(0, colon);
            if (!entry.empty()) folders.emplace_back(entry);
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    return folders;
}

void* LoadLibraryByName(const std::string& name, std::string* error) {
    const std::string file = LibraryFileName(name);
    if (sdk::Trim(file).empty()) {
        gLastLoadError = "Cannot load a library without a name";
        if (error) *error = gLastLoadError;
        return nullptr;
    }
    if (file.front() == '/') {
        const std::optional<std::string> found = FindFile(file);
        return OpenFile(name, found.value_or(file), error);
    }
    const std::vector<std::string> folders = LibrarySearchFolders();
    for (const std::string& folder : folders)
        if (const std::optional<std::string> found = FindFile(JoinPath(folder, file)))
            return OpenFile(name, *found, error);

    ::dlerror();
    if (void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        gLastLoadError.clear();
        return handle;
    }
    const char* why = ::dlerror();
    std::string searched;
    for (const std::string& folder : folders) searched += (searched.empty() ? "" : ", ") + folder;
    gLastLoadError = "Cannot load " + name + ": " + file + " is not in " +
                     (searched.empty() ? std::string("the module folder") : searched) +
                     " and the system loader says: " + (why ? why : "not found");
    if (error) *error = gLastLoadError;
    return nullptr;
}

void* GetProcAddress(void* lib, const char* symbol) {
    if (!lib || !symbol) return nullptr;
    return ::dlsym(lib, symbol);
}

std::string ModuleFileName(const void* addressInModule) {
    Dl_info info{};
    link_map* map = nullptr;
    if (!addressInModule || ::dladdr1(addressInModule, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0)
        return {};
    // The main program's link map has no name; the kernel knows its path.
    const bool mainProgram = !map || !map->l_name || !*map->l_name;
    if (mainProgram) {
        char buf[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    }
    if (char* real = ::realpath(map->l_name, nullptr)) {
        std::string path = real;
        std::free(real);
        return path;
    }
    return map->l_name;
}

std::string LastLoadError() { return gLastLoadError; }

}  // namespace kv
