#ifdef _WIN32

#include "cli/ConsoleWin.h"

#include <windows.h>

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
