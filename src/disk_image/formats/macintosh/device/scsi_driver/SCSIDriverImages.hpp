#pragma once

#include <array>
#include <cstdint>

namespace zorv {

// The bytes of the stored SCSI drivers and of the Silverlining block-0 patch.
// They are compiled in from data/scsi-drivers/ by the build
// (cmake/EmbedData.cmake), which checks every file's size against the sizes
// below; a definition of another size does not compile either. Only
// SCSIDriver reads them; nothing else depends on which bytes they hold.
struct SCSIDriverImages {
    static const std::array<uint8_t, 16384> appleDS15;
    static const std::array<uint8_t, 18944> appleDS173;
    static const std::array<uint8_t, 27648> appleDS173Chained;
    static const std::array<uint8_t, 16384> appleHDSC203;
    static const std::array<uint8_t, 16384> appleHDSC722;
    static const std::array<uint8_t, 16384> appleHDSC735;
    static const std::array<uint8_t, 16384> lido;
    static const std::array<uint8_t, 16384> silverLining531;
    // Written into block 0 from byte 252 when silverLining531 is installed.
    static const std::array<uint8_t, 219> silverLining531Patch;
};

}  // namespace zorv
