#ifdef _WIN32

#include "app/ShellFolders.h"

#include <windows.h>
// After windows.h, which they build on.
#include <knownfolders.h>
#include <shlobj.h>

#include "util/CodePage.h"

namespace velmora {

namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string out;
    if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK && path != nullptr)
        out = Utf16ToUtf8(reinterpret_cast<const char16_t*>(path));
    CoTaskMemFree(path);
    return out;
}

}  // namespace

std::string ShellDesktopFolder() {
    return KnownFolder(FOLDERID_Desktop);
}

std::string ShellDocumentsFolder() {
    return KnownFolder(FOLDERID_Documents);
}

}  // namespace velmora

#endif
