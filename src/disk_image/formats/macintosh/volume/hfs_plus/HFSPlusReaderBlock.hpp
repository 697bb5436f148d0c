#pragma once

#include <string>
#include <string_view>

#include "data_access/BigEndianReader.hpp"
#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"

namespace zorv {

// The cursor of HFS+ records: big-endian integers, UTF-16 big-endian text,
// dates as unsigned 32-bit seconds since 1904-01-01 00:00 GMT. Classic HFS
// counts the same seconds on the local wall clock (HFSReaderBlock,
// MacintoshLocalDate); HFS+ does so only for the volume header's creation
// date (the local forms below), so every other date reads the same whatever
// the host's time zone.
class HFSPlusReaderBlock : public BigEndianReader {
public:
    // 1904-01-01 00:00:00 GMT as seconds since 1970.
    static constexpr int64_t epochSecondsSince1970 = -2082844800;
    // The largest stored date, 2040-02-06 06:28:15 GMT.
    static constexpr int64_t maximumStoredDate = 0xFFFFFFFFLL;

    explicit HFSPlusReaderBlock(ImageBytes data, int64_t offset = 0)
        : BigEndianReader(std::move(data), offset, TextEncoding::utf16BigEndian) {}

    // 1904-01-01 00:00:00 GMT.
    static Date epoch() { return Date{epochSecondsSince1970}; }

    // The epoch plus the stored u32 seconds; advances 4.
    Date getDateFromMacintoshIntegerValue();
    // The stored u32 seconds as a local wall-clock time since 1904, turned
    // into a time point as classic HFS dates are (MacintoshLocalDate);
    // advances 4.
    Date getLocalDateFromMacintoshIntegerValue();

    // A counted UTF-16 name: the u16 count n of code units at `offset`, then
    // 2n bytes from offset + 2, decoded big-endian (a leading byte-order mark
    // is honoured and dropped: FF FE makes the rest little-endian). The empty
    // text when the units do not decode. The cursor then moves by exactly
    // `length`, whatever n is: pass 2 + 2n to land behind the name, or the
    // width of a fixed name field. Only the count and the 2n bytes must lie
    // inside `data` (ReadPastEndError otherwise); `length` may reach beyond.
    // Hides the Pascal-string read of the base cursor, which HFS+ never uses.
    std::string getLengthByteString(int64_t length);
    // The 2n bytes of such a name decoded as getLengthByteString decodes them.
    static std::string decodeUnicodeName(ByteView units);

    // The u16 count and the big-endian code units of a name, no byte-order
    // mark; a name that is not valid UTF-8 writes as the count 0. A name of
    // more than 65535 code units (never read from a volume) throws
    // FieldEncodingError.
    static Bytes unicodeName(std::string_view name);

    // The stored form of a date: whole seconds since the epoch, clamped to
    // the u32 field (dates before 1904 store 0, after early 2040 store
    // 0xFFFFFFFF), so that no date can make a record unwritable.
    static int64_t macintoshIntegerValue(Date date);
    // The stored form of a local date: the wall-clock time of `date` in the
    // host's time zone, as seconds since 1904, clamped likewise
    // (MacintoshLocalDate).
    static int64_t localMacintoshIntegerValue(Date date);
};

}  // namespace zorv
