#pragma once

#ifdef _WIN32

#include <windows.h>

#include <optional>
#include <string>

#include "app/FormRules.h"

namespace velmora {

// The window's modal dialogs. The message box and the folder chooser are what the batch run
// asks for through IPlatform; the open dialog is the window's own intake. Tests answer them
// with a fake, so that no test ever waits on a modal dialog. Every call comes from the
// window's thread.
class IWinDialogs {
  public:
    virtual ~IWinDialogs() = default;

    virtual void ShowMessage(HWND parent, const std::string& text) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<std::string> BrowseForFolder(HWND parent, const std::string& startFolder,
                                                       const std::string& caption) = 0;
    // Multiple selection of existing files; std::nullopt when the user cancels.
    virtual std::optional<TOpenDialogResult> OpenFiles(HWND parent,
                                                       const TOpenDialogRequest& request) = 0;
};

// The system's dialogs: MessageBoxW, the shell's folder picker, GetOpenFileNameW.
class TSystemDialogs final : public IWinDialogs {
  public:
    void ShowMessage(HWND parent, const std::string& text) override;
    std::optional<std::string> BrowseForFolder(HWND parent, const std::string& startFolder,
                                               const std::string& caption) override;
    std::optional<TOpenDialogResult> OpenFiles(HWND parent,
                                               const TOpenDialogRequest& request) override;
};

// The filter list of GetOpenFileNameW: "caption\0*.a;*.b\0 … \0\0".
std::wstring OpenFilterString(const TOpenDialogRequest& request);
// The buffer a multi-selection dialog fills: one full name, or the folder followed by the
// names in it, each ended by a NUL, the list by a second NUL.
std::vector<std::string> SplitMultiSelection(const wchar_t* buffer);

}  // namespace velmora

#endif
