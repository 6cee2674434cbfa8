#include "practice/QuestionSet.h"

#include "data/Database.h"
#include "data/StudyData.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

void QuestionSet::open(const QSqlDatabase &db, const QString &sql)
{
    close();
    // Read on the native handle: a set holds thousands of questions.
    Db::Rows q(db, sql);
    // Column positions once; the query may lack some columns (no ecount, no xx).
    const int idColumn = q.indexOf(u"A1"), correctColumn = q.indexOf(u"A2"),
              optionCountColumn = q.indexOf(u"A2_1"), chapterColumn = q.indexOf(u"A10"),
              kindColumn = q.indexOf(u"A13"), noteColumn = q.indexOf(u"A14"),
              lastDateColumn = q.indexOf(u"E1"), lastAnswerColumn = q.indexOf(u"E2"),
              runAnswerColumn = q.indexOf(u"E2_1"), countColumn = q.indexOf(u"E3"),
              wrongLevelColumn = q.indexOf(u"E4"), statusColumn = q.indexOf(u"F1"),
              timeOutColumn = q.indexOf(u"csbs"), editCountColumn = q.indexOf(u"ecount");
    // The exam-point codes K3..K12.
    int pointColumns[10];
    for (int i = 0; i < 10; ++i)
        pointColumns[i] = q.indexOf(QString(u"K"_s + QString::number(i + 3)));
    // Straight into the list, which keeps its room from an earlier set; emptied on a failure.
    struct EmptyOnFailure
    {
        QuestionSet &set;
        bool done = false;
        ~EmptyOnFailure()
        {
            if (!done)
                set.close();
        }
    } guard{*this};
    // The values that repeat across a set (its chapters, keys, answers, days and exam-point
    // lists) are kept once and shared by the rows that hold them: a chapter of thousands of
    // questions has a few dozen distinct ones. A row changed later gets its own copy.
    QSet<QString> texts;
    QHash<QString, QStringList> pointLists;
    auto shared = [&texts](QString value) {
        if (value.isEmpty())
            return value;
        const auto known = texts.constFind(value);
        if (known != texts.cend())
            return *known;
        texts.insert(value);
        return value;
    };
    // Rows come in chapter order: most values equal the previous row's, found without a lookup.
    auto sharedAfter = [&shared](QString value, QString &previous) {
        if (value != previous)
            previous = shared(std::move(value));
        return previous;
    };
    QString lastChapter;
    QString lastCorrect;
    QStringList lastPoints;
    QString points[10];
    QString pointsKey;
    while (q.next()) {
        QuestionRow &row = m_rows.emplace_back();
        QuestionProgress &p = row.progress;
        p.id = q.toString(idColumn);
        p.correct = sharedAfter(q.toString(correctColumn), lastCorrect);
        p.chapter = sharedAfter(q.toString(chapterColumn), lastChapter);
        p.lastDate = lastDateColumn >= 0 ? q.value(lastDateColumn) : QVariant();
        if (p.lastDate.typeId() == QMetaType::QString)
            p.lastDate = shared(p.lastDate.toString());
        p.lastAnswer = shared(q.toString(lastAnswerColumn));
        p.runAnswer = shared(q.toString(runAnswerColumn));
        p.count = q.toInt(countColumn);
        p.wrongLevel = q.toInt(wrongLevelColumn);
        bool samePoints = lastPoints.size() == 10;
        for (int i = 0; i < 10; ++i) {
            points[i] = q.toString(pointColumns[i]);
            samePoints = samePoints && points[i] == lastPoints.at(i);
        }
        if (!samePoints) {
            pointsKey.clear();
            for (const QString &code : points) {
                pointsKey += code;
                pointsKey += QChar(0x1f); // a separator no code holds
            }
            QStringList &list = pointLists[pointsKey];
            if (list.isEmpty()) {
                list.reserve(10);
                for (const QString &code : points)
                    list.append(shared(code));
            }
            lastPoints = list;
        }
        p.points = lastPoints;
        row.optionCount = q.toInt(optionCountColumn);
        row.kind = q.toInt(kindColumn);
        row.note = noteColumn >= 0 ? q.value(noteColumn) : QVariant();
        row.status = q.toInt(statusColumn);
        row.timeOutMark = shared(q.toString(timeOutColumn));
        row.editCount = q.toInt(editCountColumn);
    }
    guard.done = true;
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

void startRun(StudyData &study, QuestionSet &set, const QString &practiceQuery)
{
    // Only rows holding a run answer are written: the same end state as clearing every row,
    // without rewriting the whole bank each time a window opens.
    {
        Db::Transaction tx(study.connection());
        Db::exec(study.connection(),
                 u"update tab_answ set E2_1='' where E2_1<>'' or E2_1 is null"_s);
        tx.commit();
    }
    set.open(study.connection(), practiceQuery);
}

RecordOutcome judge(StudyData &study, const QString &table, QuestionRow &row, const QString &answer)
{
    if (answer.isEmpty()) {
        clearRunAnswer(study, table, row.progress);
        return {};
    }
    return recordJudgedAnswer(study, table, row.progress, answer);
}

RecordOutcome judgePaper(StudyData &study, const QString &table, QuestionRow &row,
                         const QString &answer)
{
    if (answer.isEmpty()) {
        clearRunAnswer(study, table, row.progress);
        return {};
    }
    return recordPaperAnswer(study, table, row.progress, answer);
}

void voidPaperQuestion(StudyData &study, const QString &table, QuestionRow &row)
{
    Db::Transaction tx(study.connection());
    Db::exec(study.connection(),
             u"update "_s + Db::sqlIdentifier(table) + u" set F1=1,E2='zero' where A1=?"_s,
             {row.id()});
    Db::exec(study.connection(), u"update tab_answ set F1=1,E2='zero' where A1=?"_s, {row.id()});
    tx.commit();
    row.status = 1;
    row.progress.lastAnswer = u"zero"_s;
}

void restorePaperQuestion(StudyData &study, const QString &table, QuestionRow &row)
{
    Db::Transaction tx(study.connection());
    Db::exec(study.connection(),
             u"update "_s + Db::sqlIdentifier(table) + u" set F1=0,E2='' where A1=?"_s, {row.id()});
    Db::exec(study.connection(), u"update tab_answ set F1=0 where A1=?"_s, {row.id()});
    tx.commit();
    row.status = 0;
    row.progress.lastAnswer.clear();
}

void voidQuestion(StudyData &study, const QString &table, QuestionRow &row)
{
    Db::exec(study.connection(),
             u"update "_s + Db::sqlIdentifier(table) + u" set F1=1,E2=? where A1=?"_s,
             {voidedAnswer(), row.id()});
    row.status = 1;
    row.progress.lastAnswer = voidedAnswer();
}

void restoreQuestion(StudyData &study, const QString &table, QuestionRow &row)
{
    Db::exec(study.connection(),
             u"update "_s + Db::sqlIdentifier(table) + u" set F1=0 where A1=?"_s, {row.id()});
    row.status = 0;
}

void markTimedOut(StudyData &study, const QString &table, QuestionRow &row)
{
    Db::exec(study.connection(),
             u"update "_s + Db::sqlIdentifier(table) + u" set csbs='Y' where A1=?"_s, {row.id()});
    row.timeOutMark = u"Y"_s;
}

void reloadEdited(StudyData &study, const QString &table, QuestionRow &row)
{
    QSqlQuery q = Db::query(study.connection(),
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
    row.editCount = q.value(13).toInt();
}

void reloadNote(StudyData &study, const QString &table, QuestionRow &row)
{
    row.note =
        Db::scalar(study.connection(),
                   u"select A14 from "_s + Db::sqlIdentifier(table) + u" where A1=?"_s, {row.id()});
}

} // namespace QuestionWrites
