#include "platform/SysUtils.h"

#include <QDir>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace kv {

namespace {

// The classic NetBIOS limit on computer names.
constexpr std::size_t kMaxComputerNameLength = 15;

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string GetUserName() {
    // The buffer size suggested by the system, with a sane floor.
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(suggested > 0 ? suggested : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && found->pw_name[0] != '\0')
        return found->pw_name;
    const char* user = std::getenv("USER");
    return user != nullptr ? std::string(user) : std::string();
}

std::string ComputerNameOf(std::string_view hostName) {
    if (hostName.empty())
        return "Unknown";
    return std::string(hostName.substr(0, kMaxComputerNameLength));
}

std::string GetComputerName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return ComputerNameOf({});
    return ComputerNameOf(name);
}

std::string TempPath() {
    std::string path = QDir::tempPath().toStdString();
    if (path.empty())
        path = "/tmp";
    return IncludeTrailingPathDelimiter(path);
}

std::string ExecutableDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return {};
    return IncludeTrailingPathDelimiter(exe.parent_path().string());
}

std::string NormalizePath(const std::string& path) {
    std::string result = path;
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (path.empty() || IsSeparator(path.back()))
        return path;
    return path + '/';
}

std::string ExtractFilePath(const std::string& path) {
    auto pos = path.find_last_of("/\\");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
    auto pos = path.find_last_of("/\\");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

bool FileExists(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::is_regular_file(NormalizePath(path), ec);
}

bool DirectoryExists(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::is_directory(NormalizePath(path), ec);
}

bool ForceDirectories(const std::string& path) {
    if (path.empty())
        return false;
    const fs::path target(NormalizePath(path));
    std::error_code ec;
    fs::create_directories(target, ec);
    // create_directories reports an error for an existing folder reached through
    // a trailing separator on some libraries; what counts is the result.
    return fs::is_directory(target, ec);
}

std::string FindFileCaseInsensitive(const std::string& path) {
    const std::string normal = NormalizePath(path);
    std::error_code ec;
    if (normal.empty() || fs::exists(normal, ec))
        return normal;
    const std::string wanted = ExtractFileName(normal);
    if (wanted.empty())
        return normal;
    const std::string folder = ExtractFilePath(normal);
    std::string best;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (SameText(name, wanted) && (best.empty() || name < best))
            best = std::move(name);
    }
    return best.empty() ? normal : folder + best;
}

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(FoldAscii(a[i]));
        const auto cb = static_cast<unsigned char>(FoldAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::string UpperCase(std::string_view s) {
    std::string result(s);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string LowerCase(std::string_view s) {
    std::string result(s);
    for (char& c : result)
        c = FoldAscii(c);
    return result;
}

std::string Trim(std::string_view s) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t begin = 0, end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return std::string(s.substr(begin, end - begin));
}

}  // namespace kv
