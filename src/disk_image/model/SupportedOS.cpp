#include "disk_image/model/SupportedOS.hpp"

namespace zorv {

const char* descriptiveName(SupportedOS os) {
    switch (os) {
        case SupportedOS::apple: return "Non-Macintosh Apple";
        case SupportedOS::appleII: return "Apple II";
        case SupportedOS::amiga: return "Amiga";
        case SupportedOS::macintosh: return "Macintosh";
        case SupportedOS::other: return "Other";
    }
    return "Other";
}

}  // namespace zorv
