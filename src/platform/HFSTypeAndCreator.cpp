#include "platform/HFSTypeAndCreator.hpp"

#include <algorithm>
#include <system_error>

#include "data_access/ByteHelpers.hpp"
#include "platform/FileSystem.hpp"

namespace zorv::fs {
namespace {

constexpr const char* finderInfoAttribute = "com.apple.FinderInfo";
constexpr size_t finderInfoSize = 32;

}  // namespace

std::optional<HFSTypeAndCreator> hfsTypeAndCreator(const URL& file) {
    if (!file.isFileURL() || file.path().empty()) return std::nullopt;
    std::optional<Bytes> finderInfo;
    try {
        finderInfo = extendedAttribute(file, finderInfoAttribute);
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    if (!finderInfo || finderInfo->size() < 8) return std::nullopt;
    const ByteView info(*finderInfo);
    return HFSTypeAndCreator{fromLongBigEndian(info.subspan(0, 4)), fromLongBigEndian(info.subspan(4, 4))};
}

void setHFSTypeAndCreator(const URL& file, HFSTypeAndCreator codes) {
    Bytes finderInfo = extendedAttribute(file, finderInfoAttribute).value_or(Bytes());
    finderInfo.resize(std::max(finderInfo.size(), finderInfoSize), 0);
    const Bytes type = toBigEndian(codes.type);
    const Bytes creator = toBigEndian(codes.creator);
    std::copy(type.begin(), type.end(), finderInfo.begin());
    std::copy(creator.begin(), creator.end(), finderInfo.begin() + 4);
    setExtendedAttribute(file, finderInfo, finderInfoAttribute);
}

}  // namespace zorv::fs
