#include "data/bankbuilder.h"

#include "data/database.h"
#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace BankBuilder {

namespace {

const QString kConn = u"bankbuilder"_s;

// A source file's fault: names the file and the entry.
struct SourceError : std::runtime_error
{
    explicit SourceError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

QJsonObject readJson(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SourceError(path + u": cannot be read"_s);
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        throw SourceError(path + u": "_s + parseError.errorString() + u" at offset "_s +
                          QString::number(parseError.offset));
    return doc.object();
}

class Inserter
{
public:
    Inserter(const QSqlDatabase &db, const QString &sql) : m_query(db)
    {
        if (!m_query.prepare(sql))
            throw Db::DbError(sql);
    }
    void operator()(const QVariantList &values) { Db::execPrepared(m_query, values); }

private:
    QSqlQuery m_query;
};

QString requireText(const QJsonObject &o, const QString &key, const QString &where)
{
    const QJsonValue v = o.value(key);
    if (!v.isString() || v.toString().isEmpty())
        throw SourceError(where + u": missing text \""_s + key + u'"');
    return v.toString();
}

QVariant richOrNull(const QJsonObject &o, const QString &key)
{
    const QString text = o.value(key).toString();
    return text.trimmed().isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray))
                                    : QVariant(richText(text));
}

bool isSubjective(int kind)
{
    return kind == 31 || kind == 64 || kind == 72 || kind == 73 || kind == 74;
}

void loadSyllabus(const QSqlDatabase &db, const QString &dir, QSet<QString> &chapters)
{
    const QString path = dir + u"/syllabus.json"_s;
    const QJsonArray rows = readJson(path).value(u"chapters"_s).toArray();
    Inserter insert(db, u"insert into tab_kmmc (C1,C1_1,C2,C3,C4,D1,D2,C6,C7,bh,jx) "
                        u"values (?,?,?,0,0,0,0,'0',?,?,?)"_s);
    int bh = 0;
    for (const QJsonValue &v : rows) {
        const QJsonObject o = v.toObject();
        const QString where = path + u" chapter "_s + QString::number(bh + 1);
        const QString code = requireText(o, u"code"_s, where);
        if (chapters.contains(code))
            throw SourceError(where + u": duplicate code "_s + code);
        chapters.insert(code);
        insert({code, o.value(u"title"_s).toString(), requireText(o, u"name"_s, where),
                o.value(u"chart"_s).toBool() ? QVariant(u"0"_s) : QVariant(u"1"_s), ++bh,
                richOrNull(o, u"guide"_s)});
    }
}

void loadPoints(const QSqlDatabase &db, const QString &dir, QSet<QString> &points)
{
    const QString path = dir + u"/points.json"_s;
    const QJsonObject root = readJson(path);
    Inserter group(db, u"insert into tab_fgmc (id,n,bh,q,q1,q2,q4) values (?,?,?,0,0,0,0)"_s);
    QSet<QString> groups;
    int bh = 0;
    for (const QJsonValue &v : root.value(u"groups"_s).toArray()) {
        const QJsonObject o = v.toObject();
        const QString where = path + u" group "_s + QString::number(bh + 1);
        const QString id = requireText(o, u"id"_s, where);
        if ((id.size() != 2 && id.size() != 6) || groups.contains(id))
            throw SourceError(where + u": bad or duplicate id "_s + id);
        if (id.size() == 6 && !groups.contains(id.left(2)))
            throw SourceError(where + u": no top group "_s + id.left(2));
        groups.insert(id);
        group({id, requireText(o, u"name"_s, where), ++bh});
    }
    Inserter point(db, u"insert into tab_rule (id,ftid,sn,n,q,q1,q2,q4) "
                       u"values (?,?,?,?,0,0,0,0)"_s);
    int i = 0;
    for (const QJsonValue &v : root.value(u"points"_s).toArray()) {
        const QJsonObject o = v.toObject();
        const QString where = path + u" point "_s + QString::number(++i);
        const QString code = requireText(o, u"code"_s, where);
        if (code.size() < 7 || code.size() > 12 || points.contains(code))
            throw SourceError(where + u": bad or duplicate code "_s + code);
        if (!groups.contains(code.left(6)))
            throw SourceError(where + u": no chapter group "_s + code.left(6));
        points.insert(code);
        point({code.left(6), code, requireText(o, u"short"_s, where),
               richText(requireText(o, u"text"_s, where))});
    }
}

