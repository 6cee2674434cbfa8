#include "data/Database.h"

#include "data/PrivateFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace Db {

namespace {

// Open units of work per connection name. Only the outermost unit is a database transaction;
// inner units join it, and an inner unit abandoned without commit dooms the whole unit.
struct UnitState
{
    int depth = 0;
    bool doomed = false;
};

QHash<QString, UnitState> &units()
{
    static QHash<QString, UnitState> map;
    return map;
}

// Waiting for another program's lock: SQLite calls the handler while the lock is held; the
// observer hears when a statement starts waiting and when it has ended.
struct BusyWait
{
    int timeoutMs = 5000;
    std::function<void(bool)> observer;
    bool waiting = false;
    QElapsedTimer waited;
};

BusyWait &busyWait()
{
    static BusyWait state;
    return state;
}

int busyHandler(void *, int count)
{
    BusyWait &b = busyWait();
    if (count == 0) {
        b.waited.start();
        if (!b.waiting) {
            b.waiting = true;
            if (b.observer)
                b.observer(true);
        }
    }
    const qint64 left = b.timeoutMs - b.waited.elapsed();
    if (left <= 0)
        return 0;
    sqlite3_sleep(int(qMin<qint64>(left, 20)));
    return 1;
}

// Ends the wait of the statement that just ran, if it waited.
struct BusyWaitEnd
{
    ~BusyWaitEnd()
    {
        BusyWait &b = busyWait();
        if (b.waiting) {
            b.waiting = false;
            if (b.observer)
                b.observer(false);
        }
    }
};

// Binds a value to a native statement: null, integers, reals, texts as UTF-8, byte arrays as
// blobs, dates in ISO form.
void bindText(sqlite3_stmt *stmt, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text64(stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
}

void bindValue(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    if (value.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, value.toDouble());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                            SQLITE_TRANSIENT);
        return;
    }
    case QMetaType::QDate:
        bindText(stmt, index, value.toDate().toString(Qt::ISODate));
        return;
    default:
        bindText(stmt, index, value.toString());
    }
}

// A statement on the native handle; finalized when dropped from the cache.
class NativeStatement
{
public:
    NativeStatement(sqlite3 *handle, const QString &sql) : m_handle(handle)
    {
        BusyWaitEnd end;
        const QByteArray text = sql.toUtf8();
        const int rc = sqlite3_prepare_v3(handle, text.constData(), int(text.size()),
                                          SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
        if (rc != SQLITE_OK) {
            const QString why = QString::fromUtf8(sqlite3_errmsg(handle));
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            throw DbError(why + u" ["_s + sql.left(300) + u"]"_s, failureOf(rc));
        }
    }
    ~NativeStatement() { sqlite3_finalize(m_stmt); }
    NativeStatement(const NativeStatement &) = delete;
    NativeStatement &operator=(const NativeStatement &) = delete;

    void run(const QVariantList &values)
    {
        BusyWaitEnd end;
        for (int i = 0; i < int(values.size()); ++i)
            bindValue(m_stmt, i + 1, values.at(i));
        const int rc = sqlite3_step(m_stmt);
        const QString why = rc != SQLITE_DONE && rc != SQLITE_ROW
                                ? QString::fromUtf8(sqlite3_errmsg(m_handle))
                                : QString();
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW)
            throw DbError(why + u" ["_s + QString::fromUtf8(sqlite3_sql(m_stmt)).left(300) + u"]"_s,
                          failureOf(rc));
    }

private:
    sqlite3 *m_handle = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
};

// Statements kept prepared, per connection name: Qt queries for reads, native ones for writes.
struct StatementCache
{
    QHash<QString, QSqlQuery> queries;
    QHash<QString, std::shared_ptr<NativeStatement>> writes;
};

QHash<QString, StatementCache> &statementCache()
{
    static QHash<QString, StatementCache> cache;
    return cache;
}

// A program that ends through std::exit (a missing picture, a paper that cannot be made) still
// has its connection open and statements of ours kept. When the statics go, Qt SQL's list of
// connections goes before the cache (open() makes it after the cache) and closes the connection,
// which SQLite refuses while statements are unfinalized: the connection was lost unclosed, its
// WAL never moved into the file. An exit handler registered once the list exists runs before it
// goes, and finalizes ours first.
void finalizeKeptStatementsAtExit()
{
    static const bool registered = [] {
        statementCache(); // built before the handler, so destroyed after it has run
        return std::atexit([] { statementCache().clear(); }) == 0;
    }();
    Q_UNUSED(registered);
}

