#include "practice/questionset.h"

#include "data/database.h"
#include "data/dm.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

void QuestionSet::open(const QSqlDatabase &db, const QString &sql)
{
    close();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw Db::errorFrom(q.lastError(), sql);
    // Column positions once; the query may lack some columns (no ecount, no xx).
    const QSqlRecord rec = q.record();
    const int a1 = rec.indexOf(u"A1"_s), a2 = rec.indexOf(u"A2"_s), a21 = rec.indexOf(u"A2_1"_s),
              a10 = rec.indexOf(u"A10"_s), a13 = rec.indexOf(u"A13"_s), a14 = rec.indexOf(u"A14"_s),
              e1 = rec.indexOf(u"E1"_s), e2 = rec.indexOf(u"E2"_s), e21 = rec.indexOf(u"E2_1"_s),
              e3 = rec.indexOf(u"E3"_s), e4 = rec.indexOf(u"E4"_s), f1 = rec.indexOf(u"F1"_s),
              csbs = rec.indexOf(u"csbs"_s), ecount = rec.indexOf(u"ecount"_s);
    int k[10];
    for (int i = 0; i < 10; ++i)
        k[i] = rec.indexOf(u"K"_s + QString::number(i + 3));
    auto value = [&q](int index) { return index >= 0 ? q.value(index) : QVariant(); };
    while (q.next()) {
        QuestionRow row;
        QuestionProgress &p = row.progress;
        p.id = value(a1).toString();
        p.correct = value(a2).toString();
        p.chapter = value(a10).toString();
        p.lastDate = value(e1);
        p.lastAnswer = value(e2).toString();
        p.runAnswer = value(e21).toString();
        p.count = value(e3).toInt();
        p.wrongLevel = value(e4).toInt();
        p.points.reserve(10);
        for (int i = 0; i < 10; ++i)
            p.points.append(value(k[i]).toString());
        row.optionCount = value(a21).toInt();
        row.kind = value(a13).toInt();
        row.note = value(a14);
        row.f1 = value(f1).toInt();
        row.csbs = value(csbs).toString();
        row.ecount = value(ecount).toInt();
        m_rows.append(std::move(row));
    }
    rebuildView();
}

void QuestionSet::close()
{
    m_rows.clear();
    m_view.clear();
    m_kind = 0;
}

bool QuestionSet::setKindFilter(int kind)
{
    if (kind == m_kind)
        return false;
    m_kind = kind;
    rebuildView();
    return true;
}

int QuestionSet::countOfKind(int kind) const
{
    if (kind == 0)
        return totalCount();
    int n = 0;
    for (const QuestionRow &row : m_rows)
        n += row.kind == kind ? 1 : 0;
    return n;
}

void QuestionSet::rebuildView()
{
    m_view.clear();
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_kind == 0 || m_rows.at(i).kind == m_kind)
            m_view.append(i);
    }
}

namespace QuestionWrites {

void startRun(TDM1 &dm, QuestionSet &set, const QString &practiceQuery)
{
    // Only rows holding a run answer are written: the same end state as clearing every row,
    // without rewriting the whole bank each time a window opens.
    {
        Db::Transaction tx(dm.ADOCn1());
        Db::exec(dm.ADOCn1(), u"update tab_answ set E2_1='' where E2_1<>'' or E2_1 is null"_s);
        tx.commit();
    }
    set.open(dm.ADOCn1(), practiceQuery);
}

RecordOutcome judge(TDM1 &dm, const QString &table, QuestionRow &row, const QString &answer)
{
    if (answer.isEmpty()) {
        clearRunAnswer(dm, table, row.progress);
        return {};
    }
    return recordJudgedAnswer(dm, table, row.progress, answer);
}

RecordOutcome judgePaper(TDM1 &dm, const QString &table, QuestionRow &row, const QString &answer)
{
    if (answer.isEmpty()) {
        clearRunAnswer(dm, table, row.progress);
        return {};
    }
    return recordPaperAnswer(dm, table, row.progress, answer);
}

void voidPaperQuestion(TDM1 &dm, const QString &table, QuestionRow &row)
{
    Db::Transaction tx(dm.ADOCn1());
    Db::exec(dm.ADOCn1(),
             u"update "_s + Db::sqlIdentifier(table) + u" set F1=1,E2='zero' where A1=?"_s,
             {row.id()});
    Db::exec(dm.ADOCn1(), u"update tab_answ set F1=1,E2='zero' where A1=?"_s, {row.id()});
    tx.commit();
    row.f1 = 1;
    row.progress.lastAnswer = u"zero"_s;
}

void restorePaperQuestion(TDM1 &dm, const QString &table, QuestionRow &row)
{
    Db::Transaction tx(dm.ADOCn1());
    Db::exec(dm.ADOCn1(),
             u"update "_s + Db::sqlIdentifier(table) + u" set F1=0,E2='' where A1=?"_s,
             {row.id()});
    Db::exec(dm.ADOCn1(), u"update tab_answ set F1=0 where A1=?"_s, {row.id()});
    tx.commit();
    row.f1 = 0;
    row.progress.lastAnswer.clear();
}

void voidQuestion(TDM1 &dm, const QString &table, QuestionRow &row)
{
    Db::exec(dm.ADOCn1(),
             u"update "_s + Db::sqlIdentifier(table) + u" set F1=1,E2=? where A1=?"_s,
             {voidedAnswer(), row.id()});
    row.f1 = 1;
    row.progress.lastAnswer = voidedAnswer();
}

void restoreQuestion(TDM1 &dm, const QString &table, QuestionRow &row)
{
    Db::exec(dm.ADOCn1(), u"update "_s + Db::sqlIdentifier(table) + u" set F1=0 where A1=?"_s,
             {row.id()});
    row.f1 = 0;
}

void markTimedOut(TDM1 &dm, const QString &table, QuestionRow &row)
{
    Db::exec(dm.ADOCn1(), u"update "_s + Db::sqlIdentifier(table) + u" set csbs='Y' where A1=?"_s,
             {row.id()});
    row.csbs = u"Y"_s;
}

void reloadEdited(TDM1 &dm, const QString &table, QuestionRow &row)
{
    QSqlQuery q = Db::query(dm.ADOCn1(),
                            u"select A2,A2_1,A13,K3,K4,K5,K6,K7,K8,K9,K10,K11,K12,ecount from "_s +
                                Db::sqlIdentifier(table) + u" where A1=?"_s,
                            {row.id()});
    if (!q.next())
        throw Db::DbError(u"no question "_s + row.id());
    row.progress.correct = q.value(0).toString();
    row.optionCount = q.value(1).toInt();
    row.kind = q.value(2).toInt();
    for (int i = 0; i < 10; ++i) {
        if (i < row.progress.points.size())
            row.progress.points[i] = q.value(3 + i).toString();
        else
            row.progress.points.append(q.value(3 + i).toString());
    }
    row.ecount = q.value(13).toInt();
}

void reloadNote(TDM1 &dm, const QString &table, QuestionRow &row)
{
    row.note = Db::scalar(dm.ADOCn1(),
                          u"select A14 from "_s + Db::sqlIdentifier(table) + u" where A1=?"_s,
                          {row.id()});
}

} // namespace QuestionWrites
