// Sets or clears environment variables for one test and restores them after.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kv::test {

class ScopedEnv {
public:
    ScopedEnv() = default;
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() {
        for (auto it = FSaved.rbegin(); it != FSaved.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }

    // An empty value unsets the variable.
    void Set(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        FSaved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;
};

}  // namespace kv::test
