// What the package tests share: a package run from D:\Package\ and the
// files package creation makes there.
#pragma once

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace veltra::testing {

inline const std::string kPackageSource = "D:\\Package\\";
inline const std::string kPackageOut = "D:\\Package\\SilentInstallPackage\\";
inline const std::string kOptionsFile = kPackageOut + "packageOptionsFile.txt";
inline const char* const kCertPathProperty = "CERT_PATH.5B8A2E71_C4D9_4A36_B0F2_7D1E9C3A6F58";

class PackageTest : public SimFixture {
protected:
    explicit PackageTest(const std::string& sourceDir = kPackageSource) {
        machine.session.sourcePaths["SourceDir"] = sourceDir;
        SetProperty("SourceDir", sourceDir);
        SetProperty("TempFolder", "C:\\Temp\\");
        PutFolder(sourceDir);
    }

    // The message boxes shown, as "text|style" with the caption checked.
    std::vector<std::string> Messages() const {
        std::vector<std::string> shown;
        for (const sim::DialogRecord& dialog : machine.dialogs) {
            EXPECT_EQ(dialog.caption, kCaption);
            EXPECT_EQ(dialog.owner, "none");
            shown.push_back(dialog.text + "|" + std::to_string(dialog.style));
        }
        return shown;
    }
};

}  // namespace veltra::testing
