// write_package_tables FILE.msi: writes FILE.msi.tables, the package's tables
// read once at build time, which the bench's roads then read instead of the
// package (see ReadPackage).
#include <iostream>

#include "platform/sim/engine/package.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: write_package_tables FILE.msi\n";
        return 2;
    }
    std::string error;
    // Older tables must not stand in for the package being read.
    std::filesystem::remove(veltra::sim::engine::PackageTablesPath(argv[1]));
    const auto package = veltra::sim::engine::ReadPackage(argv[1], error);
    if (!package || !veltra::sim::engine::WritePackageTables(*package, error)) {
        std::cerr << "write_package_tables: " << error << "\n";
        return 1;
    }
    return 0;
}
