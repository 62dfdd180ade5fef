#include "support/test_package.h"

#include <gtest/gtest.h>

#include "cli/roads.h"

namespace veltra::testing {

const sim::engine::Package& TestPackage() {
    static const sim::engine::Package package = [] {
        std::string error;
        std::optional<sim::engine::Package> read = sim::engine::ReadPackage(cli::BenchPackage(), error);
        EXPECT_TRUE(read) << error;
        return read.value_or(sim::engine::Package{});
    }();
    return package;
}

}  // namespace veltra::testing
