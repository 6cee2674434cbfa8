// Program entry: runs start-up with the executable's folder as the program folder.
#include "app/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Startup::Options options;
    options.programFolder = QCoreApplication::applicationDirPath();
    return Startup::run(options);
}
