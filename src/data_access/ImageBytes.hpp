#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "data_access/Bytes.hpp"

namespace zorv {

// One immutable byte buffer shared by everything that reads an image, with
// cheap slices: an image read from disk (a read-only memory map, or a heap
// buffer) is never copied per volume or per partition. Slices share ownership
// of the underlying storage and stay valid as long as any of them lives.
//
// The mutating operations (used by images under construction) copy the bytes
// on first write when the storage is shared or not owned, so slices handed out
// earlier keep the bytes they had.
class ImageBytes {
public:
    ImageBytes() = default;
    // Takes ownership of the bytes without copying them.
    ImageBytes(Bytes bytes);  // NOLINT(google-explicit-constructor): a Bytes is an ImageBytes.
    static ImageBytes copyOf(ByteView bytes);
    // Wraps storage owned elsewhere (a memory map): `keepAlive` holds it open.
    // `readOnlyFileMap`: the storage is a read-only private map of a file,
    // whose pages the system can drop and read again (releaseResidentPages).
    static ImageBytes external(std::shared_ptr<const void> keepAlive, const uint8_t* data, size_t size,
                               bool readOnlyFileMap = false);

    const uint8_t* data() const { return ptr_; }
    size_t size() const { return len_; }
    bool empty() const { return len_ == 0; }
    ByteView view() const { return {ptr_, len_}; }
    operator ByteView() const { return view(); }  // NOLINT(google-explicit-constructor)
    const uint8_t* begin() const { return ptr_; }
    const uint8_t* end() const { return ptr_ + len_; }
    // Unchecked element access; callers index within size().
    uint8_t operator[](size_t index) const { return ptr_[index]; }

    // The bytes [offset, offset + length); throws ReadPastEndError when the
    // range is not inside this buffer.
    ImageBytes slice(int64_t offset, int64_t length) const;
    // The bytes from offset to the end.
    ImageBytes sliceFrom(int64_t offset) const;
    Bytes toBytes() const { return Bytes(begin(), end()); }

    // Lets the system drop from memory the whole pages these bytes lie on,
    // when they come from a read-only file map: a reader that has gone
    // through a large structure once keeps it from staying resident. They
    // are read from the file again if they are read again. Nothing happens
    // for bytes held in memory.
    void releaseResidentPages() const;

    // Mutation, copy on first write.
    void appendZeros(size_t count);
    void append(ByteView bytes);
    // Overwrites bytes at `position`; throws ReadPastEndError when the range
    // does not lie inside the buffer (the buffer never grows here).
    void replace(int64_t position, ByteView bytes);
    void zeroFill(int64_t position, int64_t count);

    friend bool operator==(const ImageBytes& a, const ImageBytes& b);
    friend bool operator==(const ImageBytes& a, const Bytes& b);

private:
    void makeUnique();
    bool overlaps(ByteView bytes) const;
    void adopt(std::shared_ptr<Bytes> owned);
    void refresh();

    // One owner, so that a slice costs one reference count: the vector the
    // bytes live in (then `owned_` points at it) or whatever keeps external
    // bytes alive.
    std::shared_ptr<const void> keep_;
    Bytes* owned_ = nullptr;
    const uint8_t* ptr_ = nullptr;
    size_t len_ = 0;
    bool readOnlyFileMap_ = false;
};

}  // namespace zorv
