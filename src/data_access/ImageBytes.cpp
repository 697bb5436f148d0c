#include "data_access/ImageBytes.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "data_access/CheckedMath.hpp"
#include "data_access/Errors.hpp"

namespace zorv {

ImageBytes::ImageBytes(Bytes bytes) { adopt(std::make_shared<Bytes>(std::move(bytes))); }

ImageBytes ImageBytes::copyOf(ByteView bytes) { return ImageBytes(Bytes(bytes.begin(), bytes.end())); }

ImageBytes ImageBytes::external(std::shared_ptr<const void> keepAlive, const uint8_t* data, size_t size,
                                bool readOnlyFileMap) {
    ImageBytes result;
    result.keep_ = std::move(keepAlive);
    result.ptr_ = data;
    result.len_ = size;
    result.readOnlyFileMap_ = readOnlyFileMap;
    return result;
}

void ImageBytes::releaseResidentPages() const {
    if (!readOnlyFileMap_ || !keep_ || owned_ != nullptr || len_ == 0) return;
    static const auto pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    // Only the pages wholly inside these bytes: the map's own pages, never
    // a neighbour's.
    const auto start = reinterpret_cast<uintptr_t>(ptr_);
    const uintptr_t first = (start + pageSize - 1) / pageSize * pageSize;
    const uintptr_t end = (start + len_) / pageSize * pageSize;
    if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED);
}

void ImageBytes::adopt(std::shared_ptr<Bytes> owned) {
    owned_ = owned.get();
    keep_ = std::move(owned);
    refresh();
}

void ImageBytes::refresh() {
    ptr_ = owned_->data();
    len_ = owned_->size();
}

ImageBytes ImageBytes::slice(int64_t offset, int64_t length) const {
    if (!checked::rangeFits(offset, length, static_cast<int64_t>(len_))) {
        throw ReadPastEndError(offset, length, static_cast<int64_t>(len_));
    }
    ImageBytes result = *this;
    result.ptr_ = ptr_ + offset;
    result.len_ = static_cast<size_t>(length);
    return result;
}

ImageBytes ImageBytes::sliceFrom(int64_t offset) const {
    if (offset < 0 || offset > static_cast<int64_t>(len_)) {
        throw ReadPastEndError(offset, 0, static_cast<int64_t>(len_));
    }
    return slice(offset, static_cast<int64_t>(len_) - offset);
}

void ImageBytes::makeUnique() {
    const bool whollyOwned = owned_ != nullptr && keep_.use_count() == 1 && ptr_ == owned_->data() &&
                             len_ == owned_->size();
    if (!whollyOwned) adopt(std::make_shared<Bytes>(begin(), end()));
}

// A view into our own storage must be copied before that storage is replaced
// or reallocated.
bool ImageBytes::overlaps(ByteView bytes) const {
    if (!keep_) return false;
    const auto address = [](const uint8_t* p) { return reinterpret_cast<uintptr_t>(p); };
    const uintptr_t storageBegin = address(owned_ ? owned_->data() : ptr_);
    const uintptr_t storageEnd = storageBegin + (owned_ ? owned_->size() : len_);
    const uintptr_t viewBegin = address(bytes.data());
    return viewBegin < storageEnd && viewBegin + bytes.size() > storageBegin;
}

void ImageBytes::appendZeros(size_t count) {
    if (count == 0) return;
    makeUnique();
    owned_->resize(owned_->size() + count, 0);
    refresh();
}

void ImageBytes::append(ByteView bytes) {
    if (bytes.empty()) return;
    if (overlaps(bytes)) return append(Bytes(bytes.begin(), bytes.end()));
    makeUnique();
    owned_->insert(owned_->end(), bytes.begin(), bytes.end());
    refresh();
}

void ImageBytes::replace(int64_t position, ByteView bytes) {
    const auto count = static_cast<int64_t>(bytes.size());
    if (!checked::rangeFits(position, count, static_cast<int64_t>(len_))) {
        throw ReadPastEndError(position, count, static_cast<int64_t>(len_));
    }
    if (bytes.empty()) return;
    if (overlaps(bytes)) return replace(position, Bytes(bytes.begin(), bytes.end()));
    makeUnique();
    std::memmove(owned_->data() + position, bytes.data(), bytes.size());
}

void ImageBytes::zeroFill(int64_t position, int64_t count) {
    if (!checked::rangeFits(position, count, static_cast<int64_t>(len_))) {
        throw ReadPastEndError(position, count, static_cast<int64_t>(len_));
    }
    if (count == 0) return;
    makeUnique();
    std::fill_n(owned_->begin() + position, count, uint8_t{0});
}

bool operator==(const ImageBytes& a, const ImageBytes& b) {
    return a.len_ == b.len_ && (a.len_ == 0 || std::memcmp(a.ptr_, b.ptr_, a.len_) == 0);
}

bool operator==(const ImageBytes& a, const Bytes& b) {
    return a.len_ == b.size() && (a.len_ == 0 || std::memcmp(a.ptr_, b.data(), a.len_) == 0);
}

}  // namespace zorv
