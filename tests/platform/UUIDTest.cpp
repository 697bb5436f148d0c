#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "platform/UUID.hpp"

namespace zorv {
namespace {

TEST(UUID, RandomVersionFourValues) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const UUID id;
        const std::string text = id.uuidString();
        EXPECT_TRUE(std::regex_match(text, form)) << text;
        EXPECT_TRUE(seen.insert(text).second) << text;
        EXPECT_EQ(id.bytes()[6] >> 4, 4);
    }
    const UUID id;
    const UUID copy = id;
    EXPECT_EQ(copy, id);
    EXPECT_NE(UUID(), id);
}

}  // namespace
}  // namespace zorv
