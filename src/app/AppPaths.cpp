#include "app/AppPaths.h"

#include <filesystem>
#include <system_error>

#include "util/Func2.h"
#ifdef _WIN32
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include "util/CodePage.h"
#endif

namespace velmora {

namespace fs = std::filesystem;

TAppPaths TAppPaths::FromProgramFile(const std::string& programFile) {
    TAppPaths p;
    p.ExeFolder = AddPathDelimiter(ExtractFilePath(programFile));
    p.TempFolder = AddPathDelimiter(p.ExeFolder + "TEMP");
    p.DatFileName = ChangeExtSafe(programFile, ".dat");
    return p;
}

bool TAppPaths::CreateTempFolder() const {
    return MakeFolder(TempFolder);
}

bool TAppPaths::RemoveTempFolderIfEmpty() const {
    return EraseFolder(TempFolder);
}

std::string TAppPaths::StartFolder(const std::string& folder) const {
    return !folder.empty() && FolderThere(folder) ? folder : ExeFolder;
}

std::string ProgramFilePath(const char* argv0) {
    std::error_code ec;
#ifdef _WIN32
    // The module's own name, in UTF-16, whatever argv[0] holds or however it was started.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) break;
        if (n < buffer.size()) {
            return Utf16ToUtf8(
                std::u16string_view(reinterpret_cast<const char16_t*>(buffer.data()), n));
        }
        if (buffer.size() >= 32768) break;
        buffer.resize(buffer.size() * 2);
    }
#else
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !self.empty()) {
        const std::u8string u = self.u8string();
        return std::string(u.begin(), u.end());
    }
    ec.clear();
#endif
    if (argv0 == nullptr || *argv0 == '\0') return {};
    const std::string a(argv0);
    fs::path p = fs::absolute(fs::path(std::u8string(a.begin(), a.end())), ec);
    if (ec) return a;
    const std::u8string u = p.lexically_normal().u8string();
    return std::string(u.begin(), u.end());
}

#ifdef _WIN32
std::vector<std::string> WideArguments() {
    std::vector<std::string> args;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) return args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    LocalFree(argv);
    return args;
}
#endif

}  // namespace velmora
