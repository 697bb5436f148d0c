#pragma once

#include <cstdint>

namespace zorv {

// While one lives on a thread, the local zone is taken not to change on that
// thread: a walk over a volume's items converts thousands of dates, and
// looking TZ up again for each is much of what each costs. What a reader
// works out from the zone may be kept for the scope (by its generation) and
// must be worked out again in the next one, since TZ may have changed
// between the two. Scopes nest; the outermost decides.
class SteadyTimeZone {
public:
    SteadyTimeZone();
    ~SteadyTimeZone();
    SteadyTimeZone(const SteadyTimeZone&) = delete;
    SteadyTimeZone& operator=(const SteadyTimeZone&) = delete;

    // The scope the thread is in: a number no earlier scope on any thread
    // had; 0 outside any scope.
    static uint64_t generation();
};

}  // namespace zorv
