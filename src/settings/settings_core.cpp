#include "settings/settings_core.h"

namespace veltra::settings {

SettingsCore::SettingsCore(SettingsContext& context, SettingsLocation SettingsContext::*place,
                           std::span<const ValueInfo> table, bool withBuffers)
    : context_(context), place_(place), values_(table, withBuffers) {}

void SettingsCore::SetPlace(KeyPathRef keyPath, bool useCurrentUser) const {
    SettingsLocation& location = place();
    location.root = RootFor(useCurrentUser);
    if (keyPath.shared() != nullptr) {
        location.followed = keyPath.shared();
        return;
    }
    // Through a copy: the text may be this very location's own.
    location.keyPath = std::string(keyPath.text());
    location.followed = nullptr;
}

std::string SettingsCore::KeyPathOf(std::size_t row) const {
    return RowKeyPath(context_, place(), values_.table()[row]);
}

Dword SettingsCore::ReadRow(std::size_t row) {
    const Dword result =
        ReadField(context_.registry, root(), KeyPathOf(row), values_.table()[row], values_.field(row));
    values_.set_lastRead(row, result);
    return result;
}

Dword SettingsCore::WriteRow(std::size_t row) const {
    return WriteField(context_.registry, root(), KeyPathOf(row), values_.table()[row], values_.field(row));
}

void SettingsCore::LoadRows(std::span<const std::size_t> order) {
    if (order.empty()) {
        for (std::size_t row = 0; row < values_.size(); ++row) {
            if (values_.table()[row].save != SaveRule::kAccessorOnly) ReadRow(row);
        }
    } else {
        for (const std::size_t row : order) ReadRow(row);
    }
    values_.TakeSnapshot();
}

void SettingsCore::SaveRows(bool force) const {
    for (std::size_t row = 0; row < values_.size(); ++row) {
        if (values_.ShouldSave(row, force)) WriteRow(row);
    }
}

Dword SettingsCore::Get(std::size_t row, Dword* target) const {
    return GetNumber(context_.registry, root(), KeyPathOf(row), values_.table()[row], target);
}

Dword SettingsCore::Get(std::size_t row, void* buffer, Dword* size) const {
    return GetBytes(context_.registry, root(), KeyPathOf(row), values_.table()[row], buffer, size);
}

Dword SettingsCore::Set(std::size_t row, Dword value) const {
    return SetNumber(context_.registry, root(), KeyPathOf(row), values_.table()[row], value);
}

Dword SettingsCore::SetText(std::size_t row, const char* text) const {
    return settings::SetText(context_.registry, root(), KeyPathOf(row), values_.table()[row], text);
}

Dword SettingsCore::SetBytes(std::size_t row, const void* data, Dword length) const {
    return settings::SetBytes(context_.registry, root(), KeyPathOf(row), values_.table()[row], data, length);
}

}  // namespace veltra::settings
