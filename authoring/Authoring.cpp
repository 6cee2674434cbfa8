#include "authoring/Authoring.h"

#include "data/AppGlobals.h"
#include "data/Database.h"

#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace Authoring {

namespace {

const QString kPointColumns = u"K3,K4,K5,K6,K7,K8,K9,K10,K11,K12"_s;

// "?,?,...,?" for n values.
QString marks(qsizetype n)
{
    return n <= 0 ? QString() : u"?"_s + u",?"_s.repeated(n - 1);
}

// A rich-text column: the bytes, or null for an empty text.
QVariant richValue(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(bytes);
}

QByteArray bytesOf(const QVariant &value)
{
    if (value.isNull())
        return {};
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                   : value.toString().toUtf8();
}

} // namespace

bool isLockedKindName(const QString &kindName)
{
    static const QStringList names{u"简答"_s,     u"主观"_s,     u"论述"_s, u"案例分析"_s,
                                   u"名词解释"_s, u"查找错误"_s, u"综合"_s, u"计算"_s};
    return names.contains(kindName);
}

namespace {

constexpr int kSingleChoice = 11;
constexpr int kMultipleChoice = 21;

} // namespace

QString storedAnswer(int kind, const QString &answer)
{
    return kind == kSingleChoice || kind == kMultipleChoice ? answer.toUpper() : answer;
}

QString answerProblem(int kind, int options, const QString &answer)
{
    if (kind != kSingleChoice && kind != kMultipleChoice)
        return {};
    // The option buttons run A..F: at most six are shown whatever the count says.
    const int shown = qBound(1, options, 6);
    const QString range = shown == 1 ? u"A"_s : u"A～"_s + QChar(u'A' + shown - 1);
    const QString key = answer.toUpper();
    if (kind == kSingleChoice) {
        if (key.size() != 1 || key.at(0) < u'A' || key.at(0).unicode() >= u'A' + shown)
            return u"单选题的答案只能是"_s + range + u"中的一个字母！"_s;
        return {};
    }
    int last = -1;
    for (const QChar c : key) {
        const int at = c.unicode() - u'A';
        if (at < 0 || at >= shown || at <= last)
            return u"多选题的答案只能是"_s + range +
                   u"中的字母，按字母顺序填写，每个字母只写一次！"_s;
        last = at;
    }
    return {};
}

QList<Kind> readKinds(const QSqlDatabase &db, int paperKind)
{
    QSqlQuery q =
        Db::query(db, u"select A1,B1 from "_s + Db::sqlIdentifier(App::kindTableName(paperKind)) +
                          u" order by A1 ASC"_s);
    QList<Kind> kinds;
    while (q.next())
        kinds.append({q.value(0).toInt(), q.value(1).toString()});
    return kinds;
}

int nextUserNumber(const QSqlDatabase &db)
{
    // "Begins with U, either case": LIKE on the case-insensitive id column reads the id index's
    // range of U ids instead of every question of the bank.
    const QVariant largest =
        Db::scalar(db, u"select max(cast(substr(A1,-4) as integer)) from tab_answ "
                       u"where A1 like 'U%'"_s);
    return (largest.isNull() ? 0 : largest.toInt()) + 1;
}

QString userQuestionId(const QString &chapterCode, int kind, int options, int number)
{
    return u"US"_s + chapterCode + QString::number(kind) + QString::number(options) +
           QString::number(number).rightJustified(4, u'0');
}

void insertQuestion(const QSqlDatabase &db, const QString &id, const NewQuestion &question)
{
    Db::Transaction tx(db);

    QString columns = u"a1,a2,a2_1,a10,a13"_s;
    QVariantList values{id, question.answer, question.options, question.chapterCode, question.kind};
    for (qsizetype i = 0; i < question.points.size(); ++i) {
        columns += u",k"_s + QString::number(i + 3);
        values.append(question.points.at(i));
    }
    columns += u",f1"_s;
    values.append(2);
    Db::exec(db,
             u"insert into tab_answ ("_s + columns + u") values ("_s + marks(values.size()) + u')',
             values);

    if (question.explanation.isEmpty()) {
        Db::exec(db, u"insert into tab_exer (a1,a15) values (?,?)"_s, {id, question.body});
    } else {
        Db::exec(db, u"insert into tab_exer (a1,a15,jx) values (?,?,?)"_s,
                 {id, question.body, question.explanation});
    }

    // The chapter and its enclosing chapters, each once.
    const QString &c = question.chapterCode;
    Db::exec(db, u"update tab_kmmc set C3=coalesce(C3,0)+1 where C1 in (?,?,?,?)"_s,
             {c, c.left(4), c.left(2), c.left(1)});

    if (!question.points.isEmpty()) {
        QVariantList points, chapters, groups;
        for (const QString &code : question.points) {
            points.append(code);
            chapters.append(code.left(6));
            groups.append(code.left(2));
        }
        // IN lists: a group holding several of the points counts the question once.
        const QString in = u" in ("_s + marks(points.size()) + u')';
        Db::exec(db, u"update tab_rule set q=coalesce(q,0)+1 where ftid"_s + in, points);
        Db::exec(db, u"update tab_fgmc set q=coalesce(q,0)+1 where id"_s + in, chapters);
        Db::exec(db, u"update tab_fgmc set q=coalesce(q,0)+1 where id"_s + in, groups);
    }
    tx.commit();
}

