#ifdef _WIN32

#include "cli/ConsoleWin.h"

#include <windows.h>
// After windows.h, which they build on.
#include <shellapi.h>

#include "util/CodePage.h"

namespace velmora {

namespace {

// A console control handler gets no context: it reaches the flag through this pointer, set
// once before the handler is installed.
std::atomic<std::atomic<bool>*> gInterruptFlag{nullptr};

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    std::atomic<bool>* flag = gInterruptFlag.load();
    if (flag == nullptr || flag->exchange(true)) return FALSE;  // the default handler ends us
    return TRUE;
}

}  // namespace

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

void UseUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
}

void WatchConsoleInterrupt(std::atomic<bool>& interrupted) {
    gInterruptFlag.store(&interrupted);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace velmora

#endif
