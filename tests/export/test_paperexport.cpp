// The paper written out as .docx, checked in the document's own XML: headings, numbering, the
// answer section, exam-point labels, rich text with East Asian attributes, no overwriting, and
// a failed write reported without leaving anything behind.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/StudyData.h"
#include "export/PaperExport.h"
#include "export/WordExport.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using namespace Qt::StringLiterals;

namespace {

const QString kPaper = u"tab_exam1"_s;
const QString kTitle = u"2026年12月10日安全生产法及相关法律知识[1]"_s;

struct Paragraph
{
    QString text;
    bool pageBreakBefore = false;
};

QByteArray zipPart(const QString &path, const QString &part)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(part))
        return {};
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QList<Paragraph> paragraphs(const QByteArray &documentXml)
{
    QList<Paragraph> out;
    QXmlStreamReader xml(documentXml);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.qualifiedName() == u"w:p")
                out.append(Paragraph{});
            else if (xml.qualifiedName() == u"w:pageBreakBefore" && !out.isEmpty())
                out.last().pageBreakBefore = true;
            else if (xml.qualifiedName() == u"w:t" && !out.isEmpty())
                out.last().text += xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return out;
}

QStringList texts(const QList<Paragraph> &list)
{
    QStringList out;
    for (const Paragraph &p : list)
        out.append(p.text);
    return out;
}

class PaperExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(data.isValid());
        ASSERT_TRUE(out.isValid());
        db = data.study.connection();
        Schema::createPaperTable(db, kPaper);
        Db::exec(db, u"DELETE FROM tab_tx1"_s);
        Db::exec(db, u"INSERT INTO tab_tx1 (A1, B1, B2, B3, time) VALUES (11, '单选', 70, 1, 1),"
                     " (21, '多选', 15, 2, 2)"_s);
        App::currentPaperKind = 1;
    }

    // A question in the paper (its explanation in jx, its exam points in K3 .. K12) and its body
    // in tab_exer.
    void addQuestion(const QString &id, int kind, const QString &answer, const QVariant &body,
                     const QVariant &explanation = {}, const QStringList &points = {})
    {
        QVariantList pointColumns(10, QVariant(QMetaType(QMetaType::QString)));
        for (int i = 0; i < points.size(); ++i)
            pointColumns[i] = points.at(i);
        Db::exec(db,
                 u"INSERT INTO "_s + kPaper +
                     u" (A1, A13, A2, jx, K3, K4, K5, K6, K7, K8, K9, K10, K11, K12)"
                     u" VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                 QVariantList{id, kind, answer, explanation} + pointColumns);
        Db::exec(db, u"DELETE FROM tab_exer WHERE A1 = ?"_s, {id});
        Db::exec(db, u"INSERT INTO tab_exer (A1, A15) VALUES (?, ?)"_s, {id, body});
    }

    QString exportNow()
    {
        return PaperExport::exportPaper(db, kPaper, kTitle, u"tab_tx1"_s, out.path());
    }

    testsupport::TestDatabase data;
    QTemporaryDir out;
    QSqlDatabase db;
};

TEST_F(PaperExportTest, KindOnePaperHasTwoHeadingsAndEightyFiveNumberedQuestions)
{
    for (int i = 1; i <= 85; ++i) {
        const bool single = i <= 70;
        addQuestion(u"T%1"_s.arg(i, 11, 10, QChar(u'0')), single ? 11 : 21,
                    single ? u"B"_s : u"ACE"_s, u"题干%1"_s.arg(i));
    }
    const QString path = exportNow();
    const QStringList t = texts(paragraphs(zipPart(path, u"word/document.xml"_s)));

    EXPECT_EQ(t.value(0), kTitle);
    const qsizetype first = t.indexOf(u"一、单选[共70题，每题1分，总计70分]"_s);
    const qsizetype second = t.indexOf(u"二、多选[共15题，每题2分，总计30分]"_s);
    ASSERT_GE(first, 0);
    ASSERT_GT(second, first);
    EXPECT_EQ(t.indexOf(u"1、题干1"_s), first + 1);
    EXPECT_EQ(t.indexOf(u"70、题干70"_s), second - 1);
    EXPECT_EQ(t.indexOf(u"71、题干71"_s), second + 1);
    EXPECT_EQ(t.indexOf(u"85、题干85"_s), t.indexOf(u"答案："_s) - 1);
    const qsizetype answers = t.indexOf(u"答案："_s);
    EXPECT_EQ(t.mid(answers + 3, 2), (QStringList{u"第1题"_s, u"试题答案：B"_s}));
    EXPECT_EQ(t.mid(t.indexOf(u"第85题"_s), 2), (QStringList{u"第85题"_s, u"试题答案：ACE"_s}));
    EXPECT_EQ(t.count(u"一、单选[共70题，每题1分，总计70分]"_s), 1);
}

