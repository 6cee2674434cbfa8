#include "upgrade/UpgradeImport.h"

#include "data/Database.h"
#include "data/StudyData.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// How one table of the upgrade file is appended: the column naming a row, the tables of the
// study database in which that key already names a row (such rows are skipped, never
// duplicated or overwritten), and the columns that start at fixed values instead of the file's
// (the candidate's progress and the counters derived from it: a new row has none yet).
// Besides, what each row must carry: a key given once in the file, and the columns that must not
// be empty, each with the name the candidate is told.
struct Append
{
    QString table;
    QString key;
    QStringList existingIn;
    QHash<QString, QString> startValues;
    QString keyName;
    QList<std::pair<QString, QString>> required;
};

// The value appended for a column of the file's row u (the file's own columns are all read).
QString fileValue(const QString &table, const QString &column)
{
    const QString name = Db::sqlIdentifier(column);
    // The answer pages give capitals: the keys of single and multiple choice are stored so,
    // any other answer as it is.
    if (table == u"tab_answ"_s && column.compare(u"A2"_s, Qt::CaseInsensitive) == 0)
        return u"case when cast(u.A13 as integer) in (11,21) then upper(u."_s + name +
               u") else u."_s + name + u" end"_s;
    return u"u."_s + name;
}

QList<Append> appends()
{
    const QString zero = u"0"_s;
    const QString questionId = u"试题编号"_s;
    return {
        {u"tab_kmmc"_s,
         u"C1"_s,
         {u"tab_kmmc"_s},
         {{u"c3"_s, zero}, {u"c4"_s, zero}, {u"d1"_s, zero}, {u"d2"_s, zero}, {u"c6"_s, u"'0'"_s}},
         u"章节编码"_s,
         {}},
        {u"tab_exer"_s, u"A1"_s, {u"tab_answ"_s, u"tab_exer"_s}, {}, questionId, {}},
        {u"tab_answ"_s,
         u"A1"_s,
         {u"tab_answ"_s},
         {{u"e1"_s, u"NULL"_s},
          {u"e2"_s, u"''"_s},
          {u"e2_1"_s, u"''"_s},
          {u"e3"_s, zero},
          {u"e4"_s, zero},
          {u"f1"_s, zero},
          {u"csbs"_s, u"''"_s},
          {u"ecount"_s, zero}},
         questionId,
         {{u"A10"_s, u"章节编码"_s}}},
        {u"tab_rule"_s,
         u"ftid"_s,
         {u"tab_rule"_s},
         {{u"q"_s, zero}, {u"q1"_s, zero}, {u"q2"_s, zero}, {u"q4"_s, zero}},
         u"考点编码"_s,
         {}},
        {u"tab_fgmc"_s,
         u"id"_s,
         {u"tab_fgmc"_s},
         {{u"q"_s, zero}, {u"q1"_s, zero}, {u"q2"_s, zero}, {u"q4"_s, zero}},
         u"考点分组编号"_s,
         {}},
    };
}

QStringList columnsOf(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery q = Db::query(db, u"select name from main.pragma_table_info(?)"_s, {table});
    QStringList names;
    while (q.next())
        names.append(q.value(0).toString());
    if (names.isEmpty())
        throw Db::DbError(u"no table "_s + table);
    return names;
}

QString appendStatement(const QSqlDatabase &db, const Append &a)
{
    QStringList into, from;
    for (const QString &column : columnsOf(db, a.table)) {
        const QString name = Db::sqlIdentifier(column);
        into.append(name);
        from.append(a.startValues.value(column.toLower(), fileValue(a.table, column)));
    }
    QString sql = u"insert into main."_s + a.table + u" ("_s + into.join(u',') + u") select "_s +
                  from.join(u',') + u" from upg."_s + a.table + u" u"_s;
    QStringList conditions;
    for (const QString &existing : a.existingIn) {
        conditions.append(u"not exists (select 1 from main."_s + existing + u" m where m."_s +
                          a.key + u"=u."_s + a.key + u')');
    }
    return sql + u" where "_s + conditions.join(u" and "_s);
}

qint64 lastRowid(const QSqlDatabase &db, const QString &table)
{
    return Db::scalar(db, u"select coalesce(max(rowid),0) from main."_s + table).toLongLong();
}

