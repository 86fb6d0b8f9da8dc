// What the program and the shell extension it ships agree on, and the texts built from it: the
// extension's bus name and interface, and hot keys written as the shell's accelerators. Kept free
// of any bus library, so that it is tested in every build.
#pragma once

#include <cstdint>
#include <string>

namespace ostrevin::platform::gnomeshell {

inline constexpr const char* kExtensionUuid = "keyloom@ostrevin.example.org";
inline constexpr const char* kBusName = "org.example.ostrevin.KeyloomShell";
inline constexpr const char* kObjectPath = "/org/example/ostrevin/KeyloomShell";
inline constexpr const char* kInterface = "org.example.ostrevin.KeyloomShell";
// The shell's own name, owned in every GNOME session whatever its extensions.
inline constexpr const char* kShellBusName = "org.gnome.Shell";

// A hot key as the shell parses accelerators ("<Control><Alt>F5"); keyName is the symbol name of
// the key in the user's layout. "" when the key has no name there, so it cannot be grabbed.
std::string accelerator(unsigned modifiers, const std::string& keyName);

// What the user reads when the extension is installed but not running: what stays out of reach
// and the command that enables it.
std::string enableHint();

}  // namespace ostrevin::platform::gnomeshell