void saveEdit(const QSqlDatabase &db, const QuestionEdit &edit)
{
    Db::Transaction tx(db);

    QSqlQuery content = Db::query(db, u"update tab_exer set A15=?,jx=? where A1=?"_s,
                                  {richValue(edit.body), richValue(edit.explanation), edit.id});
    const int contentRows = content.numRowsAffected();
    content.finish();
    if (contentRows == 0) {
        Db::exec(db, u"insert into tab_exer (A1,A15,jx) values (?,?,?)"_s,
                 {edit.id, richValue(edit.body), richValue(edit.explanation)});
    }

    QString set = u"A2=?,A2_1=?,A13=?"_s;
    QVariantList values{edit.answer, edit.options, edit.kind};
    for (int i = 0; i < 10; ++i) {
        set += u",K"_s + QString::number(i + 3) + u"=?"_s;
        values.append(i < edit.points.size() ? edit.points.at(i) : QString(u""_s));
    }
    values.append(edit.id);
    QSqlQuery row = Db::query(
        db, u"update tab_answ set "_s + set + u",ecount=coalesce(ecount,0)+1 where A1=?"_s, values);
    const int rows = row.numRowsAffected();
    row.finish();
    if (rows != 1)
        throw Db::DbError(u"no question "_s + edit.id);

    if (edit.hasStem) {
        Db::exec(db, u"update tab_title set A15=? where A1=?"_s,
                 {richValue(edit.stem), edit.id.left(16)});
    }

    // Only the points still linked are recounted, over the whole bank.
    for (const QString &code : edit.points) {
        Db::exec(db,
                 u"update tab_rule set q=(select count(*) from tab_answ where ? COLLATE NOCASE "
                 u"in ("_s +
                     kPointColumns + u")) where ftid=?"_s,
                 {code, code});
    }
    tx.commit();
}

bool readQuestion(const QSqlDatabase &db, const QString &id, StoredQuestion &out)
{
    QSqlQuery q = Db::query(
        db, u"select A1,A2,A2_1,A13,"_s + kPointColumns + u" from tab_answ where A1=?"_s, {id});
    if (!q.next())
        return false;
    out = StoredQuestion();
    out.id = q.value(0).toString();
    out.answer = q.value(1).toString();
    out.options = q.value(2).toInt();
    out.kind = q.value(3).toInt();
    for (int k = 0; k < 10; ++k) {
        const QString code = q.value(4 + k).toString();
        if (!code.isEmpty())
            out.points.append(code);
    }
    q.finish();

    QSqlQuery content = Db::query(db, u"select A15,jx from tab_exer where A1=?"_s, {out.id});
    if (content.next()) {
        out.body = bytesOf(content.value(0));
        out.explanation = bytesOf(content.value(1));
    }
    content.finish();

    if (out.id.contains(u'-')) {
        out.hasStem = true;
        QSqlQuery stem =
            Db::query(db, u"select A15 from tab_title where A1=?"_s, {out.id.left(16)});
        if (stem.next())
            out.stem = bytesOf(stem.value(0));
    }
    return true;
}

QList<PointInfo> readPoints(const QSqlDatabase &db, const QStringList &codes)
{
    QList<PointInfo> points;
    for (const QString &code : codes) {
        PointInfo p;
        p.code = code;
        QSqlQuery rule = Db::query(db, u"select id,sn from tab_rule where ftid=?"_s, {code});
        if (rule.next()) {
            p.found = true;
            p.groupId = rule.value(0).toString();
            p.title = rule.value(1).toString();
            rule.finish();
            p.groupName =
                Db::scalar(db, u"select n from tab_fgmc where id=?"_s, {p.groupId}).toString();
        }
        points.append(p);
    }
    return points;
}

QList<Group> pickerGroups(const QSqlDatabase &db)
{
    QSqlQuery q = Db::query(db, u"select id,n from tab_fgmc where length(id)=6 or length(id)=2 "
                                u"order by rowid"_s);
    QList<Group> groups;
    while (q.next())
        groups.append({q.value(0).toString(), q.value(1).toString()});
    return groups;
}

QList<PointInfo> groupPoints(const QSqlDatabase &db, const QString &groupId)
{
    QSqlQuery q =
        Db::query(db, u"select ftid,sn,id from tab_rule where id=? order by rowid"_s, {groupId});
    QList<PointInfo> points;
    while (q.next()) {
        PointInfo p;
        p.code = q.value(0).toString();
        p.title = q.value(1).toString();
        p.groupId = q.value(2).toString();
        p.found = true;
        points.append(p);
    }
    return points;
}

} // namespace Authoring
