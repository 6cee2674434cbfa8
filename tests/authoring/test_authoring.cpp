// Saving the candidate's own questions on a temporary fixture copy: the running number and id,
// the counters a new question raises (checked against a recount of the rows), rollback of a
// failed save, and what an edit rewrites and recounts.
#include "authoring/Authoring.h"
#include "authoring/Counters.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "support/TestSupport.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>
#include <ostream>

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

using namespace Qt::StringLiterals;

namespace {

class AuthoringTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(study.openInProgramFolder(folder.path())) << study.lastError().toStdString();
        ASSERT_EQ(testsupport::counterMismatches(db()), QStringList());
    }
    QSqlDatabase db() const { return study.connection(); }
    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }
    QVariant value(const QString &sql, const QVariantList &values = {})
    {
        return Db::scalar(db(), sql, values);
    }
    qint64 chapterCount(const QString &c1)
    {
        return value(u"select C3 from tab_kmmc where C1=?"_s, {c1}).toLongLong();
    }
    qint64 pointCount(const QString &ftid)
    {
        return value(u"select q from tab_rule where ftid=?"_s, {ftid}).toLongLong();
    }
    qint64 groupCount(const QString &id)
    {
        return value(u"select q from tab_fgmc where id=?"_s, {id}).toLongLong();
    }
    QSqlRecord answerRow(const QString &id)
    {
        QSqlQuery q = Db::query(db(), u"select * from tab_answ where A1=?"_s, {id});
        return q.next() ? q.record() : QSqlRecord();
    }
    QStringList pointColumns(const QString &id)
    {
        const QSqlRecord r = answerRow(id);
        QStringList k;
        for (int i = 3; i <= 12; ++i)
            k.append(r.value(u"K"_s + QString::number(i)).toString());
        return k;
    }
    // Adds a bare question row with the given id (the running number reads every id).
    void addRow(const QString &id)
    {
        exec(u"insert into tab_answ (A1,A2,A2_1,A10,A13,F1) values (?,'A',4,'010101',11,2)"_s,
             {id});
    }

    Authoring::NewQuestion question(const QStringList &points = {})
    {
        Authoring::NewQuestion q;
        q.chapterCode = u"010101"_s;
        q.kind = 21;
        q.options = 5;
        q.answer = u"ABD"_s;
        q.points = points;
        q.body = QByteArray("<p>body</p>");
        return q;
    }

    testsupport::TempProgramFolder folder;
    StudyData study;
};

TEST_F(AuthoringTest, RunningNumberFollowsTheLargestUserIdOfAnyChapterOrKind)
{
    struct Case
    {
        QStringList ids;
        int next;
    };
    const Case cases[] = {
        {{}, 1},
        // Case does not matter for the leading "U"; chapter and kind do not either.
        {{u"US0101011150012"_s, u"us0201017210009"_s}, 13},
        {{u"US0101011150009"_s, u"u0102011140012"_s}, 13},
        // Ids of the shipped bank never begin with "U": their numbers do not count.
        {{u"X10101019999"_s, u"US0101011150002"_s}, 3},
    };
    for (const Case &c : cases) {
        exec(u"delete from tab_answ where A1 like 'U%' or A1 like 'X%'"_s);
        for (const QString &id : c.ids)
            addRow(id);
        EXPECT_EQ(Authoring::nextUserNumber(db()), c.next) << c.ids.join(u' ').toStdString();
    }
    EXPECT_EQ(Authoring::userQuestionId(u"010203"_s, 11, 5, 7), u"US0102031150007"_s);
    EXPECT_EQ(Authoring::userQuestionId(u"010203"_s, 72, 1, 9999), u"US0102037219999"_s);
}

