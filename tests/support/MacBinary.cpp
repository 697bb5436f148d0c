#include "support/MacBinary.hpp"

#include <algorithm>

namespace zorv::testing {

Bytes macBinary(const std::string& name, const std::string& type, const std::string& creator, int64_t finderFlags,
                const Bytes& data, const Bytes& resource) {
    Bytes header(128, 0);
    header[1] = static_cast<uint8_t>(name.size());
    std::copy(name.begin(), name.end(), header.begin() + 2);
    std::copy(type.begin(), type.end(), header.begin() + 65);
    std::copy(creator.begin(), creator.end(), header.begin() + 69);
    header[73] = static_cast<uint8_t>(finderFlags >> 8);
    header[101] = static_cast<uint8_t>(finderFlags & 0xFF);
    const auto put32 = [&header](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) header[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (24 - 8 * i));
    };
    put32(83, static_cast<uint32_t>(data.size()));
    put32(87, static_cast<uint32_t>(resource.size()));
    put32(91, 0xA0000000);
    put32(95, 0xA1234567);
    header[122] = 129;
    header[123] = 129;
    uint32_t crc = 0;
    for (size_t i = 0; i < 124; ++i) {
        crc ^= static_cast<uint32_t>(header[i]) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) != 0 ? ((crc << 1) ^ 0x1021) & 0xFFFF : (crc << 1) & 0xFFFF;
    }
    header[124] = static_cast<uint8_t>(crc >> 8);
    header[125] = static_cast<uint8_t>(crc);
    Bytes file = header;
    for (const Bytes* fork : {&data, &resource}) {
        file.insert(file.end(), fork->begin(), fork->end());
        file.resize((file.size() + 127) / 128 * 128, 0);
    }
    return file;
}

}  // namespace zorv::testing
