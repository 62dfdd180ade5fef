// The in-memory side of a settings object: one field per row of its value
// table, and the snapshot that Load takes and Save compares against.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "settings/value_buffer.h"
#include "settings/value_info.h"

namespace veltra::settings {

// A number or a buffer, as the row's StoredAs says; the other part stays unused.
struct ValueField {
    platform::Dword number = 0;
    ValueBuffer buffer;
};

class ValueStore {
public:
    // Numbers 0; buffers zero-filled at their capacity (none without buffers),
    // in the fields and in the snapshot alike.
    ValueStore(std::span<const ValueInfo> table, bool withBuffers);

    std::span<const ValueInfo> table() const { return table_; }
    std::size_t size() const { return table_.size(); }

    ValueField& field(std::size_t row) { return fields_[row]; }
    const ValueField& field(std::size_t row) const { return fields_[row]; }
    ValueField& snapshot(std::size_t row) { return snapshot_[row]; }
    const ValueField& snapshot(std::size_t row) const { return snapshot_[row]; }

    // The snapshot copy of one field: a number by value, a string's text, a
    // binary value's bytes with their length.
    void TakeSnapshot(std::size_t row);
    void TakeSnapshot();

    bool Changed(std::size_t row) const;
    bool Fits(std::size_t row) const;
    // The row's SaveRule applied to this field.
    bool ShouldSave(std::size_t row, bool force) const;

    // What the last Load's read of each row returned (kNotRead before any),
    // for a view of what a class found in the registry.
    static constexpr platform::Dword kNotRead = 0xFFFFFFFFu;
    platform::Dword lastRead(std::size_t row) const { return lastRead_[row]; }
    void set_lastRead(std::size_t row, platform::Dword result) { lastRead_[row] = result; }

private:
    std::span<const ValueInfo> table_;
    std::vector<ValueField> fields_;
    std::vector<ValueField> snapshot_;
    std::vector<platform::Dword> lastRead_;
};

}  // namespace veltra::settings
