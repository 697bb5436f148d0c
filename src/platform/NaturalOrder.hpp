#pragma once

#include <string_view>

namespace zorv {

// The ordering of file names in file listings: letters compare without regard
// to case (ASCII), and a run of decimal digits compares as the number it
// spells, so "PowerBook 145" < "PowerBook 1400c" and "Disk 9" < "Disk 10".
// Bytes outside ASCII compare by value. Returns a negative number, 0 or a
// positive number as `a` sorts before, with or after `b`; texts that differ
// only in case or in leading zeros of a number compare equal.
int localizedStandardCompare(std::string_view a, std::string_view b);

}  // namespace zorv
