#include "data/AnswerRecord.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/StudyData.h"

#include <QDate>
#include <QSqlQuery>

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

int nextWrongLevel(bool answeredBefore, int level, bool right)
{
    if (!answeredBefore)
        return right ? 0 : -3;
    if (!right)
        return level - 1;
    return level < 0 ? level + 1 : level;
}

namespace {

// The counters one new answer moves: the day, the chapters, the exam points. The question's
// state before the answer decides day state, previous result and first time.
void recordCounters(StudyData &data, const QuestionProgress &q, bool right, const QDate &today)
{
    const int dayState = storedDate(q.lastDate) == today ? 1 : 2;
    const int result = right ? 1 : 2;
    // A voided question's earlier answer is gone (E2 holds the void mark). It was right when the
    // question is out of the wrong-question list (every wrong answer leaves E4 below 0);
    // otherwise its result is unknown and the day's count of wrong questions stays.
    int previousResult = 2;
    if (answerIsRight(q.lastAnswer, q.correct))
        previousResult = 1;
    else if (q.lastAnswer == voidedAnswer())
        previousResult = q.wrongLevel == 0 ? 1 : 0;
    const int firstTime = q.lastAnswer.isEmpty() ? 2 : 1;
    data.recordDailyAnswer(dayState, result, previousResult);
    data.recordChapterAnswer(q.chapter, firstTime, result);
    data.recordExamPointAnswer(q.points, firstTime, result);
}

} // namespace

RecordOutcome recordJudgedAnswer(StudyData &data, const QString &table, QuestionProgress &q,
                                 const QString &answer)
{
    RecordOutcome outcome;
    outcome.right = answerIsRight(answer, q.correct);
    const QDate today = Clock::today();
    QuestionProgress after = q;

    Db::Transaction tx(data.connection());
    if (answer != q.runAnswer) {
        outcome.counted = true;
        after.wrongLevel = nextWrongLevel(!q.lastAnswer.isEmpty(), q.wrongLevel, outcome.right);
        after.count += 1;
        recordCounters(data, q, outcome.right, today);
    }
    after.runAnswer = answer;
    after.lastAnswer = answer;
    after.lastDate = StudyData::dateText(today);
    Db::write(data.connection(),
              u"update "_s + Db::sqlIdentifier(table) +
                  u" set E1=?,E2=?,E2_1=?,E3=?,E4=? where A1=?"_s,
              {after.lastDate, answer, answer, after.count, after.wrongLevel, q.id});
    tx.commit();
    q = after;
    return outcome;
}

void updateQuestionProgress(StudyData &data, const QString &id, const QString &answer)
{
    const QSqlDatabase db = data.connection();
    QSqlQuery &read = Db::prepared(db, u"select A2,E2,E3,E4 from tab_answ where A1=?"_s);
    Db::execPrepared(read, {id});
    if (!read.next()) {
        read.finish();
        return;
    }
    const QString correct = read.value(0).toString();
    const bool before = !read.value(1).toString().isEmpty();
    const int count = read.value(2).toInt() + 1;
    const int level = nextWrongLevel(before, read.value(3).toInt(), answerIsRight(answer, correct));
    read.finish();
    Db::write(db, u"update tab_answ set E4=?,E3=?,E2_1=?,E2=?,E1=? where A1=?"_s,
              {level, count, answer, answer, StudyData::dateText(Clock::today()), id});
}

RecordOutcome recordPaperAnswer(StudyData &data, const QString &paperTable, QuestionProgress &q,
                                const QString &answer)
{
    RecordOutcome outcome;
    outcome.right = answerIsRight(answer, q.correct);
    const QDate today = Clock::today();
    QuestionProgress after = q;

    Db::Transaction tx(data.connection());
    if (answer != q.runAnswer) {
        outcome.counted = true;
        recordCounters(data, q, outcome.right, today);
        updateQuestionProgress(data, q.id, answer);
    }
    after.runAnswer = answer;
    after.lastAnswer = answer;
    after.lastDate = StudyData::dateText(today);
    Db::write(data.connection(),
              u"update "_s + Db::sqlIdentifier(paperTable) + u" set E2_1=?,E2=?,E1=? where A1=?"_s,
              {answer, answer, after.lastDate, q.id});
    tx.commit();
    q = after;
    return outcome;
}

void clearRunAnswer(StudyData &data, const QString &table, QuestionProgress &q)
{
    Db::exec(data.connection(),
             u"update "_s + Db::sqlIdentifier(table) + u" set E2_1='' where A1=?"_s, {q.id});
    q.runAnswer.clear();
}
