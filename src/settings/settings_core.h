// What every settings class shares: its value table and fields, the
// class-wide place it reads and writes (held in the caller's
// SettingsContext), and row-by-row loading, saving and accessors.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "settings/settings_context.h"
#include "settings/value_io.h"
#include "settings/value_store.h"

namespace veltra::settings {

class SettingsCore {
public:
    SettingsCore(SettingsContext& context, SettingsLocation SettingsContext::*place,
                 std::span<const ValueInfo> table, bool withBuffers);

    SettingsContext& context() const { return context_; }
    // The class-wide place: shared by every object of the class on this context.
    SettingsLocation& place() const { return context_.*place_; }
    void SetPlace(KeyPathRef keyPath, bool useCurrentUser) const;

    ValueStore& values() { return values_; }
    const ValueStore& values() const { return values_; }

    // The row's key path and root at the class's current place.
    std::string KeyPathOf(std::size_t row) const;
    platform::HKey root() const { return place().root; }

    // Field <-> registry; a read's result is kept for lastRead().
    Dword ReadRow(std::size_t row);
    Dword WriteRow(std::size_t row) const;
    // Reads rows in the given order (every row with a field when empty),
    // ignoring failures, then snapshots every field.
    void LoadRows(std::span<const std::size_t> order = {});
    // Walks the table in its order and writes each row its rule selects.
    void SaveRows(bool force) const;

    // Accessors straight to the registry at the class's current place.
    Dword Get(std::size_t row, Dword* target) const;
    Dword Get(std::size_t row, void* buffer, Dword* size) const;
    Dword Set(std::size_t row, Dword value) const;
    Dword SetText(std::size_t row, const char* text) const;
    Dword SetBytes(std::size_t row, const void* data, Dword length) const;

private:
    SettingsContext& context_;
    SettingsLocation SettingsContext::*place_;
    ValueStore values_;
};

// Rows are named by each class's enum; the tables list them in enum order.
template <class Row>
constexpr std::size_t RowIndex(Row row) {
    return static_cast<std::size_t>(row);
}

// The accessors every settings class offers, by the class's own row names.
// A class that treats a row specially declares its own overload (beside a
// using-declaration of these where other overloads must stay visible).
template <class Row>
class SettingsRows {
public:
    void SetRoot(KeyPathRef keyPath, bool useCurrentUser) { core_.SetPlace(keyPath, useCurrentUser); }

    Dword& Number(Row row) { return core_.values().field(RowIndex(row)).number; }
    ValueBuffer& Buffer(Row row) { return core_.values().field(RowIndex(row)).buffer; }
    const ValueStore& values() const { return core_.values(); }

    Dword Get(Row row, Dword* target) const { return core_.Get(RowIndex(row), target); }
    Dword Get(Row row, void* buffer, Dword* size) const { return core_.Get(RowIndex(row), buffer, size); }
    Dword Set(Row row, Dword value) const { return core_.Set(RowIndex(row), value); }
    Dword SetText(Row row, const char* text) const { return core_.SetText(RowIndex(row), text); }

    SettingsLocation& place() const { return core_.place(); }

protected:
    SettingsRows(SettingsContext& context, SettingsLocation SettingsContext::*place,
                 std::span<const ValueInfo> table, bool withBuffers)
        : core_(context, place, table, withBuffers) {}

    SettingsCore core_;
};

}  // namespace veltra::settings
