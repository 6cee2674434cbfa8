#include "export/PaperExport.h"

#include "data/Database.h"
#include "data/PrivateFiles.h"
#include "export/DocxWriter.h"
#include "ui/RichText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace PaperExport {
namespace {

constexpr int kPointColumns = 10; // K3 .. K12

QString numberText(const QVariant &value)
{
    return QString::number(value.toDouble(), 'g', 12);
}

// The word-processor operations the export is written in: typed text, paragraph breaks, a page
// break and pasted rich text, each at the insertion point.
class Writer
{
public:
    explicit Writer(QTextDocument &document) : m_cursor(&document) {}

    void typeText(const QString &text, const QTextCharFormat &format = {})
    {
        m_cursor.insertText(text, format);
    }
    void typeParagraph() { m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat()); }
    // Text typed after the break starts the next page; an empty paragraph at the insertion point
    // becomes that page's first, as a word processor's page break leaves no blank line behind.
    void insertPageBreak()
    {
        QTextBlockFormat format;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        if (m_cursor.block().length() <= 1)
            m_cursor.setBlockFormat(format);
        else
            m_cursor.insertBlock(format, QTextCharFormat());
    }
    // Pastes a stored rich-text column; a field that renders empty is not pasted.
    void paste(const QVariant &column)
    {
        const QString text = RichText::columnText(column);
        const QTextDocumentFragment fragment = Qt::mightBeRichText(text)
                                                   ? QTextDocumentFragment::fromHtml(text)
                                                   : QTextDocumentFragment::fromPlainText(text);
        if (rendersEmpty(fragment))
            return;
        m_cursor.insertFragment(fragment);
    }
    void centreCurrentParagraph()
    {
        QTextBlockFormat format;
        format.setAlignment(Qt::AlignHCenter);
        m_cursor.setBlockFormat(format);
    }

private:
    static bool rendersEmpty(const QTextDocumentFragment &fragment)
    {
        if (fragment.isEmpty())
            return true;
        if (!fragment.toPlainText().trimmed().isEmpty())
            return false;
        const QString html = fragment.toHtml();
        return !html.contains(u"<img"_s) && !html.contains(u"<table"_s);
    }

    QTextCursor m_cursor;
};

struct PaperRow
{
    QString id;
    int kind = 0;
    QString answer;
    QVariant explanation;
    QStringList points; // K3 .. K12 as stored, blanks included
};

QList<PaperRow> readPaper(const QSqlDatabase &db, const QString &paperTable)
{
    QString sql = u"SELECT A1, A13, A2, jx"_s;
    for (int k = 3; k < 3 + kPointColumns; ++k)
        sql += u", K"_s + QString::number(k);
    sql += u" FROM "_s + Db::sqlIdentifier(paperTable) + u" ORDER BY A13, A1"_s;
    QSqlQuery q = Db::query(db, sql);
    QList<PaperRow> rows;
    while (q.next()) {
        PaperRow row;
        row.id = q.value(0).toString();
        row.kind = q.value(1).toInt();
        row.answer = q.value(2).toString();
        row.explanation = q.value(3);
        if (!q.value(4).isNull()) {
            for (int k = 0; k < kPointColumns; ++k)
                row.points.append(q.value(4 + k).toString());
        }
        rows.append(row);
    }
    return rows;
}

QString kindHeading(const QSqlDatabase &db, const QString &kindTable, int kind, int count)
{
    QSqlQuery q = Db::query(
        db, u"SELECT B1, B2, B3 FROM "_s + Db::sqlIdentifier(kindTable) + u" WHERE A1 = ?"_s,
        {kind});
    QString name = u"未知题型"_s;
    QVariant perPaper = 0;
    QVariant score = 0;
    if (q.next()) {
        name = q.value(0).toString();
        perPaper = q.value(1);
        score = q.value(2);
    }
    return sectionNumeral(count) + name + u"[共"_s + numberText(perPaper) + u"题，"_s + u"每题"_s +
           numberText(score) + u"分，"_s + u"总计"_s +
           numberText(perPaper.toDouble() * score.toDouble()) + u"分]"_s;
}

// "试题答案：" line: kinds 11 and 21 as stored, kind 41 as 正确/错误, none for other kinds.
QString answerLine(int kind, const QString &answer)
{
    if (kind == 11 || kind == 21)
        return u"试题答案："_s + answer;
    if (kind == 41) {
        if (answer == u"A"_s)
            return u"试题答案：正确"_s;
        if (answer == u"B"_s)
            return u"试题答案：错误"_s;
        return u"试题答案："_s + answer;
    }
    return {};
}

// The label of an exam point: its group's name, its number and "；". The group is looked up by
// the code's first four characters; the catalogue's groups have two- and six-character ids, so
// the six-character chapter group is taken when no four-character group exists.
QString pointLabel(const QSqlDatabase &db, const QString &code, const QString &number)
{
    for (const int length : {4, 6}) {
        const QVariant group =
            Db::scalar(db, u"SELECT n FROM tab_fgmc WHERE id = ?"_s, {code.left(length)});
        if (group.isValid())
            return group.toString() + u" "_s + number + u"；"_s;
    }
    return number + u"；"_s;
}

} // namespace

