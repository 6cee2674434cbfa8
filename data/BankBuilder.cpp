#include "data/BankBuilder.h"

#include "data/Database.h"
#include "data/Schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace BankBuilder {

namespace {

const QString kConn = u"bankbuilder"_s;

// Questions held per subject ("01" .. "05") and kind.
using PoolCounts = QHash<std::pair<QString, int>, int>;

// A source file's fault: names the file and the entry.
struct SourceError : std::runtime_error
{
    explicit SourceError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// Line and column (from 1) of a byte offset in a UTF-8 text.
QString position(const QByteArray &text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.size());
    const QByteArray before = text.left(offset);
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return u"line "_s + QString::number(before.count('\n') + 1) + u", column "_s +
           QString::number(QString::fromUtf8(before.mid(lineStart)).size() + 1);
}

// QJsonDocument keeps one of two equal keys silently; a source must not repeat a key within one
// object. Scans a text that already parsed as JSON.
void refuseDuplicateKeys(const QString &path, const QByteArray &text)
{
    struct Frame
    {
        bool object;
        bool expectKey;
        QSet<QByteArray> keys;
    };
    QList<Frame> stack;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '{' || c == '[') {
            stack.append({c == '{', c == '{', {}});
        } else if (c == '}' || c == ']') {
            stack.removeLast();
        } else if (c == ',' && !stack.isEmpty() && stack.last().object) {
            stack.last().expectKey = true;
        } else if (c == '"') {
            const qsizetype begin = i + 1;
            for (++i; text.at(i) != '"'; ++i) {
                if (text.at(i) == '\\')
                    ++i;
            }
            if (!stack.isEmpty() && stack.last().expectKey) {
                const QByteArray key = text.mid(begin, i - begin);
                if (stack.last().keys.contains(key))
                    throw SourceError(path + u": "_s + position(text, begin - 1) + u": key \""_s +
                                      QString::fromUtf8(key) + u"\" appears twice in one object"_s);
                stack.last().keys.insert(key);
                stack.last().expectKey = false;
            }
        }
    }
}

// A JSON object of a source read strictly: every key known, every value of its type. Each
// refusal names the file and the entry ("questions_01.json question 7 (010101000007)").
class Entry
{
public:
    // nameKey: the key whose text names the entry in messages ("id", "code"), when present.
    Entry(const QJsonValue &value, const QString &where, const QStringList &known,
          const QString &nameKey = {})
        : m_where(where)
    {
        if (!value.isObject())
            fail(u"must be an object { … }"_s);
        m_o = value.toObject();
        const QString name = m_o.value(nameKey).toString();
        if (!nameKey.isEmpty() && !name.trimmed().isEmpty())
            m_where += u" ("_s + name + u')';
        for (auto it = m_o.constBegin(); it != m_o.constEnd(); ++it) {
            if (!known.contains(it.key()))
                fail(u"unknown key \""_s + it.key() + u"\" (known: "_s + known.join(u", "_s) +
                     u')');
        }
    }

    [[noreturn]] void fail(const QString &message) const
    {
        throw SourceError(m_where + u": "_s + message);
    }
    const QString &where() const { return m_where; }
    bool has(const QString &key) const { return m_o.contains(key); }
    QJsonValue value(const QString &key) const { return m_o.value(key); }

