// Loading libraries by the names the system gives them ("Vizudiziva.dll",
// "HRWR07S.DLL") on a system whose libraries are ".so" files. Libraries are loaded
// with RTLD_NOW | RTLD_LOCAL. Nothing here unloads them: the automation objects a
// library creates live on in its callers, so only a caller that knows nothing it
// got from a library is still in use may dlclose it.
#pragma once

#include <string>
#include <vector>

namespace kv {

// The file name to look for: a ".dll" ending (any case) becomes ".so", a name
// without an extension gets ".so", '\' separators become '/'. Other names stand.
std::string LibraryFileName(const std::string& name);

// The folders searched, in order, for a name that is not an absolute path: the
// folder of the module that contains this code (each module links its own copy
// of the SDK, so that is the calling module), then each folder of
// KVN_LIBRARY_PATH (':'-separated). The system loader's own path comes last.
std::vector<std::string> LibrarySearchFolders();

// Loads a library by name: an absolute path as is, otherwise from the first of
// LibrarySearchFolders() that holds the file, else through the system loader's
// path. Inside a folder a file whose name differs only in case is accepted when
// the exact name is missing. The first file found is the one loaded: when it
// fails to load, the search stops there with its loader error.
// Returns the handle, or nullptr with the reason in *error and LastLoadError().
void* LoadLibraryByName(const std::string& name, std::string* error = nullptr);

// The address of an exported symbol, nullptr when missing or `lib` is null.
void* GetProcAddress(void* lib, const char* symbol);

// Absolute path of the executable or library that contains the address; "" when
// the address belongs to none.
std::string ModuleFileName(const void* addressInModule);

// The reason the last LoadLibraryByName on this thread failed ("" after success).
std::string LastLoadError();

}  // namespace kv
