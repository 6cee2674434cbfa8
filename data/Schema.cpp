#include "data/Schema.h"

#include "data/Database.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace Schema {

QStringList requiredTables()
{
    return {u"tab_answ"_s, u"tab_exer"_s, u"tab_title"_s, u"tab_kmmc"_s, u"tab_fgmc"_s,
            u"tab_rule"_s, u"tab_tx1"_s,  u"tab_tx2"_s,   u"tab_tx3"_s,  u"tab_tx4"_s,
            u"tab_tx5"_s,  u"tab_rz"_s,   u"tab_plan"_s,  u"tab_cj"_s,   u"tab_sj"_s};
}

QStringList answerColumns()
{
    return {u"A1"_s,  u"A2"_s,  u"A2_1"_s, u"K3"_s,    u"K4"_s,   u"K5"_s,  u"K6"_s,
            u"K7"_s,  u"K8"_s,  u"K9"_s,   u"K10"_s,   u"K11"_s,  u"K12"_s, u"A10"_s,
            u"A13"_s, u"A14"_s, u"E1"_s,   u"E2"_s,    u"E2_1"_s, u"E3"_s,  u"E4"_s,
            u"F1"_s,  u"xx"_s,  u"csbs"_s, u"ecount"_s};
}

namespace {

const char *const kTables[] = {
    // One row per question: its metadata and the candidate's progress on it.
    "CREATE TABLE tab_answ (A1 TEXT(20) COLLATE NOCASE NOT NULL UNIQUE,"
    "A2 TEXT(100) COLLATE NOCASE,A2_1 SMALLINT,"
    "K3 TEXT(12) COLLATE NOCASE,K4 TEXT(12) COLLATE NOCASE,K5 TEXT(12) COLLATE NOCASE,"
    "K6 TEXT(12) COLLATE NOCASE,K7 TEXT(12) COLLATE NOCASE,K8 TEXT(12) COLLATE NOCASE,"
    "K9 TEXT(12) COLLATE NOCASE,K10 TEXT(12) COLLATE NOCASE,K11 TEXT(12) COLLATE NOCASE,"
    "K12 TEXT(12) COLLATE NOCASE,A10 TEXT(6) COLLATE NOCASE,A13 SMALLINT,"
    "A14 TEXT COLLATE NOCASE,E1 DATE,E2 TEXT(100) COLLATE NOCASE,E2_1 TEXT(100) COLLATE NOCASE,"
    "E3 SMALLINT DEFAULT 0,E4 SMALLINT DEFAULT 0,F1 SMALLINT DEFAULT 0,xx INTEGER,"
    "csbs TEXT(2) COLLATE NOCASE,ecount INTEGER DEFAULT 0)",
    // Question texts.
    "CREATE TABLE tab_exer (A1 TEXT(20) COLLATE NOCASE NOT NULL,A15 BLOB,jx BLOB)",
    // Shared stems of compound questions.
    "CREATE TABLE tab_title (A1 TEXT(20) COLLATE NOCASE NOT NULL,A15 BLOB)",
    // Syllabus with per-chapter figures.
    "CREATE TABLE tab_kmmc (C1 TEXT COLLATE NOCASE,C1_1 TEXT COLLATE NOCASE,C2 TEXT COLLATE NOCASE,"
    "C3 INTEGER DEFAULT 0,C4 INTEGER DEFAULT 0,D1 INTEGER DEFAULT 0,D2 INTEGER DEFAULT 0,"
    "C6 TEXT COLLATE NOCASE DEFAULT '0',C7 TEXT COLLATE NOCASE,bh INTEGER,jx BLOB)",
    // Exam-point groups and exam points.
    "CREATE TABLE tab_fgmc (id TEXT COLLATE NOCASE,n TEXT COLLATE NOCASE,bh INTEGER,"
    "q INTEGER DEFAULT 0,q1 INTEGER DEFAULT 0,q2 INTEGER DEFAULT 0,q4 INTEGER DEFAULT 0)",
    "CREATE TABLE tab_rule (id TEXT COLLATE NOCASE,ftid TEXT(12) COLLATE NOCASE,"
    "sn TEXT COLLATE NOCASE,n BLOB,q INTEGER DEFAULT 0,q1 INTEGER DEFAULT 0,"
    "q2 INTEGER DEFAULT 0,q4 INTEGER DEFAULT 0)",
    // Study log, one row per day.
    "CREATE TABLE tab_rz (A1 DATE,A2 INTEGER DEFAULT 0,A3 INTEGER DEFAULT 0,B1 INTEGER DEFAULT 0,"
    "B2 INTEGER DEFAULT 0,A4 TEXT,D1 TEXT)",
    // Plan and exam settings (one row).
    "CREATE TABLE tab_plan (PlanMark INTEGER,PlanAmount INTEGER,PlanTime INTEGER,ExamDate DATE,"
    "LeastMark INTEGER,ExamTime INTEGER)",
    // Paper history.
    "CREATE TABLE tab_cj (A1 TEXT COLLATE NOCASE,A3 TEXT COLLATE NOCASE,A3_1 INTEGER,D1 DATE,"
    "A6 REAL,D2 TEXT)",
    // Upgrades applied and the product identifier.
    "CREATE TABLE tab_sj (sjbs TEXT COLLATE NOCASE,cpbs TEXT COLLATE NOCASE)",
};

const char *const kIndexes[] = {
    "CREATE INDEX IF NOT EXISTS ix_answ_a10 ON tab_answ(A10)",
    "CREATE INDEX IF NOT EXISTS ix_answ_a13_a10 ON tab_answ(A13,A10)",
    // Only the rows holding a run answer, so that starting a run clears them without reading
    // the whole bank; its condition is the clearing statement's.
    "CREATE INDEX IF NOT EXISTS ix_answ_run ON tab_answ(A1) WHERE E2_1<>'' or E2_1 is null",
    "CREATE INDEX IF NOT EXISTS ix_exer_a1 ON tab_exer(A1)",
    "CREATE INDEX IF NOT EXISTS ix_title_a1 ON tab_title(A1)",
    "CREATE INDEX IF NOT EXISTS ix_kmmc_c1 ON tab_kmmc(C1)",
    "CREATE INDEX IF NOT EXISTS ix_kmmc_bh ON tab_kmmc(bh)",
    "CREATE INDEX IF NOT EXISTS ix_fgmc_id ON tab_fgmc(id)",
    "CREATE UNIQUE INDEX IF NOT EXISTS ix_rule_ftid ON tab_rule(ftid)",
    "CREATE INDEX IF NOT EXISTS ix_rule_id ON tab_rule(id)",
    "CREATE UNIQUE INDEX IF NOT EXISTS ix_rz_a1 ON tab_rz(A1)",
    "CREATE INDEX IF NOT EXISTS ix_cj_a1 ON tab_cj(A1)",
};

QString kindTableStatement(int kind)
{
    return u"CREATE TABLE tab_tx"_s + QString::number(kind) +
           u" (A1 INTEGER,B1 TEXT COLLATE NOCASE,B2 INTEGER,B3 REAL,time REAL)"_s;
}

// The table name and column names of a CREATE TABLE statement: the first word of each
// definition between the outer parentheses.
std::pair<QString, QStringList> tableAndColumns(const QString &statement)
{
    const qsizetype open = statement.indexOf(u'(');
    const QString name = statement.left(open).split(u' ', Qt::SkipEmptyParts).last();
    QStringList columns;
    int depth = 0;
    bool atStart = true;
    for (qsizetype i = open + 1; i < statement.size(); ++i) {
        const QChar c = statement.at(i);
        if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (depth-- == 0)
                break;
        } else if (c == u',' && depth == 0) {
            atStart = true;
        } else if (atStart && !c.isSpace()) {
            qsizetype end = i;
            while (end < statement.size() && !statement.at(end).isSpace())
                ++end;
            columns.append(statement.mid(i, end - i));
            atStart = false;
        }
    }
    return {name, columns};
}

} // namespace