TEST_F(AuthoringTest, NewQuestionRaisesEachCounterOnceAndAgreesWithARecount)
{
    const qint64 c3[] = {chapterCount(u"010101"_s), chapterCount(u"0101"_s),
                         chapterCount(u"01"_s),     chapterCount(u"0"_s),
                         chapterCount(u"010102"_s), chapterCount(u"02"_s)};
    const qint64 q[] = {pointCount(u"010101001"_s), pointCount(u"010101002"_s),
                        pointCount(u"010102001"_s), pointCount(u"020101001"_s)};
    const qint64 g[] = {groupCount(u"010101"_s), groupCount(u"010102"_s), groupCount(u"01"_s),
                        groupCount(u"020101"_s), groupCount(u"02"_s)};

    // Two points of one chapter group and one of another, all under top group 01.
    Authoring::NewQuestion nq = question({u"010101001"_s, u"010101002"_s, u"010102001"_s});
    nq.explanation = QByteArray("<p>jx</p>");
    Authoring::insertQuestion(db(), u"US0101012150001"_s, nq);

    EXPECT_EQ(chapterCount(u"010101"_s), c3[0] + 1);
    EXPECT_EQ(chapterCount(u"0101"_s), c3[1] + 1);
    EXPECT_EQ(chapterCount(u"01"_s), c3[2] + 1);
    EXPECT_EQ(chapterCount(u"0"_s), c3[3] + 1);
    EXPECT_EQ(chapterCount(u"010102"_s), c3[4]);
    EXPECT_EQ(chapterCount(u"02"_s), c3[5]);
    EXPECT_EQ(pointCount(u"010101001"_s), q[0] + 1);
    EXPECT_EQ(pointCount(u"010101002"_s), q[1] + 1);
    EXPECT_EQ(pointCount(u"010102001"_s), q[2] + 1);
    EXPECT_EQ(pointCount(u"020101001"_s), q[3]);
    EXPECT_EQ(groupCount(u"010101"_s), g[0] + 1);
    EXPECT_EQ(groupCount(u"010102"_s), g[1] + 1);
    EXPECT_EQ(groupCount(u"01"_s), g[2] + 1);
    EXPECT_EQ(groupCount(u"020101"_s), g[3]);
    EXPECT_EQ(groupCount(u"02"_s), g[4]);
    EXPECT_EQ(testsupport::counterMismatches(db()), QStringList());

    const QSqlRecord row = answerRow(u"US0101012150001"_s);
    ASSERT_FALSE(row.isEmpty());
    EXPECT_EQ(row.value(u"A2"_s).toString(), u"ABD"_s);
    EXPECT_EQ(row.value(u"A2_1"_s).toInt(), 5);
    EXPECT_EQ(row.value(u"A10"_s).toString(), u"010101"_s);
    EXPECT_EQ(row.value(u"A13"_s).toInt(), 21);
    EXPECT_EQ(row.value(u"F1"_s).toInt(), 2);
    EXPECT_EQ(
        pointColumns(u"US0101012150001"_s),
        (QStringList{u"010101001"_s, u"010101002"_s, u"010102001"_s, {}, {}, {}, {}, {}, {}, {}}));
    QSqlQuery content =
        Db::query(db(), u"select A15,jx from tab_exer where A1=?"_s, {u"US0101012150001"_s});
    ASSERT_TRUE(content.next());
    EXPECT_EQ(content.value(0).toByteArray(), QByteArray("<p>body</p>"));
    EXPECT_EQ(content.value(1).toByteArray(), QByteArray("<p>jx</p>"));
    content.finish();

    // Without points and explanation: only the chapters move, jx stays null.
    Authoring::insertQuestion(db(), u"US0101012150002"_s, question());
    EXPECT_EQ(chapterCount(u"010101"_s), c3[0] + 2);
    EXPECT_EQ(pointCount(u"010101001"_s), q[0] + 1);
    EXPECT_TRUE(value(u"select jx from tab_exer where A1=?"_s, {u"US0101012150002"_s}).isNull());
    EXPECT_EQ(testsupport::counterMismatches(db()), QStringList());
}

TEST_F(AuthoringTest, AFailingStepLeavesNothingBehind)
{
    // Each trigger breaks one step of the save; whichever fails, no row and no counter changes.
    const QString triggers[] = {
        u"create trigger fail before insert on tab_exer begin select raise(abort,'disk'); end"_s,
        u"create trigger fail before update on tab_kmmc begin select raise(abort,'disk'); end"_s,
        u"create trigger fail before update on tab_fgmc when new.id='01' "
        u"begin select raise(abort,'disk'); end"_s,
    };
    const qint64 c3 = chapterCount(u"010101"_s);
    const qint64 q = pointCount(u"010101001"_s);
    const qint64 g = groupCount(u"010101"_s);
    for (const QString &trigger : triggers) {
        exec(trigger);
        EXPECT_THROW(
            Authoring::insertQuestion(db(), u"US0101012150001"_s, question({u"010101001"_s})),
            Db::DbError)
            << trigger.toStdString();
        exec(u"drop trigger fail"_s);
        EXPECT_TRUE(answerRow(u"US0101012150001"_s).isEmpty());
        EXPECT_EQ(value(u"select count(*) from tab_exer where A1 like 'US%'"_s).toInt(), 0);
        EXPECT_EQ(chapterCount(u"010101"_s), c3);
        EXPECT_EQ(pointCount(u"010101001"_s), q);
        EXPECT_EQ(groupCount(u"010101"_s), g);
    }
    // The connection is usable again afterwards.
    Authoring::insertQuestion(db(), u"US0101012150001"_s, question({u"010101001"_s}));
    EXPECT_EQ(chapterCount(u"010101"_s), c3 + 1);
}

