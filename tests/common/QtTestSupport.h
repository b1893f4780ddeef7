// The shared test helpers for suites that hold their paths in QString
// (QTemporaryDir and friends).
#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "TestSupport.h"

namespace kv::test {

inline std::string WriteFile(const QString& path, std::string_view bytes) {
    return WriteFile(path.toStdString(), bytes);
}

}  // namespace kv::test