QMap<QString, QStringList> requiredColumns()
{
    QMap<QString, QStringList> tables;
    for (const char *sql : kTables) {
        auto [name, columns] = tableAndColumns(QString::fromUtf8(sql));
        tables.insert(name, columns);
    }
    for (int kind = 1; kind <= 5; ++kind) {
        auto [name, columns] = tableAndColumns(kindTableStatement(kind));
        tables.insert(name, columns);
    }
    return tables;
}

void create(const QSqlDatabase &db)
{
    Db::Transaction tx(db);
    for (const char *sql : kTables)
        Db::exec(db, QString::fromUtf8(sql));
    for (int kind = 1; kind <= 5; ++kind) {
        Db::exec(db, kindTableStatement(kind));
    }
    createIndexes(db);
    createOwnTables(db);
    Db::exec(db, u"PRAGMA user_version="_s + QString::number(kSchemaVersion));
    tx.commit();
}

void createIndexes(const QSqlDatabase &db)
{
    // Databases made before exam-point codes were unique hold a plain index of that name, which
    // CREATE ... IF NOT EXISTS leaves alone: it becomes unique when the codes already are.
    const bool plainPointCodeIndex =
        Db::scalar(db, u"SELECT count(*) FROM pragma_index_list('tab_rule') "
                       u"WHERE name='ix_rule_ftid' AND \"unique\"=0"_s)
            .toInt() > 0;
    if (plainPointCodeIndex &&
        Db::scalar(db, u"SELECT count(*) FROM (SELECT ftid FROM tab_rule GROUP BY ftid "
                       u"HAVING count(*)>1)"_s)
                .toInt() == 0) {
        Db::Transaction tx(db);
        Db::exec(db, u"DROP INDEX ix_rule_ftid"_s);
        Db::exec(db, u"CREATE UNIQUE INDEX ix_rule_ftid ON tab_rule(ftid)"_s);
        tx.commit();
    }
    for (const char *sql : kIndexes)
        Db::exec(db, QString::fromUtf8(sql));
}

