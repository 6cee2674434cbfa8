// Program entry: runs start-up with the executable's folder as the program folder.
#include "app/Startup.h"
#include "data/UserData.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"studyaid"_s);
    Startup::Options options;
    // Installed under a prefix: resources in share/<program>, the database in the user's folder.
    // From the build folder: everything beside the executable.
    const QString installed =
        UserData::installedProgramFolder(QCoreApplication::applicationDirPath());
    options.programFolder =
        installed.isEmpty() ? QCoreApplication::applicationDirPath() : installed;
    if (!installed.isEmpty())
        options.dataFolder = UserData::userDataFolder();
    return Startup::run(options);
}
