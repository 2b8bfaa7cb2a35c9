#include "app/AppPaths.h"

#include <filesystem>
#include <system_error>

#include "util/Func2.h"

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
#ifndef _WIN32
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

}  // namespace velmora
