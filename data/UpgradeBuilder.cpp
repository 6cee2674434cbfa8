#include "data/UpgradeBuilder.h"

#include "data/BankBuilder.h"
#include "data/Database.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace UpgradeBuilder {

namespace {

const QString kConn = u"upgradebuilder"_s;

struct BuildError : std::runtime_error
{
    explicit BuildError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

QJsonObject readObject(const QString &path, bool optional)
{
    QFile file(path);
    if (!file.exists() && optional)
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw BuildError(path + u": cannot be read"_s);
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        throw BuildError(path + u": "_s + parseError.errorString() + u" at offset "_s +
                         QString::number(parseError.offset));
    return doc.object();
}

void writeObject(const QString &path, const QJsonObject &object)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(object).toJson()) < 0)
        throw BuildError(path + u": cannot be written"_s);
}

// Inserts each added entry after the last entry under its nearest listed ancestor (the
// entries whose key begins with that ancestor's key), or at the end when none is listed, so
// the merged list keeps the display order a bank built in one piece would have.
QJsonArray mergeInOrder(const QJsonArray &base, const QJsonArray &added, const QString &key)
{
    QJsonArray merged = base;
    for (const QJsonValue &v : added) {
        const QString code = v.toObject().value(key).toString();
        qsizetype at = merged.size();
        for (qsizetype length = code.size() - 1; length > 0; --length) {
            const QString ancestor = code.left(length);
            qsizetype last = -1;
            for (qsizetype i = 0; i < merged.size(); ++i) {
                if (merged.at(i).toObject().value(key).toString().startsWith(ancestor))
                    last = i;
            }
            if (last >= 0) {
                at = last + 1;
                break;
            }
        }
        merged.insert(at, v);
    }
    return merged;
}

// The base sources with the upgrade's added into one folder, so that the bank builder checks
// the whole as one bank.
void writeMergedSources(const QString &baseDir, const QString &upgradeDir, const QString &mergedDir)
{
    QDir().mkpath(mergedDir);
    const QDir base(baseDir);
    for (const QString &name : base.entryList({u"*.json"_s}, QDir::Files)) {
        if (name == u"syllabus.json"_s || name == u"points.json"_s)
            continue;
        if (!QFile::copy(base.filePath(name), mergedDir + u'/' + name))
            throw BuildError(base.filePath(name) + u": cannot be copied"_s);
    }
    const QJsonObject baseSyllabus = readObject(base.filePath(u"syllabus.json"_s), false);
    const QJsonObject addedSyllabus = readObject(upgradeDir + u"/syllabus.json"_s, true);
    writeObject(
        mergedDir + u"/syllabus.json"_s,
        {{u"chapters"_s, mergeInOrder(baseSyllabus.value(u"chapters"_s).toArray(),
                                      addedSyllabus.value(u"chapters"_s).toArray(), u"code"_s)}});
    const QJsonObject basePoints = readObject(base.filePath(u"points.json"_s), false);
    const QJsonObject addedPoints = readObject(upgradeDir + u"/points.json"_s, true);
    QJsonArray points = basePoints.value(u"points"_s).toArray();
    for (const QJsonValue &v : addedPoints.value(u"points"_s).toArray())
        points.append(v);
    writeObject(mergedDir + u"/points.json"_s,
                {{u"groups"_s, mergeInOrder(basePoints.value(u"groups"_s).toArray(),
                                            addedPoints.value(u"groups"_s).toArray(), u"id"_s)},
                 {u"points"_s, points}});

    const QDir upgrade(upgradeDir);
    const QStringList questionFiles =
        upgrade.entryList({u"questions_*.json"_s}, QDir::Files, QDir::Name);
    if (questionFiles.isEmpty())
        throw BuildError(upgradeDir + u": no questions_*.json"_s);
    for (const QString &name : questionFiles) {
        const QJsonObject questions = readObject(upgrade.filePath(name), false);
        if (!questions.value(u"stems"_s).toArray().isEmpty())
            throw BuildError(upgrade.filePath(name) +
                             u": an upgrade carries no compound questions (stems)"_s);
        for (const QJsonValue &q : questions.value(u"questions"_s).toArray()) {
            if (q.toObject().value(u"id"_s).toString().contains(u'-'))
                throw BuildError(upgrade.filePath(name) + u" question "_s +
                                 q.toObject().value(u"id"_s).toString() +
                                 u": an upgrade carries no compound questions"_s);
        }
        // Appended to the bank's file of the same subject, so positions in a chapter continue.
        const QString merged = mergedDir + u'/' + name;
        QJsonObject file = readObject(merged, true);
        QJsonArray list = file.value(u"questions"_s).toArray();
        for (const QJsonValue &q : questions.value(u"questions"_s).toArray())
            list.append(q);
        file.insert(u"questions"_s, list);
        writeObject(merged + u".part"_s, file);
        QFile::remove(merged);
        if (!QFile::rename(merged + u".part"_s, merged))
            throw BuildError(merged + u": cannot be written"_s);
    }
}

