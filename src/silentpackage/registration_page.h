// The vendor's product-registration page, offered at the end of an
// interactive installation. SetupRegistration composes its address into
// "FINALURL" with a placeholder for the installed components;
// InvokeRegistrationForm fills the placeholder in and opens the page.
// Registration is voluntary: nothing in the installation depends on it.
#pragma once

#include <cstddef>
#include <string>

#include "platform/installer.h"

namespace veltra::silentpackage {

inline constexpr const char* kFinalUrlProperty = "FINALURL";
inline constexpr char kComponentsPlaceholder = '#';

// A property read into a buffer of `capacity` characters, terminator
// included: a value that does not fit, like one that cannot be read, is "".
std::string ReadPropertyWithin(platform::Installer& installer, const char* name, std::size_t capacity);

}  // namespace veltra::silentpackage
