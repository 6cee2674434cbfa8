// The chapter browser's grid: the chapters of the syllabus in display order, read in one pass on
// the native handle, with the totals over the syllabus summed while reading.
#pragma once

#include "practice/practicesets.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSqlDatabase>
#include <QVariant>
#include <array>

class ChapterGridModel : public QAbstractTableModel
{
public:
    // The columns of gridQuery(), in its order.
    enum Column { C1, C1_1, C2, C3, C4, D1, D2, C6, ColumnCount };

    explicit ChapterGridModel(QObject *parent = nullptr);

    // Reads the chapters again and the totals with them (the sums over the 6-character
    // chapters, as totalsQuery() has them). Throws Db::DbError; the model is then empty.
    void reload(const QSqlDatabase &db);
    void clear();
    const PracticeSets::Totals &totals() const { return m_totals; }

    // The chapter code (C1) and chapter key (C1_1) of a row.
    QString code(int row) const { return m_rows.at(row)[C1].toString(); }
    QString key(int row) const { return m_rows.at(row)[C1_1].toString(); }
    // The row of a chapter code, -1 when it is not listed.
    int rowOf(const QString &code) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    // The values as read (display and edit roles); the chapter name also as its tool tip, for
    // a name too long for its column.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    using Row = std::array<QVariant, ColumnCount>;
    QList<Row> m_rows;
    PracticeSets::Totals m_totals;
};
