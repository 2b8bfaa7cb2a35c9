#pragma once

#ifdef _WIN32

#include <string>

namespace velmora {

// The user's desktop and documents folders from the shell's known-folder API; empty when the
// shell knows none.
std::string ShellDesktopFolder();
std::string ShellDocumentsFolder();

}  // namespace velmora

#endif
