// The bank builder's upgrade files: only the rows the sources add, named by their tab_sj row
// and placed among the bank's rows; faulty sources are refused with a message and no file.
#include "data/Database.h"
#include "data/UpgradeBuilder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString sourceDir(const QString &relative)
{
    return QString::fromUtf8(STUDYAID_SOURCE_DIR) + u'/' + relative;
}

// A copy of the fixture upgrade's sources with one JSON file changed.
QString sourcesWith(const QString &folder, const QString &file,
                    const std::function<void(QJsonObject &)> &change)
{
    QDir().mkpath(folder);
    const QDir original(sourceDir(u"tests/fixtures/upgrade"_s));
    for (const QString &name : original.entryList({u"*.json"_s}, QDir::Files))
        QFile::copy(original.filePath(name), folder + u'/' + name);
    QFile f(folder + u'/' + file);
    QJsonObject root;
    if (f.open(QIODevice::ReadOnly))
        root = QJsonDocument::fromJson(f.readAll()).object();
    f.close();
    change(root);
    f.remove();
    if (f.open(QIODevice::WriteOnly))
        f.write(QJsonDocument(root).toJson());
    return folder;
}

QStringList column(const QSqlDatabase &db, const QString &sql)
{
    QStringList values;
    QSqlQuery q = Db::query(db, sql);
    while (q.next())
        values.append(q.value(0).toString());
    return values;
}

} // namespace

TEST(UpgradeBuilder, WritesOnlyTheRowsTheSourcesAdd)
{
    QTemporaryDir dir;
    const QString out = dir.path() + u"/升级 1.mdb"_s;
    QString error;
    ASSERT_TRUE(UpgradeBuilder::build(sourceDir(u"tests/fixtures/bank"_s),
                                      sourceDir(u"tests/fixtures/upgrade"_s), out, &error))
        << error.toStdString();
    ASSERT_TRUE(Db::openReadOnly(u"built"_s, out, {}));
    {
        const QSqlDatabase db = QSqlDatabase::database(u"built"_s, false);
        EXPECT_EQ(column(db, u"select A1 from tab_answ order by A1"_s),
                  (QStringList{u"010101000007"_s, u"010202000001"_s, u"010202000002"_s,
                               u"020101000003"_s, u"030201000001"_s}));
        EXPECT_EQ(column(db, u"select A1 from tab_exer order by A1"_s),
                  column(db, u"select A1 from tab_answ order by A1"_s));
        EXPECT_EQ(column(db, u"select C1 from tab_kmmc order by bh"_s),
                  (QStringList{u"010202"_s, u"0302"_s, u"030201"_s}));
        EXPECT_EQ(column(db, u"select id from tab_fgmc order by bh"_s),
                  (QStringList{u"03"_s, u"030101"_s}));
        EXPECT_EQ(column(db, u"select ftid from tab_rule order by ftid"_s),
                  (QStringList{u"010101003"_s, u"030101001"_s}));
        EXPECT_EQ(column(db, u"select sjbs||'/'||cpbs from tab_sj"_s),
                  QStringList{u"FIXTURE-SJ1/FIXTURE"_s});
        EXPECT_EQ(column(db, u"select count(*) from tab_title"_s), QStringList{u"0"_s});
        // Display positions between the bank's rows (010201 is 7th, 02 the 8th row of the bank;
        // 030101 the 13th, 04 the 14th), and the chapter position after the bank's six questions.
        const QStringList bh = column(db, u"select bh from tab_kmmc order by bh"_s);
        ASSERT_EQ(bh.size(), 3);
        EXPECT_GT(bh[0].toDouble(), 7.0);
        EXPECT_LT(bh[0].toDouble(), 8.0);
        EXPECT_GT(bh[1].toDouble(), 13.0);
        EXPECT_LT(bh[2].toDouble(), 14.0);
        EXPECT_EQ(column(db, u"select xx from tab_answ where A1='010101000007'"_s),
                  QStringList{u"7"_s});
    }
    Db::close(u"built"_s);
}

TEST(UpgradeBuilder, RefusesFaultySources)
{
    struct Case
    {
        const char *name;
        QString file;
        std::function<void(QJsonObject &)> change;
        QString mentions;
    };
    const auto addQuestion = [](const QJsonObject &q) {
        return [q](QJsonObject &root) {
            QJsonArray list = root.value(u"questions"_s).toArray();
            list.append(q);
            root.insert(u"questions"_s, list);
        };
    };
    const QJsonObject base{{u"chapter"_s, u"010202"_s},
                           {u"kind"_s, 11},
                           {u"answer"_s, u"A"_s},
                           {u"options"_s, 4},
                           {u"body"_s, u"题（　）。\nA. 甲\nB. 乙\nC. 丙\nD. 丁"_s}};
    auto question = [&base](const QString &id, const QString &key, const QJsonValue &value) {
        QJsonObject q = base;
        q.insert(u"id"_s, id);
        if (!key.isEmpty())
            q.insert(key, value);
        return q;
    };
    const QList<Case> cases = {
        {"another product", u"upgrade.json"_s,
         [](QJsonObject &r) { r.insert(u"cpbs"_s, u"OTHER"_s); }, u"cpbs"_s},
        {"no identifier", u"upgrade.json"_s, [](QJsonObject &r) { r.insert(u"sjbs"_s, u" "_s); },
         u"sjbs"_s},
        {"a question id of the bank", u"questions_01.json"_s,
         addQuestion(question(u"010101000001"_s, {}, {})), u"010101000001"_s},
        {"a compound question", u"questions_01.json"_s,
         addQuestion(question(u"0102020000000001-1"_s, {}, {})), u"compound"_s},
        {"a chapter of no syllabus", u"questions_01.json"_s,
         addQuestion(question(u"060101000001"_s, u"chapter"_s, u"060101"_s)), u"060101000001"_s},
        {"an unknown exam point", u"questions_01.json"_s,
         addQuestion(question(u"010202000009"_s, u"points"_s, QJsonArray{u"010101099"_s})),
         u"010101099"_s},
        {"a wrong key", u"questions_03.json"_s,
         addQuestion(question(u"030201000009"_s, u"answer"_s, u"E"_s)), u"030201000009"_s},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString sources =
            sourcesWith(dir.path() + u'/' + QString::fromLatin1(c.name), c.file, c.change);
        const QString out = dir.path() + u"/out.mdb"_s;
        QString error;
        EXPECT_FALSE(
            UpgradeBuilder::build(sourceDir(u"tests/fixtures/bank"_s), sources, out, &error));
        EXPECT_TRUE(error.contains(c.mentions)) << error.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}