void attach(const QSqlDatabase &db, const QString &path, const QString &alias)
{
    Db::exec(db, u"ATTACH DATABASE ? AS "_s + alias, {Db::fileUri(path, true)});
}

// Display positions for the added rows of a table ordered by bh: between the bank's rows they
// follow and precede, so they sort into place among the bank's rows after the import.
void placeAddedRows(const QSqlDatabase &db, const QString &table, const QString &key)
{
    QHash<QString, double> basePositions;
    {
        QSqlQuery q = Db::query(db, u"select "_s + key + u",bh from base."_s + table);
        while (q.next())
            basePositions.insert(q.value(0).toString(), q.value(1).toDouble());
    }
    QStringList mergedOrder;
    {
        QSqlQuery q =
            Db::query(db, u"select "_s + key + u" from merged."_s + table + u" order by bh"_s);
        while (q.next())
            mergedOrder.append(q.value(0).toString());
    }
    double before = 0;
    QStringList run;
    auto place = [&](double after) {
        for (qsizetype j = 0; j < run.size(); ++j) {
            const double position =
                before + (after - before) * double(j + 1) / double(run.size() + 1);
            Db::exec(db, u"update main."_s + table + u" set bh=? where "_s + key + u"=?"_s,
                     {position, run.at(j)});
        }
        run.clear();
    };
    for (const QString &code : std::as_const(mergedOrder)) {
        const auto it = basePositions.constFind(code);
        if (it == basePositions.constEnd()) {
            run.append(code);
            continue;
        }
        place(it.value());
        before = it.value();
    }
    place(before + 1);
}

// A new, empty file at outPath with the tables of a study database, open on kConn.
QSqlDatabase createUpgradeFile(const QString &outPath)
{
    {
        QFile create(outPath);
        if (!create.open(QIODevice::WriteOnly))
            throw BuildError(outPath + u": cannot be written"_s);
    }
    QString why;
    if (!Db::open(kConn, outPath, {}, &why))
        throw BuildError(outPath + u": "_s + why);
    const QSqlDatabase db = QSqlDatabase::database(kConn, false);
    Db::exec(db, u"PRAGMA journal_mode=DELETE"_s);
    Schema::create(db);
    return db;
}

