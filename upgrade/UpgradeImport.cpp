#include "upgrade/UpgradeImport.h"

#include "data/Database.h"
#include "data/StudyData.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

// How one table of the upgrade file is appended: the column naming a row, the tables of the
// study database in which that key already names a row (such rows are skipped, never
// duplicated or overwritten), and the columns that start at fixed values instead of the file's
// (the candidate's progress and the counters derived from it: a new row has none yet).
struct Append
{
    QString table;
    QString key;
    QStringList existingIn;
    QHash<QString, QString> startValues;
};

QList<Append> appends()
{
    const QString zero = u"0"_s;
    return {
        {u"tab_kmmc"_s,
         u"C1"_s,
         {u"tab_kmmc"_s},
         {{u"c3"_s, zero}, {u"c4"_s, zero}, {u"d1"_s, zero}, {u"d2"_s, zero}, {u"c6"_s, u"'0'"_s}}},
        {u"tab_exer"_s, u"A1"_s, {u"tab_answ"_s, u"tab_exer"_s}, {}},
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
          {u"ecount"_s, zero}}},
        {u"tab_rule"_s,
         u"ftid"_s,
         {u"tab_rule"_s},
         {{u"q"_s, zero}, {u"q1"_s, zero}, {u"q2"_s, zero}, {u"q4"_s, zero}}},
        {u"tab_fgmc"_s,
         u"id"_s,
         {u"tab_fgmc"_s},
         {{u"q"_s, zero}, {u"q1"_s, zero}, {u"q2"_s, zero}, {u"q4"_s, zero}}},
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
        from.append(a.startValues.value(column.toLower(), u"u."_s + name));
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

    m_studyData.closeSecondConnection();
    if (!m_studyData.openSecondConnection(path, &result.detail)) {
        result.outcome = Outcome::CannotOpen;
        return result;
    }
    const QSqlDatabase upgrade = m_studyData.upgradeConnection();
    QString upgradeId, productId;
    try {
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

    const QSqlDatabase study = m_studyData.connection();
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
        result.detail = e.message();
        return result;
    }

    try {
        Db::backupTo(study, backupPath(Db::mainFilePath(study)));
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
    try {
        Attachment attached(study, path);
        Db::Transaction tx(study);
        const qint64 lastQuestion = lastRowid(study, u"tab_answ"_s);
        const int offered = Db::scalar(study, u"select count(*) from upg.tab_answ"_s).toInt();
        for (const QString &statement : appendStatements(study))
            Db::exec(study, statement);
        Db::exec(study, u"insert into tab_sj(sjbs,cpbs) values(?,?)"_s, {upgradeId, productId});
        countAddedQuestions(study, lastQuestion);
        result.questionsAdded =
            Db::scalar(study, u"select count(*) from main.tab_answ where rowid>?"_s, {lastQuestion})
                .toInt();
        // Every other question of the file has an id the study database already had.
        result.questionsKept = offered - result.questionsAdded;
        tx.commit();
        result.outcome = Outcome::Succeeded;
    } catch (const Db::DbError &e) {
        result = {};
        result.outcome = Outcome::Failed;
        result.detail = e.message();
    }
    return result;
}
