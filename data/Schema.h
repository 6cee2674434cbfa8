// Tables, columns and indexes of the study database, and the statement that creates a paper table.
#pragma once

#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace Schema {

// Tables a study database must hold to count as connected.
QStringList requiredTables();

// Each table of the study database with the columns it is created with: a file lacking one
// of them (a table recreated without a column) is damaged.
QMap<QString, QStringList> requiredColumns();

// Creates every table and index of an empty study database (throws Db::DbError).
void create(const QSqlDatabase &db);

// Indexes the program's queries rely on; safe to run on a database that has them. Opening a
// study database runs it too, so that databases made before an index existed gain it.
void createIndexes(const QSqlDatabase &db);

// The paper-table statement as the program writes it (Access column types).
QString paperTableStatement(const QString &tableName);

// Carries an Access CREATE TABLE statement over to SQLite with unchanged meaning: MEMO becomes
// TEXT (a MEMO column would get numeric affinity and turn a note like "0012" into 12), and text
// columns compare without regard to letter case, as they did there.
QString toSqliteDdl(const QString &accessDdl);

// Creates a paper table (throws Db::DbError).
void createPaperTable(const QSqlDatabase &db, const QString &tableName);

// The columns of tab_answ in table order, as upgrade files and paper tables name them.
QStringList answerColumns();

constexpr int kSchemaVersion = 1;

} // namespace Schema