// The counters of the chapters and exam points that the added questions (rowid above `after`)
// belong to move as when each question is entered one by one: C3 of the chapter rows whose code
// is the first 1, 2, 4 or 6 characters of the question's chapter; q of each exam point it
// links (K3 up to the first empty code) and once of each exam-point chapter and group.
void countAddedQuestions(const QSqlDatabase &db, qint64 after)
{
    QHash<QString, qint64> chapters;
    QSqlQuery byChapter = Db::query(db,
                                    u"select substr(A10,1,6),count(*) from main.tab_answ "
                                    u"where rowid>? group by 1"_s,
                                    {after});
    while (byChapter.next()) {
        const QString code = byChapter.value(0).toString().toLower();
        for (const int length : {1, 2, 4, 6}) {
            if (code.size() >= length)
                chapters[code.left(length)] += byChapter.value(1).toLongLong();
        }
    }
    byChapter.finish();
    for (auto it = chapters.cbegin(); it != chapters.cend(); ++it) {
        Db::write(db, u"update tab_kmmc set C3=coalesce(C3,0)+? where C1=?"_s,
                  {it.value(), it.key()});
    }

    QHash<QString, qint64> points, groups;
    QSqlQuery links = Db::query(db,
                                u"select K3,K4,K5,K6,K7,K8,K9,K10,K11,K12 from main.tab_answ "
                                u"where rowid>?"_s,
                                {after});
    while (links.next()) {
        QSet<QString> pointsSeen, groupsSeen;
        for (int k = 0; k < 10; ++k) {
            const QString code = links.value(k).toString().toLower();
            if (code.isEmpty())
                break;
            pointsSeen.insert(code);
            groupsSeen.insert(code.left(6));
            groupsSeen.insert(code.left(2));
        }
        for (const QString &p : std::as_const(pointsSeen))
            ++points[p];
        for (const QString &g : std::as_const(groupsSeen))
            ++groups[g];
    }
    links.finish();
    for (auto it = points.cbegin(); it != points.cend(); ++it)
        Db::write(db, u"update tab_rule set q=coalesce(q,0)+? where ftid=?"_s,
                  {it.value(), it.key()});
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        Db::write(db, u"update tab_fgmc set q=coalesce(q,0)+? where id=?"_s,
                  {it.value(), it.key()});
}