void checkAnswer(const QString &where, int kind, const QString &answer, int options)
{
    static const QString letters = u"ABCDEF"_s;
    if (kind == 11) {
        if (answer.size() != 1 || letters.indexOf(answer) < 0 || letters.indexOf(answer) >= options)
            throw SourceError(where + u": single-choice answer must be one option letter"_s);
    } else if (kind == 21) {
        qsizetype last = -1;
        for (const QChar c : answer) {
            const qsizetype at = letters.indexOf(c);
            if (at <= last || at >= options)
                throw SourceError(where + u": multiple-choice letters must be options in A-F order"_s);
            last = at;
        }
        if (answer.isEmpty())
            throw SourceError(where + u": empty answer"_s);
    } else if (isSubjective(kind)) {
        if (answer != u"1"_s)
            throw SourceError(where + u": a subjective answer is \"1\""_s);
    }
}

void loadQuestions(const QSqlDatabase &db, const QString &path, const QSet<QString> &chapters,
                   const QSet<QString> &points, QSet<QString> &ids)
{
    const QJsonObject root = readJson(path);
    Inserter stem(db, u"insert into tab_title (A1,A15) values (?,?)"_s);
    QSet<QString> stems;
    for (const QJsonValue &v : root.value(u"stems"_s).toArray()) {
        const QJsonObject o = v.toObject();
        const QString id = requireText(o, u"id"_s, path + u" stem"_s);
        if (id.size() != 16 || stems.contains(id))
            throw SourceError(path + u" stem "_s + id + u": id must be 16 characters, unique"_s);
        stems.insert(id);
        stem({id, richText(requireText(o, u"text"_s, path + u" stem "_s + id))});
    }
    Inserter answ(db, u"insert into tab_answ (A1,A2,A2_1,K3,K4,K5,K6,K7,K8,K9,K10,K11,K12,A10,"
                      u"A13,A14,E1,E2,E2_1,E3,E4,F1,xx,csbs,ecount) values "
                      u"(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,NULL,NULL,'','',0,0,0,?,'',0)"_s);
    Inserter exer(db, u"insert into tab_exer (A1,A15,jx) values (?,?,?)"_s);
    QHash<QString, int> position;
    for (const QJsonValue &v : root.value(u"questions"_s).toArray()) {
        const QJsonObject o = v.toObject();
        const QString id = requireText(o, u"id"_s, path + u" question"_s);
        const QString where = path + u" question "_s + id;
        const bool compound = id.contains(u'-');
        if (ids.contains(id) || id.startsWith(u'U', Qt::CaseInsensitive) ||
            (!compound && id.size() != 12) || id.size() > 20)
            throw SourceError(where + u": id must be unique, 12 characters, not starting with U"_s);
        if (compound && !stems.contains(id.left(16)))
            throw SourceError(where + u": no stem "_s + id.left(16));
        ids.insert(id);
        const QString chapter = requireText(o, u"chapter"_s, where);
        if (chapter.size() != 6 || !chapters.contains(chapter))
            throw SourceError(where + u": chapter must be a 6-character syllabus code"_s);
        const int kind = o.value(u"kind"_s).toInt();
        const int options = o.value(u"options"_s).toInt(1);
        const QString answer = requireText(o, u"answer"_s, where);
        checkAnswer(where, kind, answer, options);
        const QJsonArray links = o.value(u"points"_s).toArray();
        if (links.size() > 10)
            throw SourceError(where + u": at most ten exam points"_s);
        QVariantList row{id, answer, options};
        for (int k = 0; k < 10; ++k) {
            if (k < links.size()) {
                const QString code = links.at(k).toString();
                if (!points.contains(code))
                    throw SourceError(where + u": unknown exam point "_s + code);
                row.append(code);
            } else {
                row.append(QVariant(QMetaType(QMetaType::QString)));
            }
        }
        row << chapter << kind << ++position[chapter];
        answ(row);
        exer({id, richText(requireText(o, u"body"_s, where)), richOrNull(o, u"jx"_s)});
    }
}

