#ifdef _WIN32

#include "win/WinDialogs.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <vector>

#include "util/Func2.h"
#include "win/WinSupport.h"

namespace velmora {

namespace {

constexpr const wchar_t* kTitle = L"Velmora";
// Room for a few thousand names chosen at once.
constexpr size_t kSelectionChars = 1 << 16;

}  // namespace

std::wstring OpenFilterString(const TOpenDialogRequest& request) {
    std::wstring out;
    for (const TOpenFilter& f : request.Filters) {
        out += Wide(f.Caption);
        out += L'\0';
        for (size_t i = 0; i < f.Patterns.size(); ++i) {
            if (i > 0) out += L';';
            out += Wide(f.Patterns[i] == "*" ? "*.*" : f.Patterns[i]);
        }
        out += L'\0';
    }
    out += L'\0';
    return out;
}

std::vector<std::string> SplitMultiSelection(const wchar_t* buffer) {
    std::vector<std::wstring> parts;
    for (const wchar_t* p = buffer; *p != L'\0'; p += parts.back().size() + 1)
        parts.emplace_back(p);
    std::vector<std::string> files;
    if (parts.size() == 1) {
        files.push_back(Narrow(parts[0]));
    } else if (parts.size() > 1) {
        const std::string folder = AddPathDelimiter(Narrow(parts[0]));
        for (size_t i = 1; i < parts.size(); ++i)
            files.push_back(folder + Narrow(parts[i]));
    }
    return files;
}

void TSystemDialogs::ShowMessage(HWND parent, const std::string& text) {
    MessageBoxW(parent, Wide(text).c_str(), kTitle, MB_OK);
}

std::optional<std::string> TSystemDialogs::BrowseForFolder(HWND parent,
                                                           const std::string& startFolder,
                                                           const std::string& caption) {
    TComApartment com;
    TComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, dialog.PutVoid())))
        return std::nullopt;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(Wide(caption).c_str());
    TComPtr<IShellItem> start;
    if (SUCCEEDED(SHCreateItemFromParsingName(Wide(startFolder).c_str(), nullptr, IID_IShellItem,
                                              start.PutVoid())))
        dialog->SetFolder(start.Get());
    if (FAILED(dialog->Show(parent))) return std::nullopt;
    TComPtr<IShellItem> chosen;
    if (FAILED(dialog->GetResult(chosen.Put()))) return std::nullopt;
    PWSTR path = nullptr;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr)
        return std::nullopt;
    std::string folder = Narrow(path);
    CoTaskMemFree(path);
    return folder;
}

std::optional<TOpenDialogResult> TSystemDialogs::OpenFiles(HWND parent,
                                                           const TOpenDialogRequest& request) {
    const std::wstring filter = OpenFilterString(request);
    const std::wstring title = Wide(request.Title);
    const std::wstring folder = Wide(request.InitialFolder);
    std::vector<wchar_t> buffer(kSelectionChars, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = parent;
    ofn.lpstrFilter = filter.c_str();
    const int count = static_cast<int>(request.Filters.size());
    ofn.nFilterIndex = request.FilterIndex >= 1 && request.FilterIndex <= count
                           ? static_cast<DWORD>(request.FilterIndex)
                           : 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    TOpenDialogResult result;
    result.Files = SplitMultiSelection(buffer.data());
    result.FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return result;
}

}  // namespace velmora

#endif
