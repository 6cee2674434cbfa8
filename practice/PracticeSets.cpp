#include "practice/PracticeSets.h"

#include "data/Database.h"
#include "data/StudyData.h"

#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace PracticeSets {

bool isSubjectCode(const QString &chapterCode)
{
    return chapterCode.size() == 1 || chapterCode.size() == 2;
}

bool canStart(Set set, const QString &chapterCode)
{
    return set != Set::New || !isSubjectCode(chapterCode);
}

QString practiceQuery(Set set, const QString &chapterCode, bool doubleClicked)
{
    // The pieces keep the wording of the original statements. The chapter test is a prefix LIKE:
    // it compares without case, as the column itself does, and SQLite answers it from the A10
    // index, so the cost follows the chapter's size rather than the whole bank's.
    QString select;
    QString conditions;
    QString order;
    switch (set) {
    case Set::New:
        select = u"select a1 ,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,"
                 u"e4,f1,xx,csbs,ecount from tab_answ where (A10 LIKE "_s;
        conditions = u") and (E2 = '' or E2 is null) "_s + u" and (f1<>1) "_s;
        order = doubleClicked ? u" order by a13,a10,xx"_s : u" order by a13,a10,xx,a1"_s;
        break;
    case Set::Wrong:
        select = u"select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,"
                 u"e4,f1,xx,csbs,ecount from tab_answ  where (A10 LIKE "_s;
        conditions = u") and (E4 < 0) "_s + u" and (f1<>1)"_s;
        order = u" order by a13,e3,e4,e1,xx,a1"_s;
        break;
    case Set::Done:
        select = u"select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,"
                 u"e4,f1,xx,csbs,ecount from tab_answ where (A10 LIKE "_s;
        conditions = u") and (E2 <> '' and E2 is not null) "_s;
        order = u"order by a13,e3,e4,e1,xx,a1"_s;
        break;
    }
    // Over a subject or the whole syllabus the notebook runs chapter by chapter.
    if (set != Set::New && isSubjectCode(chapterCode))
        order.replace(u"order by "_s, u"order by a10,"_s);
    // '%' and '_' in a code stand for themselves: a backslash escapes them and itself. Every
    // code starts with the code of the whole syllabus ("0"), so its prefix takes every chapter.
    QString pattern = chapterCode;
    pattern.replace(u'\\', u"\\\\"_s).replace(u'%', u"\\%"_s).replace(u'_', u"\\_"_s);
    return select + Db::sqlQuote(pattern + u'%') + u" ESCAPE '\\'"_s + conditions + order;
}

qint64 setSize(const QSqlDatabase &db, Set set, const QString &chapterCode)
{
    return Db::scalar(db, u"select count(*) from ("_s + practiceQuery(set, chapterCode) + u')')
        .toLongLong();
}

QString emptySetMessage(Set set)
{
    switch (set) {
    case Set::New:
        return u"恭喜，习题已做完！"_s;
    case Set::Wrong:
        return u"本章节下没有错题！"_s;
    case Set::Done:
        return u"本章节习题还未曾做过！"_s;
    }
    return {};
}

int emptySetIcon(Set set)
{
    // 0 information (good news), 1 warning.
    return set == Set::New ? 0 : 1;
}

QString gridQuery()
{
    return u"select C1,C1_1,C2,C3,C4,D1,D2,C6 from tab_kmmc where c1<>'xx' order by bh"_s;
}

QString totalsQuery()
{
    return u"select sum(C3) as count_c3,sum(D1) as count_d1,sum(D2) as count_d2 from tab_kmmc "
           u"where length(c1)=6"_s;
}

qint64 Totals::displayedQuestions() const
{
    return qMin<qint64>(questions, 10000);
}

QString Totals::scoreText() const
{
    if (answers <= 0)
        return {};
    return StudyData::scoreText(answers, wrong);
}

Totals readTotals(const QSqlDatabase &db)
{
    QSqlQuery q = Db::query(db, totalsQuery());
    Totals t;
    if (q.next()) {
        t.questions = q.value(0).toLongLong();
        t.answers = q.value(1).toLongLong();
        t.wrong = q.value(2).toLongLong();
    }
    return t;
}

} // namespace PracticeSets