    // A text that is present and not blank.
    QString text(const QString &key) const
    {
        if (!has(key))
            fail(u"missing \""_s + key + u'"');
        const QJsonValue v = m_o.value(key);
        if (!v.isString())
            fail(u"\""_s + key + u"\" must be a text in quotes"_s);
        if (v.toString().trimmed().isEmpty())
            fail(u"\""_s + key + u"\" is blank"_s);
        return v.toString();
    }
    QString optionalText(const QString &key) const
    {
        if (!has(key))
            return {};
        if (!m_o.value(key).isString())
            fail(u"\""_s + key + u"\" must be a text in quotes"_s);
        return m_o.value(key).toString();
    }
    // A whole number written as a JSON number, within min .. max.
    int integer(const QString &key, int min, int max) const
    {
        if (!has(key))
            fail(u"missing \""_s + key + u'"');
        const QJsonValue v = m_o.value(key);
        const double d = v.toDouble();
        if (!v.isDouble() || d != std::floor(d))
            fail(u"\""_s + key + u"\" must be a whole number, not "_s + shown(v));
        if (d < min || d > max)
            fail(u"\""_s + key + u"\" must lie within "_s + QString::number(min) + u" .. "_s +
                 QString::number(max) + u", not "_s + shown(v));
        return int(d);
    }
    double number(const QString &key, double min, double max) const
    {
        if (!has(key))
            fail(u"missing \""_s + key + u'"');
        const QJsonValue v = m_o.value(key);
        if (!v.isDouble())
            fail(u"\""_s + key + u"\" must be a number, not "_s + shown(v));
        if (v.toDouble() < min || v.toDouble() > max)
            fail(u"\""_s + key + u"\" must lie within "_s + QString::number(min) + u" .. "_s +
                 QString::number(max) + u", not "_s + shown(v));
        return v.toDouble();
    }
    bool optionalBool(const QString &key) const
    {
        if (has(key) && !m_o.value(key).isBool())
            fail(u"\""_s + key + u"\" must be true or false"_s);
        return m_o.value(key).toBool();
    }
    QJsonArray array(const QString &key) const
    {
        if (!has(key))
            fail(u"missing \""_s + key + u"\": [ … ]"_s);
        if (!m_o.value(key).isArray())
            fail(u"\""_s + key + u"\" must be a list [ … ]"_s);
        return m_o.value(key).toArray();
    }
    QJsonArray optionalArray(const QString &key) const
    {
        return has(key) ? array(key) : QJsonArray();
    }

    static QString shown(const QJsonValue &v)
    {
        if (v.isString())
            return u"the text \""_s + v.toString() + u'"';
        if (v.isDouble())
            return QString::number(v.toDouble(), 'g', 12);
        return QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact))
            .mid(1)
            .chopped(1);
    }

private:
    QString m_where;
    QJsonObject m_o;
};

// Reads a source file whose top level must be an object with the known keys. Entries name the
// file without its folder.
Entry readJson(const QString &path, const QStringList &known)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SourceError(path + u": cannot be read"_s);
    const QByteArray text = file.readAll();
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
    const QString name = QFileInfo(path).fileName();
    if (parseError.error != QJsonParseError::NoError)
        throw SourceError(name + u": not valid JSON at "_s + position(text, parseError.offset) +
                          u": "_s + parseError.errorString());
    if (!doc.isObject())
        throw SourceError(name + u": the file must hold one object { … } at its top level"_s);
    refuseDuplicateKeys(name, text);
    return Entry(doc.object(), name, known);
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

QVariant richOrNull(const QString &text)
{
    return text.trimmed().isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray))
                                    : QVariant(richText(text));
}

// A rich-text field is plain text (escaped) unless it begins with a tag, so markup inside plain
// text would show to the candidate as "x<sub>1</sub>": such a field is refused.
const QString &markupFree(const Entry &o, const QString &key, const QString &text)
{
    static const QRegularExpression tag(
        u"<\\s*/?\\s*(?:sub|sup|b|i|u|br|p|table|tr|td|th|span|font)\\b[^>]*>"_s,
        QRegularExpression::CaseInsensitiveOption);
    if (!text.trimmed().startsWith(u'<')) {
        const QRegularExpressionMatch m = tag.match(text);
        if (m.hasMatch())
            o.fail(u"\""_s + key + u"\" holds the tag "_s + m.captured(0) +
                   u" but does not begin with one, so the tag would show as text: "
                   u"write the whole field as HTML (<p> … </p>)"_s);
    }
    return text;
}

bool isSubjective(int kind)
{
    return kind == 31 || kind == 64 || kind == 72 || kind == 73 || kind == 74;
}

