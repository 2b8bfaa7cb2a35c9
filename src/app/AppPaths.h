#pragma once

#include <string>
#include <vector>

namespace velmora {

// The program's own folders and files, fixed at start-up and shared by both front ends:
// the settings file and the working folder "TEMP" live beside the program.
struct TAppPaths {
    std::string ExeFolder;    // folder of the program file, with trailing delimiter
    std::string TempFolder;   // ExeFolder + "TEMP" + delimiter
    std::string DatFileName;  // the program file name with ".dat" for its extension

    // Derives the three names from the full name of the program file.
    static TAppPaths FromProgramFile(const std::string& programFile);

    // Creates TempFolder with any missing parents; false on failure, which callers ignore
    // (readers that need the folder fail on their own).
    bool CreateTempFolder() const;
    // Removes TempFolder when it is empty (not recursively); false when it stays.
    bool RemoveTempFolderIfEmpty() const;
    // Where a folder browser opens: folder when it names an existing folder, else ExeFolder.
    std::string StartFolder(const std::string& folder) const;
};

// Full UTF-8 name of the running program file (argv0 is the fallback where the system cannot
// tell).
std::string ProgramFilePath(const char* argv0);

#ifdef _WIN32
// The arguments after the program name, from the wide command line as UTF-8: the narrow argv
// of Windows holds them in the ANSI code page and loses every character it lacks.
std::vector<std::string> WideArguments();
#endif

}  // namespace velmora
