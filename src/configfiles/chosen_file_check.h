// Checking a file the administrator chose in the wizard: the path property is
// copied into the source property that the copy actions read later, and an OK
// property tells the dialog whether the choice may stand.
#pragma once

#include "platform/platform.h"

namespace veltra::configfiles {

// One chosen file: its properties and the texts that reject it. The texts
// after the path are shown behind the path itself.
struct ChosenFileCheck {
    const char* pathProperty;
    const char* sourceProperty;
    const char* okProperty;
    // The name the file must have (compared ignoring case), or null when any
    // name will do.
    const char* requiredName;
    const char* nameMessage;  // shown without the path when the name differs
    const char* missingText;
    const char* systemFileText;
    const char* directoryText;
};

// The check with messages: existence, then the name, then the system
// attribute, then the directory attribute. A failed check shows its message
// and leaves the OK property at "0".
void CheckChosenFile(platform::Platform& platform, const ChosenFileCheck& check);

// The check for runs without dialogs: the path only has to exist.
void CheckChosenFileSilently(platform::Platform& platform, const ChosenFileCheck& check);

}  // namespace veltra::configfiles
