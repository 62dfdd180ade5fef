// The buffer behind a string or binary settings value: a fixed capacity,
// zero-filled at construction, and a size word that holds the capacity until
// a read stores the number of bytes it got.
//
// Strings are the bytes up to the first zero (never past the capacity), so a
// text that fills the whole buffer has a length equal to the capacity, which
// the save rules treat as "does not fit". Binary values are the first size()
// bytes. The bytes are overwritten with zeros before the storage is released,
// since some of these buffers hold secrets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace veltra::settings {

class ValueBuffer {
public:
    // No storage: the string fields of an object built without buffers.
    ValueBuffer() = default;
    explicit ValueBuffer(platform::Dword capacity);
    ValueBuffer(const ValueBuffer& other);
    ValueBuffer& operator=(const ValueBuffer& other);
    ~ValueBuffer();

    bool allocated() const { return !bytes_.empty(); }
    platform::Dword capacity() const { return static_cast<platform::Dword>(bytes_.size()); }
    std::span<std::uint8_t> bytes() { return bytes_; }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

    // The size word: the capacity until a read, then the bytes the read stored.
    platform::Dword size() const { return size_; }
    void set_size(platform::Dword size) { size_ = size; }

    // The text up to the first zero, never past the capacity.
    std::string_view Text() const;
    // The first size() bytes (fewer if the size word exceeds the capacity).
    std::span<const std::uint8_t> Data() const;

    // The caller's change of a string field: the text's first capacity()
    // bytes, zeros after them. A text as long as the capacity or longer is
    // kept cut at the capacity, and no unforced save will write it.
    void SetText(std::string_view text);
    // The caller's change of a binary field: false (and nothing changed) when
    // the data is larger than the capacity.
    bool SetBytes(std::span<const std::uint8_t> data);

    // What a successful read leaves: its bytes over the start of the buffer
    // (the bytes after them stay as they were, as a registry read into the
    // buffer leaves them) and its byte count in the size word.
    void StoreRead(std::span<const std::uint8_t> data);

    // The snapshot copies: a string's text (at most its size word's bytes,
    // stopping at the first zero, never past this buffer's capacity), or a
    // binary value's bytes together with its length.
    void CopyTextFrom(const ValueBuffer& other);
    void CopyBytesFrom(const ValueBuffer& other);

    // Overwrites every byte with zeros (the size word is kept).
    void Wipe();

private:
    std::vector<std::uint8_t> bytes_;
    platform::Dword size_ = 0;
};

}  // namespace veltra::settings
