#include "platform/NaturalOrder.hpp"

#include <cstddef>

namespace zorv {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char folded(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// The digit run of `text` from `i`: its end, and where its significant digits
// begin (past leading zeros, keeping the last digit of an all-zero run).
struct DigitRun {
    size_t significant;
    size_t end;
};

DigitRun digitRun(std::string_view text, size_t i) {
    size_t end = i;
    while (end < text.size() && isDigit(text[end])) ++end;
    size_t significant = i;
    while (significant + 1 < end && text[significant] == '0') ++significant;
    return {significant, end};
}

}  // namespace

int localizedStandardCompare(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const DigitRun left = digitRun(a, i);
            const DigitRun right = digitRun(b, j);
            const size_t leftLength = left.end - left.significant;
            const size_t rightLength = right.end - right.significant;
            // Without leading zeros, the longer run is the larger number.
            if (leftLength != rightLength) return leftLength < rightLength ? -1 : 1;
            const int digits = a.substr(left.significant, leftLength).compare(b.substr(right.significant, rightLength));
            if (digits != 0) return digits < 0 ? -1 : 1;
            i = left.end;
            j = right.end;
            continue;
        }
        const unsigned char left = folded(a[i]);
        const unsigned char right = folded(b[j]);
        if (left != right) return left < right ? -1 : 1;
        ++i;
        ++j;
    }
    const bool leftDone = i == a.size();
    const bool rightDone = j == b.size();
    if (leftDone && rightDone) return 0;
    return leftDone ? -1 : 1;
}

}  // namespace zorv