TEST_F(PaperExportTest, AnswerSectionStartsOnANewPage)
{
    addQuestion(u"010101000001"_s, 11, u"C"_s, u"题干"_s);
    const QList<Paragraph> list = paragraphs(zipPart(exportNow(), u"word/document.xml"_s));
    for (const Paragraph &p : list)
        EXPECT_EQ(p.pageBreakBefore, p.text == u"答案："_s) << p.text.toStdString();
}

TEST_F(PaperExportTest, AnswerLinesExplanationsAndPointLabels)
{
    // No explanation, no points: number and answer line only.
    addQuestion(u"A00000000001"_s, 11, u"D"_s, u"甲"_s);
    // True/false as 正确/错误; a subjective kind has no answer line.
    addQuestion(u"A00000000002"_s, 41, u"A"_s, u"乙"_s);
    addQuestion(u"A00000000003"_s, 41, u"B"_s, u"丙"_s);
    addQuestion(u"A00000000004"_s, 31, u"1"_s, u"丁"_s, u"<p>解析<b>要点</b></p>"_s);
    // A known point, a point without a tab_rule row, and blanks skipped.
    const QString known =
        Db::scalar(db, u"SELECT ftid FROM tab_rule ORDER BY ftid LIMIT 1"_s).toString();
    ASSERT_FALSE(known.isEmpty());
    const QString knownSn =
        Db::scalar(db, u"SELECT sn FROM tab_rule WHERE ftid = ?"_s, {known}).toString();
    const QString chapter =
        Db::scalar(db, u"SELECT n FROM tab_fgmc WHERE id = ?"_s, {known.left(6)}).toString();
    addQuestion(u"A00000000005"_s, 64, u"1"_s, u"戊"_s, {}, {known, u"  "_s, u"ZZ9999999"_s});

    const QStringList t = texts(paragraphs(zipPart(exportNow(), u"word/document.xml"_s)));
    const qsizetype answers = t.indexOf(u"答案："_s);
    ASSERT_GT(answers, 0);
    // Kinds appear in order 11, 31, 41, 64: the last three are unknown to tab_tx1.
    EXPECT_TRUE(t.contains(u"二、未知题型[共0题，每题0分，总计0分]"_s));
    const QStringList tail = t.mid(answers + 3);
    const QStringList expected{
        u"第1题"_s,          u"试题答案：D"_s, u"第2题"_s,
        u"试题解析："_s,     u"解析要点"_s,    u"第3题"_s,
        u"试题答案：正确"_s, u"第4题"_s,       u"试题答案：错误"_s,
        u"第5题"_s,          u"考点："_s,      chapter + u" "_s + knownSn + u"；"_s};
    EXPECT_EQ(tail.mid(0, expected.size()), expected);
    EXPECT_TRUE(tail.contains(u"；"_s)) << "a code without a tab_rule row has an empty number";
    EXPECT_FALSE(tail.join(u'|').contains(u"ZZ9999999"_s));
}

TEST_F(PaperExportTest, CaseStemRepeatedBeforeEverySubQuestion)
{
    const QString stem = u"0501010100000001"_s;
    Db::exec(db, u"DELETE FROM tab_title WHERE A1 = ?"_s, {stem});
    Db::exec(db, u"INSERT INTO tab_title (A1, A15) VALUES (?, ?)"_s, {stem, u"某项目背景资料"_s});
    addQuestion(stem + u"-1"_s, 64, u"1"_s, u"问题一"_s);
    addQuestion(stem + u"-2"_s, 64, u"1"_s, u"问题二"_s);
    const QStringList t = texts(paragraphs(zipPart(exportNow(), u"word/document.xml"_s)));
    const qsizetype one = t.indexOf(u"1、问题一"_s);
    const qsizetype two = t.indexOf(u"2、问题二"_s);
    ASSERT_GT(one, 0);
    EXPECT_EQ(t.value(one - 1), u"某项目背景资料"_s);
    EXPECT_EQ(t.value(two - 1), u"某项目背景资料"_s);
}