TEST_F(AuthoringTest, EditCompactsThePointsAndRecountsOnlyThoseStillLinked)
{
    const QString id = u"010101000004"_s;
    // K3 and K5 set, K4 empty: read back as two points.
    exec(u"update tab_answ set K3='010101001',K4='',K5='010102001',K6=null where A1=?"_s, {id});
    Authoring::StoredQuestion stored;
    ASSERT_TRUE(Authoring::readQuestion(db(), id, stored));
    EXPECT_EQ(stored.points, (QStringList{u"010101001"_s, u"010102001"_s}));
    EXPECT_EQ(stored.answer, u"ACD"_s);
    EXPECT_EQ(stored.kind, 21);
    EXPECT_FALSE(stored.hasStem);
    const QList<Authoring::PointInfo> info = Authoring::readPoints(db(), stored.points);
    ASSERT_EQ(info.size(), 2);
    EXPECT_EQ(info[0].groupName, u"安全生产法"_s);
    EXPECT_EQ(info[1].groupName, u"劳动法"_s);
    EXPECT_EQ(info[1].title, u"工作时间"_s);

    // Markers that a recount would overwrite.
    exec(u"update tab_rule set q=77 where ftid in ('010101001','010102001','010101002')"_s);
    exec(u"update tab_fgmc set q=55 where id in ('010101','010102','01')"_s);

    Authoring::QuestionEdit edit;
    edit.id = id;
    edit.body = QByteArray("<p>new body</p>");
    edit.kind = 11;
    edit.options = 4;
    edit.answer = u"B"_s;
    edit.points = stored.points;
    Authoring::saveEdit(db(), edit);
    EXPECT_EQ(pointColumns(id),
              (QStringList{u"010101001"_s, u"010102001"_s, {}, {}, {}, {}, {}, {}, {}, {}}));
    const qint64 linked1 = value(u"select count(*) from tab_answ where '010101001' in "
                                 u"(K3,K4,K5,K6,K7,K8,K9,K10,K11,K12)"_s)
                               .toLongLong();
    EXPECT_EQ(pointCount(u"010101001"_s), linked1);
    EXPECT_NE(linked1, 77);
    EXPECT_EQ(answerRow(id).value(u"ecount"_s).toInt(), 1);

    // Removing a point: it keeps its q, groups are never recounted by an edit.
    exec(u"update tab_rule set q=77 where ftid='010102001'"_s);
    edit.points = {u"010101002"_s};
    Authoring::saveEdit(db(), edit);
    EXPECT_EQ(pointColumns(id), (QStringList{u"010101002"_s, {}, {}, {}, {}, {}, {}, {}, {}, {}}));
    EXPECT_EQ(pointCount(u"010102001"_s), 77);
    EXPECT_NE(pointCount(u"010101002"_s), 77);
    EXPECT_EQ(groupCount(u"010101"_s), 55);
    EXPECT_EQ(groupCount(u"01"_s), 55);
    const QSqlRecord row = answerRow(id);
    EXPECT_EQ(row.value(u"ecount"_s).toInt(), 2);
    EXPECT_EQ(row.value(u"A2"_s).toString(), u"B"_s);
    EXPECT_EQ(row.value(u"A2_1"_s).toInt(), 4);
    EXPECT_EQ(row.value(u"A13"_s).toInt(), 11);
    EXPECT_EQ(value(u"select A15 from tab_exer where A1=?"_s, {id}).toByteArray(),
              QByteArray("<p>new body</p>"));
    EXPECT_TRUE(value(u"select jx from tab_exer where A1=?"_s, {id}).isNull());
}

