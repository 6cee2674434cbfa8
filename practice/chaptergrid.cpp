#include "practice/chaptergrid.h"

#include "data/database.h"

using namespace Qt::StringLiterals;

namespace {

// A sum as SQLite's sum() makes it: integers added exactly; once a real or a text takes part,
// the sum is a real, read back as Qt SQL converts a real to an integer.
struct Sum
{
    qint64 integers = 0;
    double reals = 0;
    bool real = false;

    void add(const Db::Rows &rows, int column)
    {
        switch (rows.type(column)) {
        case Db::Rows::Type::Null:
            return;
        case Db::Rows::Type::Integer:
            integers += rows.toLongLong(column);
            return;
        default:
            real = true;
            reals += rows.value(column).toDouble();
        }
    }
    qint64 value() const
    {
        return real ? QVariant(double(integers) + reals).toLongLong() : integers;
    }
};

// length() of SQLite: characters, not UTF-16 units.
qsizetype characters(const QString &text)
{
    qsizetype n = text.size();
    for (const QChar c : text)
        n -= c.isLowSurrogate() ? 1 : 0;
    return n;
}

} // namespace

ChapterGridModel::ChapterGridModel(QObject *parent) : QAbstractTableModel(parent) {}

void ChapterGridModel::reload(const QSqlDatabase &db)
{
    beginResetModel();
    m_rows.clear();
    m_totals = {};
    QList<Row> rows;
    Sum questions, answers, wrong;
    try {
        Db::Rows q(db, PracticeSets::gridQuery());
        while (q.next()) {
            Row &row = rows.emplace_back();
            for (int c = 0; c < ColumnCount; ++c)
                row[c] = q.value(c);
            // totalsQuery(): the lowest chapters only, so that each question counts once.
            if (!row[C1].isNull() && characters(row[C1].toString()) == 6) {
                questions.add(q, C3);
                answers.add(q, D1);
                wrong.add(q, D2);
            }
        }
    } catch (...) {
        endResetModel();
        throw;
    }
    m_rows = std::move(rows);
    m_totals.questions = questions.value();
    m_totals.answers = answers.value();
    m_totals.wrong = wrong.value();
    endResetModel();
}

void ChapterGridModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_totals = {};
    endResetModel();
}

int ChapterGridModel::rowOf(const QString &code) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row)[C1].toString() == code)
            return row;
    }
    return -1;
}

int ChapterGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ChapterGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChapterGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole ||
        (role == Qt::ToolTipRole && index.column() == C2))
        return m_rows.at(index.row())[index.column()];
    return {};
}

QVariant ChapterGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList headers{u"C1"_s,       u"C1_1"_s,     u"章节名称"_s, u"习题数目"_s,
                                     u"已做题数"_s, u"已做道次"_s, u"做错道次"_s, u"综合成绩"_s};
    return headers.at(section);
}