sqlite3 *nativeHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

} // namespace

DbError::DbError(const QString &message, Failure failure)
    : std::runtime_error(message.toStdString()), m_failure(failure)
{
}

Failure failureOf(int sqliteCode)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Failure::Busy;
    case SQLITE_FULL:
        return Failure::DiskFull;
    default:
        return Failure::Other;
    }
}

DbError errorFrom(const QSqlError &error, const QString &context)
{
    return DbError(error.text() + u" ["_s + context.left(300) + u"]"_s,
                   failureOf(error.nativeErrorCode().toInt()));
}

QString failureMessage(const std::exception &error, const QString &fallback)
{
    const auto *db = dynamic_cast<const DbError *>(&error);
    switch (db ? db->failure() : Failure::Other) {
    case Failure::Busy:
        return u"学习数据正被其他程序使用，本次没有记录任何内容！请关闭该程序后再试。"_s;
    case Failure::DiskFull:
        return u"磁盘已满，本次没有保存任何内容（包括答案）！请清理磁盘空间后再试。"_s;
    case Failure::Other:
        break;
    }
    return fallback;
}

void setBusyTimeout(int milliseconds)
{
    busyWait().timeoutMs = milliseconds;
}

void setBusyObserver(std::function<void(bool)> observer)
{
    busyWait().observer = std::move(observer);
}

QString sqlQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', u"''"_s);
    return u'\'' + quoted + u'\'';
}

QString sqlIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

OpenRequirements::OpenRequirements(const QStringList &tableNames)
{
    for (const QString &t : tableNames)
        tables.insert(t, {});
}

namespace {

struct OpenResult
{
    OpenFailure failure = OpenFailure::None;
    QString why;
};

// The kind of failure behind the last error on the connection's handle.
OpenFailure failureOfLastError(const QSqlDatabase &db)
{
    sqlite3 *handle = nativeHandle(db);
    switch (handle ? sqlite3_errcode(handle) : SQLITE_ERROR) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return OpenFailure::InUse;
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return OpenFailure::ReadOnly;
    default:
        return OpenFailure::Damaged;
    }
}

// The columns of a table, as the file declares them.
QStringList columnNames(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery q = query(db, u"select name from pragma_table_info(?)"_s, {table});
    QStringList names;
    while (q.next())
        names.append(q.value(0).toString());
    return names;
}

// What the file lacks of the required tables and columns; empty when nothing.
constexpr QLatin1StringView kMissingTable("missing table: ");
constexpr QLatin1StringView kMissingColumn("missing column: ");

QString missingParts(const QSqlDatabase &db, const OpenRequirements &requirements)
{
    const QStringList tables = tableNames(db);
    for (auto it = requirements.tables.cbegin(); it != requirements.tables.cend(); ++it) {
        if (!tables.contains(it.key(), Qt::CaseInsensitive))
            return kMissingTable + it.key();
        if (it.value().isEmpty())
            continue;
        const QStringList columns = columnNames(db, it.key());
        for (const QString &c : it.value()) {
            if (!columns.contains(c, Qt::CaseInsensitive))
                return kMissingColumn + it.key() + u'.' + c;
        }
    }
    return {};
}

// Whether the process can write the file and create files beside it (the WAL and its index).
bool canWrite(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 &&
           ::access(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), W_OK) == 0;
}

