#include "settings/value_store.h"

#include <algorithm>

namespace veltra::settings {

ValueStore::ValueStore(std::span<const ValueInfo> table, bool withBuffers)
    : table_(table), fields_(table.size()), snapshot_(table.size()), lastRead_(table.size(), kNotRead) {
    for (std::size_t row = 0; row < table_.size(); ++row) {
        const ValueInfo& info = table_[row];
        if (IsNumber(info) || info.capacity == 0) continue;
        if (withBuffers) {
            fields_[row].buffer = ValueBuffer(info.capacity);
            snapshot_[row].buffer = ValueBuffer(info.capacity);
        } else {
            // No storage, but the size words still name the capacity.
            fields_[row].buffer.set_size(info.capacity);
            snapshot_[row].buffer.set_size(info.capacity);
        }
    }
}

void ValueStore::TakeSnapshot(std::size_t row) {
    const ValueInfo& info = table_[row];
    if (IsNumber(info)) {
        snapshot_[row].number = fields_[row].number;
    } else if (info.stored == StoredAs::kBinary) {
        snapshot_[row].buffer.CopyBytesFrom(fields_[row].buffer);
    } else {
        snapshot_[row].buffer.CopyTextFrom(fields_[row].buffer);
    }
}

void ValueStore::TakeSnapshot() {
    for (std::size_t row = 0; row < table_.size(); ++row) {
        if (table_[row].save != SaveRule::kAccessorOnly) TakeSnapshot(row);
    }
}

bool ValueStore::Changed(std::size_t row) const {
    const ValueInfo& info = table_[row];
    const ValueField& now = fields_[row];
    const ValueField& then = snapshot_[row];
    if (IsNumber(info)) return now.number != then.number;
    if (info.stored == StoredAs::kBinary) {
        // Over the current length only: a shorter value with the same leading
        // bytes counts as unchanged.
        const auto data = now.buffer.Data();
        const auto before = then.buffer.bytes();
        if (data.size() > before.size()) return true;
        return !std::equal(data.begin(), data.end(), before.begin());
    }
    return now.buffer.Text() != then.buffer.Text();
}

bool ValueStore::Fits(std::size_t row) const {
    const ValueInfo& info = table_[row];
    if (IsNumber(info)) return true;
    if (info.stored == StoredAs::kBinary) return fields_[row].buffer.size() <= info.capacity;
    return fields_[row].buffer.Text().size() < info.capacity;
}

bool ValueStore::ShouldSave(std::size_t row, bool force) const {
    switch (table_[row].save) {
        case SaveRule::kChangedOrForced: return force || Changed(row);
        case SaveRule::kForcedOrChangedFits: return force || (Changed(row) && Fits(row));
        case SaveRule::kFitsChangedOrForced: return Fits(row) && (force || Changed(row));
        case SaveRule::kForcedFits: return force && Fits(row);
        case SaveRule::kForced: return force;
        case SaveRule::kNever:
        case SaveRule::kAccessorOnly: return false;
    }
    return false;
}

}  // namespace veltra::settings
