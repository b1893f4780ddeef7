// File-system, naming and small string helpers that stand in for the classic
// run-time library on Linux. Paths may arrive with '\' separators from
// configuration values; every function that touches the file system
// normalises them first.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// ---- names of this process's user and machine ---------------------------------

// Login name of the effective user (password database), else $USER, else "".
std::string GetUserName();
// Host name cut to 15 characters (the classic NetBIOS limit); "Unknown" when the
// host name cannot be read.
std::string GetComputerName();
// The computer name for a host name: cut to 15 characters; "Unknown" when empty.
std::string ComputerNameOf(std::string_view hostName);

// ---- well-known folders (all end with '/') -------------------------------------

// The temporary folder: QDir::tempPath() (which honours $TMPDIR), else "/tmp".
std::string TempPath();
// Folder of the running executable (/proc/self/exe); "" when it cannot be read.
std::string ExecutableDir();

// ---- paths ----------------------------------------------------------------------

// '\' becomes '/'. A drive prefix such as "C:" is left as it is: such a value is
// not a POSIX path and callers decide what it means.
std::string NormalizePath(const std::string& path);
// Appends '/' unless the path is empty or already ends with '/' or '\'.
std::string IncludeTrailingPathDelimiter(const std::string& path);
// Folder part of a path including its trailing separator ("a/b/c.ini" -> "a/b/");
// both separators count.
std::string ExtractFilePath(const std::string& path);
// Name part of a path ("a/b/c.ini" -> "c.ini"); both separators count.
std::string ExtractFileName(const std::string& path);

// True for an existing regular file (or a link to one), not for a folder.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder and all missing parents. True when the folder exists
// afterwards; false for an empty path or when creation fails.
bool ForceDirectories(const std::string& path);
// The normalised path when it exists; else the entry of its folder whose name
// equals the last component without regard to ASCII case (the first such name in
// byte order when several do); else the normalised input.
std::string FindFileCaseInsensitive(const std::string& path);

// ---- text ------------------------------------------------------------------------

// ASCII case folding only: bytes >= 0x80 (parts of multi-byte characters) compare
// as they are, so a double-byte character can never be folded into another.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Removes leading and trailing blanks and control characters (bytes <= ' ').
std::string Trim(std::string_view s);

// Ordering for maps keyed by names compared without regard to ASCII case.
struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return CompareText(a, b) < 0; }
};

}  // namespace kv
