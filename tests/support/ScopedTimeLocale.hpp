#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace zorv::testing {

// Names the time locale for the life of the value (LC_TIME, with LC_ALL and
// LANG cleared so that LC_TIME decides) and restores the three after.
class ScopedTimeLocale {
public:
    explicit ScopedTimeLocale(const char* locale) {
        for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
            const char* old = std::getenv(name);
            saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
            ::unsetenv(name);
        }
        ::setenv("LC_TIME", locale, 1);
    }
    ~ScopedTimeLocale() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }
    ScopedTimeLocale(const ScopedTimeLocale&) = delete;
    ScopedTimeLocale& operator=(const ScopedTimeLocale&) = delete;

private:
    struct Saved {
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved_;
};

}  // namespace zorv::testing