TEST_F(PaperExportTest, BoldChineseKeepsBoldSizeColourAndEastAsianFont)
{
    addQuestion(u"B00000000001"_s, 11, u"A"_s,
                QByteArray("<html><body><p>普通文字<span style=\"font-family:'Noto Serif CJK SC'; "
                           "font-size:14pt; font-weight:700; color:#c00000;\">加粗中文</span>"
                           "H<sub>2</sub>O</p></body></html>"));
    const QByteArray xml = zipPart(exportNow(), u"word/document.xml"_s);
    QXmlStreamReader reader(xml);
    bool inRun = false, bold = false, sub = false;
    QString eastAsia, size, colour;
    bool found = false, foundSub = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const auto name = reader.qualifiedName();
        if (reader.isStartElement() && name == u"w:r") {
            inRun = true;
            bold = sub = false;
            eastAsia.clear();
            size.clear();
            colour.clear();
        } else if (inRun && reader.isStartElement()) {
            if (name == u"w:b")
                bold = true;
            else if (name == u"w:rFonts")
                eastAsia = reader.attributes().value(u"w:eastAsia"_s).toString();
            else if (name == u"w:sz")
                size = reader.attributes().value(u"w:val"_s).toString();
            else if (name == u"w:color")
                colour = reader.attributes().value(u"w:val"_s).toString();
            else if (name == u"w:vertAlign")
                sub = reader.attributes().value(u"w:val"_s) == u"subscript";
            else if (name == u"w:t") {
                const QString text = reader.readElementText();
                if (text == u"加粗中文"_s) {
                    found = true;
                    EXPECT_TRUE(bold);
                    EXPECT_EQ(eastAsia, u"Noto Serif CJK SC"_s);
                    EXPECT_EQ(size, u"28"_s);
                    EXPECT_EQ(colour, u"C00000"_s);
                } else if (text == u"普通文字"_s) {
                    EXPECT_FALSE(bold);
                } else if (text == u"2"_s) {
                    foundSub = sub;
                }
            }
        } else if (reader.isEndElement() && name == u"w:r") {
            inRun = false;
        }
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(foundSub);
    // Text that names no font is set in 宋体, under the English name that Word and fontconfig
    // both know (the Chinese one falls back to a Japanese sans on Linux); the font table
    // describes it as a GB2312 face for a reader that lacks it.
    const QString file = exportNow();
    EXPECT_TRUE(zipPart(file, u"word/styles.xml"_s).contains("w:eastAsia=\"SimSun\""));
    const QByteArray fonts = zipPart(file, u"word/fontTable.xml"_s);
    EXPECT_TRUE(fonts.contains("<w:font w:name=\"SimSun\"><w:altName w:val=\"宋体\"/>"))
        << fonts.toStdString();
    EXPECT_TRUE(fonts.contains("<w:charset w:val=\"86\"/>"));
    EXPECT_TRUE(zipPart(file, u"word/_rels/document.xml.rels"_s).contains("fontTable.xml"));
    EXPECT_TRUE(zipPart(file, u"[Content_Types].xml"_s).contains("/word/fontTable.xml"));
}

TEST_F(PaperExportTest, ChineseFontsOfTheTextAreNamedInEnglishForEastAsianText)
{
    addQuestion(
        u"B00000000002"_s, 11, u"A"_s,
        QByteArray("<html><body><p><span style=\"font-family:'宋体';\">宋体文字</span>"
                   "<span style=\"font-family:'黑体';\">黑体文字</span></p></body></html>"));
    const QByteArray xml = zipPart(exportNow(), u"word/document.xml"_s);
    EXPECT_TRUE(xml.contains("w:ascii=\"宋体\" w:hAnsi=\"宋体\" w:eastAsia=\"SimSun\""))
        << xml.toStdString();
    EXPECT_TRUE(xml.contains("w:eastAsia=\"SimHei\""));
}