// Codes are compared as the database compares them: without regard to letter case. Remembers
// where each code was first seen, so a repeat names both entries.
class Seen
{
public:
    void add(const QString &code, const QString &where)
    {
        const auto it = m_where.constFind(code.toLower());
        if (it != m_where.constEnd())
            throw SourceError(where + u": "_s + code + u" repeats "_s + it.value());
        m_where.insert(code.toLower(), where);
    }
    bool contains(const QString &code) const { return m_where.contains(code.toLower()); }

private:
    QHash<QString, QString> m_where;
};

void loadSyllabus(const QSqlDatabase &db, const QString &dir, Seen &chapters)
{
    const QString path = dir + u"/syllabus.json"_s;
    const Entry root = readJson(path, {u"chapters"_s});
    const QJsonArray rows = root.array(u"chapters"_s);
    Inserter insert(db, u"insert into tab_kmmc (C1,C1_1,C2,C3,C4,D1,D2,C6,C7,bh,jx) "
                        u"values (?,?,?,0,0,0,0,'0',?,?,?)"_s);
    int order = 0;
    for (const QJsonValue &v : rows) {
        Entry o(v, root.where() + u" chapter "_s + QString::number(order + 1),
                {u"code"_s, u"title"_s, u"name"_s, u"chart"_s, u"guide"_s}, u"code"_s);
        const QString code = o.text(u"code"_s);
        if (code != u"xx"_s) {
            if (code.size() != 1 && code.size() != 2 && code.size() != 4 && code.size() != 6)
                o.fail(u"a code has 1, 2, 4 or 6 characters"_s);
            if (code.contains(u' '))
                o.fail(u"a code holds no blanks"_s);
            const int parent = code.size() == 6 ? 4 : code.size() == 4 ? 2 : code.size() - 1;
            if (parent > 0 && !chapters.contains(code.left(parent)))
                o.fail(u"its parent "_s + code.left(parent) + u" must come before it"_s);
        }
        chapters.add(code, o.where());
        insert({code, o.text(u"title"_s), o.text(u"name"_s),
                o.optionalBool(u"chart"_s) ? QVariant(u"0"_s) : QVariant(u"1"_s), ++order,
                richOrNull(markupFree(o, u"guide"_s, o.optionalText(u"guide"_s)))});
    }
}

void loadPoints(const QSqlDatabase &db, const QString &dir, Seen &points)
{
    const QString path = dir + u"/points.json"_s;
    const Entry root = readJson(path, {u"groups"_s, u"points"_s});
    Inserter group(db, u"insert into tab_fgmc (id,n,bh,q,q1,q2,q4) values (?,?,?,0,0,0,0)"_s);
    Seen groups;
    int order = 0;
    for (const QJsonValue &v : root.array(u"groups"_s)) {
        Entry o(v, root.where() + u" group "_s + QString::number(order + 1), {u"id"_s, u"name"_s},
                u"id"_s);
        const QString id = o.text(u"id"_s);
        if (id.size() != 2 && id.size() != 6)
            o.fail(u"a group id has 2 or 6 characters"_s);
        if (id.size() == 6 && !groups.contains(id.left(2)))
            o.fail(u"its top group "_s + id.left(2) + u" must come before it"_s);
        groups.add(id, o.where());
        group({id, o.text(u"name"_s), ++order});
    }
    Inserter point(db, u"insert into tab_rule (id,ftid,sn,n,q,q1,q2,q4) "
                       u"values (?,?,?,?,0,0,0,0)"_s);
    int i = 0;
    for (const QJsonValue &v : root.array(u"points"_s)) {
        Entry o(v, root.where() + u" point "_s + QString::number(++i),
                {u"code"_s, u"short"_s, u"text"_s}, u"code"_s);
        const QString code = o.text(u"code"_s);
        if (code.size() < 7 || code.size() > 12 || code.contains(u' '))
            o.fail(u"a point code has 7 .. 12 characters and no blanks"_s);
        if (!groups.contains(code.left(6)))
            o.fail(u"no chapter group "_s + code.left(6));
        points.add(code, o.where());
        point({code.left(6), code, o.text(u"short"_s),
               richText(markupFree(o, u"text"_s, o.text(u"text"_s)))});
    }
}