void writeUpgradeFile(const QString &basePath, const QString &mergedPath, const QString &outPath,
                      const QString &upgradeId, const QString &productId)
{
    const QSqlDatabase db = createUpgradeFile(outPath);
    attach(db, basePath, u"base"_s);
    attach(db, mergedPath, u"merged"_s);
    {
        Db::Transaction tx(db);
        const QString notInBase = u" where %1 not in (select %1 from base.%2)"_s;
        Db::exec(db, u"insert into tab_kmmc select * from merged.tab_kmmc"_s +
                         notInBase.arg(u"C1"_s, u"tab_kmmc"_s));
        Db::exec(db, u"insert into tab_exer select * from merged.tab_exer"_s +
                         notInBase.arg(u"A1"_s, u"tab_answ"_s));
        Db::exec(db, u"insert into tab_answ select * from merged.tab_answ"_s +
                         notInBase.arg(u"A1"_s, u"tab_answ"_s));
        Db::exec(db, u"insert into tab_rule select * from merged.tab_rule"_s +
                         notInBase.arg(u"ftid"_s, u"tab_rule"_s));
        Db::exec(db, u"insert into tab_fgmc select * from merged.tab_fgmc"_s +
                         notInBase.arg(u"id"_s, u"tab_fgmc"_s));
        placeAddedRows(db, u"tab_kmmc"_s, u"C1"_s);
        placeAddedRows(db, u"tab_fgmc"_s, u"id"_s);
        Db::exec(db, u"insert into tab_sj (sjbs,cpbs) values (?,?)"_s, {upgradeId, productId});
        // The file's own counters describe its own rows; the import counts anew in any case.
        BankBuilder::recomputeCounters(kConn);
        tx.commit();
    }
    Db::exec(db, u"DETACH DATABASE merged"_s);
    Db::exec(db, u"DETACH DATABASE base"_s);
    Db::exec(db, u"VACUUM"_s);
}

// Runs write on a fresh file at outPath; on failure removes it and reports the message.
template <typename Write> bool writeFile(const QString &outPath, QString *error, Write write)
{
    QDir().mkpath(QFileInfo(outPath).absolutePath());
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QFile::remove(outPath + suffix);
    bool ok = false;
    try {
        write();
        ok = true;
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromUtf8(e.what());
    }
    Db::close(kConn);
    if (!ok)
        QFile::remove(outPath);
    return ok;
}

} // namespace

bool build(const QString &baseDir, const QString &upgradeDir, const QString &outPath,
           QString *error, const BankBuilder::Options &options)
{
    return writeFile(outPath, error, [&] {
        const QJsonObject upgrade = readObject(upgradeDir + u"/upgrade.json"_s, false);
        const QString upgradeId = upgrade.value(u"sjbs"_s).toString();
        const QString productId = upgrade.value(u"cpbs"_s).toString();
        if (upgradeId.trimmed().isEmpty() || productId.trimmed().isEmpty())
            throw BuildError(upgradeDir + u"/upgrade.json: \"sjbs\" and \"cpbs\" are required"_s);

        QTemporaryDir work;
        if (!work.isValid())
            throw BuildError(u"no temporary folder"_s);
        const QString mergedDir = work.filePath(u"sources"_s);
        writeMergedSources(baseDir, upgradeDir, mergedDir);
        const QString basePath = work.filePath(u"base.mdb"_s);
        const QString mergedPath = work.filePath(u"merged.mdb"_s);
        QString why;
        if (!BankBuilder::build(baseDir, basePath, &why))
            throw BuildError(why);
        if (!BankBuilder::build(mergedDir, mergedPath, &why, options)) {
            // Name the upgrade's own files, not their merged copies.
            why.replace(mergedDir + u'/', u"("_s + baseDir + u" + "_s + upgradeDir + u")/"_s);
            throw BuildError(why);
        }

        {
            if (!Db::openReadOnly(kConn, basePath, {u"tab_sj"_s}, &why))
                throw BuildError(why);
            const QSqlDatabase db = QSqlDatabase::database(kConn, false);
            if (!Db::scalar(db, u"select 1 from tab_sj where cpbs=?"_s, {productId}).isValid())
                throw BuildError(upgradeDir +
                                 u"/upgrade.json: \"cpbs\" is not the bank's product"_s);
            if (Db::scalar(db, u"select 1 from tab_sj where sjbs=?"_s, {upgradeId}).isValid())
                throw BuildError(upgradeDir + u"/upgrade.json: \"sjbs\" is already the bank's"_s);
        }
        Db::close(kConn);
        writeUpgradeFile(basePath, mergedPath, outPath, upgradeId, productId);
    });
}