// Whether two paths name one file, through any links.
bool sameFile(const QString &a, const QString &b)
{
    struct stat first = {}, second = {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

QStringList fileColumns(const QSqlDatabase &upgrade, const QString &table)
{
    QSqlQuery q = Db::query(upgrade, u"select name from pragma_table_info(?)"_s, {table});
    QStringList names;
    while (q.next())
        names.append(q.value(0).toString());
    return names;
}

// What keeps the file's tables from being appended, in a sentence for the candidate; empty when
// nothing does. The file is read on its own connection, before anything is written.
QString tableFault(const QSqlDatabase &upgrade, const QSqlDatabase &study)
{
    // An attached file must share the study database's text encoding.
    if (Db::scalar(upgrade, u"PRAGMA encoding"_s).toString() != u"UTF-8"_s)
        return u"升级文件的文字编码是 UTF-16，本软件只能读取 UTF-8 编码的升级文件。"_s;
    for (const Append &a : appends()) {
        // Stored tables only: a view or a virtual table can stand for any number of rows,
        // computed anew on every read.
        QSqlQuery kind = Db::query(upgrade,
                                   u"select type,sql from sqlite_master where name=? collate "
                                   u"nocase and type in ('table','view')"_s,
                                   {a.table});
        if (!kind.next())
            return u"升级文件缺少数据表 %1。"_s.arg(a.table);
        if (kind.value(0).toString() != u"table"_s ||
            kind.value(1).toString().simplified().startsWith(u"create virtual"_s,
                                                             Qt::CaseInsensitive))
            return u"升级文件中的 %1 不是数据表。"_s.arg(a.table);
        kind.finish();
        // Every column the append reads from the file.
        const QStringList present = fileColumns(upgrade, a.table);
        for (const QString &column : columnsOf(study, a.table)) {
            if (!a.startValues.contains(column.toLower()) &&
                !present.contains(column, Qt::CaseInsensitive))
                return u"升级文件的数据表 %1 缺少列 %2。"_s.arg(a.table, column);
        }
    }
    return {};
}

// Rows an upgrade may not bring, in a sentence for the candidate; empty when there are none:
// a row without its key or another required value, and a key given twice (as the study
// database compares keys, without regard to letter case), which would be appended twice.
QString rowFault(const QSqlDatabase &upgrade)
{
    for (const Append &a : appends()) {
        QList<std::pair<QString, QString>> filled = {{a.key, a.keyName}};
        filled += a.required;
        for (const auto &[column, name] : std::as_const(filled)) {
            if (Db::scalar(upgrade,
                           u"select 1 from %1 where %2 is null or trim(%2)='' limit 1"_s.arg(
                               a.table, column))
                    .isValid())
                return u"升级文件的数据表 %1 中有%2（%3）为空的行。"_s.arg(a.table, name, column);
        }
        QSqlQuery twice =
            Db::query(upgrade, u"select %2,count(*) from %1 group by %2 collate "
                               u"nocase having count(*)>1 limit 1"_s.arg(a.table, a.key));
        if (twice.next()) {
            return u"升级文件的数据表 %1 中%2（%3）“%4”出现了 %5 次。"_s.arg(
                a.table, a.keyName, a.key, twice.value(0).toString().left(40),
                QString::number(twice.value(1).toLongLong()));
        }
    }
    return {};
}

// The candidate's sentence for a failed database step: another program holding the study
// database and a full disk are told as such, anything else as the step that failed.
QString failureReason(const Db::DbError &error, const QString &step)
{
    switch (error.failure()) {
    case Db::Failure::Busy:
        return u"学习数据正被其他程序使用，请关闭该程序后再试。"_s;
    case Db::Failure::DiskFull:
        return u"磁盘已满，请清理磁盘空间后再试。"_s;
    case Db::Failure::Other:
        break;
    }
    return step;
}

// The upgrade file attached to the study database's connection as "upg" for the length of a
// scope. Attached read-only through a URI, so a missing file is an error and never created,
// and any path works: it is bound, never spliced into the statement.
class Attachment
{
public:
    Attachment(const QSqlDatabase &db, const QString &path) : m_db(db)
    {
        Db::exec(db, u"ATTACH DATABASE ? AS upg"_s, {Db::fileUri(path, true)});
    }
    ~Attachment()
    {
        try {
            Db::exec(m_db, u"DETACH DATABASE upg"_s);
        } catch (const Db::DbError &e) {
            qWarning("studyaid: %s", e.what());
        }
    }
    Attachment(const Attachment &) = delete;
    Attachment &operator=(const Attachment &) = delete;

private:
    QSqlDatabase m_db;
};

} // namespace

QString UpgradeImport::backupPath(const QString &databasePath)
{
    return databasePath + u".bak"_s;
}

QStringList UpgradeImport::appendStatements(const QSqlDatabase &db)
{
    QStringList statements;
    for (const Append &a : appends())
        statements.append(appendStatement(db, a));
    return statements;
}

void UpgradeImport::release()
{
    m_studyData.closeSecondConnection();
}

UpgradeImport::Result UpgradeImport::run(const QString &typedPath)
{
    Result result;
    const QString path = typedPath.trimmed();
    if (path.isEmpty()) {
        result.outcome = Outcome::EmptyPath;
        return result;
    }

    const QSqlDatabase study = m_studyData.connection();
    QString databasePath;
    try {
        databasePath = Db::mainFilePath(study);
    } catch (const Db::DbError &e) {
        result.outcome = Outcome::Failed;
        result.reason = failureReason(e, u"读取学习数据库时出错。"_s);
        result.detail = e.message();
        return result;
    }
    if (sameFile(path, databasePath)) {
        result.outcome = Outcome::StudyDatabase;
        return result;
    }
    if (sameFile(path, backupPath(databasePath))) {
        result.outcome = Outcome::StudyDatabaseBackup;
        return result;
    }

    m_studyData.closeSecondConnection();
    if (!m_studyData.openSecondConnection(path, &result.detail)) {
        result.outcome = Outcome::CannotOpen;
        return result;
    }
    const QSqlDatabase upgrade = m_studyData.upgradeConnection();
    QString upgradeId, productId;
    try {
        // Every page is read: a damaged file is refused whole, before anything of it is used.
        const QString verdict = Db::scalar(upgrade, u"PRAGMA integrity_check(1)"_s).toString();
        if (verdict != u"ok"_s) {
            result.outcome = Outcome::Unreadable;
            result.detail = u"integrity_check: "_s + verdict;
            return result;
        }
        if (!Db::hasTable(upgrade, u"tab_sj"_s)) {
            result.outcome = Outcome::NoUpgradeTable;
            return result;
        }
        // Only the first row names the upgrade (sjbs: the upgrade's identifier, cpbs: the
        // product's); an empty table gives empty identifiers.
        QSqlQuery first = Db::query(upgrade, u"select sjbs,cpbs from tab_sj limit 1"_s);
        if (first.next()) {
            upgradeId = first.value(0).toString();
            productId = first.value(1).toString();
        }
    } catch (const Db::DbError &e) {
        result.outcome = Outcome::Unreadable;
        result.detail = e.message();
        return result;
    }

    try {
        if (!Db::scalar(study, u"select 1 from tab_sj where cpbs=?"_s, {productId}).isValid()) {
            result.outcome = Outcome::ForeignProduct;
            return result;
        }
        if (Db::scalar(study, u"select 1 from tab_sj where sjbs=?"_s, {upgradeId}).isValid()) {
            result.outcome = Outcome::AlreadyApplied;
            return result;
        }
    } catch (const Db::DbError &e) {
        result.outcome = Outcome::Failed;
        result.reason = failureReason(e, u"读取学习数据库时出错。"_s);
        result.detail = e.message();
        return result;
    }

    // The whole file is checked before the backup and the appends: a refused file changes
    // nothing, not even the backup.
    try {
        // Without an identifier of its own the file would apply again at every attempt.
        if (upgradeId.trimmed().isEmpty()) {
            result.outcome = Outcome::Invalid;
            result.reason = u"升级文件的数据表 tab_sj 中升级标识（sjbs）为空。"_s;
            return result;
        }
        result.reason = tableFault(upgrade, study);
        if (result.reason.isEmpty())
            result.reason = rowFault(upgrade);
        if (!result.reason.isEmpty()) {
            result.outcome = Outcome::Invalid;
            return result;
        }
    } catch (const Db::DbError &e) {
        result.outcome = Outcome::Unreadable;
        result.detail = e.message();
        return result;
    }

    try {
        Db::backupTo(study, backupPath(databasePath));
    } catch (const Db::DbError &e) {
        result.outcome = Outcome::BackupFailed;
        result.detail = e.message();
        return result;
    }
    return apply(path, upgradeId, productId);
}

UpgradeImport::Result UpgradeImport::apply(const QString &path, const QString &upgradeId,
                                           const QString &productId)
{
    Result result;
    const QSqlDatabase study = m_studyData.connection();
    // What the candidate is told if the step under way fails.
    QString step = u"无法读取升级文件。"_s;
    try {
        Attachment attached(study, path);
        Db::Transaction tx(study);
        const qint64 lastQuestion = lastRowid(study, u"tab_answ"_s);
        const int offered = Db::scalar(study, u"select count(*) from upg.tab_answ"_s).toInt();
        for (const Append &a : appends()) {
            step = u"向学习数据库的数据表 %1 追加数据时出错。"_s.arg(a.table);
            Db::exec(study, appendStatement(study, a));
        }
        step = u"向学习数据库的数据表 tab_sj 追加数据时出错。"_s;
        Db::exec(study, u"insert into tab_sj(sjbs,cpbs) values(?,?)"_s, {upgradeId, productId});
        step = u"更新章节和考点的题数时出错。"_s;
        countAddedQuestions(study, lastQuestion);
        result.questionsAdded =
            Db::scalar(study, u"select count(*) from main.tab_answ where rowid>?"_s, {lastQuestion})
                .toInt();
        // Every other question of the file has an id the study database already had.
        result.questionsKept = offered - result.questionsAdded;
        step = u"保存学习数据库时出错。"_s;
        tx.commit();
        result.outcome = Outcome::Succeeded;
    } catch (const Db::DbError &e) {
        result = {};
        result.outcome = Outcome::Failed;
        result.reason = failureReason(e, step);
        result.detail = e.message();
    }
    return result;
}
