// The tables the build writes beside the bench's package stand in for the
// package only while they say exactly what the package says.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/roads.h"
#include "platform/sim/engine/package.h"
#include "support/sim_fixture.h"

namespace veltra::sim::engine {
namespace {

namespace fs = std::filesystem;

TEST(PackageTables, ReadBackAsThePackageItselfReads) {
    testing::TempDir dir;
    const fs::path copy = dir.path() / "copy.msi";  // no tables beside it: read with msitools
    fs::copy_file(cli::BenchPackage(), copy);
    std::string error;
    auto fromPackage = ReadPackage(copy, error);
    ASSERT_TRUE(fromPackage) << error;
    ASSERT_TRUE(WritePackageTables(*fromPackage, error)) << error;
    const auto fromTables = ReadPackageTables(copy);
    ASSERT_TRUE(fromTables);
    EXPECT_EQ(*fromTables, *fromPackage);
    EXPECT_FALSE(fromPackage->executeSequence.empty());
}

TEST(PackageTables, TablesOlderThanThePackageOrUnreadableAreNotUsed) {
    testing::TempDir dir;
    const fs::path copy = dir.path() / "copy.msi";
    fs::copy_file(cli::BenchPackage(), copy);
    std::ofstream(PackageTablesPath(copy)) << R"({"properties":{"ProductCode":"{STALE}"}})";
    fs::last_write_time(PackageTablesPath(copy), fs::last_write_time(copy) - std::chrono::hours(1));
    std::string error;
    const auto stale = ReadPackage(copy, error);
    ASSERT_TRUE(stale) << error;
    EXPECT_NE(stale->properties.at("ProductCode"), "{STALE}");

    std::ofstream(PackageTablesPath(copy)) << "not json";
    EXPECT_FALSE(ReadPackageTables(copy));
    EXPECT_TRUE(ReadPackage(copy, error)) << error;
}

}  // namespace
}  // namespace veltra::sim::engine
