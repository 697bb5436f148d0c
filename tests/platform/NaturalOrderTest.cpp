#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/NaturalOrder.hpp"

namespace zorv {
namespace {

int sign(int value) { return (value > 0) - (value < 0); }

TEST(NaturalOrder, ComparesDigitRunsByValueAndLettersWithoutCase) {
    struct Case {
        std::string a;
        std::string b;
        int expected;
    };
    const std::vector<Case> cases = {
            {"PowerBook 145", "PowerBook 1400c/117", -1},
            {"Disk 9", "Disk 10", -1},
            {"Disk 10", "Disk 9", 1},
            {"PowerBook 540c", "PowerBook 5300", -1},
            {"PowerBook 145", "PowerBook 145B", -1},
            {"Quadra 650", "quadra 650", 0},
            {"Apple", "banana", -1},
            {"a007", "a7", 0},
            {"a0", "a00", 0},
            {"x18446744073709551616", "x18446744073709551615", 1},  // longer than any integer type
            {"1400c/117", "1400c/133", -1},
            {"", "", 0},
            {"", "a", -1},
            {"a", "", 1},
            {"a1b", "a1", 1},
            {"Z", "\xC3\x89", -1},  // bytes outside ASCII after ASCII
    };
    for (const Case& test : cases) {
        EXPECT_EQ(sign(localizedStandardCompare(test.a, test.b)), test.expected) << test.a << " / " << test.b;
        EXPECT_EQ(sign(localizedStandardCompare(test.b, test.a)), -test.expected) << test.b << " / " << test.a;
    }
}

}  // namespace
}  // namespace zorv
