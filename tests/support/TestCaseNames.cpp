#include "support/TestCaseNames.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace zorv::testing {

std::string testCaseName(std::string_view text, std::size_t index) {
    std::string name;
    bool separated = false;  // punctuation since the last letter or digit
    bool spelled = false;    // the last word is a spelled byte
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        // ASCII only: isalnum would follow the locale.
        const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (kept) {
            if (separated || spelled) name += '_';
            name += c;
            separated = spelled = false;
        } else if (byte >= 0x20 && byte < 0x7F) {
            separated = true;
        } else {
            if (separated || !name.empty()) name += '_';
            char hex[4];
            std::snprintf(hex, sizeof hex, "x%02X", byte);
            name += hex;
            separated = false;
            spelled = true;
        }
    }
    if (separated) name += '_';
    if (name.empty()) name = "empty";

    // The names given so far to the cases of the instantiation being named.
    static std::vector<std::string> earlier;
    if (index == 0) earlier.clear();
    std::string unique = name;
    for (int suffix = 2; std::find(earlier.begin(), earlier.end(), unique) != earlier.end(); ++suffix)
        unique = name + "_" + std::to_string(suffix);
    earlier.push_back(unique);
    return unique;
}

}  // namespace zorv::testing