QString sectionNumeral(int count)
{
    static const QStringList numerals{u"一、"_s, u"二、"_s, u"三、"_s, u"四、"_s, u"五、"_s};
    return count >= 1 && count <= numerals.size() ? numerals.at(count - 1) : u"--"_s;
}

void buildDocument(const QSqlDatabase &db, const QString &paperTable, const QString &title,
                   const QString &kindTable, QTextDocument &document)
{
    const QList<PaperRow> rows = readPaper(db, paperTable);
    Writer out(document);

    QTextCharFormat titleFormat;
    titleFormat.setFontWeight(QFont::Bold);
    titleFormat.setFontPointSize(16);
    QTextCharFormat headingFormat;
    headingFormat.setFontWeight(QFont::Bold);

    out.centreCurrentParagraph();
    out.typeText(title, titleFormat);
    out.typeParagraph();
    out.typeParagraph();
    out.typeParagraph();

    // Question section: a heading where a kind first appears; a case's stem before each of its
    // sub-questions.
    QList<int> kindsMet;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const PaperRow &row = rows.at(i);
        if (!kindsMet.contains(row.kind)) {
            kindsMet.append(row.kind);
            out.typeText(kindHeading(db, kindTable, row.kind, int(kindsMet.size())), headingFormat);
            out.typeParagraph();
        }
        if (row.id.size() != 12) {
            QSqlQuery stem =
                Db::query(db, u"SELECT A15 FROM tab_title WHERE A1 = ?"_s, {row.id.left(16)});
            if (stem.next())
                out.paste(stem.value(0));
            out.typeParagraph();
        }
        out.typeText(QString::number(i + 1) + u"、"_s);
        QSqlQuery body = Db::query(db, u"SELECT A15 FROM tab_exer WHERE A1 = ?"_s, {row.id});
        if (body.next())
            out.paste(body.value(0));
        out.typeParagraph();
    }

    out.insertPageBreak();
    out.typeText(u"答案："_s, headingFormat);
    out.typeParagraph();
    out.typeParagraph();
    out.typeParagraph();

    for (qsizetype i = 0; i < rows.size(); ++i) {
        const PaperRow &row = rows.at(i);
        out.typeText(u"第"_s + QString::number(i + 1) + u"题"_s);
        out.typeParagraph();
        if (const QString line = answerLine(row.kind, row.answer); !line.isEmpty()) {
            out.typeText(line);
            out.typeParagraph();
        }
        if (!row.explanation.isNull()) {
            out.typeText(u"试题解析："_s);
            out.typeParagraph();
            out.paste(row.explanation);
            out.typeParagraph();
        }
        if (!row.points.isEmpty()) {
            out.typeText(u"考点："_s);
            out.typeParagraph();
            for (const QString &stored : row.points) {
                const QString code = stored.trimmed();
                if (code.isEmpty())
                    continue;
                QSqlQuery point =
                    Db::query(db, u"SELECT sn, n FROM tab_rule WHERE ftid = ?"_s, {code});
                QString number;
                QVariant text;
                if (point.next()) {
                    number = point.value(0).toString();
                    text = point.value(1);
                }
                out.typeText(pointLabel(db, code, number));
                out.typeParagraph();
                out.paste(text);
                out.typeParagraph();
            }
        }
    }
}

QString exportFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return documents + u"/考试学习系统"_s;
}

QString freeFileName(const QString &folder, const QString &title)
{
    QString base = title.trimmed();
    static const QString forbidden = u"/\\:*?\"<>|"_s;
    for (QChar &c : base) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            c = u'_';
    }
    while (base.startsWith(u'.'))
        base.remove(0, 1);
    if (base.isEmpty())
        base = u"试卷"_s;
    const QDir dir(folder);
    QString name = base + u".docx"_s;
    for (int n = 2; dir.exists(name); ++n)
        name = base + u" ("_s + QString::number(n) + u").docx"_s;
    return dir.filePath(name);
}

QString exportPaper(const QSqlDatabase &db, const QString &paperTable, const QString &title,
                    const QString &kindTable, const QString &folder)
{
    QTextDocument document;
    buildDocument(db, paperTable, title, kindTable, document);

    QDir dir(folder);
    // A folder made here is the user's alone (never changed through a link).
    if (!dir.exists() && !PrivateFiles::makeFolder(folder))
        throw std::runtime_error("cannot create the export folder");
    // Written under a temporary name (user-only) and then renamed to a name that is free: a
    // rename never replaces an existing file, so an earlier export is never overwritten.
    QTemporaryFile temporary(dir.filePath(u".export-XXXXXX.docx"_s));
    if (!temporary.open())
        throw std::runtime_error("cannot create a file in the export folder");
    temporary.close();
    QString reason;
    if (!Docx::write(document, temporary.fileName(), title, &reason))
        throw std::runtime_error(reason.toStdString());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString target = freeFileName(folder, title);
        if (QFile::rename(temporary.fileName(), target)) {
            temporary.setAutoRemove(false);
            return target;
        }
        if (!QFileInfo::exists(target))
            break; // not a race with another file of that name: the rename itself failed
    }
    throw std::runtime_error("cannot give the export its name");
}

} // namespace PaperExport