void checkAnswer(const Entry &o, int kind, const QString &answer, int options)
{
    static const QString letters = u"ABCDEF"_s;
    if (kind == 11) {
        if (answer.size() != 1 || letters.indexOf(answer) < 0)
            o.fail(u"a single-choice answer is one letter A .. F, not \""_s + answer + u'"');
        if (letters.indexOf(answer) >= options)
            o.fail(u"answer "_s + answer + u" is not among the "_s + QString::number(options) +
                   u" options"_s);
    } else if (kind == 21) {
        if (answer.size() < 2)
            o.fail(u"a multiple-choice answer has at least two letters, not \""_s + answer + u'"');
        qsizetype last = -1;
        for (const QChar c : answer) {
            const qsizetype at = letters.indexOf(c);
            if (at < 0 || at <= last)
                o.fail(u"multiple-choice letters must be options in A-F order, not \""_s + answer +
                       u'"');
            if (at >= options)
                o.fail(u"answer letter "_s + c + u" is not among the "_s +
                       QString::number(options) + u" options"_s);
            last = at;
        }
    } else if (answer != u"1"_s) {
        o.fail(u"a subjective answer is \"1\""_s);
    }
}

// The option letters a choice question's body lists, each at the start of a line ("A. …").
QString listedOptions(const QString &body)
{
    static const QRegularExpression marker(u"(?:^|\\n|<br\\s*/?>|<p>)\\s*([A-F])\\s*[.．、]"_s);
    QString letters;
    for (auto it = marker.globalMatch(body); it.hasNext();)
        letters += it.next().captured(1);
    return letters;
}

