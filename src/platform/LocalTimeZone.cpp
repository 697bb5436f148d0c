#include "platform/LocalTimeZone.hpp"

#include <stdlib.h>
#include <time.h>

namespace zorv {

void useHostTimeZoneOnce() {
    if (::getenv("TZ") != nullptr) return;
    // The leading colon names a zone file, as glibc and musl read it.
    ::setenv("TZ", ":/etc/localtime", 0);
    ::tzset();
}

}  // namespace zorv