// Opens and checks the connection.
OpenResult openChecked(const QString &connectionName, const QString &path,
                       const OpenRequirements &requirements)
{
    if (!QFileInfo(path).isFile())
        return {OpenFailure::Missing, u"no such file: "_s + path};
    if (requirements.writable && !canWrite(path))
        return {OpenFailure::ReadOnly, u"cannot write the file or its folder: "_s + path};
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName);
    finalizeKeptStatementsAtExit();
    // mode=rw or ro: the file must exist; SQLite never creates an empty database here.
    db.setDatabaseName(
        fileUri(path, requirements.readOnly, requirements.readOnly && requirements.immutable));
    db.setConnectOptions(u"QSQLITE_OPEN_URI"_s);
    if (!db.open())
        return {OpenFailure::Other, db.lastError().text()};
    sqlite3 *handle = nativeHandle(db);
    // Another program's lock is waited for (up to the busy timeout) by a handler of ours, so
    // that the wait can be shown.
    if (handle)
        sqlite3_busy_handler(handle, busyHandler, nullptr);
    // SQLite falls back to read-only for a file it may not write, and says nothing.
    if (requirements.writable && handle && sqlite3_db_readonly(handle, "main") == 1)
        return {OpenFailure::ReadOnly, u"opened read-only: "_s + path};
    try {
        // A file that is not a database opens but fails its first read.
        const QString missing = missingParts(db, requirements);
        if (!missing.isEmpty())
            return {OpenFailure::Damaged, missing};
        if (requirements.quickCheck) {
            const QString verdict = scalar(db, u"PRAGMA quick_check(1)"_s).toString();
            if (verdict != u"ok"_s)
                return {OpenFailure::Damaged, u"quick_check: "_s + verdict};
        }
        if (requirements.readOnly || requirements.walLater)
            return {};
        switchToWal(db);
    } catch (const DbError &e) {
        return {failureOfLastError(db), e.message()};
    }
    return {};
}

} // namespace

bool pathTooLong(const QString &path)
{
    constexpr qsizetype kLongestName = 512;
    const QByteArray name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    return name.size() + qsizetype(sizeof("-journal") - 1) >= kLongestName;
}

QString missingPartText(const QString &openError)
{
    if (openError.startsWith(kMissingTable))
        return u"缺少数据表 "_s + openError.mid(kMissingTable.size());
    if (openError.startsWith(kMissingColumn)) {
        const QString part = openError.mid(kMissingColumn.size());
        const qsizetype dot = part.indexOf(u'.');
        return u"数据表 "_s + part.left(dot) + u" 缺少列 "_s + part.mid(dot + 1);
    }
    return {};
}

bool open(const QString &connectionName, const QString &path, const OpenRequirements &requirements,
          QString *error, OpenFailure *failure)
{
    close(connectionName);
    const OpenResult result = openChecked(connectionName, path, requirements);
    if (failure)
        *failure = result.failure;
    if (result.failure == OpenFailure::None)
        return true;
    if (error)
        *error = result.why;
    close(connectionName);
    return false;
}

bool openReadOnly(const QString &connectionName, const QString &path,
                  const QStringList &requiredTables, QString *error)
{
    OpenRequirements requirements(requiredTables);
    requirements.readOnly = true;
    return open(connectionName, path, requirements, error);
}

QString fileUri(const QString &path, bool readOnly, bool immutable)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(readOnly ? (immutable ? u"mode=ro&immutable=1"_s : u"mode=ro"_s) : u"mode=rw"_s);
    return url.toString(QUrl::FullyEncoded);
}

void switchToWal(const QSqlDatabase &db)
{
    // WAL: a crash never leaves a half-written answer, and readers never block the writer.
    // FULL: a commit is on the disk when it returns, so a power cut loses no answer.
    exec(db, u"PRAGMA journal_mode=WAL"_s);
    exec(db, u"PRAGMA synchronous=FULL"_s);
}

void close(const QString &connectionName)
{
    statementCache().remove(connectionName);
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen())
            db.close();
    }
    units().remove(connectionName);
    QSqlDatabase::removeDatabase(connectionName);
}

QSqlQuery query(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw errorFrom(q.lastError(), sql);
    execPrepared(q, values);
    return q;
}

void exec(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q = query(db, sql, values);
    q.finish();
}

void releaseMemory(const QSqlDatabase &db)
{
    if (sqlite3 *handle = nativeHandle(db))
        sqlite3_db_release_memory(handle);
    // Freed blocks amid the heap stay with the process until trimmed.
    ::malloc_trim(0);
}

QSqlQuery &prepared(const QSqlDatabase &db, const QString &sql)
{
    QHash<QString, QSqlQuery> &cache = statementCache()[db.connectionName()].queries;
    auto it = cache.find(sql);
    if (it == cache.end()) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            throw errorFrom(q.lastError(), sql);
        it = cache.insert(sql, q);
    }
    return it.value();
}

void write(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    auto &cache = statementCache()[db.connectionName()].writes;
    auto it = cache.find(sql);
    if (it == cache.end()) {
        sqlite3 *handle = nativeHandle(db);
        if (!handle || !db.isOpen())
            throw DbError(u"database not open ["_s + sql.left(300) + u"]"_s);
        it = cache.insert(sql, std::make_shared<NativeStatement>(handle, sql));
    }
    it.value()->run(values);
}