TEST_F(AuthoringTest, EditOfACompoundQuestionWritesItsStemAndAFailureNothing)
{
    const QString id = u"0401010000000001-1"_s;
    Authoring::StoredQuestion stored;
    ASSERT_TRUE(Authoring::readQuestion(db(), id, stored));
    ASSERT_TRUE(stored.hasStem);
    const QStringList columnsBefore = pointColumns(id);
    EXPECT_TRUE(QString::fromUtf8(stored.stem).contains(u"案例材料"_s));

    Authoring::QuestionEdit edit;
    edit.id = id;
    edit.body = QByteArray("<p>sub</p>");
    edit.hasStem = true;
    edit.stem = QByteArray("<p>stem</p>");
    edit.kind = stored.kind;
    edit.options = stored.options + 2;
    edit.answer = stored.answer;
    edit.points = {u"010101001"_s};

    // A failure on the last step undoes the content row, the question row and the stem.
    exec(u"create trigger fail before update on tab_rule begin select raise(abort,'disk'); end"_s);
    EXPECT_THROW(Authoring::saveEdit(db(), edit), Db::DbError);
    exec(u"drop trigger fail"_s);
    EXPECT_EQ(answerRow(id).value(u"ecount"_s).toInt(), 0);
    EXPECT_EQ(value(u"select A15 from tab_title where A1=?"_s, {id.left(16)}).toByteArray(),
              stored.stem);
    EXPECT_EQ(value(u"select A15 from tab_exer where A1=?"_s, {id}).toByteArray(), stored.body);
    EXPECT_EQ(pointColumns(id), columnsBefore);
    EXPECT_EQ(answerRow(id).value(u"A2_1"_s).toInt(), stored.options);

    Authoring::saveEdit(db(), edit);
    EXPECT_EQ(value(u"select A15 from tab_title where A1=?"_s, {id.left(16)}).toByteArray(),
              QByteArray("<p>stem</p>"));
    EXPECT_EQ(answerRow(id).value(u"ecount"_s).toInt(), 1);
    EXPECT_EQ(answerRow(id).value(u"A2_1"_s).toInt(), stored.options + 2);
    EXPECT_EQ(pointColumns(id).first(), u"010101001"_s);

    // A question that is gone is an error, not a silent success.
    edit.id = u"nosuchquestion"_s;
    EXPECT_THROW(Authoring::saveEdit(db(), edit), Db::DbError);
}

TEST_F(AuthoringTest, PickerListsGroupsOfTwoAndSixCharactersOnly)
{
    exec(u"insert into tab_fgmc (id,n) values ('0','one'),('010','three'),('0101','four'),"
         u"('01010','five'),('03','two'),('030101','six')"_s);
    QStringList ids;
    for (const Authoring::Group &g : Authoring::pickerGroups(db()))
        ids.append(g.id);
    EXPECT_EQ(ids, (QStringList{u"01"_s, u"010101"_s, u"010102"_s, u"02"_s, u"020101"_s, u"03"_s,
                                u"030101"_s}));
    QStringList codes;
    for (const Authoring::PointInfo &p : Authoring::groupPoints(db(), u"010101"_s))
        codes.append(p.code);
    EXPECT_EQ(codes, (QStringList{u"010101001"_s, u"010101002"_s}));
    EXPECT_TRUE(Authoring::groupPoints(db(), u"01"_s).isEmpty());
}

} // namespace

TEST(AuthoringKeys, ChoiceKeysAreStoredInCapitalsAndCheckedAgainstTheOptions)
{
    // Keys typed in lower case are judged the same, but are stored as the buttons give them.
    EXPECT_EQ(Authoring::storedAnswer(11, u"b"_s), u"B"_s);
    EXPECT_EQ(Authoring::storedAnswer(21, u"acd"_s), u"ACD"_s);
    EXPECT_EQ(Authoring::storedAnswer(72, u"1"_s), u"1"_s);
    struct Case
    {
        int kind, options;
        const char16_t *answer;
        bool allowed;
    } const cases[] = {
        {11, 4, u"d", true},     {11, 4, u"E", false},   {11, 4, u"AB", false},
        {11, 6, u"F", true},     {11, 7, u"G", false},   {21, 4, u"abd", true},
        {21, 4, u"A", true},     {21, 4, u"1Z", false},  {21, 4, u"DA", false},
        {21, 5, u"ABCDE", true}, {21, 4, u"ABB", false}, {72, 1, u"1", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(
            Authoring::answerProblem(c.kind, c.options, QString::fromUtf16(c.answer)).isEmpty(),
            c.allowed)
            << c.kind << " " << QString::fromUtf16(c.answer).toStdString();
}
