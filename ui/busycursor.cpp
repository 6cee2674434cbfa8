#include "ui/busycursor.h"

#include "data/database.h"

#include <QCursor>
#include <QGuiApplication>

namespace BusyCursor {

void databaseWait(bool waiting)
{
    if (waiting)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}

void showWhileDatabaseWaits()
{
    Db::setBusyObserver(databaseWait);
}

} // namespace BusyCursor
