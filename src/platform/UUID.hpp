#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zorv {

// A universally unique identifier. New values are random (version 4, RFC 4122
// variant), drawn from std::random_device; nothing else is asked of them than
// to differ from every other one.
class UUID {
public:
    // A new random identifier.
    UUID();

    const std::array<uint8_t, 16>& bytes() const { return bytes_; }
    // Upper-case hexadecimal in the 8-4-4-4-12 grouping,
    // e.g. "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
    std::string uuidString() const;

    friend bool operator==(const UUID&, const UUID&) = default;

private:
    std::array<uint8_t, 16> bytes_;
};

}  // namespace zorv
