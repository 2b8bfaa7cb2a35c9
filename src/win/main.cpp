#ifdef _WIN32

#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "util/Func2.h"
#include "win/WinDialogs.h"
#include "win/WinForm.h"
#include "win/WinSupport.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    using namespace velmora;
    // The manifest asks for it too; this covers a system that reads only one of them.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    TComApartment com;
    const TAppPaths paths = TAppPaths::FromProgramFile(ProgramFilePath(nullptr));
    try {
        TSystemDialogs dialogs;
        TWinForm form(instance, paths, WideArguments(), dialogs);
        form.QuitWhenDestroyed();
        ShowWindow(form.Handle(), show);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            form.TranslateAndDispatch(msg);
        return static_cast<int>(msg.wParam);
    } catch (const std::exception& e) {
        MessageBoxW(nullptr, Wide(e.what()).c_str(), L"Velmora", MB_OK | MB_ICONERROR);
        return 1;
    }
}

#endif
