#include "data/answerrecord.h"

#include "data/clock.h"
#include "data/database.h"
#include "data/dm.h"

#include <QDate>

using namespace Qt::StringLiterals;

QuestionProgress QuestionProgress::fromRecord(const QSqlRecord &row)
{
    QuestionProgress q;
    q.id = row.value(u"A1"_s).toString();
    q.correct = row.value(u"A2"_s).toString();
    q.chapter = row.value(u"A10"_s).toString();
    q.lastDate = row.value(u"E1"_s);
    q.lastAnswer = row.value(u"E2"_s).toString();
    q.runAnswer = row.value(u"E2_1"_s).toString();
    q.count = row.value(u"E3"_s).toInt();
    q.wrongLevel = row.value(u"E4"_s).toInt();
    for (int k = 3; k <= 12; ++k)
        q.points.append(row.value(u"K"_s + QString::number(k)).toString());
    return q;
}

ExamPointLists ExamPointLists::fromCodes(const QStringList &codes)
{
    QStringList points, chapters, groups;
    for (const QString &code : codes) {
        if (code.isEmpty())
            break;
        points.append(Db::sqlQuote(code));
        chapters.append(Db::sqlQuote(code.left(6)));
        groups.append(Db::sqlQuote(code.left(2)));
    }
    ExamPointLists lists;
    if (!points.isEmpty()) {
        lists.points = u'(' + points.join(u',') + u')';
        lists.chapters = u'(' + chapters.join(u',') + u')';
        lists.groups = u'(' + groups.join(u',') + u')';
    }
    return lists;
}

namespace {

QDate storedDate(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate();
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

} // namespace

RecordOutcome recordJudgedAnswer(TDM1 &dm, const QString &table, QuestionProgress &q,
                                 const QString &answer)
{
    RecordOutcome outcome;
    outcome.right = answer == q.correct;
    const QDate today = Clock::today();
    QuestionProgress after = q;

    Db::Transaction tx(dm.ADOCn1());
    if (answer != q.runAnswer) {
        outcome.counted = true;
        const int dayState = storedDate(q.lastDate) == today ? 1 : 2;
        const int result = outcome.right ? 1 : 2;
        const int previousResult = q.lastAnswer == q.correct && !q.lastAnswer.isEmpty() ? 1 : 2;
        int firstTime;
        if (!q.lastAnswer.isEmpty()) {
            firstTime = 1;
            if (!outcome.right)
                after.wrongLevel -= 1;
            else if (after.wrongLevel < 0)
                after.wrongLevel += 1;
        } else {
            firstTime = 2;
            after.wrongLevel = outcome.right ? 0 : -3;
        }
        after.count += 1;
        dm.RecordDailyAnswer(dayState, result, previousResult);
        dm.RecordChapterAnswer(q.chapter, firstTime, result);
        dm.RecordExamPointAnswer(q.points, firstTime, result);
    }
    after.runAnswer = answer;
    after.lastAnswer = answer;
    after.lastDate = TDM1::dateText(today);
    Db::write(dm.ADOCn1(),
              u"update "_s + Db::sqlIdentifier(table) + u" set E1=?,E2=?,E2_1=?,E3=?,E4=? where A1=?"_s,
              {after.lastDate, answer, answer, after.count, after.wrongLevel, q.id});
    tx.commit();
    q = after;
    return outcome;
}

void clearRunAnswer(TDM1 &dm, const QString &table, QuestionProgress &q)
{
    Db::exec(dm.ADOCn1(), u"update "_s + Db::sqlIdentifier(table) + u" set E2_1='' where A1=?"_s,
             {q.id});
    q.runAnswer.clear();
}