Rows::Rows(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    BusyWaitEnd end;
    m_handle = nativeHandle(db);
    if (!m_handle || !db.isOpen())
        throw DbError(u"database not open ["_s + sql.left(300) + u"]"_s);
    const QByteArray text = sql.toUtf8();
    const char *tail = nullptr;
    const int rc =
        sqlite3_prepare_v3(m_handle, text.constData(), int(text.size()), 0, &m_stmt, &tail);
    if (rc != SQLITE_OK)
        fail(rc);
    // One statement only, as Qt SQL allows.
    if (tail && !QByteArray(tail).trimmed().isEmpty()) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DbError(u"more than one statement ["_s + sql.left(300) + u"]"_s);
    }
    if (!m_stmt) // only white space or a comment
        throw DbError(u"no statement ["_s + sql.left(300) + u"]"_s);
    m_columns = sqlite3_column_count(m_stmt);
    if (values.size() != sqlite3_bind_parameter_count(m_stmt)) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DbError(u"wrong number of values ["_s + sql.left(300) + u"]"_s);
    }
    for (int i = 0; i < int(values.size()); ++i)
        bindValue(m_stmt, i + 1, values.at(i));
}

Rows::~Rows()
{
    sqlite3_finalize(m_stmt);
}

void Rows::fail(int rc) const
{
    const QString why = QString::fromUtf8(sqlite3_errmsg(m_handle));
    const QString sql = m_stmt ? QString::fromUtf8(sqlite3_sql(m_stmt)) : QString();
    throw DbError(why + u" ["_s + sql.left(300) + u"]"_s, failureOf(rc));
}

bool Rows::next()
{
    BusyWaitEnd end;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(rc);
}

int Rows::indexOf(QStringView name) const
{
    for (int c = 0; c < m_columns; ++c) {
        if (QString::fromUtf8(sqlite3_column_name(m_stmt, c)).compare(name, Qt::CaseInsensitive) ==
            0)
            return c;
    }
    return -1;
}

QString Rows::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

Rows::Type Rows::type(int column) const
{
    if (column < 0)
        return Type::Null;
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return Type::Integer;
    case SQLITE_FLOAT:
        return Type::Real;
    case SQLITE_BLOB:
        return Type::Blob;
    case SQLITE_NULL:
        return Type::Null;
    default:
        return Type::Text;
    }
}

qint64 Rows::toLongLong(int column) const
{
    switch (type(column)) {
    case Type::Integer:
        return sqlite3_column_int64(m_stmt, column);
    case Type::Null:
        return 0;
    default:
        return value(column).toLongLong();
    }
}

int Rows::toInt(int column) const
{
    switch (type(column)) {
    case Type::Integer:
        return int(sqlite3_column_int64(m_stmt, column));
    case Type::Null:
        return 0;
    default:
        return value(column).toInt();
    }
}

QString Rows::toString(int column) const
{
    switch (type(column)) {
    case Type::Text: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
    }
    case Type::Integer:
        return QString::number(sqlite3_column_int64(m_stmt, column));
    case Type::Null:
        return {};
    default:
        return value(column).toString();
    }
}

QByteArrayView Rows::utf8(int column) const
{
    if (column < 0)
        return {};
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QByteArrayView(text, sqlite3_column_bytes(m_stmt, column));
}

QVariant Rows::value(int column) const
{
    if (column < 0)
        return QVariant(QMetaType::fromType<QString>());
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        return QVariant(QByteArray(bytes, sqlite3_column_bytes(m_stmt, column)));
    }
    default:
        return QVariant(QMetaType::fromType<QString>());
    }
}

void execPrepared(QSqlQuery &q, const QVariantList &values)
{
    BusyWaitEnd end;
    for (qsizetype i = 0; i < values.size(); ++i)
        q.bindValue(static_cast<int>(i), values.at(i));
    if (!q.exec())
        throw errorFrom(q.lastError(), q.lastQuery());
}

QVariant scalar(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q = query(db, sql, values);
    return q.next() ? q.value(0) : QVariant();
}

QString mainFilePath(const QSqlDatabase &db)
{
    return scalar(db, u"select file from pragma_database_list where name='main'"_s).toString();
}

