// The chapter browser's grid: the chapters of the syllabus in display order, read in one pass on
// the native handle, with the totals over the syllabus summed while reading.
#pragma once

#include "practice/PracticeSets.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

class ChapterGridModel : public QAbstractTableModel
{
public:
    // The columns of gridQuery(), in its order, with the tab_kmmc columns they come from.
    enum Column
    {
        Code,          // C1: chapter code, 1, 2, 4 or 6 characters by level
        Key,           // C1_1: chapter key ("法律知识 第一章 第一节")
        Name,          // C2: chapter name
        QuestionCount, // C3: questions in the chapter
        AnsweredCount, // C4: questions answered at least once
        AnswerCount,   // D1: answers given
        WrongCount,    // D2: wrong answers given
        Score,         // C6: score text
        ColumnCount
    };

    explicit ChapterGridModel(QObject *parent = nullptr);

    // Reads the chapters again and the totals with them (the sums over the 6-character
    // chapters, as totalsQuery() has them). Throws Db::DbError; the model is then empty.
    void reload(const QSqlDatabase &db);
    void clear();
    const PracticeSets::Totals &totals() const { return m_totals; }

    // The chapter code and chapter key of a row.
    QString code(int row) const { return cellValue(row, Code).toString(); }
    QString key(int row) const { return cellValue(row, Key).toString(); }
    // The row of a chapter code, -1 when it is not listed.
    int rowOf(const QString &code) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    // The values as Qt SQL types them (display and edit roles); the chapter name also as its
    // tool tip, for a name too long for its column.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // Empties the grid and its totals (inside a model reset).
    void dropContents();

    // A value as read: integers in place, texts in one buffer for the whole grid, anything else
    // (reals, blobs: not what this table holds) as a QVariant on the side.
    struct Cell
    {
        enum Kind : quint8
        {
            Null,
            Integer,
            Text,
            Other
        } kind = Null;
        qint64 integer = 0;  // Integer
        qsizetype begin = 0; // Text: its place in m_texts
        qsizetype length = 0;
    };
    const Cell &cell(int row, int column) const { return m_cells.at(row * ColumnCount + column); }
    QStringView text(const Cell &c) const { return QStringView(m_texts).mid(c.begin, c.length); }
    QVariant cellValue(int row, int column) const;

    QList<Cell> m_cells; // row by row
    QString m_texts;
    QHash<qsizetype, QVariant> m_others; // by cell position
    int m_rowCount = 0;
    PracticeSets::Totals m_totals;
};
