// Feeds arbitrary bytes to the .reg reader. Whatever it accepts must come
// back unchanged through a write and a second read, in both formats; whatever
// it refuses must leave the tree as it was.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz_check.h"
#include "platform/sim/regfile.h"

namespace {

using veltra::sim::RegFormat;
using veltra::sim::RegistryTree;

RegistryTree StartingTree() {
    RegistryTree tree;
    tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra\\Settings")->SetValue("Enabled", 4, {1, 0, 0, 0});
    tree.CreateKey("HKEY_CURRENT_USER\\Software")->SetValue("", 1, {'x', 0});
    return tree;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    static const RegistryTree start = StartingTree();
    RegistryTree tree = start;
    (void)veltra::sim::DetectRegFormat(bytes);
    if (const auto error = veltra::sim::ApplyRegFile(tree, bytes)) {
        Check(error->line >= 1 && !error->message.empty());
        Check(tree == start);
        return 0;
    }
    for (const RegFormat format : {RegFormat::Version5, RegFormat::Regedit4}) {
        const auto written = veltra::sim::WriteRegFile(tree, format);
        Check(veltra::sim::DetectRegFormat(written) == format);
        RegistryTree reread;
        Check(!veltra::sim::ApplyRegFile(reread, written));
        Check(reread == tree);
        Check(veltra::sim::WriteRegFile(reread, format) == written);
    }
    const auto changes = veltra::sim::DiffTrees(start, tree);
    for (const auto& change : changes) {
        if (change.after) (void)veltra::sim::FormatRegValueData(*change.after);
    }
    Check(veltra::sim::DiffTrees(tree, tree).empty());
    return 0;
}