void backupTo(const QSqlDatabase &db, const QString &path)
{
    sqlite3 *source = nativeHandle(db);
    if (!source || !db.isOpen())
        throw DbError(u"database not open [backup]"_s);
    const QString partial = path + u".part"_s;
    QFile::remove(partial);
    {
        // Created empty and user-only first, never through a link: SQLite takes an empty file as
        // an empty database.
        const int fd = ::open(QFile::encodeName(partial).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            throw DbError(u"cannot create "_s + partial);
        const bool userOnly = ::fchmod(fd, 0600) == 0;
        ::close(fd);
        if (!userOnly) {
            QFile::remove(partial);
            throw DbError(u"cannot create "_s + partial);
        }
    }
    sqlite3 *target = nullptr;
    int rc = sqlite3_open_v2(partial.toUtf8().constData(), &target, SQLITE_OPEN_READWRITE, nullptr);
    QString why;
    if (rc == SQLITE_OK) {
        // The copy is a fresh file, discarded unless complete: no journal, no waiting for the
        // disk on every page; it is flushed once, whole, before it takes its name.
        sqlite3_exec(target, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr,
                     nullptr);
        sqlite3_backup *copy = sqlite3_backup_init(target, "main", source, "main");
        if (copy) {
            rc = sqlite3_backup_step(copy, -1);
            sqlite3_backup_finish(copy);
            if (rc != SQLITE_DONE)
                why = QString::fromUtf8(sqlite3_errstr(rc));
        } else {
            why = QString::fromUtf8(sqlite3_errmsg(target));
        }
    } else {
        why = QString::fromUtf8(sqlite3_errstr(rc));
    }
    if (sqlite3_close(target) != SQLITE_OK && why.isEmpty())
        why = u"cannot close the copy"_s;
    for (const QString &suffix : {u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QFile::remove(partial + suffix);
    // The copy carries the source's WAL mark (header bytes 18 and 19). It is a file of its own,
    // with no -wal: marked as a rollback-journal database, opening it to read it leaves no -wal
    // and -shm files beside it. A database opened for work is switched to WAL again.
    if (why.isEmpty()) {
        QFile header(partial);
        if (!header.open(QIODevice::ReadWrite) || !header.seek(18))
            why = u"cannot open the copy"_s;
        else if (header.read(2) == QByteArray("\x02\x02", 2) &&
                 (!header.seek(18) || header.write("\x01\x01", 2) != 2 || !header.flush()))
            why = u"cannot write the copy's header"_s;
    }
    if (why.isEmpty() && !PrivateFiles::renameInPlace(partial, path))
        why = u"cannot rename the copy to "_s + path;
    if (!why.isEmpty()) {
        QFile::remove(partial);
        throw DbError(why + u" [backup to "_s + path + u"]"_s);
    }
}

QStringList tableNames(const QSqlDatabase &db)
{
    QSqlQuery q = query(db, u"select name from sqlite_master where type='table' order by name"_s);
    QStringList names;
    while (q.next())
        names.append(q.value(0).toString());
    return names;
}

bool hasTable(const QSqlDatabase &db, const QString &name)
{
    return tableNames(db).contains(name, Qt::CaseInsensitive);
}

void dropTable(const QSqlDatabase &db, const QString &name)
{
    // Statements prepared against the old schema would be re-prepared anyway; drop them.
    statementCache().remove(db.connectionName());
    exec(db, u"DROP TABLE "_s + sqlIdentifier(name));
}

namespace {

void runKept(const QSqlDatabase &db, const QString &sql)
{
    write(db, sql);
}

} // namespace

Transaction::Transaction(const QSqlDatabase &db) : m_db(db)
{
    UnitState &state = units()[db.connectionName()];
    m_outermost = state.depth == 0;
    if (m_outermost) {
        runKept(m_db, u"SAVEPOINT unit"_s);
        state.doomed = false;
    }
    ++state.depth;
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    UnitState &state = units()[m_db.connectionName()];
    --state.depth;
    if (!m_outermost) {
        state.doomed = true;
        return;
    }
    // Undo the unit's work and end it; an error here has nowhere to go.
    try {
        runKept(m_db, u"ROLLBACK TO unit"_s);
        runKept(m_db, u"RELEASE unit"_s);
    } catch (const DbError &) {
    }
}

void Transaction::commit()
{
    if (m_done)
        return;
    UnitState &state = units()[m_db.connectionName()];
    if (m_outermost && state.doomed)
        throw DbError(u"an inner unit of work failed; nothing was written"_s);
    if (m_outermost)
        runKept(m_db, u"RELEASE unit"_s);
    m_done = true;
    --state.depth;
}

} // namespace Db
