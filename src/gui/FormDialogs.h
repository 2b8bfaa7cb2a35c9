#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/FormRules.h"

class QWidget;

namespace velmora {

// The window's modal dialogs. The message box and the folder browser are what the batch run
// asks for through IPlatform; the open dialog is the window's own intake. Tests answer them
// with a fake. Every call is modal and comes from the user-interface thread.
class IFormDialogs {
  public:
    virtual ~IFormDialogs() = default;

    virtual void ShowMessage(QWidget* parent, const std::string& text) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<std::string> BrowseForFolder(QWidget* parent,
                                                       const std::string& startFolder,
                                                       const std::string& caption) = 0;
    // Multiple selection of existing files; std::nullopt when the user cancels.
    virtual std::optional<TOpenDialogResult> OpenFiles(QWidget* parent,
                                                       const TOpenDialogRequest& request) = 0;
};

// The dialogs of Qt: QMessageBox, QFileDialog.
class TQtDialogs final : public IFormDialogs {
  public:
    void ShowMessage(QWidget* parent, const std::string& text) override;
    std::optional<std::string> BrowseForFolder(QWidget* parent, const std::string& startFolder,
                                               const std::string& caption) override;
    std::optional<TOpenDialogResult> OpenFiles(QWidget* parent,
                                               const TOpenDialogRequest& request) override;
};

}  // namespace velmora
