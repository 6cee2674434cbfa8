// Study-log answers and damaged pages for tests of backups and restores.
#pragma once

#include <QSqlDatabase>
#include <QString>

namespace testsupport {

// A day of the study log holding `count` answers, and the answers of the whole log (the figure
// the backup window shows).
void logAnswers(const QSqlDatabase &db, const QString &day, int count);
qint64 loggedAnswers(const QSqlDatabase &db);
// Overwrites the pages after the first of a database file: it still reads as a database but
// fails its quick check.
void damagePages(const QString &path);

} // namespace testsupport
