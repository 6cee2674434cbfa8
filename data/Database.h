// Access to SQLite databases through Qt SQL: opening without ever creating, checked statements
// that throw, nested transactions, the table list.
#pragma once

#include <QByteArrayView>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

namespace Db {

// What kind of failure a database operation met, from SQLite's result code.
enum class Failure
{
    Other,
    Busy,     // another program holds the database (its lock outlasted the busy timeout)
    DiskFull, // the disk (or the file's size limit) is full
};

// A failed database operation; what() carries the driver's message in UTF-8, for traces only:
// a candidate is told failureMessage().
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &message, Failure failure = Failure::Other);
    QString message() const { return QString::fromUtf8(what()); }
    Failure failure() const { return m_failure; }

private:
    Failure m_failure;
};

// The failure of an SQLite result code (primary or extended).
Failure failureOf(int sqliteCode);
// The error of a failed Qt SQL call, with `context` (the statement) in its text.
DbError errorFrom(const QSqlError &error, const QString &context);
// What a candidate is told when database work of an action failed: that another program is
// using the study data, or that the disk is full, each saying that nothing was saved; for any
// other failure `fallback`, the window's own message.
QString failureMessage(const std::exception &error, const QString &fallback);

// How long a statement waits for another program's lock before it fails as Busy (5000 ms
// unless set), for every connection opened afterwards and for the open ones.
void setBusyTimeout(int milliseconds);
// Called with true when a statement starts waiting for another program's lock and with false
// when that statement has ended, so that the user interface can show its hourglass meanwhile.
void setBusyObserver(std::function<void(bool waiting)> observer);

// A text as an SQL literal: enclosed in single quotes, inner quotes doubled.
QString sqlQuote(const QString &text);
// A name as an SQL identifier: enclosed in double quotes, inner quotes doubled.
QString sqlIdentifier(const QString &name);

// What a database file must be for open() to accept it.
struct OpenRequirements
{
    OpenRequirements() = default;
    // These tables, whatever their columns.
    OpenRequirements(const QStringList &tableNames); // NOLINT: a list of tables is enough
    // Tables that must exist, each with the columns that must be among its own (none: any).
    QMap<QString, QStringList> tables;
    // The file passes PRAGMA quick_check (the whole file is read: for the study database at start).
    bool quickCheck = false;
    // The file and its folder can be written: a file that would open read-only is refused.
    bool writable = false;
    // Opened read-only, its journal mode left as it is (a file that is only read).
    bool readOnly = false;
    // With readOnly: the file alone is read, as it lies, without locks; a -wal beside it is
    // neither read nor changed and no index file is made (a backup, an upgrade file).
    bool immutable = false;
    // The file stays in its journal mode until switchToWal(): nothing is written to a file
    // whose quick check is still to come.
    bool walLater = false;
};

// Why open() refused a file.
enum class OpenFailure
{
    None,
    Missing,  // no such file
    Damaged,  // not a database, a table or column missing, or quick_check failed
    ReadOnly, // the file or its folder cannot be written (write-protected, another user's)
    InUse,    // another program holds it locked
    NotAFile, // the name leads to a link, a folder, a device or a pipe, not a file of its own
    Other,
};

// Whether a file's path is too long for SQLite to open it: its Unix file system takes names of
// at most 512 bytes, the journal's name ("-journal" appended) included.
bool pathTooLong(const QString &path);
// For open()'s error about a missing table or column: what is missing, in a phrase for the
// candidate ("数据表 tab_kmmc 缺少列 C6"); empty for any other error.
QString missingPartText(const QString &openError);

// Opens an existing SQLite file on the named connection (replacing an earlier connection of that
// name). A missing file is an error: nothing is created. A file that fails the requirements is
// closed again and reported as an error, with the reason in *failure. Every commit on the
// connection reaches the disk before it returns (WAL, synchronous=FULL).
bool open(const QString &connectionName, const QString &path, const OpenRequirements &requirements,
          QString *error = nullptr, OpenFailure *failure = nullptr);
// The same for a file that is only read: opened read-only, its journal mode left as it is.
bool openReadOnly(const QString &connectionName, const QString &path,
                  const QStringList &requiredTables, QString *error = nullptr);
