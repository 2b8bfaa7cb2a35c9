#include "gui/FormDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace velmora {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// "caption (*.a *.b)": QFileDialog takes the patterns from the last parenthesised group, so a
// caption that itself holds "(*.jw?)" keeps it.
QString NameFilter(const TOpenFilter& f) {
    QStringList patterns;
    for (const std::string& p : f.Patterns)
        patterns << Q(p);
    return Q(f.Caption) + " (" + patterns.join(' ') + ")";
}

}  // namespace

void TQtDialogs::ShowMessage(QWidget* parent, const std::string& text) {
    // The texts break lines with CR LF as a Windows message box wants them.
    QString t = Q(text);
    t.remove('\r');
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Velmora"), t, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<std::string> TQtDialogs::BrowseForFolder(QWidget* parent,
                                                       const std::string& startFolder,
                                                       const std::string& caption) {
    const QString dir = QFileDialog::getExistingDirectory(parent, Q(caption), Q(startFolder));
    if (dir.isEmpty()) return std::nullopt;
    return dir.toStdString();
}

std::optional<TOpenDialogResult> TQtDialogs::OpenFiles(QWidget* parent,
                                                       const TOpenDialogRequest& request) {
    QFileDialog dialog(parent, Q(request.Title), Q(request.InitialFolder));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    QStringList filters;
    for (const TOpenFilter& f : request.Filters)
        filters << NameFilter(f);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) {
        const int i = request.FilterIndex >= 1 && request.FilterIndex <= filters.size()
                          ? request.FilterIndex - 1
                          : 0;
        dialog.selectNameFilter(filters[i]);
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;

    TOpenDialogResult result;
    for (const QString& f : dialog.selectedFiles())
        result.Files.push_back(f.toStdString());
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    result.FilterIndex = index >= 0 ? static_cast<int>(index) + 1 : 1;
    return result;
}

}  // namespace velmora
