#include "settings/value_buffer.h"

#include <algorithm>
#include <cstddef>

namespace veltra::settings {

using platform::Dword;

namespace {

// Bytes before the first zero among the first limit bytes.
std::size_t TextLength(const std::vector<std::uint8_t>& bytes, std::size_t limit) {
    const auto end = bytes.begin() + static_cast<std::ptrdiff_t>(std::min(limit, bytes.size()));
    return static_cast<std::size_t>(std::find(bytes.begin(), end, std::uint8_t{0}) - bytes.begin());
}

}  // namespace

ValueBuffer::ValueBuffer(Dword capacity) : bytes_(capacity, 0), size_(capacity) {}

ValueBuffer::ValueBuffer(const ValueBuffer& other) : bytes_(other.bytes_), size_(other.size_) {}

ValueBuffer& ValueBuffer::operator=(const ValueBuffer& other) {
    if (this != &other) {
        Wipe();
        bytes_ = other.bytes_;
        size_ = other.size_;
    }
    return *this;
}

ValueBuffer::~ValueBuffer() { Wipe(); }

void ValueBuffer::Wipe() {
    // Through a volatile pointer, so the stores are not dropped as dead.
    volatile std::uint8_t* bytes = bytes_.data();
    for (std::size_t i = 0; i < bytes_.size(); ++i) bytes[i] = 0;
}

std::string_view ValueBuffer::Text() const {
    return std::string_view(reinterpret_cast<const char*>(bytes_.data()), TextLength(bytes_, bytes_.size()));
}

std::span<const std::uint8_t> ValueBuffer::Data() const {
    return std::span<const std::uint8_t>(bytes_).first(std::min<std::size_t>(size_, bytes_.size()));
}

void ValueBuffer::SetText(std::string_view text) {
    const std::size_t count = std::min(text.size(), bytes_.size());
    std::fill(std::copy_n(text.begin(), count, bytes_.begin()), bytes_.end(), 0);
    size_ = static_cast<Dword>(std::min(text.size() + 1, bytes_.size()));
}

bool ValueBuffer::SetBytes(std::span<const std::uint8_t> data) {
    if (data.size() > bytes_.size()) return false;
    std::fill(std::copy(data.begin(), data.end(), bytes_.begin()), bytes_.end(), 0);
    size_ = static_cast<Dword>(data.size());
    return true;
}

void ValueBuffer::StoreRead(std::span<const std::uint8_t> data) {
    const std::size_t count = std::min(data.size(), bytes_.size());
    std::copy_n(data.begin(), count, bytes_.begin());
    size_ = static_cast<Dword>(data.size());
}

void ValueBuffer::CopyTextFrom(const ValueBuffer& other) {
    const std::size_t limit = std::min<std::size_t>({other.size_, other.bytes_.size(), bytes_.size()});
    const std::size_t count = TextLength(other.bytes_, limit);
    std::fill(std::copy_n(other.bytes_.begin(), count, bytes_.begin()), bytes_.end(), 0);
    size_ = other.size_;
}

void ValueBuffer::CopyBytesFrom(const ValueBuffer& other) {
    const std::size_t count = std::min<std::size_t>({other.size_, other.bytes_.size(), bytes_.size()});
    std::copy_n(other.bytes_.begin(), count, bytes_.begin());
    size_ = other.size_;
}

}  // namespace veltra::settings
