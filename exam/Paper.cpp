#include "exam/Paper.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/StudyData.h"

#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <cmath>

using namespace Qt::StringLiterals;

namespace Paper {

namespace {

// Question kinds and how many of each a paper kind draws.
struct DrawEntry
{
    int paperKind;
    int questionKind;
    int count;
};
constexpr DrawEntry kDrawTable[] = {
    {1, 11, 70}, {1, 21, 15}, {2, 11, 70}, {2, 21, 15},
    {3, 11, 60}, {3, 21, 20}, {4, 31, 5},  {5, 64, 6},
};

// The eligible pool of a kind: chapter code under the prefix, not voided (a NULL f1 fails the
// comparison and stays out, as it does everywhere in the program).
const QString kPoolCondition = u"A10 LIKE ? AND f1<>1"_s;

// "?,?,?": n places for bound values, as an IN list takes them.
QString placeholders(qsizetype n)
{
    return n <= 0 ? QString() : u"?"_s + u",?"_s.repeated(n - 1);
}

} // namespace

KindInfo kindInfo(int paperKind)
{
    switch (paperKind) {
    case 2:
        return {u"注册安全工程师·安全生产管理知识"_s, u"02"_s};
    case 3:
        return {u"注册安全工程师·安全生产技术"_s, u"03"_s};
    case 4:
        return {u"注册安全工程师·安全生产事故案例分析"_s, u"04"_s};
    case 5:
        return {u"造价工程师·案例分析"_s, u"05"_s};
    default:
        return {u"注册安全工程师·安全生产法及相关法律知识"_s, u"01"_s};
    }
}

int drawCount(int paperKind, int questionKind)
{
    for (const DrawEntry &e : kDrawTable) {
        if (e.paperKind == paperKind && e.questionKind == questionKind)
            return e.count;
    }
    return 0;
}

QString paperTitle(const QDate &date, const QString &subject, int sequence)
{
    return date.toString(u"yyyy'年'MM'月'dd'日'"_s) + subject + u'[' + QString::number(sequence) +
           u']';
}

NewPaper nextPaper(const QSqlDatabase &db, int paperKind, const QDate &today)
{
    NewPaper paper;
    paper.table = u"tab_exam1"_s;
    // The paper history tab_cj: A1 the paper's table, A3_1 its sequence number.
    QSqlQuery q = Db::query(db, u"select A1,A3_1 from tab_cj order by A3_1 desc limit 1"_s);
    if (q.next()) {
        paper.sequence = q.value(1).toInt() + 1;
        // The digits after "tab_exam" in the newest paper's name.
        const int n = q.value(0).toString().trimmed().mid(8).toInt();
        paper.table = u"tab_exam"_s + QString::number(n + 1);
    }
    paper.title = paperTitle(today, kindInfo(paperKind).subject, paper.sequence);
    return paper;
}

QString failureMessage(Failure failure)
{
    switch (failure) {
    case Failure::CreateTable:
        return u"建立数据表时发生错误！"_s;
    case Failure::EmptyPool:
        return u"没有发现题目！"_s;
    case Failure::Draw:
        return u"提取数据时发生错误！"_s;
    case Failure::Open:
        break;
    }
    return u"无法打开试卷！"_s;
}

QList<int> drawPositions(int poolSize, int count, QRandomGenerator &random)
{
    QList<int> positions;
    if (poolSize <= 0 || count <= 0)
        return positions;
    if (count >= poolSize) {
        for (int p = 0; p < poolSize; ++p)
            positions.append(p);
        return positions;
    }
    // Floyd's sampling: `count` distinct positions, each subset equally likely.
    QSet<int> taken;
    for (int j = poolSize - count; j < poolSize; ++j) {
        const int t = static_cast<int>(random.bounded(quint32(j + 1)));
        const int pick = taken.contains(t) ? j : t;
        taken.insert(pick);
        positions.append(pick);
    }
    return positions;
}

int poolSize(const QSqlDatabase &db, int questionKind, const QString &prefix)
{
    QString sql = u"select count(*) from tab_answ where "_s + kPoolCondition;
    QVariantList values{QString(prefix + u'%')};
    if (questionKind != 0) {
        sql += u" AND A13=?"_s;
        values.append(questionKind);
    }
    return Db::scalar(db, sql, values).toInt();
}

QStringList drawQuestions(const QSqlDatabase &db, int questionKind, int count,
                          const QString &prefix, QRandomGenerator &random)
{
    const QList<int> positions = drawPositions(poolSize(db, questionKind, prefix), count, random);
    QStringList ids;
    if (positions.isEmpty())
        return ids;
    // The pool in a fixed order (fewest answers first), numbered from 0; the drawn positions
    // pick their rows in one pass.
    QVariantList values{questionKind, QString(prefix + u'%')};
    for (int p : positions)
        values.append(p);
    QSqlQuery q = Db::query(
        db,
        u"select A1 from (select A1,row_number() over (order by E3,rowid)-1 as pos from tab_answ"
        u" where A13=? AND "_s +
            kPoolCondition + u") where pos in ("_s + placeholders(positions.size()) + u')',
        values);
    while (q.next())
        ids.append(q.value(0).toString());
    return ids;
}

void insertPaperQuestions(const QSqlDatabase &db, const QString &table, const QStringList &ids)
{
    if (ids.isEmpty())
        return;
    QVariantList values;
    for (const QString &id : ids)
        values.append(id);
    // A new paper holds no answer yet: a practice run's answers stay behind in tab_answ, so a
    // paper left unopened (the program ended before the window showed) never lists them.
    Db::exec(db,
             u"insert into "_s + Db::sqlIdentifier(table) +
                 u"(a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,E3,E4,JX,"
                 u"CSBS,F1) select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,"
                 u"e1,e2,'' as e2_1,e3,e4,b.jx as jx,a.csbs as csbs,a.f1 as f1"
                 u" from tab_answ a,tab_exer b where a.a1=b.a1 and a.a1 in ("_s +
                 placeholders(ids.size()) + u')',
             values);
}

int drawKind(const QSqlDatabase &db, int paperKind, const QString &table, int questionKind,
             QRandomGenerator &random)
{
    const int count = drawCount(paperKind, questionKind);
    if (count <= 0)
        return 0;
    const QStringList ids =
        drawQuestions(db, questionKind, count, kindInfo(paperKind).prefix, random);
    insertPaperQuestions(db, table, ids);
    return static_cast<int>(ids.size());
}

void allowZeroLengthColumns(const QSqlDatabase &, const QString &)
{
    // A2, A14, E2, E2_1 and csbs accept '' as every SQLite text column does.
}

NewPaper createPaper(StudyData &data, int paperKind, const QDate &today, QRandomGenerator &random)
{
    const QSqlDatabase db = data.connection();
    const QString prefix = kindInfo(paperKind).prefix;
    NewPaper paper;
    try {
        paper = nextPaper(db, paperKind, today);
        if (poolSize(db, 0, prefix) == 0)
            throw PaperError(Failure::EmptyPool, "no eligible question");
    } catch (const Db::DbError &e) {
        throw PaperError(Failure::CreateTable, e.what());
    }

    Db::Transaction tx(db);
    try {
        data.dropPaper(paper.table);
        Db::exec(db, u"insert into tab_cj (A1,A3,A3_1,D1) values (?,?,?,?)"_s,
                 {paper.table, paper.title, paper.sequence, StudyData::dateText(today)});
        // A table of that name without a history row is a left-over too.
        if (Db::hasTable(db, paper.table))
            Db::dropTable(db, paper.table);
        Schema::createPaperTable(db, paper.table);
        allowZeroLengthColumns(db, paper.table);
    } catch (const Db::DbError &e) {
        throw PaperError(Failure::CreateTable, e.what());
    }
    try {
        QSqlQuery kinds = Db::query(db, u"select A1,B2 from "_s +
                                            Db::sqlIdentifier(App::kindTableName(paperKind)));
        QList<int> switchedOn;
        while (kinds.next()) {
            if (kinds.value(1).toDouble() > 0)
                switchedOn.append(kinds.value(0).toInt());
        }
        kinds.finish();
        for (int kind : switchedOn)
            drawKind(db, paperKind, paper.table, kind, random);
        tx.commit();
    } catch (const Db::DbError &e) {
        throw PaperError(Failure::Draw, e.what());
    }
    return paper;
}

QString paperQuery(const QString &table)
{
    return u"select * from "_s + Db::sqlIdentifier(table) + u" order by A13,A1"_s;
}

void clearAnswers(const QSqlDatabase &db, const QString &table)
{
    Db::exec(db, u"update "_s + Db::sqlIdentifier(table) + u" set E2_1=''"_s);
}

int unansweredCount(const QSqlDatabase &db, const QString &table)
{
    return Db::scalar(db, u"select count(*) from "_s + Db::sqlIdentifier(table) +
                              u" where E2_1 = '' or E2_1 is null"_s)
        .toInt();
}

double paperScore(const QSqlDatabase &db, int paperKind, const QString &table)
{
    const QString paper = Db::sqlIdentifier(table);
    const QString kinds = App::kindTableName(paperKind);
    // A question (A13 its kind) scores its kind's B3 when the stored answer E2_1 equals the
    // correct one A2, letter case ignored; NULL (nothing right) reads as 0.
    return Db::scalar(db, u"select sum("_s + kinds + u".B3) as ZFS from "_s + paper + u',' + kinds +
                              u" where "_s + paper + u".A13 = "_s + kinds + u".A1 and "_s + paper +
                              u".A2 = "_s + paper + u".E2_1 COLLATE NOCASE"_s)
        .toDouble();
}

Settings readSettings(const QSqlDatabase &db)
{
    Settings s;
    QSqlQuery q = Db::query(db, u"select LeastMark,ExamTime from tab_plan limit 1"_s);
    if (q.next()) {
        s.leastMark = q.value(0).toInt();
        s.examTime = q.value(1).toLongLong();
    }
    return s;
}

void saveSettings(const QSqlDatabase &db, int leastMark, qint64 examTime)
{
    Db::Transaction tx(db);
    Db::exec(db,
             u"update tab_plan set LeastMark=?,ExamTime=? where rowid=(select rowid from tab_plan"
             u" limit 1)"_s,
             {leastMark, examTime});
    tx.commit();
}

Outline paperOutline(const QSqlDatabase &db, int paperKind)
{
    Outline outline;
    const KindInfo info = kindInfo(paperKind);
    outline.subject = info.subject;
    // The kind table: A1 question kind, B2 questions per paper (0 switches it off), B3 points.
    QSqlQuery kinds = Db::query(db, u"select A1,B2,B3 from "_s +
                                        Db::sqlIdentifier(App::kindTableName(paperKind)));
    while (kinds.next()) {
        if (kinds.value(1).toDouble() <= 0)
            continue;
        const int kind = kinds.value(0).toInt();
        const int drawn = qMin(drawCount(paperKind, kind), poolSize(db, kind, info.prefix));
        outline.questions += drawn;
        outline.fullMark += drawn * kinds.value(2).toDouble();
    }
    outline.examTime = readSettings(db).examTime;
    return outline;
}

QString outlineText(const Outline &outline)
{
    return outline.subject + u"\n共"_s + QString::number(outline.questions) + u"题，满分"_s +
           scoreText(outline.fullMark) + u"分，限时"_s + QString::number(outline.examTime / 60) +
           u"分钟"_s;
}

Grade gradePaper(StudyData &data, int paperKind, const QString &table, const QString &timeUsed)
{
    const QSqlDatabase db = data.connection();
    Grade grade;
    Db::Transaction tx(db);
    grade.score = paperScore(db, paperKind, table);
    grade.discardOnClose = readSettings(db).leastMark > grade.score;
    Db::exec(
        db,
        u"update tab_cj set A6=?,D2=? where rowid=(select rowid from tab_cj where A1=? limit 1)"_s,
        {grade.score, timeUsed, table});
    data.addStudyTime(timeUsed);
    tx.commit();
    return grade;
}

QString scoreText(double score)
{
    return QString::number(score, 'g', 15);
}

int passThreshold(int totalPaperScore)
{
    return totalPaperScore / 5 * 3;
}

HistoryFigures historyFigures(const QSqlDatabase &db, int threshold)
{
    HistoryFigures f;
    // A6 of the history is a paper's score (NULL until it is graded).
    f.papers = Db::scalar(db, u"select count(*) from tab_cj"_s).toInt();
    f.passed = Db::scalar(db, u"select count(*) from tab_cj where A6 >= ?"_s, {threshold}).toInt();
    // avg leaves empty scores out; the mean is shown rounded half to even.
    const QVariant avg = Db::scalar(db, u"select avg(A6) as avg_fs from tab_cj"_s);
    f.average = avg.isNull() ? 0 : static_cast<int>(std::nearbyint(avg.toDouble()));
    return f;
}

void deletePaper(StudyData &data, const QString &table)
{
    const QSqlDatabase db = data.connection();
    Db::Transaction tx(db);
    data.dropPaper(table);
    Db::exec(db, u"delete from tab_cj where A1=?"_s, {table});
    tx.commit();
}

} // namespace Paper