TEST_F(PaperExportTest, ItalicUnderlineAndPicturesOfABodyAreKept)
{
    // A 3x2 picture carried in the body itself, as a question's author pastes one.
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(QColor(0, 128, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    QByteArray body("<html><body><p><span style=\"font-style:italic;\">斜体文字</span>"
                    "<span style=\"text-decoration: underline;\">下划线文字</span>"
                    "<img src=\"data:image/png;base64,");
    body += png.toBase64();
    body += "\" /></p></body></html>";
    addQuestion(u"B00000000002"_s, 11, u"A"_s, body);
    const QString path = exportNow();
    const QByteArray xml = zipPart(path, u"word/document.xml"_s);
    QXmlStreamReader reader(xml);
    bool inRun = false, italic = false, underline = false;
    QStringList seen;
    while (!reader.atEnd()) {
        reader.readNext();
        const auto name = reader.qualifiedName();
        if (reader.isStartElement() && name == u"w:r") {
            inRun = true;
            italic = underline = false;
        } else if (inRun && reader.isStartElement()) {
            if (name == u"w:i")
                italic = true;
            else if (name == u"w:u")
                underline = reader.attributes().value(u"w:val"_s) != u"none";
            else if (name == u"w:t") {
                const QString text = reader.readElementText();
                if (text == u"斜体文字"_s && italic && !underline)
                    seen << text;
                else if (text == u"下划线文字"_s && underline && !italic)
                    seen << text;
            }
        } else if (reader.isEndElement() && name == u"w:r") {
            inRun = false;
        }
    }
    EXPECT_EQ(seen, (QStringList{u"斜体文字"_s, u"下划线文字"_s}));
    // The picture is placed in the text and stored as a part of its own, pixel for pixel.
    EXPECT_TRUE(xml.contains("<w:drawing>"));
    const QImage stored = QImage::fromData(zipPart(path, u"word/media/image1.png"_s));
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.size(), QSize(3, 2));
    EXPECT_EQ(stored.pixelColor(2, 1), QColor(0, 128, 255));
    EXPECT_TRUE(zipPart(path, u"[Content_Types].xml"_s).contains("image/png"));
}

TEST_F(PaperExportTest, SecondExportNeverOverwritesTheFirst)
{
    addQuestion(u"C00000000001"_s, 11, u"A"_s, u"题"_s);
    const QString first = exportNow();
    QFile firstFile(first);
    ASSERT_TRUE(firstFile.open(QIODevice::ReadOnly));
    const QByteArray before = firstFile.readAll();
    firstFile.close();
    const QString second = exportNow();
    EXPECT_NE(first, second);
    EXPECT_TRUE(second.endsWith(u" (2).docx"_s));
    ASSERT_TRUE(firstFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(firstFile.readAll(), before);
    EXPECT_EQ(QFileInfo(first).fileName(), kTitle + u".docx"_s);
    EXPECT_EQ(QFile::permissions(second) & (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());
    // Only the two documents are left in the folder.
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(PaperExportTest, FileNamesHoldNoPathCharacters)
{
    EXPECT_EQ(QFileInfo(PaperExport::freeFileName(out.path(), u"a/b:c*?"_s)).fileName(),
              u"a_b_c__.docx"_s);
    EXPECT_EQ(QFileInfo(PaperExport::freeFileName(out.path(), u"../.."_s)).fileName(),
              u"_...docx"_s);
    EXPECT_EQ(QFileInfo(PaperExport::freeFileName(out.path(), u"   "_s)).fileName(),
              u"试卷.docx"_s);
}

TEST_F(PaperExportTest, FailedWriteSaysSoAndLeavesNothing)
{
    addQuestion(u"D00000000001"_s, 11, u"A"_s, u"题"_s);
    // A folder that cannot be created: its parent is a file.
    QFile blocker(out.filePath(u"blocker"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setExportFolder(out.filePath(u"blocker/exports"_s));
    bool opened = false;
    setDocumentOpener([&](const QString &) { return opened = true; });
    testsupport::PromptCatcher prompts;
    EXPECT_TRUE(exportPaperToWord(nullptr, kPaper, kTitle).isEmpty());
    EXPECT_FALSE(opened);
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.calls().at(0).caption, u"警告"_s);
    EXPECT_TRUE(prompts.sawMessage(u"导出试题发生错误，请退出后重试！"_s));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{u"blocker"_s});

    // A missing paper table fails the same way.
    setExportFolder(out.filePath(u"exports"_s));
    testsupport::PromptCatcher again;
    EXPECT_TRUE(exportPaperToWord(nullptr, u"tab_exam99"_s, kTitle).isEmpty());
    EXPECT_TRUE(again.sawMessage(u"导出试题发生错误，请退出后重试！"_s));
    setExportFolder({});
    setDocumentOpener({});
}

TEST_F(PaperExportTest, WithoutAHandlerTheCandidateIsToldWhereTheFileIs)
{
    addQuestion(u"E00000000001"_s, 11, u"A"_s, u"题"_s);
    setExportFolder(out.filePath(u"exports"_s));
    QString openedPath;
    setDocumentOpener([&](const QString &path) {
        openedPath = path;
        return false;
    });
    testsupport::PromptCatcher prompts;
    const QString path = exportPaperToWord(nullptr, kPaper, kTitle);
    EXPECT_EQ(openedPath, path);
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_TRUE(prompts.calls().at(0).message.contains(QDir::toNativeSeparators(path)));
    EXPECT_EQ(QFile::permissions(out.filePath(u"exports"_s)) &
                  (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());
    setExportFolder({});
    setDocumentOpener({});
}

} // namespace