void loadQuestions(const QSqlDatabase &db, const QString &path, const Seen &chapters,
                   const Seen &points, Seen &ids, const Options &options, PoolCounts &pools)
{
    const Entry root = readJson(path, {u"stems"_s, u"questions"_s});
    const QString subject = QFileInfo(path).completeBaseName().mid(10);
    Inserter stem(db, u"insert into tab_title (A1,A15) values (?,?)"_s);
    QHash<QString, QString> stems; // id -> where, until a sub-question uses it
    int n = 0;
    for (const QJsonValue &v : root.optionalArray(u"stems"_s)) {
        Entry o(v, root.where() + u" stem "_s + QString::number(++n), {u"id"_s, u"text"_s},
                u"id"_s);
        const QString id = o.text(u"id"_s);
        static const QRegularExpression pattern(u"^[0-9A-Za-z]{16}$"_s);
        if (!pattern.match(id).hasMatch() || id.startsWith(u'U', Qt::CaseInsensitive))
            o.fail(u"a stem id has 16 letters or digits and does not begin with U"_s);
        ids.add(id, o.where());
        stems.insert(id.toLower(), o.where());
        stem({id, richText(markupFree(o, u"text"_s, o.text(u"text"_s)))});
    }
    Inserter insertQuestion(
        db, u"insert into tab_answ (A1,A2,A2_1,K3,K4,K5,K6,K7,K8,K9,K10,K11,K12,A10,"
            u"A13,A14,E1,E2,E2_1,E3,E4,F1,xx,csbs,ecount) values "
            u"(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,NULL,NULL,'','',0,0,0,?,'',0)"_s);
    Inserter insertQuestionText(db, u"insert into tab_exer (A1,A15,jx) values (?,?,?)"_s);
    QHash<QString, int> position;
    QSet<QString> usedStems;
    n = 0;
    for (const QJsonValue &v : root.array(u"questions"_s)) {
        Entry o(v, root.where() + u" question "_s + QString::number(++n),
                {u"id"_s, u"chapter"_s, u"kind"_s, u"answer"_s, u"options"_s, u"points"_s,
                 u"body"_s, u"jx"_s},
                u"id"_s);
        const QString id = o.text(u"id"_s);
        static const QRegularExpression pattern(
            u"^[0-9A-Za-z]{12}$|^[0-9A-Za-z]{16}-[0-9]{1,3}$"_s);
        if (!pattern.match(id).hasMatch() || id.startsWith(u'U', Qt::CaseInsensitive))
            o.fail(u"an id has 12 letters or digits, or a stem id, \"-\" and a number; it does "
                   u"not begin with U"_s);
        const bool compound = id.contains(u'-');
        if (compound && !stems.contains(id.left(16).toLower()))
            o.fail(u"no stem "_s + id.left(16) + u" in this file"_s);
        if (compound)
            usedStems.insert(id.left(16).toLower());
        ids.add(id, o.where());
        const QString chapter = o.text(u"chapter"_s);
        if (chapter.size() != 6 || !chapters.contains(chapter))
            o.fail(u"chapter "_s + chapter + u" is not a 6-character code of the syllabus"_s);
        if (!chapter.startsWith(subject))
            o.fail(u"chapter "_s + chapter + u" is not of subject "_s + subject);
        const int kind = o.integer(u"kind"_s, 0, 99);
        if (kind != 11 && kind != 21 && !isSubjective(kind))
            o.fail(u"kind "_s + QString::number(kind) +
                   u" is none of 11, 21, 31, 64, 72, 73, 74"_s);
        const QString body = o.text(u"body"_s);
        int count = 1;
        if (isSubjective(kind)) {
            if (o.has(u"options"_s))
                count = o.integer(u"options"_s, 1, 1);
        } else {
            count = o.integer(u"options"_s, 2, 6);
            const QString listed = listedOptions(body);
            if (listed != u"ABCDEF"_s.left(count))
                o.fail(u"the body lists the options \""_s + listed + u"\", \"options\" says "_s +
                       QString::number(count));
        }
        // Choice keys are stored in capitals, as the option buttons give them.
        const QString answer =
            isSubjective(kind) ? o.text(u"answer"_s) : o.text(u"answer"_s).toUpper();
        checkAnswer(o, kind, answer, count);
        const QJsonArray links = o.optionalArray(u"points"_s);
        if (links.size() > 10)
            o.fail(u"at most ten exam points"_s);
        if (options.complete && links.isEmpty())
            o.fail(u"links no exam point"_s);
        const QString explanation = o.optionalText(u"jx"_s);
        if (options.complete && explanation.trimmed().isEmpty())
            o.fail(u"has no explanation \"jx\""_s);
        QVariantList row{id, answer, count};
        QSet<QString> linked;
        for (int k = 0; k < 10; ++k) {
            if (k < links.size()) {
                if (!links.at(k).isString())
                    o.fail(u"\"points\" must be a list of exam-point codes in quotes"_s);
                const QString code = links.at(k).toString();
                if (!points.contains(code))
                    o.fail(u"unknown exam point "_s + code);
                if (linked.contains(code.toLower()))
                    o.fail(u"exam point "_s + code + u" is linked twice"_s);
                linked.insert(code.toLower());
                row.append(code);
            } else {
                row.append(QVariant(QMetaType(QMetaType::QString)));
            }
        }
        row << chapter << kind << ++position[chapter];
        insertQuestion(row);
        insertQuestionText({id, richText(markupFree(o, u"body"_s, body)),
                            richOrNull(markupFree(o, u"jx"_s, explanation))});
        ++pools[{subject, kind}];
    }
    for (auto it = stems.cbegin(); it != stems.cend(); ++it) {
        if (!usedStems.contains(it.key()))
            throw SourceError(it.value() + u": no question uses this stem"_s);
    }
}

// The question kinds each paper kind draws, from kinds.json.
using Draws = QList<std::tuple<int, int, int>>; // paper kind, question kind, count