void loadKinds(const QSqlDatabase &db, const QString &dir)
{
    const QString path = dir + u"/kinds.json"_s;
    const QJsonObject root = readJson(path);
    for (int t = 1; t <= 5; ++t) {
        const QString table = u"tab_tx"_s + QString::number(t);
        const QJsonArray rows = root.value(table).toArray();
        if (rows.isEmpty())
            throw SourceError(path + u": no rows for "_s + table);
        Inserter insert(db, u"insert into "_s + table + u" (A1,B1,B2,B3,time) values (?,?,?,?,?)"_s);
        for (const QJsonValue &v : rows) {
            const QJsonObject o = v.toObject();
            const double time = o.value(u"time"_s).toDouble();
            if (time < 0.1 || time > 30.0)
                throw SourceError(path + u": "_s + table + u" time outside 0.1 .. 30.0"_s);
            insert({o.value(u"kind"_s).toInt(), requireText(o, u"name"_s, path + u' ' + table),
                    o.value(u"count"_s).toInt(), o.value(u"score"_s).toDouble(), time});
        }
    }
}

void loadSettings(const QSqlDatabase &db, const QString &dir)
{
    const QString path = dir + u"/settings.json"_s;
    const QJsonObject root = readJson(path);
    const QJsonObject plan = root.value(u"plan"_s).toObject();
    Db::exec(db, u"insert into tab_plan (PlanMark,PlanAmount,PlanTime,ExamDate,LeastMark,ExamTime) "
                 u"values (?,?,?,?,?,?)"_s,
             {plan.value(u"PlanMark"_s).toInt(), plan.value(u"PlanAmount"_s).toInt(),
              plan.value(u"PlanTime"_s).toInt(), requireText(plan, u"ExamDate"_s, path),
              plan.value(u"LeastMark"_s).toInt(), plan.value(u"ExamTime"_s).toInt()});
    const QJsonObject product = root.value(u"product"_s).toObject();
    Db::exec(db, u"insert into tab_sj (sjbs,cpbs) values (?,?)"_s,
             {product.value(u"sjbs"_s).toString(), requireText(product, u"cpbs"_s, path)});
}

// Creates an empty study database at path, runs fill inside one transaction, then
// recomputes the counters. Returns false with the message on failure.
template <typename Fill>
bool makeDatabase(const QString &outPath, QString *error, Fill fill)
{
    QFileInfo info(outPath);
    QDir().mkpath(info.absolutePath());
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QFile::remove(outPath + suffix);
    // An empty file is a valid, empty SQLite database to open read-write.
    {
        QFile create(outPath);
        if (!create.open(QIODevice::WriteOnly)) {
            if (error)
                *error = outPath + u": cannot be written"_s;
            return false;
        }
    }
    bool ok = false;
    {
        if (!Db::open(kConn, outPath, {}, error))
            return false;
        QSqlDatabase db = QSqlDatabase::database(kConn, false);
        try {
            Db::exec(db, u"PRAGMA journal_mode=DELETE"_s);
            Schema::create(db);
            Db::Transaction tx(db);
            fill(db);
            recomputeCounters(kConn);
            tx.commit();
            Db::exec(db, u"VACUUM"_s);
            ok = true;
        } catch (const std::exception &e) {
            if (error)
                *error = QString::fromUtf8(e.what());
        }
    }
    Db::close(kConn);
    if (!ok)
        QFile::remove(outPath);
    return ok;
}

} // namespace

QByteArray richText(const QString &source)
{
    const QString trimmed = source.trimmed();
    QString body;
    if (trimmed.startsWith(u'<')) {
        body = trimmed;
    } else {
        const QStringList paragraphs = trimmed.split(u"\n\n"_s);
        for (const QString &p : paragraphs) {
            QString html = p.toHtmlEscaped();
            html.replace(u'\n', u"<br />"_s);
            body += u"<p>"_s + html + u"</p>"_s;
        }
    }
    const QString doc = u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\" "
                        u"\"http://www.w3.org/TR/REC-html40/strict.dtd\">\n"
                        u"<html><head><meta name=\"qrichtext\" content=\"1\" />"
                        u"<meta charset=\"utf-8\" /></head><body>"_s +
                        body + u"</body></html>"_s;
    return doc.toUtf8();
}

