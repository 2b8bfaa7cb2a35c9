#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <exception>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "gui/Form1.h"
#include "gui/FormDialogs.h"
#include "util/Func2.h"

int main(int argc, char** argv) {
    using namespace velmora;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));

    // Shares velmora.dat and the working folder with velmora-cli beside it.
    const std::string exeFolder =
        AddPathDelimiter(ExtractFilePath(ProgramFilePath(argc > 0 ? argv[0] : nullptr)));
    const TAppPaths paths = TAppPaths::FromProgramFile(exeFolder + "velmora");

    std::vector<std::string> files;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        files.push_back(args[i].isEmpty() ? std::string()
                                          : QFileInfo(args[i]).absoluteFilePath().toStdString());
    }

    try {
        TQtDialogs dialogs;
        TForm1 form(paths, files, dialogs);
        form.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        qCritical("velmora: %s", e.what());
        return 1;
    }
}
