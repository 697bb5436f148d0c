#pragma once

namespace zorv {

// Names the host's zone file in TZ when TZ is unset, before any date is
// converted. With TZ unset the C library checks /etc/localtime again on every
// local-time conversion (a system call per date, hundreds of thousands on a
// hard disk's catalog); with TZ naming it the zone is read once. The dates do
// not change: it is the same zone, daylight-saving rules and all.
void useHostTimeZoneOnce();

}  // namespace zorv