void recomputeCounters(const QString &connectionName)
{
    const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    Db::exec(db, u"update tab_kmmc set C4=0,D1=0,D2=0,C6='0',C3=(select count(*) from tab_answ a "
                 u"where substr(a.A10,1,length(tab_kmmc.C1))=tab_kmmc.C1 COLLATE NOCASE) "
                 u"where length(C1) in (1,2,4,6)"_s);
    Db::exec(db, u"update tab_kmmc set C3=0,C4=0,D1=0,D2=0,C6='0' "
                 u"where length(C1) not in (1,2,4,6)"_s);

    // q counts questions: once per point, once per chapter or group however many of its
    // points a question links (the lists stop at the first empty code).
    QHash<QString, int> pointCount, groupCount;
    QSqlQuery q = Db::query(db, u"select K3,K4,K5,K6,K7,K8,K9,K10,K11,K12 from tab_answ"_s);
    while (q.next()) {
        QSet<QString> chaptersSeen, groupsSeen;
        for (int k = 0; k < 10; ++k) {
            const QString code = q.value(k).toString().toLower();
            if (code.isEmpty())
                break;
            ++pointCount[code];
            if (!chaptersSeen.contains(code.left(6)))
                chaptersSeen.insert(code.left(6));
            if (!groupsSeen.contains(code.left(2)))
                groupsSeen.insert(code.left(2));
        }
        for (const QString &c : std::as_const(chaptersSeen))
            ++groupCount[c];
        for (const QString &g : std::as_const(groupsSeen))
            ++groupCount[g];
    }
    q.finish();
    Db::exec(db, u"update tab_rule set q=0,q1=0,q2=0,q4=0"_s);
    Db::exec(db, u"update tab_fgmc set q=0,q1=0,q2=0,q4=0"_s);
    QSqlQuery rule(db), group(db);
    rule.prepare(u"update tab_rule set q=? where ftid=?"_s);
    group.prepare(u"update tab_fgmc set q=? where id=?"_s);
    for (auto it = pointCount.cbegin(); it != pointCount.cend(); ++it)
        Db::execPrepared(rule, {it.value(), it.key()});
    for (auto it = groupCount.cbegin(); it != groupCount.cend(); ++it)
        Db::execPrepared(group, {it.value(), it.key()});
}

bool build(const QString &sourcesDir, const QString &outPath, QString *error)
{
    return makeDatabase(outPath, error, [&](const QSqlDatabase &db) {
        QSet<QString> chapters, points, ids;
        loadSyllabus(db, sourcesDir, chapters);
        loadPoints(db, sourcesDir, points);
        const QStringList files =
            QDir(sourcesDir).entryList({u"questions_*.json"_s}, QDir::Files, QDir::Name);
        if (files.isEmpty())
            throw SourceError(sourcesDir + u": no questions_*.json"_s);
        for (const QString &f : files)
            loadQuestions(db, sourcesDir + u'/' + f, chapters, points, ids);
        loadKinds(db, sourcesDir);
        loadSettings(db, sourcesDir);
    });
}

