// Helpers every test suite shares: environment variables and temporary folders
// that are put back when a test ends, files written and read in one call, and the
// text of a registry file. Plain C++, so the SDK's tests stay free of Qt.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kv::test {

// Sets or removes environment variables while in scope and puts the old values
// back when it ends, the last change first.
class ScopedEnv {
public:
    ScopedEnv() = default;
    // One variable: nullopt removes it, an empty text sets it empty.
    ScopedEnv(const std::string& name, const std::optional<std::string>& value) { Change(name, value); }
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Apply(it->first, it->second);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    // One more variable; an empty value removes it.
    void Set(const std::string& name, const std::string& value) {
        Change(name, value.empty() ? std::nullopt : std::optional<std::string>(value));
    }

private:
    void Change(const std::string& name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        Apply(name, value);
    }
    static void Apply(const std::string& name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The folder of the built programs and modules (KV_BIN_DIR in the environment
// wins, so an installed tree can be tested too).
inline std::string BinDir() {
    if (const char* dir = std::getenv("KV_BIN_DIR")) return dir;
    return KV_BIN_DIR;
}

// Writes the bytes as the whole file, creating its folders; gives the path back.
inline std::string WriteFile(const std::string& path, std::string_view bytes) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) ADD_FAILURE() << "cannot write " << path;
    return path;
}

// The whole file, or nothing when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvtest-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    std::string Write(const std::string& name, std::string_view bytes) const { return WriteFile(File(name), bytes); }

private:
    std::string path_;
};

// A registry file in the registry editor's export format with one key and its
// string values, escaped the way the export writes them ("C:\app" as "C:\\app").
inline std::string RegistryFileText(const std::string& key,
                                    const std::vector<std::pair<std::string, std::string>>& values) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[" + key + "]\r\n";
    for (const auto& [name, value] : values) {
        text += "\"" + name + "\"=\"";
        for (char c : value) {
            if (c == '\\' || c == '"') text += '\\';
            text += c;
        }
        text += "\"\r\n";
    }
    return text;
}

// A registry file that names the library of one ProgID.
inline std::string RegistryText(const std::string& progId, const std::string& library) {
    return RegistryFileText("HKEY_CLASSES_ROOT\\" + progId, {{"Library", library}});
}

}  // namespace kv::test