Draws loadKinds(const QSqlDatabase &db, const QString &dir)
{
    const QString path = dir + u"/kinds.json"_s;
    QStringList tables;
    for (int t = 1; t <= 5; ++t)
        tables.append(u"tab_tx"_s + QString::number(t));
    const Entry root = readJson(path, tables);
    Draws draws;
    for (int t = 1; t <= 5; ++t) {
        const QString &table = tables.at(t - 1);
        const QJsonArray rows = root.array(table);
        if (rows.isEmpty())
            throw SourceError(root.where() + u": no rows for "_s + table);
        Inserter insert(db,
                        u"insert into "_s + table + u" (A1,B1,B2,B3,time) values (?,?,?,?,?)"_s);
        QSet<int> kinds;
        int n = 0;
        for (const QJsonValue &v : rows) {
            const Entry o(v, root.where() + u' ' + table + u" row "_s + QString::number(++n),
                          {u"kind"_s, u"name"_s, u"count"_s, u"score"_s, u"time"_s});
            const int kind = o.integer(u"kind"_s, 1, 99);
            if (kinds.contains(kind))
                o.fail(u"kind "_s + QString::number(kind) + u" appears twice in "_s + table);
            kinds.insert(kind);
            const int count = o.integer(u"count"_s, 0, 85);
            if (count > 0)
                draws.append({t, kind, count});
            insert({kind, o.text(u"name"_s), count, o.number(u"score"_s, 0, 100),
                    o.number(u"time"_s, 0.1, 30.0)});
        }
    }
    return draws;
}

void loadSettings(const QSqlDatabase &db, const QString &dir)
{
    const QString path = dir + u"/settings.json"_s;
    const Entry root = readJson(path, {u"plan"_s, u"product"_s});
    const Entry plan(root.value(u"plan"_s), root.where() + u" plan"_s,
                     {u"PlanMark"_s, u"PlanAmount"_s, u"PlanTime"_s, u"ExamDate"_s, u"LeastMark"_s,
                      u"ExamTime"_s});
    const QString examDate = plan.text(u"ExamDate"_s);
    if (!QDate::fromString(examDate, u"yyyy-MM-dd"_s).isValid())
        plan.fail(u"\"ExamDate\" must be a date written yyyy-MM-dd, not \""_s + examDate + u'"');
    Db::exec(db,
             u"insert into tab_plan (PlanMark,PlanAmount,PlanTime,ExamDate,LeastMark,ExamTime) "
             u"values (?,?,?,?,?,?)"_s,
             {plan.integer(u"PlanMark"_s, 0, 1), plan.integer(u"PlanAmount"_s, 1, 100000),
              plan.integer(u"PlanTime"_s, 1, 1440), examDate, plan.integer(u"LeastMark"_s, 0, 1000),
              plan.integer(u"ExamTime"_s, 60, 86400)});
    const Entry product(root.value(u"product"_s), root.where() + u" product"_s,
                        {u"cpbs"_s, u"sjbs"_s});
    Db::exec(db, u"insert into tab_sj (sjbs,cpbs) values (?,?)"_s,
             {product.optionalText(u"sjbs"_s), product.text(u"cpbs"_s)});
}

// A bank that is to fill `papers` different papers holds at least that many times each
// paper's draw of every kind.
void checkPools(const QString &dir, const Draws &draws, const PoolCounts &pools, int papers)
{
    QStringList shortfalls;
    for (const auto &[paper, kind, count] : draws) {
        const QString subject = u"0"_s + QString::number(paper);
        const int held = pools.value({subject, kind});
        if (held < papers * count)
            shortfalls.append(u"questions_"_s + subject + u".json kind "_s + QString::number(kind) +
                              u" holds "_s + QString::number(held) + u" of the "_s +
                              QString::number(papers * count) + u" needed ("_s +
                              QString::number(papers) + u" × "_s + QString::number(count) + u')');
    }
    if (!shortfalls.isEmpty())
        throw SourceError(dir + u": too few questions for "_s + QString::number(papers) +
                          u" papers of every kind: "_s + shortfalls.join(u"; "_s));
}

