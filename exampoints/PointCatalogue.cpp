#include "exampoints/PointCatalogue.h"

#include "data/Database.h"

#include <QHash>
#include <QSqlQuery>

#include <limits>

using namespace Qt::StringLiterals;

namespace PointCatalogue {

namespace {

QString valueText(const QVariant &value)
{
    return value.isNull() ? u"0"_s : value.toString();
}

} // namespace

QString counterText(const QVariant &value)
{
    return valueText(value).rightJustified(9, u' ');
}

QStringList headerTexts(bool compact)
{
    const QString name = QString(compact ? 19 : 29, u' ') + u"考 点 名 称"_s;
    return {name, u"  题  数"_s, u" 已做题数"_s, u" 已做道次"_s, u" 做错道次"_s};
}

QList<int> columnWidths(bool compact)
{
    return {compact ? 410 : 554, 80, 80, 80, 80};
}

bool isGroupId(const QString &id)
{
    return id.trimmed().size() <= 2;
}

int findRow(const QStringList &names, const QString &findText)
{
    const QString text = findText.trimmed();
    if (text.isEmpty())
        return -1;
    for (int row = 0; row < names.size(); ++row) {
        if (names.at(row).contains(text, Qt::CaseSensitive))
            return row;
    }
    return -1;
}

QList<PointTitle> readPointTitles(const QSqlDatabase &db)
{
    Db::Rows q(db, u"select id, ftid, sn from tab_rule order by ftid"_s);
    QList<PointTitle> points;
    while (q.next())
        points.append({q.toString(0), q.toString(1), q.toString(2)});
    return points;
}

QList<FindHit> findHits(const QStringList &rowIds, const QStringList &names,
                        const QList<PointTitle> &points, const QString &findText)
{
    const QString text = findText.trimmed();
    if (text.isEmpty())
        return {};
    QHash<QString, QList<const PointTitle *>> byChapter;
    for (const PointTitle &point : points)
        byChapter[point.chapterId.trimmed()].append(&point);
    QList<FindHit> hits;
    for (int row = 0; row < names.size(); ++row) {
        if (names.at(row).contains(text, Qt::CaseSensitive))
            hits.append({row, QString()});
        const QString id = rowIds.value(row).trimmed();
        if (isGroupId(id))
            continue;
        for (const PointTitle *point : byChapter.value(id)) {
            if (point->title.contains(text, Qt::CaseSensitive))
                hits.append({row, point->code});
        }
    }
    return hits;
}

bool CatalogueModel::load(const QSqlDatabase &db)
{
    // Read on the connection's own handle: the catalogue is read afresh on every showing.
    Db::Rows q(db, u"select * from tab_fgmc order by bh"_s);
    const int idColumn = q.indexOf(u"id");
    const int nameColumn = q.indexOf(u"n");
    const int counterColumns[4] = {q.indexOf(u"q"), q.indexOf(u"q1"), q.indexOf(u"q2"),
                                   q.indexOf(u"q4")};
    QStringList ids, names;
    QList<QVariant> values;
    while (q.next()) {
        ids.append(q.toString(idColumn));
        names.append(q.toString(nameColumn));
        for (int c : counterColumns)
            values.append(q.value(c));
    }
    if (ids.isEmpty())
        return false;
    beginResetModel();
    m_ids = std::move(ids);
    m_names = std::move(names);
    m_counters = std::move(values);
    endResetModel();
    return true;
}

QString CatalogueModel::counter(int row, int column) const
{
    if (row < 0 || row >= m_ids.size() || column < 1 || column > 4)
        return {};
    return counterText(m_counters.at(row * 4 + column - 1));
}

int CatalogueModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_ids.size());
}

int CatalogueModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant CatalogueModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return index.column() == 0 ? name(index.row()) : counter(index.row(), index.column());
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section > 4)
        return {};
    if (role == Qt::DisplayRole)
        return headerTexts(m_compact).at(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

int keyPointThreshold(const QString &questionCell, qint64 pointCount)
{
    bool ok = false;
    const qint64 questions = questionCell.trimmed().toLongLong(&ok);
    if (!ok || pointCount <= 0)
        return 1;
    const qint64 quotient = questions / pointCount;
    return quotient <= 0 || quotient > std::numeric_limits<int>::max() ? 1 : int(quotient);
}

qint64 countPoints(const QSqlDatabase &db, const QString &chapterId)
{
    Db::Rows q(db, u"select count(*) as icou1 from tab_rule where (id = ?)"_s, {chapterId});
    return q.next() ? q.toLongLong(0) : 0;
}

void PointSet::open(const QSqlDatabase &db, const QString &chapterId)
{
    Db::Rows q(db, u"select * from tab_rule where id=? order by ftid"_s, {chapterId});
    const int codeColumn = q.indexOf(u"ftid"), titleColumn = q.indexOf(u"sn"),
              textColumn = q.indexOf(u"n");
    const int counterColumns[4] = {q.indexOf(u"q"), q.indexOf(u"q1"), q.indexOf(u"q2"),
                                   q.indexOf(u"q4")};
    QList<Point> rows;
    while (q.next()) {
        Point p;
        p.code = q.toString(codeColumn);
        p.title = q.toString(titleColumn);
        p.text = q.value(textColumn);
        p.questions = q.toLongLong(counterColumns[0]);
        p.questionsDone = q.toLongLong(counterColumns[1]);
        p.timesAnswered = q.toLongLong(counterColumns[2]);
        p.timesWrong = q.toLongLong(counterColumns[3]);
        rows.append(std::move(p));
    }
    m_rows = std::move(rows);
    m_filtered = false;
    rebuild();
}

void PointSet::close()
{
    m_rows.clear();
    m_filtered = false;
    rebuild();
}

void PointSet::setMinimumQuestions(int threshold)
{
    m_filtered = true;
    m_threshold = threshold;
    rebuild();
}

void PointSet::clearFilter()
{
    m_filtered = false;
    rebuild();
}

void PointSet::rebuild()
{
    m_view.clear();
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_filtered || m_rows.at(i).questions >= m_threshold)
            m_view.append(i);
    }
}

QString trimTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    return text.left(end);
}

QString listEntry(const Point &point)
{
    const QString title = trimTrailingBlanks(point.title);
    if (point.questions <= 0)
        return title;
    return title + u'(' + QString::number(point.questions) + u')';
}

Statistics statistics(const QString &entry, const Point &point)
{
    if (!entry.contains(u'(') || point.questions <= 0)
        return {u"虽然针对该内容的习题没有，您仍要仔细阅读！"_s, false};
    return {u"相关题数："_s + QString::number(point.questions) + u"题"_s + u"  已做题数："_s +
                QString::number(point.questionsDone) + u"题"_s + u"  已做道次："_s +
                QString::number(point.timesAnswered) + u"次"_s + u"  做错道次："_s +
                QString::number(point.timesWrong) + u"次"_s,
            true};
}

QString pointTitle(const QString &entry)
{
    const qsizetype open = entry.indexOf(u'(');
    return open < 0 ? entry : entry.left(open);
}

QString findPointCode(const QSqlDatabase &db, const QString &title, const QString &chapterId)
{
    // rtrim() of a column gives an expression without the column's collation: compared as the
    // column is, without regard to case.
    QSqlQuery q =
        Db::query(db, u"select ftid from tab_rule where rtrim(sn)=? collate nocase and id=?"_s,
                  {title, chapterId});
    return q.next() ? q.value(0).toString() : QString();
}

QString practiceQuery(const QString &pointCode)
{
    return u"select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,"
           u" csbs from tab_answ where "_s +
           Db::sqlQuote(pointCode) + u" in (k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)"_s;
}

} // namespace PointCatalogue
