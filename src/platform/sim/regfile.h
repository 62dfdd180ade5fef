// The .reg file layer of the simulated machine: reading a file into the
// registry tree, writing the tree the way regedit exports it, and listing the
// changes between two trees.
//
// Two forms exist on disk. "Windows Registry Editor Version 5.00" files are
// UTF-16LE with a byte-order mark and CRLF line ends; "REGEDIT4" files are
// ANSI. The tree always holds ANSI text (Windows-1252), so a Version 5 file's
// names and strings, and the bytes of its hex(1), hex(2) and hex(7) values,
// are converted on the way in and widened again on the way out.
//
// Reading follows regedit's syntax but is stricter than regedit: where regedit
// quietly skips a line it cannot parse, the reader refuses the whole file and
// names the line, so that a typing error in a machine description cannot pass
// unnoticed. Nothing is changed when a file is refused.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/sim/registry_tree.h"

namespace veltra::sim {

enum class RegFormat { Version5, Regedit4 };  // UTF-16LE+BOM+CRLF vs ANSI

struct RegFileError {
    int line = 0;  // 1-based
    std::string message;
};

// Applies a .reg file's bytes (as on disk, either format, with or without a
// byte-order mark) to the tree. On error nothing is changed.
std::optional<RegFileError> ApplyRegFile(RegistryTree& tree, std::span<const std::uint8_t> bytes);

// The format named by the file's header line; nullopt when it has none.
std::optional<RegFormat> DetectRegFormat(std::span<const std::uint8_t> bytes);

// The whole tree as regedit exports it: every root that has values or
// subkeys, keys in enumeration order, values in creation order.
std::vector<std::uint8_t> WriteRegFile(const RegistryTree& tree, RegFormat format);
// The same bytes handed to `sink` piece by piece as they are made, for
// writing a large hive to a file without holding the whole file.
using RegFileSink = std::function<void(std::span<const std::uint8_t>)>;
void WriteRegFile(const RegistryTree& tree, RegFormat format, const RegFileSink& sink);

// One value's data the way a file shows it, on one line ("dword:00000001",
// "\"text\"", "hex(2):25,00,..."). The one-argument form shows the Version 5
// form, in which string types appear as their UTF-16LE bytes.
std::string FormatRegValueData(const RegValue& value);
std::string FormatRegValueData(const RegValue& value, RegFormat format);

// Changes between two trees, in a stable order: keys in tree order (roots in
// .reg file order, subkeys in enumeration order, a key before its subkeys);
// within a key, deleted values in their old order, then changed and added
// values in their new order. An added key also lists each of its values as
// added, a deleted key each of its values as deleted.
struct RegChange {
    enum Kind { KeyAdded, KeyDeleted, ValueAdded, ValueChanged, ValueDeleted } kind;
    std::string key;   // full path "HKEY_LOCAL_MACHINE\\SOFTWARE\\X"
    std::string name;  // value name ("" default) for value changes
    std::optional<RegValue> before, after;
};
std::vector<RegChange> DiffTrees(const RegistryTree& before, const RegistryTree& after);
// The same between a baseline and the tree it records, visiting only what
// changed since the baseline began.
std::vector<RegChange> DiffSince(const RegistryBaseline& baseline, const RegistryTree& now);

// Windows-1252, the ANSI code page the simulated machine runs in. Every byte
// has a character (the five bytes the code page leaves unassigned map to the
// C1 controls of the same number, as Windows' own table does), so widening
// never fails; narrowing fails for characters outside the code page.
char16_t WidenAnsi(std::uint8_t byte);
std::optional<std::uint8_t> NarrowToAnsi(char16_t unit);

}  // namespace veltra::sim