// Creates an empty study database at path, runs fill inside one transaction, then
// recomputes the counters. Returns false with the message on failure.
template <typename Fill> bool makeDatabase(const QString &outPath, QString *error, Fill fill)
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
    QSqlQuery setPointQuestions(db), setGroupQuestions(db);
    setPointQuestions.prepare(u"update tab_rule set q=? where ftid=?"_s);
    setGroupQuestions.prepare(u"update tab_fgmc set q=? where id=?"_s);
    for (auto it = pointCount.cbegin(); it != pointCount.cend(); ++it)
        Db::execPrepared(setPointQuestions, {it.value(), it.key()});
    for (auto it = groupCount.cbegin(); it != groupCount.cend(); ++it)
        Db::execPrepared(setGroupQuestions, {it.value(), it.key()});
}

bool build(const QString &sourcesDir, const QString &outPath, QString *error,
           const Options &options)
{
    return makeDatabase(outPath, error, [&](const QSqlDatabase &db) {
        Seen chapters, points, ids;
        loadSyllabus(db, sourcesDir, chapters);
        loadPoints(db, sourcesDir, points);
        const QStringList files =
            QDir(sourcesDir).entryList({u"questions_*.json"_s}, QDir::Files, QDir::Name);
        if (files.isEmpty())
            throw SourceError(sourcesDir + u": no questions_*.json"_s);
        PoolCounts pools;
        for (const QString &f : files) {
            static const QRegularExpression name(u"^questions_0[1-5]\\.json$"_s);
            if (!name.match(f).hasMatch())
                throw SourceError(sourcesDir + u'/' + f +
                                  u": question files are named questions_01.json .. "
                                  u"questions_05.json"_s);
            loadQuestions(db, sourcesDir + u'/' + f, chapters, points, ids, options, pools);
        }
        const Draws draws = loadKinds(db, sourcesDir);
        if (options.papers > 0)
            checkPools(sourcesDir, draws, pools, options.papers);
        loadSettings(db, sourcesDir);
    });
}

