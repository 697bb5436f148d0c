#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace zorv::testing {

// The printed lines of an asynchronous download with every temporary file
// name ("zorv-download-" + six random characters + ".tmp") written as
// "zorv-download-XXXXXX.tmp", so that tests compare the whole text.
inline std::string withFixedTemporaryNames(std::string text) {
    constexpr std::string_view prefix = "zorv-download-";
    for (size_t start = text.find(prefix); start != std::string::npos; start = text.find(prefix, start + 1)) {
        const size_t random = start + prefix.size();
        if (random + 6 > text.size()) break;
        bool isName = true;
        for (size_t index = random; index < random + 6; ++index) isName = isName && std::isalnum(static_cast<unsigned char>(text[index]));
        if (isName) text.replace(random, 6, "XXXXXX");
    }
    return text;
}

}  // namespace zorv::testing