// A path as an SQLite URI (file:, every special character percent-encoded) opening an existing
// file read-write or read-only (immutable: the file alone, as it lies); for connections opened
// with URI names and for ATTACH.
QString fileUri(const QString &path, bool readOnly, bool immutable = false);
// Switches a connection opened with walLater to WAL, every commit reaching the disk.
void switchToWal(const QSqlDatabase &db);
// Closes and removes the named connection; harmless when it is not open.
void close(const QString &connectionName);

// Prepares and runs a statement with positional (?) or named (:name) values bound in order;
// throws DbError on failure. The returned query is positioned before its first row.
QSqlQuery query(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});
// Runs a statement that returns no rows; throws DbError on failure.
void exec(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});
// A statement prepared once per connection and kept until the connection closes (bind values,
// execPrepared, finish). Throws DbError when it does not prepare.
QSqlQuery &prepared(const QSqlDatabase &db, const QString &sql);
// Runs a statement that returns no rows, prepared once on the connection's own SQLite handle and
// kept until the connection closes: the fast path for the writes of every answer. Values are
// bound in order (null, integers, reals, texts as UTF-8, byte arrays as blobs). Throws DbError.
void write(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});
// Gives back what a large read left behind: the connection's page cache, and the memory of the
// process freed by it and by the read. Pages are read again from the system's file cache as
// later statements need them. Harmless when there is nothing to give back.
void releaseMemory(const QSqlDatabase &db);
// The rows of one statement read on the connection's own SQLite handle: no Qt SQL result and
// no QVariant per value unless asked for, for reads of thousands of rows. Values are bound in
// order as for write(). The statement is prepared on construction (one statement only) and
// finalized on destruction; preparing and every step throw DbError.
class Rows
{
public:
    enum class Type
    {
        Integer,
        Real,
        Text,
        Blob,
        Null
    };

    Rows(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});
    ~Rows();
    Rows(const Rows &) = delete;
    Rows &operator=(const Rows &) = delete;

    // Steps to the next row; false after the last one.
    bool next();
    int columnCount() const { return m_columns; }
    // A column's position by its name, without letter case; -1 when the statement has none.
    int indexOf(QStringView name) const;
    QString columnName(int column) const;

    // The values of the current row. A column index of -1 reads as NULL.
    Type type(int column) const;
    bool isNull(int column) const { return type(column) == Type::Null; }
    // Converted as a QVariant from Qt SQL converts: NULL is 0 / an empty text.
    qint64 toLongLong(int column) const;
    int toInt(int column) const;
    QString toString(int column) const;
    // The text of a column as SQLite holds it, UTF-8, valid until the next step (NULL: empty).
    QByteArrayView utf8(int column) const;
    // Typed as Qt SQL types it: integer qlonglong, real double, text QString, blob QByteArray,
    // NULL a null QString.
    QVariant value(int column) const;

private:
    [[noreturn]] void fail(int rc) const;

    sqlite3 *m_handle = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    int m_columns = 0;
};

// Runs an already prepared query with the given values; throws DbError on failure.
void execPrepared(QSqlQuery &q, const QVariantList &values);
// The first column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});

// Path of the connection's main database file, from the connection itself.
QString mainFilePath(const QSqlDatabase &db);
// Copies the connection's main database, page by page and consistent with its committed state,
// into a new file at path (user-only), replacing that file only once the copy is complete and on
// the disk. Throws DbError; a failed copy leaves no partial file behind.
void backupTo(const QSqlDatabase &db, const QString &path);

// Names of the tables of the main database, from sqlite_master.
QStringList tableNames(const QSqlDatabase &db);
bool hasTable(const QSqlDatabase &db, const QString &name);
// Drops a table by name; throws DbError on failure.
void dropTable(const QSqlDatabase &db, const QString &name);

// A unit of work: begins on construction, rolls back on destruction unless committed.
// Units nest: an inner unit joins the outermost one, whose commit alone reaches the file; an
// inner unit left without commit makes the outermost commit throw, so nothing half-done lands.
class Transaction
{
public:
    explicit Transaction(const QSqlDatabase &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    QSqlDatabase m_db;
    bool m_outermost = false;
    bool m_done = false;
};

} // namespace Db