bool buildSynthetic(int questions, const QString &outPath, QString *error)
{
    return makeDatabase(outPath, error, [&](const QSqlDatabase &db) {
        // Five subjects, four parts each, five sections per part; 20 points per section.
        Inserter kmmc(db, u"insert into tab_kmmc (C1,C1_1,C2,C7,bh) values (?,?,?,?,?)"_s);
        Inserter fgmc(db, u"insert into tab_fgmc (id,n,bh) values (?,?,?)"_s);
        Inserter rule(db, u"insert into tab_rule (id,ftid,sn,n) values (?,?,?,?)"_s);
        QStringList sections;
        int bh = 0;
        kmmc({u"0"_s, u"全部科目"_s, u"全部科目"_s, u"1"_s, ++bh});
        for (int s = 1; s <= 5; ++s) {
            const QString subject = u"0"_s + QString::number(s);
            kmmc({subject, QString(u"科目"_s + subject), QString(u"科目"_s + subject), u"0"_s, ++bh});
            fgmc({subject, QString(u"考点组"_s + subject), bh});
            for (int p = 1; p <= 4; ++p) {
                const QString part = subject + u"0"_s + QString::number(p);
                kmmc({part, QString(u"第"_s + QString::number(p) + u"章"_s), QString(u"章"_s + part), u"1"_s, ++bh});
                for (int c = 1; c <= 5; ++c) {
                    const QString section = part + u"0"_s + QString::number(c);
                    sections.append(section);
                    kmmc({section, QString(u"第"_s + QString::number(c) + u"节"_s), QString(u"节"_s + section),
                          u"1"_s, ++bh});
                    fgmc({section, QString(u"考点章"_s + section), bh});
                    for (int k = 1; k <= 20; ++k) {
                        const QString code = section + QString::number(k).rightJustified(3, u'0');
                        rule({section, code, QString(u"考点"_s + code), richText(u"考点内容 "_s + code)});
                    }
                }
            }
        }
        const QByteArray jx = richText(u"解析：这是合成题库的解析文字。"_s);
        Inserter answ(db, u"insert into tab_answ (A1,A2,A2_1,K3,K4,A10,A13,E2,E2_1,E3,E4,F1,xx,"
                          u"csbs,ecount) values (?,?,?,?,?,?,?,'','',0,0,0,?,'',0)"_s);
        Inserter exer(db, u"insert into tab_exer (A1,A15,jx) values (?,?,?)"_s);
        Inserter title(db, u"insert into tab_title (A1,A15) values (?,?)"_s);
        // The first section holds a tenth of the bank: the large chapter of the benchmarks.
        const int large = questions / 10;
        for (int i = 0; i < questions; ++i) {
            const QString section =
                i < large ? sections.first() : sections.at(i % sections.size());
            const int subject = section.mid(1, 1).toInt();
            int kind = subject == 4 ? 31 : subject == 5 ? 64 : (i % 5 == 4 ? 21 : 11);
            if (subject <= 3 && i % 97 == 0)
                kind = 72 + i % 3;
            QString id = section + QString::number(i).rightJustified(6, u'0');
            if (i % 50 == 7) { // a compound question with its own stem
                const QString stemId = section + QString::number(i).rightJustified(10, u'0');
                title({stemId, richText(u"材料：合成案例背景 "_s + stemId)});
                id = stemId + u"-1"_s;
            }
            const QString answer = kind == 11 ? QString(QChar(u'A' + i % 4))
                                   : kind == 21 ? u"ACD"_s
                                                : u"1"_s;
            const int options = kind == 11 ? 4 : kind == 21 ? 5 : 1;
            const QString p1 = section + QString::number(1 + i % 20).rightJustified(3, u'0');
            const QString p2 = section + QString::number(1 + (i + 7) % 20).rightJustified(3, u'0');
            answ({id, answer, options, p1, i % 3 == 0 ? QVariant(p2) : QVariant(), section, kind,
                  i});
            exer({id, richText(u"合成题目 "_s + id + u"\nA. 甲\nB. 乙\nC. 丙\nD. 丁\nE. 戊"_s),
                  i % 4 == 0 ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(jx)});
        }
        const int times[][2] = {{11, 10}, {21, 20}, {31, 150}, {64, 200}, {72, 50}, {73, 80}, {74, 100}};
        for (int t = 1; t <= 5; ++t) {
            Inserter tx(db, u"insert into tab_tx"_s + QString::number(t) +
                                u" (A1,B1,B2,B3,time) values (?,?,?,?,?)"_s);
            for (const auto &kt : times) {
                const int kind = kt[0];
                int count = 0;
                if (t <= 3 && kind == 11)
                    count = t == 3 ? 60 : 70;
                if (t <= 3 && kind == 21)
                    count = t == 3 ? 20 : 15;
                if ((t == 4 && kind == 31) || (t == 5 && kind == 64))
                    count = t == 4 ? 5 : 6;
                tx({kind, QString(u"题型"_s + QString::number(kind)), count, kind == 21 ? 2 : 1,
                    kt[1] / 10.0});
            }
        }
        Db::exec(db, u"insert into tab_plan values (0,50,60,'2027-10-23',60,9000)"_s);
        Db::exec(db, u"insert into tab_sj (sjbs,cpbs) values ('','SYNTHETIC')"_s);
    });
}

} // namespace BankBuilder
