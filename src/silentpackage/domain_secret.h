// The domain host's secret file, which an upgrade hands from the old agent's
// day-file folder to the new one through the installer's temporary folder,
// and the message of a failed hand-over.
#pragma once

namespace veltra::silentpackage {

inline constexpr const char* kDomainSecretFile = "domaininfo.dat";

inline constexpr const char* kMigrationFailedMessage =
    "The installation failed to migrate\nthe current domain secret.\n\n"
    "The installation changes will be rolled back now\nto maintain offline data integrity.";

}  // namespace veltra::silentpackage