bool buildSynthetic(int questions, const QString &outPath, QString *error)
{
    return makeDatabase(outPath, error, [&](const QSqlDatabase &db) {
        // Five subjects, four parts each, five sections per part; 20 points per section.
        Inserter insertChapter(db, u"insert into tab_kmmc (C1,C1_1,C2,C7,bh) values (?,?,?,?,?)"_s);
        Inserter insertPointGroup(db, u"insert into tab_fgmc (id,n,bh) values (?,?,?)"_s);
        Inserter insertPoint(db, u"insert into tab_rule (id,ftid,sn,n) values (?,?,?,?)"_s);
        QStringList sections;
        int order = 0;
        insertChapter({u"0"_s, u"全部科目"_s, u"全部科目"_s, u"1"_s, ++order});
        for (int s = 1; s <= 5; ++s) {
            const QString subject = u"0"_s + QString::number(s);
            insertChapter({subject, QString(u"科目"_s + subject), QString(u"科目"_s + subject),
                           u"0"_s, ++order});
            insertPointGroup({subject, QString(u"考点组"_s + subject), order});
            for (int p = 1; p <= 4; ++p) {
                const QString part = subject + u"0"_s + QString::number(p);
                insertChapter({part, QString(u"第"_s + QString::number(p) + u"章"_s),
                               QString(u"章"_s + part), u"1"_s, ++order});
                for (int c = 1; c <= 5; ++c) {
                    const QString section = part + u"0"_s + QString::number(c);
                    sections.append(section);
                    insertChapter({section, QString(u"第"_s + QString::number(c) + u"节"_s),
                                   QString(u"节"_s + section), u"1"_s, ++order});
                    insertPointGroup({section, QString(u"考点章"_s + section), order});
                    for (int k = 1; k <= 20; ++k) {
                        const QString code = section + QString::number(k).rightJustified(3, u'0');
                        insertPoint({section, code, QString(u"考点"_s + code),
                                     richText(u"考点内容 "_s + code)});
                    }
                }
            }
        }
        const QByteArray explanation = richText(u"解析：这是合成题库的解析文字。"_s);
        Inserter insertQuestion(
            db, u"insert into tab_answ (A1,A2,A2_1,K3,K4,A10,A13,E2,E2_1,E3,E4,F1,xx,"
                u"csbs,ecount) values (?,?,?,?,?,?,?,'','',0,0,0,?,'',0)"_s);
        Inserter insertQuestionText(db, u"insert into tab_exer (A1,A15,jx) values (?,?,?)"_s);
        Inserter insertStem(db, u"insert into tab_title (A1,A15) values (?,?)"_s);
        // The first section holds a tenth of the bank: the large chapter of the benchmarks.
        const int large = questions / 10;
        for (int i = 0; i < questions; ++i) {
            const QString section = i < large ? sections.first() : sections.at(i % sections.size());
            const int subject = section.mid(1, 1).toInt();
            int kind = subject == 4 ? 31 : subject == 5 ? 64 : (i % 5 == 4 ? 21 : 11);
            if (subject <= 3 && i % 97 == 0)
                kind = 72 + i % 3;
            QString id = section + QString::number(i).rightJustified(6, u'0');
            if (i % 50 == 7) { // a compound question with its own stem
                const QString stemId = section + QString::number(i).rightJustified(10, u'0');
                insertStem({stemId, richText(u"材料：合成案例背景 "_s + stemId)});
                id = stemId + u"-1"_s;
            }
            const QString answer = kind == 11   ? QString(QChar(u'A' + i % 4))
                                   : kind == 21 ? u"ACD"_s
                                                : u"1"_s;
            const int options = kind == 11 ? 4 : kind == 21 ? 5 : 1;
            const QString firstPoint =
                section + QString::number(1 + i % 20).rightJustified(3, u'0');
            const QString secondPoint =
                section + QString::number(1 + (i + 7) % 20).rightJustified(3, u'0');
            insertQuestion({id, answer, options, firstPoint,
                            i % 3 == 0 ? QVariant(secondPoint) : QVariant(), section, kind, i});
            insertQuestionText(
                {id, richText(u"合成题目 "_s + id + u"\nA. 甲\nB. 乙\nC. 丙\nD. 丁\nE. 戊"_s),
                 i % 4 == 0 ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(explanation)});
        }
        // Each question kind with its answer time in tenths of a minute.
        const int kindTimes[][2] = {{11, 10}, {21, 20}, {31, 150}, {64, 200},
                                    {72, 50}, {73, 80}, {74, 100}};
        for (int paperKind = 1; paperKind <= 5; ++paperKind) {
            Inserter insertKind(db, u"insert into tab_tx"_s + QString::number(paperKind) +
                                        u" (A1,B1,B2,B3,time) values (?,?,?,?,?)"_s);
            for (const auto &kindTime : kindTimes) {
                const int kind = kindTime[0];
                int count = 0;
                if (paperKind <= 3 && kind == 11)
                    count = paperKind == 3 ? 60 : 70;
                if (paperKind <= 3 && kind == 21)
                    count = paperKind == 3 ? 20 : 15;
                if ((paperKind == 4 && kind == 31) || (paperKind == 5 && kind == 64))
                    count = paperKind == 4 ? 5 : 6;
                insertKind({kind, QString(u"题型"_s + QString::number(kind)), count,
                            kind == 21 ? 2 : 1, kindTime[1] / 10.0});
            }
        }
        Db::exec(db, u"insert into tab_plan values (0,50,60,'2027-10-23',60,9000)"_s);
        Db::exec(db, u"insert into tab_sj (sjbs,cpbs) values ('','SYNTHETIC')"_s);
    });
}

} // namespace BankBuilder
