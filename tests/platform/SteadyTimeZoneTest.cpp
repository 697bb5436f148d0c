#include <gtest/gtest.h>

#include <thread>

#include "platform/SteadyTimeZone.hpp"

// A scope is one number for everything inside it, nested scopes included;
// the next scope is another; outside any, and on another thread, there is
// none.
namespace zorv {
namespace {

TEST(SteadyTimeZoneTest, AScopeIsOneGenerationAndTheNextAnother) {
    EXPECT_EQ(SteadyTimeZone::generation(), 0u);
    uint64_t first = 0;
    {
        const SteadyTimeZone walk;
        first = SteadyTimeZone::generation();
        EXPECT_NE(first, 0u);
        {
            const SteadyTimeZone nested;
            EXPECT_EQ(SteadyTimeZone::generation(), first);
        }
        EXPECT_EQ(SteadyTimeZone::generation(), first);
        uint64_t onOtherThread = 1;
        std::thread([&] { onOtherThread = SteadyTimeZone::generation(); }).join();
        EXPECT_EQ(onOtherThread, 0u);
    }
    EXPECT_EQ(SteadyTimeZone::generation(), 0u);
    const SteadyTimeZone next;
    EXPECT_NE(SteadyTimeZone::generation(), first);
    EXPECT_NE(SteadyTimeZone::generation(), 0u);
}

}  // namespace
}  // namespace zorv
