#include "platform/SteadyTimeZone.hpp"

#include <atomic>

namespace zorv {

namespace {
std::atomic<uint64_t> scopesBegun{0};
thread_local uint64_t depth = 0;
thread_local uint64_t current = 0;
}  // namespace

SteadyTimeZone::SteadyTimeZone() {
    if (depth++ == 0) current = ++scopesBegun;
}

SteadyTimeZone::~SteadyTimeZone() {
    if (--depth == 0) current = 0;
}

uint64_t SteadyTimeZone::generation() { return current; }

}  // namespace zorv
