// Program entry: start-up checks, the data module, the start window.
#include "data/dm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TDM1 dm;
    DM1 = &dm;
    return dm.DataModuleCreate(QCoreApplication::applicationDirPath()) ? 0 : 1;
}
