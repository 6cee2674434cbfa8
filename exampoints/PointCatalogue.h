// The exam-point catalogue's data: the groups and chapters of tab_fgmc as the catalogue grid
// shows them, the exam points of one chapter with the key-point filter, the texts of the point
// list and of the statistics line, and the question set of one point.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace PointCatalogue {

// A counter as the grid shows it: its decimal text left-padded with blanks to 9 characters
// (longer texts unpadded); null reads as 0.
QString counterText(const QVariant &value);
// Header texts and column widths of the grid; the first column is narrower in display mode "800".
QStringList headerTexts(bool compact);
QList<int> columnWidths(bool compact);
// Ids of 1 or 2 characters (blanks trimmed) are top-level groups: they hold no exam points.
bool isGroupId(const QString &id);
// Index of the first name containing the find text with its outer blanks removed (exact,
// case-sensitive); -1 when none does or the text is blank.
int findRow(const QStringList &names, const QString &findText);

// The chapter, code and short title of one exam point, as the find box searches them.
struct PointTitle
{
    QString chapterId; // id of the tab_fgmc chapter holding the point
    QString code;      // ftid
    QString title;     // sn
};
// Every exam point's chapter, code and title, ordered by code. Throws Db::DbError.
QList<PointTitle> readPointTitles(const QSqlDatabase &db);

// One match of the find box: a catalogue row, or an exam point of the chapter on that row.
struct FindHit
{
    int row = -1;
    QString pointCode; // empty: the row's own name matched
    bool operator==(const FindHit &) const = default;
};
// Every match of the find text with its outer blanks removed (exact, case-sensitive) in
// catalogue order: a row whose name holds it, then the points of that row's chapter whose titles
// hold it, in code order. Empty when the text is blank.
QList<FindHit> findHits(const QStringList &rowIds, const QStringList &names,
                        const QList<PointTitle> &points, const QString &findText);

// The catalogue: one row per tab_fgmc row in catalogue order (bh), columns name and the four
// counters; the row id list holds each row's id.
class CatalogueModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Reads "select * from tab_fgmc order by bh"; a result without rows leaves the model as it
    // was and returns false. Throws Db::DbError.
    bool load(const QSqlDatabase &db);
    void setCompact(bool compact) { m_compact = compact; }

    const QStringList &rowIds() const { return m_ids; }
    QString name(int row) const { return m_names.value(row); }
    const QStringList &names() const { return m_names; }
    // Column `column` (1..4) of a row as shown.
    QString counter(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_ids;
    QStringList m_names;
    QList<QVariant> m_counters; // q, q1, q2, q4 of each row in turn, formatted when shown
    bool m_compact = false;
};

// The key-point threshold of a chapter: its question count as read from the grid cell,
// integer-divided by its number of exam points; 1 when the cell is not an integer, the count is
// 0 or the quotient is 0 or less.
int keyPointThreshold(const QString &questionCell, qint64 pointCount);
// The number of exam points of a chapter. Throws Db::DbError.
qint64 countPoints(const QSqlDatabase &db, const QString &chapterId);

// One exam point of tab_rule.
struct Point
{
    QString code;             // ftid
    QString title;            // sn: short title, possibly with trailing blanks
    QVariant text;            // n: full text (rich text)
    qint64 questions = 0;     // q: questions linking the point
    qint64 questionsDone = 0; // q1: of them answered at least once
    qint64 timesAnswered = 0; // q2: answers given
    qint64 timesWrong = 0;    // q4: wrong answers given
};

// The exam points of one chapter ordered by code, with the key-point filter
// "questions >= threshold".
class PointSet
{
public:
    // Reads the chapter's points; the filter is cleared. Throws Db::DbError.
    void open(const QSqlDatabase &db, const QString &chapterId);
    void close();
    // Only points with at least `threshold` questions pass; clearFilter shows all again.
    void setMinimumQuestions(int threshold);
    void clearFilter();
    bool filtered() const { return m_filtered; }

    int count() const { return static_cast<int>(m_view.size()); }
    const Point &at(int k) const { return m_rows.at(m_view.at(k)); }
    // Every point, unfiltered.
    int totalCount() const { return static_cast<int>(m_rows.size()); }

private:
    void rebuild();

    QList<Point> m_rows;
    QList<int> m_view;
    bool m_filtered = false;
    int m_threshold = 0;
};

// The text with trailing blanks (spaces) removed, as rtrim() removes them in SQL.
QString trimTrailingBlanks(const QString &text);
// The point list's entry: the title without trailing blanks, followed by "(questions)" when
// the point has questions.
QString listEntry(const Point &point);

// The statistics line of a point and whether it can be practised.
struct Statistics
{
    QString text;
    bool practisable = false;
};
Statistics statistics(const QString &entry, const Point &point);

// The point's title in a list entry: the text before the first "(".
QString pointTitle(const QString &entry);
// The code (ftid) of the chapter's point whose title, without trailing blanks, is `title`; empty
// when there is none. Throws Db::DbError.
QString findPointCode(const QSqlDatabase &db, const QString &title, const QString &chapterId);
// The practice query of every question linking the point in k3 .. k12.
QString practiceQuery(const QString &pointCode);

} // namespace PointCatalogue