void createOwnTables(const QSqlDatabase &db)
{
    Db::Transaction tx(db);
    Db::exec(db, u"CREATE TABLE IF NOT EXISTS tab_own_answer (A1 TEXT PRIMARY KEY COLLATE NOCASE,"
                 u"answer TEXT NOT NULL,saved TEXT)"_s);
    tx.commit();
}

QString paperTableStatement(const QString &tableName)
{
    return u"CREATE TABLE "_s + tableName +
           u" (A1 TEXT(20) NOT NULL PRIMARY KEY,A2 TEXT(100),A2_1 SMALLINT,"_s +
           u"K3 TEXT(12),K4 TEXT(12),K5 TEXT(12),K6 TEXT(12),K7 TEXT(12),K8 TEXT(12),K9 TEXT(12),"
           u"K10 TEXT(12),K11 TEXT(12),K12 TEXT(12)"_s +
           u",A10 TEXT(6),A13 SMALLINT,A14 MEMO,E1 DATETIME,E2 TEXT(100),"_s +
           u"E2_1 TEXT(100),E3 SMALLINT,E4 SMALLINT,jx IMAGE,csbs TEXT(2),"_s + u"F1 SMALLINT)"_s;
}

QString toSqliteDdl(const QString &accessDdl)
{
    QString ddl = accessDdl;
    static const QRegularExpression memo(u"\\bMEMO\\b"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    ddl.replace(memo, u"TEXT"_s);
    static const QRegularExpression text(u"\\bTEXT(\\(\\d+\\))?+(?!\\s+COLLATE)"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    ddl.replace(text, u"TEXT\\1 COLLATE NOCASE"_s);
    return ddl;
}

void createPaperTable(const QSqlDatabase &db, const QString &tableName)
{
    Db::exec(db, toSqliteDdl(paperTableStatement(tableName)));
}

} // namespace Schema
