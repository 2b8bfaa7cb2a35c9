#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/BatchRun.h"
#include "app/ConversionEngine.h"
#include "app/Engine.h"
#include "app/FileInfo.h"
#include "app/Settings.h"
#include "cli/CliOptions.h"
#include "cli/CliPlatform.h"
#include "util/Func2.h"
#ifdef _WIN32
#include "cli/ConsoleWin.h"
#endif

namespace {

// Set by the interrupt handler, read before each file: a signal handler can reach nothing but
// a lock-free atomic of static storage.
std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The temporary file a document is being written to, for the handler to remove when a second
// Ctrl-C ends the program mid-write. The text is complete whenever gHaveTemp is true.
std::atomic<bool> gHaveTemp{false};
char gTempPath[4096];

constexpr char kStopping[] = "velmora-cli: stopping after the current file; Ctrl-C again aborts\n";

// The first Ctrl-C asks the run to stop before the next file and says so at once; a second one
// ends the program at once (a long file or a pending prompt), taking the half-written document
// with it. Only async-signal-safe calls here.
extern "C" void OnInterrupt(int) {
    if (!gInterrupted.exchange(true)) {
        [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, kStopping, sizeof kStopping - 1);
        return;
    }
    if (gHaveTemp.load()) unlink(gTempPath);
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
}

void SetPendingOutput(const std::string& temp) {
    gHaveTemp.store(false);
    if (temp.empty() || temp.size() >= sizeof gTempPath) return;
    std::memcpy(gTempPath, temp.c_str(), temp.size() + 1);
    gHaveTemp.store(true);
}

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitPartial = 3;
constexpr int kExitInterrupted = 130;

std::string Absolute(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p = fs::absolute(fs::path(std::u8string(name.begin(), name.end())), ec);
    if (ec) return name;
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

int Run(const std::vector<std::string>& args, const char* argv0) {
    using namespace velmora;
    std::string error;
    std::optional<TCliOptions> options = ParseCommandLine(args, error);
    if (!options) {
        std::cerr << "velmora-cli: " << error << "\nTry 'velmora-cli --help'.\n";
        return kExitUsage;
    }
    if (options->Mode == TCliOptions::TMode::Help) {
        std::cout << UsageText();
        return kExitOk;
    }
    if (options->Mode == TCliOptions::TMode::Version) {
        std::cout << "Velmora " VELMORA_VERSION "\n";
        return kExitOk;
    }
    if (options->Mode == TCliOptions::TMode::Info) {
        if (options->Files.empty()) {
            std::cerr << "velmora-cli: --info needs files\nTry 'velmora-cli --help'.\n";
            return kExitUsage;
        }
        int status = kExitOk;
        for (const std::string& f : options->Files) {
            std::ifstream probe(std::filesystem::path(std::u8string(f.begin(), f.end())),
                                std::ios::binary);
            std::error_code ec;
            if (!probe || std::filesystem::is_directory(
                              std::filesystem::path(std::u8string(f.begin(), f.end())), ec)) {
                std::cerr << "velmora-cli: " << f << ": cannot be read\n";
                status = kExitUsage;
                continue;
            }
            std::cout << FileInfoJson(f) << '\n';
        }
        return status;
    }
    if (options->Files.empty()) {
        std::cerr << "velmora-cli: no input files\nTry 'velmora-cli --help'.\n";
        return kExitUsage;
    }

    // Both front ends share velmora.dat and the working folder beside the programs.
    const std::string exeFolder = AddPathDelimiter(ExtractFilePath(ProgramFilePath(argv0)));
    const TAppPaths paths = TAppPaths::FromProgramFile(exeFolder + "velmora");
    paths.CreateTempFolder();

    TFormState state;
    const std::string datFile =
        options->SettingsFile ? Absolute(*options->SettingsFile) : paths.DatFileName;
    // A file named on purpose must be there; the implicit one may be missing.
    if (options->SettingsFile && !FileThere(datFile)) {
        std::cerr << "velmora-cli: --settings: no such file: " << *options->SettingsFile
                  << "\nTry 'velmora-cli --help'.\n";
        return kExitUsage;
    }
    if (!OpenDatFile(datFile, paths.ExeFolder, state)) {
        std::cerr << "velmora-cli: could not read the settings file " << datFile
                  << "; using the defaults for what was not read\n";
    }
    if (options->OutputButton == 4) options->OutputFolder = Absolute(options->OutputFolder);
    options->ApplyTo(state);

    std::vector<std::string> files;
    for (const std::string& f : options->Files) {
        const std::string name = Absolute(f);
        if (FolderThere(name)) {
            std::cerr << "velmora-cli: skipped (a folder, not a file): " << f << '\n';
        } else if (!TBatchRun::HasInputExtension(name)) {
            std::cerr << "velmora-cli: skipped (not a .jww, .jws, .jwc or .jwk file): " << f
                      << '\n';
        } else if (!FileThere(name)) {
            std::cerr << "velmora-cli: skipped (no such file): " << f << '\n';
        }
        files.push_back(name);
    }

#ifdef _WIN32
    WatchConsoleInterrupt(gInterrupted);
#else
    std::signal(SIGINT, OnInterrupt);
#endif
    TCliPlatform platform(paths.ExeFolder, gInterrupted, std::cout, std::cerr);
    platform.OnOutputPending = SetPendingOutput;
    const auto engine = MakeConversionEngine(paths.TempFolder);
    // The command line never writes the settings file: its options are for this run only.
    TBatchRun batch(platform, *engine, state, std::string());
    const TRunReport report = batch.Intake(files);
    paths.RemoveTempFolderIfEmpty();

    switch (report.End) {
        case TRunEnd::NotStarted:
            std::cerr << "velmora-cli: nothing to convert\n";
            return kExitUsage;
        case TRunEnd::FolderMissing:
            if (options->OutputButton == 0 && state.RadioButtonFl(1)) {
                std::cerr << "velmora-cli: the desktop is the output folder when neither an option "
                             "nor the settings file chooses one; name a folder with -o DIR, or "
                             "write beside the sources with --beside\n";
            }
            return kExitUsage;
        case TRunEnd::Refused:
        case TRunEnd::Cancelled:
        case TRunEnd::CannotCreate:
            return kExitUsage;
        case TRunEnd::Escaped:
            return kExitInterrupted;
        case TRunEnd::Finished:
            break;
    }
    if (report.Failed > 0) return kExitFailed;
    return report.Partial > 0 ? kExitPartial : kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    velmora::UseUtf8Console();
    std::vector<std::string> args = velmora::WideArguments();
#else
    std::vector<std::string> args(argv + 1, argv + argc);
#endif
    try {
        return Run(args, argc > 0 ? argv[0] : nullptr);
    } catch (const std::exception& e) {
        std::cerr << "velmora-cli: " << e.what() << '\n';
        return kExitUsage;
    }
}
