// Upgrade files for the tests: copies of the fixture upgrade, altered by SQL where a case needs
// a faulty one, and a dump of a whole database to tell "unchanged" for certain.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace upgradefiles {

// The upgrade built from tests/fixtures/upgrade for the fixture bank, and the shipped sample.
QString fixtureUpgrade();
QString sampleUpgrade();

// Copies the fixture upgrade to path (creating its folder) and runs the statements on the copy.
// Returns false when a step fails.
bool makeUpgrade(const QString &path, const QStringList &statements = {});

// A copy of the fixture upgrade at path in a database whose text encoding is UTF-16: the same
// tables, indexes and rows. Returns false when a step fails.
bool makeUtf16Upgrade(const QString &path);

// Whether SQLite's own integrity check passes on the file (opened read-only).
bool passesIntegrityCheck(const QString &path);

// Every row of every table of the connection's main database, in storage order, as text.
QString snapshot(const QSqlDatabase &db);

// Whether this process holds the file open (a descriptor of /proc/self/fd points at it).
bool heldOpen(const QString &path);

} // namespace upgradefiles