bool buildSynthetic(int questions, const QString &outPath, QString *error)
{
    return writeFile(outPath, error, [&] {
        const QSqlDatabase db = createUpgradeFile(outPath);
        Db::Transaction tx(db);
        QSqlQuery insertChapter(db), insertPointGroup(db), insertPoint(db), insertQuestion(db),
            insertQuestionText(db);
        insertChapter.prepare(u"insert into tab_kmmc (C1,C1_1,C2,C7,bh) values (?,?,?,'1',?)"_s);
        insertPointGroup.prepare(u"insert into tab_fgmc (id,n,bh) values (?,?,?)"_s);
        insertPoint.prepare(u"insert into tab_rule (id,ftid,sn,n) values (?,?,?,?)"_s);
        insertQuestion.prepare(
            u"insert into tab_answ (A1,A2,A2_1,K3,K4,A10,A13,E2,E2_1,E3,E4,F1,xx,csbs,"
            u"ecount) values (?,?,?,?,?,?,?,'','',0,0,0,?,'',0)"_s);
        insertQuestionText.prepare(u"insert into tab_exer (A1,A15,jx) values (?,?,?)"_s);
        // The synthetic bank's subjects are "01" .. "05" with parts 01 .. 04: part 05 is new.
        QStringList sections;
        int order = 10000;
        for (int s = 1; s <= 5; ++s) {
            const QString part = u"0"_s + QString::number(s) + u"05"_s;
            Db::execPrepared(insertChapter, {part, QString(u"升级章"_s + part),
                                             QString(u"升级章"_s + part), ++order});
            for (int c = 1; c <= 5; ++c) {
                const QString section = part + u"0"_s + QString::number(c);
                sections.append(section);
                Db::execPrepared(insertChapter, {section, QString(u"升级节"_s + section),
                                                 QString(u"升级节"_s + section), ++order});
                Db::execPrepared(insertPointGroup,
                                 {section, QString(u"升级考点章"_s + section), order});
                for (int k = 1; k <= 20; ++k) {
                    const QString code = section + QString::number(k).rightJustified(3, u'0');
                    Db::execPrepared(insertPoint,
                                     {section, code, QString(u"升级考点"_s + code),
                                      BankBuilder::richText(u"升级考点内容 "_s + code)});
                }
            }
        }
        const QByteArray explanation = BankBuilder::richText(u"解析：这是合成升级题的解析文字。"_s);
        for (int i = 0; i < questions; ++i) {
            const QString section = sections.at(i % sections.size());
            const int kind = i % 5 == 4 ? 21 : 11;
            const QString id = section + QString::number(i).rightJustified(6, u'0');
            const QString firstPoint =
                section + QString::number(1 + i % 20).rightJustified(3, u'0');
            const QString secondPoint =
                section + QString::number(1 + (i + 7) % 20).rightJustified(3, u'0');
            Db::execPrepared(insertQuestion,
                             {id, kind == 11 ? QString(QChar(u'A' + i % 4)) : u"ACD"_s,
                              kind == 11 ? 4 : 5, firstPoint,
                              i % 3 == 0 ? QVariant(secondPoint) : QVariant(), section, kind, i});
            Db::execPrepared(insertQuestionText,
                             {id,
                              BankBuilder::richText(u"合成升级题 "_s + id +
                                                    u"\nA. 甲\nB. 乙\nC. 丙\nD. 丁\nE. 戊"_s),
                              explanation});
        }
        Db::exec(db, u"insert into tab_sj (sjbs,cpbs) values (?,'SYNTHETIC')"_s,
                 {QString(u"SYNTHETIC-UPGRADE-"_s + QString::number(questions))});
        BankBuilder::recomputeCounters(kConn);
        tx.commit();
        Db::exec(db, u"VACUUM"_s);
    });
}

} // namespace UpgradeBuilder
