#include "practice/ChapterGridModel.h"

#include "data/Database.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

// A sum as SQLite's sum() makes it: integers added exactly; once a real or a text takes part,
// the sum is a real, read back as Qt SQL converts a real to an integer.
struct Sum
{
    qint64 integers = 0;
    double reals = 0;
    bool real = false;

    void add(const QVariant &value)
    {
        if (value.isNull())
            return;
        if (value.metaType().id() == QMetaType::LongLong) {
            integers += value.toLongLong();
            return;
        }
        real = true;
        reals += value.toDouble();
    }
    qint64 value() const
    {
        return real ? QVariant(double(integers) + reals).toLongLong() : integers;
    }
};

// length() of SQLite: characters, not UTF-16 units.
qsizetype characters(QStringView text)
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
    // Room for as much as the last reading held.
    const qsizetype cells = qMax<qsizetype>(m_cells.size(), 256 * ColumnCount);
    const qsizetype texts = qMax<qsizetype>(m_texts.size(), 16384);
    dropContents();
    try {
        Db::Rows q(db, PracticeSets::gridQuery());
        m_cells.reserve(cells);
        m_texts.reserve(texts);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        Sum questions, answers, wrong;
        while (q.next()) {
            for (int c = 0; c < ColumnCount; ++c) {
                Cell &cell = m_cells.emplace_back();
                switch (q.type(c)) {
                case Db::Rows::Type::Null:
                    break;
                case Db::Rows::Type::Integer:
                    cell.kind = Cell::Integer;
                    cell.integer = q.toLongLong(c);
                    break;
                case Db::Rows::Type::Text: {
                    // Decoded straight into the grid's text buffer.
                    const QByteArrayView bytes = q.utf8(c);
                    cell.kind = Cell::Text;
                    cell.begin = m_texts.size();
                    m_texts.resize(cell.begin + utf8.requiredSpace(bytes.size()));
                    QChar *end = utf8.appendToBuffer(m_texts.data() + cell.begin, bytes);
                    cell.length = end - (m_texts.constData() + cell.begin);
                    m_texts.truncate(cell.begin + cell.length);
                    break;
                }
                default:
                    cell.kind = Cell::Other;
                    m_others.insert(m_cells.size() - 1, q.value(c));
                }
            }
            const int row = m_rowCount++;
            // totalsQuery(): the lowest chapters only, so that each question counts once.
            const Cell &code = cell(row, Code);
            const bool lowest =
                code.kind == Cell::Text
                    ? characters(text(code)) == 6
                    : code.kind != Cell::Null && characters(cellValue(row, Code).toString()) == 6;
            if (lowest) {
                questions.add(cellValue(row, QuestionCount));
                answers.add(cellValue(row, AnswerCount));
                wrong.add(cellValue(row, WrongCount));
            }
        }
        m_totals.questions = questions.value();
        m_totals.answers = answers.value();
        m_totals.wrong = wrong.value();
    } catch (...) {
        dropContents();
        endResetModel();
        throw;
    }
    endResetModel();
}

void ChapterGridModel::clear()
{
    beginResetModel();
    dropContents();
    endResetModel();
}

void ChapterGridModel::dropContents()
{
    m_cells.clear();
    m_texts.clear();
    m_others.clear();
    m_rowCount = 0;
    m_totals = {};
}

QVariant ChapterGridModel::cellValue(int row, int column) const
{
    const Cell &c = cell(row, column);
    switch (c.kind) {
    case Cell::Integer:
        return QVariant(qlonglong(c.integer));
    case Cell::Text:
        return QVariant(text(c).toString());
    case Cell::Other:
        return m_others.value(qsizetype(row) * ColumnCount + column);
    case Cell::Null:
        break;
    }
    // NULL as Qt SQL gives it.
    return QVariant(QMetaType::fromType<QString>());
}

int ChapterGridModel::rowOf(const QString &code) const
{
    for (int row = 0; row < m_rowCount; ++row) {
        const Cell &c = cell(row, Code);
        if (c.kind == Cell::Text ? text(c) == code
                                 : c.kind != Cell::Null && cellValue(row, Code).toString() == code)
            return row;
    }
    return -1;
}

int ChapterGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int ChapterGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChapterGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount || index.column() >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole ||
        (role == Qt::ToolTipRole && index.column() == Name))
        return cellValue(index.row(), index.column());
    return {};
}

QVariant ChapterGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The captions of the shown columns (display and edit roles); the hidden ones show their
    // column names.
    static const QStringList captions{u"C1"_s,       u"C1_1"_s,     u"章节名称"_s, u"习题数目"_s,
                                      u"已做题数"_s, u"已做道次"_s, u"做错道次"_s, u"综合成绩"_s};
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount &&
        (role == Qt::DisplayRole || (role == Qt::EditRole && section >= Name)))
        return captions.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
