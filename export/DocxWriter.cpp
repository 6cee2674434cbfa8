#include "export/DocxWriter.h"

#include <QBuffer>
#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <QXmlStreamWriter>
#include <cmath>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

using namespace Qt::StringLiterals;

namespace Docx {
namespace {

// Pages are A4 with 1800-twip side margins: 8306 twips of text width (about 553 px at 96 dpi).
constexpr int kTextWidthTwips = 8306;
constexpr double kTextWidthPixels = kTextWidthTwips / 15.0;
constexpr int kTwipsPerPixel = 15;
constexpr int kEmuPerPixel = 9525;
// The font of Chinese text that names none: 宋体, the one Chinese documents are set in by
// default, under its English name SimSun. Word on Windows finds 宋体 by either name; on Linux,
// where 宋体 is rarely installed, fontconfig knows SimSun as a serif and with the document's
// zh-CN gives the Simplified-Chinese serif (Noto Serif CJK SC), where the Chinese name fell back
// to a sans of Japanese glyph forms.
const QString kDefaultEastAsianFont = u"SimSun"_s;
const QString kDefaultWesternFont = u"Times New Roman"_s;

// A Chinese font's English name, which Word and fontconfig both know; any other name as it is.
QString eastAsianFontName(const QString &family)
{
    static const QHash<QString, QString> english{
        {u"宋体"_s, u"SimSun"_s},   {u"新宋体"_s, u"NSimSun"_s},
        {u"黑体"_s, u"SimHei"_s},   {u"楷体"_s, u"KaiTi"_s},
        {u"仿宋"_s, u"FangSong"_s}, {u"微软雅黑"_s, u"Microsoft YaHei"_s}};
    return english.value(family, family);
}

QString hexColour(const QColor &colour)
{
    return colour.name(QColor::HexRgb).mid(1).toUpper();
}

// XML 1.0 allows no control characters but tab, newline and carriage return.
QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 || u == 0x09 || u == 0x0A || u == 0x0D)
            out.append(c);
    }
    return out;
}

struct Picture
{
    QString relationId;
    QString part; // e.g. media/image1.png, relative to word/
    QByteArray png;
};

// Point size of a run, or 0 when the run does not set one (the document default applies).
double pointSize(const QTextCharFormat &format)
{
    if (format.hasProperty(QTextFormat::FontPointSize))
        return format.fontPointSize();
    if (format.hasProperty(QTextFormat::FontPixelSize))
        return format.intProperty(QTextFormat::FontPixelSize) * 0.75;
    if (format.hasProperty(QTextFormat::FontSizeAdjustment)) {
        // <font size=1..7> and <big>/<small>, as HTML sizes them.
        static const double sizes[] = {7.5, 10, 12, 13.5, 18, 24, 36};
        const int index = std::clamp(format.intProperty(QTextFormat::FontSizeAdjustment) + 2, 0, 6);
        return sizes[index];
    }
    return 0;
}

class BodyWriter
{
public:
    BodyWriter(const QTextDocument &document, QXmlStreamWriter &xml)
        : m_document(document), m_xml(xml)
    {
    }

    void frame(QTextFrame *frame)
    {
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame()) {
                if (auto *table = qobject_cast<QTextTable *>(child))
                    this->table(table);
                else
                    this->frame(child);
            } else if (it.currentBlock().isValid()) {
                paragraph(it.currentBlock());
            }
        }
    }

    const QList<Picture> &pictures() const { return m_pictures; }

private:
    void paragraph(const QTextBlock &block)
    {
        m_xml.writeStartElement(u"w:p"_s);
        paragraphProperties(block.blockFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                for (qsizetype i = 0; i < fragment.length(); ++i)
                    image(format.toImageFormat());
                continue;
            }
            runs(fragment.text(), format);
        }
        m_xml.writeEndElement();
    }

    void paragraphProperties(const QTextBlockFormat &format)
    {
        m_xml.writeStartElement(u"w:pPr"_s);
        if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            m_xml.writeEmptyElement(u"w:pageBreakBefore"_s);
        const int before = qRound(format.topMargin() * kTwipsPerPixel);
        const int after = qRound(format.bottomMargin() * kTwipsPerPixel);
        if (before > 0 || after > 0) {
            m_xml.writeEmptyElement(u"w:spacing"_s);
            m_xml.writeAttribute(u"w:before"_s, QString::number(before));
            m_xml.writeAttribute(u"w:after"_s, QString::number(after));
        }
        const double left = format.leftMargin() + format.indent() * m_document.indentWidth();
        const int leftTwips = qRound(left * kTwipsPerPixel);
        const int rightTwips = qRound(format.rightMargin() * kTwipsPerPixel);
        const int firstTwips = qRound(format.textIndent() * kTwipsPerPixel);
        if (leftTwips != 0 || rightTwips != 0 || firstTwips != 0) {
            m_xml.writeEmptyElement(u"w:ind"_s);
            m_xml.writeAttribute(u"w:left"_s, QString::number(leftTwips));
            m_xml.writeAttribute(u"w:right"_s, QString::number(rightTwips));
            if (firstTwips >= 0)
                m_xml.writeAttribute(u"w:firstLine"_s, QString::number(firstTwips));
            else
                m_xml.writeAttribute(u"w:hanging"_s, QString::number(-firstTwips));
        }
        const Qt::Alignment align = format.alignment() & Qt::AlignHorizontal_Mask;
        QString jc;
        if (align & Qt::AlignHCenter)
            jc = u"center"_s;
        else if (align & Qt::AlignRight)
            jc = u"right"_s;
        else if (align & Qt::AlignJustify)
            jc = u"both"_s;
        if (!jc.isEmpty()) {
            m_xml.writeEmptyElement(u"w:jc"_s);
            m_xml.writeAttribute(u"w:val"_s, jc);
        }
        m_xml.writeEndElement();
    }

    // One run per fragment: its text with line breaks (<br>) and tabs as their own elements.
    void runs(const QString &text, const QTextCharFormat &format)
    {
        m_xml.writeStartElement(u"w:r"_s);
        runProperties(format);
        QString pending;
        const auto flush = [&] {
            if (pending.isEmpty())
                return;
            m_xml.writeStartElement(u"w:t"_s);
            m_xml.writeAttribute(u"xml:space"_s, u"preserve"_s);
            m_xml.writeCharacters(xmlSafe(pending));
            m_xml.writeEndElement();
            pending.clear();
        };
        for (const QChar c : text) {
            if (c == QChar::LineSeparator || c == u'\n') {
                flush();
                m_xml.writeEmptyElement(u"w:br"_s);
            } else if (c == u'\t') {
                flush();
                m_xml.writeEmptyElement(u"w:tab"_s);
            } else if (c != QChar::ObjectReplacementCharacter && c != QChar::ParagraphSeparator) {
                pending.append(c);
            }
        }
        flush();
        m_xml.writeEndElement();
    }

    void runProperties(const QTextCharFormat &format)
    {
        m_xml.writeStartElement(u"w:rPr"_s);
        const QString family = format.fontFamilies().toStringList().value(0);
        if (!family.isEmpty()) {
            // The same font for Western, Chinese and complex-script text, as the editor showed it.
            m_xml.writeEmptyElement(u"w:rFonts"_s);
            m_xml.writeAttribute(u"w:ascii"_s, family);
            m_xml.writeAttribute(u"w:hAnsi"_s, family);
            m_xml.writeAttribute(u"w:eastAsia"_s, eastAsianFontName(family));
            m_xml.writeAttribute(u"w:cs"_s, family);
        }
        if (format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() >= QFont::DemiBold) {
            m_xml.writeEmptyElement(u"w:b"_s);
            m_xml.writeEmptyElement(u"w:bCs"_s);
        }
        if (format.fontItalic()) {
            m_xml.writeEmptyElement(u"w:i"_s);
            m_xml.writeEmptyElement(u"w:iCs"_s);
        }
        if (format.fontStrikeOut())
            m_xml.writeEmptyElement(u"w:strike"_s);
        if (format.foreground().style() != Qt::NoBrush) {
            m_xml.writeEmptyElement(u"w:color"_s);
            m_xml.writeAttribute(u"w:val"_s, hexColour(format.foreground().color()));
        }
        if (const double points = pointSize(format); points > 0) {
            const QString halfPoints = QString::number(std::lround(points * 2));
            m_xml.writeEmptyElement(u"w:sz"_s);
            m_xml.writeAttribute(u"w:val"_s, halfPoints);
            m_xml.writeEmptyElement(u"w:szCs"_s);
            m_xml.writeAttribute(u"w:val"_s, halfPoints);
        }
        if (format.fontUnderline()) {
            m_xml.writeEmptyElement(u"w:u"_s);
            m_xml.writeAttribute(u"w:val"_s, u"single"_s);
        }
        if (format.background().style() != Qt::NoBrush) {
            m_xml.writeEmptyElement(u"w:shd"_s);
            m_xml.writeAttribute(u"w:val"_s, u"clear"_s);
            m_xml.writeAttribute(u"w:color"_s, u"auto"_s);
            m_xml.writeAttribute(u"w:fill"_s, hexColour(format.background().color()));
        }
        if (format.verticalAlignment() == QTextCharFormat::AlignSubScript ||
            format.verticalAlignment() == QTextCharFormat::AlignSuperScript) {
            m_xml.writeEmptyElement(u"w:vertAlign"_s);
            m_xml.writeAttribute(u"w:val"_s,
                                 format.verticalAlignment() == QTextCharFormat::AlignSubScript
                                     ? u"subscript"_s
                                     : u"superscript"_s);
        }
        m_xml.writeEndElement();
    }

    QImage resolveImage(const QString &name) const
    {
        const QVariant resource = m_document.resource(QTextDocument::ImageResource, QUrl(name));
        QImage image;
        if (resource.typeId() == QMetaType::QImage)
            image = resource.value<QImage>();
        else if (resource.typeId() == QMetaType::QPixmap)
            image = resource.value<QPixmap>().toImage();
        else if (resource.typeId() == QMetaType::QByteArray)
            image.loadFromData(resource.toByteArray());
        if (!image.isNull())
            return image;
        if (name.startsWith(u"data:"_s)) {
            const qsizetype comma = name.indexOf(u',');
            if (comma > 0 && name.left(comma).endsWith(u";base64"_s))
                image.loadFromData(QByteArray::fromBase64(name.mid(comma + 1).toLatin1()));
        } else {
            const QUrl url(name);
            const QString path = url.isLocalFile() ? url.toLocalFile() : name;
            if (QFileInfo(path).isFile())
                image.load(path);
        }
        return image;
    }

    void image(const QTextImageFormat &format)
    {
        const QImage picture = resolveImage(format.name());
        if (picture.isNull())
            return;
        double width = format.width() > 0 ? format.width() : picture.width();
        double height = format.height() > 0 ? format.height() : picture.height();
        if (format.width() > 0 && format.height() <= 0)
            height = picture.height() * width / std::max(1, picture.width());
        if (format.height() > 0 && format.width() <= 0)
            width = picture.width() * height / std::max(1, picture.height());
        if (width > kTextWidthPixels) {
            height = height * kTextWidthPixels / width;
            width = kTextWidthPixels;
        }
        const int number = int(m_pictures.size()) + 1;
        Picture entry;
        entry.relationId = u"rIdImg"_s + QString::number(number);
        entry.part = u"media/image"_s + QString::number(number) + u".png"_s;
        QBuffer buffer(&entry.png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        m_pictures.append(entry);

        const QString cx = QString::number(qint64(std::lround(width * kEmuPerPixel)));
        const QString cy = QString::number(qint64(std::lround(height * kEmuPerPixel)));
        const QString id = QString::number(number);
        m_xml.writeStartElement(u"w:r"_s);
        m_xml.writeStartElement(u"w:drawing"_s);
        m_xml.writeStartElement(u"wp:inline"_s);
        for (const auto *side : {"distT", "distB", "distL", "distR"})
            m_xml.writeAttribute(QString::fromLatin1(side), u"0"_s);
        m_xml.writeEmptyElement(u"wp:extent"_s);
        m_xml.writeAttribute(u"cx"_s, cx);
        m_xml.writeAttribute(u"cy"_s, cy);
        m_xml.writeEmptyElement(u"wp:docPr"_s);
        m_xml.writeAttribute(u"id"_s, id);
        m_xml.writeAttribute(u"name"_s, u"图片 "_s + id);
        m_xml.writeStartElement(u"a:graphic"_s);
        m_xml.writeStartElement(u"a:graphicData"_s);
        m_xml.writeAttribute(u"uri"_s,
                             u"http://schemas.openxmlformats.org/drawingml/2006/picture"_s);
        m_xml.writeStartElement(u"pic:pic"_s);
        m_xml.writeStartElement(u"pic:nvPicPr"_s);
        m_xml.writeEmptyElement(u"pic:cNvPr"_s);
        m_xml.writeAttribute(u"id"_s, id);
        m_xml.writeAttribute(u"name"_s, u"image"_s + id + u".png"_s);
        m_xml.writeEmptyElement(u"pic:cNvPicPr"_s);
        m_xml.writeEndElement(); // nvPicPr
        m_xml.writeStartElement(u"pic:blipFill"_s);
        m_xml.writeEmptyElement(u"a:blip"_s);
        m_xml.writeAttribute(u"r:embed"_s, entry.relationId);
        m_xml.writeStartElement(u"a:stretch"_s);
        m_xml.writeEmptyElement(u"a:fillRect"_s);
        m_xml.writeEndElement(); // stretch
        m_xml.writeEndElement(); // blipFill
        m_xml.writeStartElement(u"pic:spPr"_s);
        m_xml.writeStartElement(u"a:xfrm"_s);
        m_xml.writeEmptyElement(u"a:off"_s);
        m_xml.writeAttribute(u"x"_s, u"0"_s);
        m_xml.writeAttribute(u"y"_s, u"0"_s);
        m_xml.writeEmptyElement(u"a:ext"_s);
        m_xml.writeAttribute(u"cx"_s, cx);
        m_xml.writeAttribute(u"cy"_s, cy);
        m_xml.writeEndElement(); // xfrm
        m_xml.writeStartElement(u"a:prstGeom"_s);
        m_xml.writeAttribute(u"prst"_s, u"rect"_s);
        m_xml.writeEmptyElement(u"a:avLst"_s);
        m_xml.writeEndElement(); // prstGeom
        m_xml.writeEndElement(); // spPr
        m_xml.writeEndElement(); // pic
        m_xml.writeEndElement(); // graphicData
        m_xml.writeEndElement(); // graphic
        m_xml.writeEndElement(); // inline
        m_xml.writeEndElement(); // drawing
        m_xml.writeEndElement(); // r
    }

    // The cell's content; a table cell must hold at least one paragraph.
    void cellContent(const QTextTableCell &cell)
    {
        int blocks = 0;
        for (auto it = cell.begin(); !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame()) {
                if (auto *table = qobject_cast<QTextTable *>(child))
                    this->table(table);
                else
                    frame(child);
                // A table must not end a cell: a paragraph follows it.
                m_xml.writeEmptyElement(u"w:p"_s);
                ++blocks;
            } else if (it.currentBlock().isValid()) {
                paragraph(it.currentBlock());
                ++blocks;
            }
        }
        if (blocks == 0)
            m_xml.writeEmptyElement(u"w:p"_s);
    }

    void table(QTextTable *table)
    {
        const int rows = table->rows();
        const int columns = table->columns();
        if (rows <= 0 || columns <= 0)
            return;
        const int columnWidth = kTextWidthTwips / columns;
        const bool bordered = table->format().border() > 0;
        m_xml.writeStartElement(u"w:tbl"_s);
        m_xml.writeStartElement(u"w:tblPr"_s);
        m_xml.writeEmptyElement(u"w:tblW"_s);
        m_xml.writeAttribute(u"w:w"_s, u"0"_s);
        m_xml.writeAttribute(u"w:type"_s, u"auto"_s);
        if (bordered) {
            m_xml.writeStartElement(u"w:tblBorders"_s);
            for (const auto *edge :
                 {"w:top", "w:left", "w:bottom", "w:right", "w:insideH", "w:insideV"}) {
                m_xml.writeEmptyElement(QString::fromLatin1(edge));
                m_xml.writeAttribute(u"w:val"_s, u"single"_s);
                m_xml.writeAttribute(u"w:sz"_s, u"4"_s);
                m_xml.writeAttribute(u"w:space"_s, u"0"_s);
                m_xml.writeAttribute(u"w:color"_s, u"auto"_s);
            }
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement(); // tblPr
        m_xml.writeStartElement(u"w:tblGrid"_s);
        for (int c = 0; c < columns; ++c) {
            m_xml.writeEmptyElement(u"w:gridCol"_s);
            m_xml.writeAttribute(u"w:w"_s, QString::number(columnWidth));
        }
        m_xml.writeEndElement();
        for (int r = 0; r < rows; ++r) {
            m_xml.writeStartElement(u"w:tr"_s);
            for (int c = 0; c < columns;) {
                const QTextTableCell cell = table->cellAt(r, c);
                const int span = std::max(1, cell.columnSpan());
                if (cell.column() != c) { // covered by a cell spanning from the left
                    ++c;
                    continue;
                }
                const bool continuesAbove = cell.row() != r;
                m_xml.writeStartElement(u"w:tc"_s);
                m_xml.writeStartElement(u"w:tcPr"_s);
                m_xml.writeEmptyElement(u"w:tcW"_s);
                m_xml.writeAttribute(u"w:w"_s, QString::number(columnWidth * span));
                m_xml.writeAttribute(u"w:type"_s, u"dxa"_s);
                if (span > 1) {
                    m_xml.writeEmptyElement(u"w:gridSpan"_s);
                    m_xml.writeAttribute(u"w:val"_s, QString::number(span));
                }
                if (continuesAbove) {
                    m_xml.writeEmptyElement(u"w:vMerge"_s);
                } else if (cell.rowSpan() > 1) {
                    m_xml.writeEmptyElement(u"w:vMerge"_s);
                    m_xml.writeAttribute(u"w:val"_s, u"restart"_s);
                }
                m_xml.writeEndElement(); // tcPr
                if (continuesAbove)
                    m_xml.writeEmptyElement(u"w:p"_s);
                else
                    cellContent(cell);
                m_xml.writeEndElement(); // tc
                c += span;
            }
            m_xml.writeEndElement(); // tr
        }
        m_xml.writeEndElement(); // tbl
    }

    const QTextDocument &m_document;
    QXmlStreamWriter &m_xml;
    QList<Picture> m_pictures;
};

QByteArray documentXml(const QTextDocument &document, QList<Picture> *pictures)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument(u"1.0"_s, true);
    xml.writeStartElement(u"w:document"_s);
    xml.writeAttribute(u"xmlns:w"_s,
                       u"http://schemas.openxmlformats.org/wordprocessingml/2006/main"_s);
    xml.writeAttribute(u"xmlns:r"_s,
                       u"http://schemas.openxmlformats.org/officeDocument/2006/relationships"_s);
    xml.writeAttribute(u"xmlns:wp"_s,
                       u"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"_s);
    xml.writeAttribute(u"xmlns:a"_s, u"http://schemas.openxmlformats.org/drawingml/2006/main"_s);
    xml.writeAttribute(u"xmlns:pic"_s,
                       u"http://schemas.openxmlformats.org/drawingml/2006/picture"_s);
    xml.writeStartElement(u"w:body"_s);
    BodyWriter body(document, xml);
    body.frame(document.rootFrame());
    xml.writeStartElement(u"w:sectPr"_s);
    xml.writeEmptyElement(u"w:pgSz"_s);
    xml.writeAttribute(u"w:w"_s, u"11906"_s);
    xml.writeAttribute(u"w:h"_s, u"16838"_s);
    xml.writeEmptyElement(u"w:pgMar"_s);
    xml.writeAttribute(u"w:top"_s, u"1440"_s);
    xml.writeAttribute(u"w:right"_s, u"1800"_s);
    xml.writeAttribute(u"w:bottom"_s, u"1440"_s);
    xml.writeAttribute(u"w:left"_s, u"1800"_s);
    xml.writeAttribute(u"w:header"_s, u"851"_s);
    xml.writeAttribute(u"w:footer"_s, u"992"_s);
    xml.writeAttribute(u"w:gutter"_s, u"0"_s);
    xml.writeEndElement(); // sectPr
    xml.writeEndElement(); // body
    xml.writeEndElement(); // document
    xml.writeEndDocument();
    *pictures = body.pictures();
    return bytes;
}

QByteArray stylesXml()
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument(u"1.0"_s, true);
    xml.writeStartElement(u"w:styles"_s);
    xml.writeAttribute(u"xmlns:w"_s,
                       u"http://schemas.openxmlformats.org/wordprocessingml/2006/main"_s);
    xml.writeStartElement(u"w:docDefaults"_s);
    xml.writeStartElement(u"w:rPrDefault"_s);
    xml.writeStartElement(u"w:rPr"_s);
    xml.writeEmptyElement(u"w:rFonts"_s);
    xml.writeAttribute(u"w:ascii"_s, kDefaultWesternFont);
    xml.writeAttribute(u"w:hAnsi"_s, kDefaultWesternFont);
    xml.writeAttribute(u"w:eastAsia"_s, kDefaultEastAsianFont);
    xml.writeAttribute(u"w:cs"_s, kDefaultWesternFont);
    xml.writeEmptyElement(u"w:sz"_s);
    xml.writeAttribute(u"w:val"_s, u"21"_s); // 10.5 pt, the usual size of Chinese body text
    xml.writeEmptyElement(u"w:szCs"_s);
    xml.writeAttribute(u"w:val"_s, u"21"_s);
    xml.writeEmptyElement(u"w:lang"_s);
    xml.writeAttribute(u"w:val"_s, u"en-US"_s);
    xml.writeAttribute(u"w:eastAsia"_s, u"zh-CN"_s);
    xml.writeEndElement(); // rPr
    xml.writeEndElement(); // rPrDefault
    xml.writeStartElement(u"w:pPrDefault"_s);
    xml.writeStartElement(u"w:pPr"_s);
    xml.writeEmptyElement(u"w:spacing"_s);
    xml.writeAttribute(u"w:after"_s, u"0"_s);
    xml.writeAttribute(u"w:line"_s, u"300"_s);
    xml.writeAttribute(u"w:lineRule"_s, u"auto"_s);
    xml.writeEndElement(); // pPr
    xml.writeEndElement(); // pPrDefault
    xml.writeEndElement(); // docDefaults
    xml.writeStartElement(u"w:style"_s);
    xml.writeAttribute(u"w:type"_s, u"paragraph"_s);
    xml.writeAttribute(u"w:default"_s, u"1"_s);
    xml.writeAttribute(u"w:styleId"_s, u"Normal"_s);
    xml.writeEmptyElement(u"w:name"_s);
    xml.writeAttribute(u"w:val"_s, u"Normal"_s);
    xml.writeEmptyElement(u"w:qFormat"_s);
    xml.writeEndElement(); // style
    xml.writeEndElement(); // styles
    xml.writeEndDocument();
    return bytes;
}

// The fonts the document names by default, described for a reader that lacks them: the Chinese
// serif with its Chinese name and the GB2312 character set, so that a substitute is chosen for
// Simplified Chinese.
QByteArray fontTableXml()
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument(u"1.0"_s, true);
    xml.writeStartElement(u"w:fonts"_s);
    xml.writeAttribute(u"xmlns:w"_s,
                       u"http://schemas.openxmlformats.org/wordprocessingml/2006/main"_s);
    const auto font = [&](const QString &name, const QString &altName, const QString &panose,
                          const QString &charset, const QString &family) {
        xml.writeStartElement(u"w:font"_s);
        xml.writeAttribute(u"w:name"_s, name);
        if (!altName.isEmpty()) {
            xml.writeEmptyElement(u"w:altName"_s);
            xml.writeAttribute(u"w:val"_s, altName);
        }
        xml.writeEmptyElement(u"w:panose1"_s);
        xml.writeAttribute(u"w:val"_s, panose);
        xml.writeEmptyElement(u"w:charset"_s);
        xml.writeAttribute(u"w:val"_s, charset);
        xml.writeEmptyElement(u"w:family"_s);
        xml.writeAttribute(u"w:val"_s, family);
        xml.writeEmptyElement(u"w:pitch"_s);
        xml.writeAttribute(u"w:val"_s, u"variable"_s);
        xml.writeEndElement();
    };
    font(kDefaultEastAsianFont, u"宋体"_s, u"02010600030101010101"_s, u"86"_s, u"auto"_s);
    font(kDefaultWesternFont, {}, u"02020603050405020304"_s, u"00"_s, u"roman"_s);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray contentTypesXml(bool hasPictures)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument(u"1.0"_s, true);
    xml.writeStartElement(u"Types"_s);
    xml.writeAttribute(u"xmlns"_s,
                       u"http://schemas.openxmlformats.org/package/2006/content-types"_s);
    const auto byExtension = [&](const QString &extension, const QString &type) {
        xml.writeEmptyElement(u"Default"_s);
        xml.writeAttribute(u"Extension"_s, extension);
        xml.writeAttribute(u"ContentType"_s, type);
    };
    byExtension(u"rels"_s, u"application/vnd.openxmlformats-package.relationships+xml"_s);
    byExtension(u"xml"_s, u"application/xml"_s);
    if (hasPictures)
        byExtension(u"png"_s, u"image/png"_s);
    const auto byPart = [&](const QString &part, const QString &type) {
        xml.writeEmptyElement(u"Override"_s);
        xml.writeAttribute(u"PartName"_s, part);
        xml.writeAttribute(u"ContentType"_s, type);
    };
    byPart(u"/word/document.xml"_s,
           u"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"_s);
    byPart(u"/word/styles.xml"_s,
           u"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"_s);
    byPart(u"/word/fontTable.xml"_s,
           u"application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml"_s);
    byPart(u"/docProps/core.xml"_s,
           u"application/vnd.openxmlformats-package.core-properties+xml"_s);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

struct Relationship
{
    QString id;
    QString type;
    QString target;
};

QByteArray relationshipsXml(const QList<Relationship> &relationships)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument(u"1.0"_s, true);
    xml.writeStartElement(u"Relationships"_s);
    xml.writeAttribute(u"xmlns"_s,
                       u"http://schemas.openxmlformats.org/package/2006/relationships"_s);
    for (const Relationship &r : relationships) {
        xml.writeEmptyElement(u"Relationship"_s);
        xml.writeAttribute(u"Id"_s, r.id);
        xml.writeAttribute(u"Type"_s, r.type);
        xml.writeAttribute(u"Target"_s, r.target);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray corePropertiesXml(const QString &title)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument(u"1.0"_s, true);
    xml.writeStartElement(u"cp:coreProperties"_s);
    xml.writeAttribute(
        u"xmlns:cp"_s,
        u"http://schemas.openxmlformats.org/package/2006/metadata/core-properties"_s);
    xml.writeAttribute(u"xmlns:dc"_s, u"http://purl.org/dc/elements/1.1/"_s);
    xml.writeAttribute(u"xmlns:dcterms"_s, u"http://purl.org/dc/terms/"_s);
    xml.writeAttribute(u"xmlns:xsi"_s, u"http://www.w3.org/2001/XMLSchema-instance"_s);
    xml.writeTextElement(u"dc:title"_s, xmlSafe(title));
    xml.writeStartElement(u"dcterms:created"_s);
    xml.writeAttribute(u"xsi:type"_s, u"dcterms:W3CDTF"_s);
    xml.writeCharacters(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

bool addPart(QuaZip &zip, const QString &name, const QByteArray &bytes, QString *error)
{
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name))) {
        *error = u"cannot add "_s + name + u" (zip error "_s + QString::number(file.getZipError()) +
                 u')';
        return false;
    }
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (!written || file.getZipError() != 0) {
        *error = u"cannot write "_s + name + u" (zip error "_s +
                 QString::number(file.getZipError()) + u')';
        return false;
    }
    return true;
}

} // namespace

bool write(const QTextDocument &document, const QString &path, const QString &title, QString *error)
{
    QString reason;
    QList<Picture> pictures;
    const QByteArray body = documentXml(document, &pictures);

    const QString relationshipType =
        u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"_s;
    QList<Relationship> documentRelations{
        {u"rIdStyles"_s, relationshipType + u"styles"_s, u"styles.xml"_s},
        {u"rIdFonts"_s, relationshipType + u"fontTable"_s, u"fontTable.xml"_s}};
    for (const Picture &p : pictures)
        documentRelations.append({p.relationId, relationshipType + u"image"_s, p.part});
    const QList<Relationship> packageRelations{
        {u"rIdDocument"_s, relationshipType + u"officeDocument"_s, u"word/document.xml"_s},
        {u"rIdCore"_s,
         u"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties"_s,
         u"docProps/core.xml"_s}};

    QuaZip zip(path);
    bool ok = zip.open(QuaZip::mdCreate);
    if (!ok)
        reason = u"cannot create "_s + path + u" (zip error "_s +
                 QString::number(zip.getZipError()) + u')';
    ok =
        ok && addPart(zip, u"[Content_Types].xml"_s, contentTypesXml(!pictures.isEmpty()), &reason);
    ok = ok && addPart(zip, u"_rels/.rels"_s, relationshipsXml(packageRelations), &reason);
    ok = ok && addPart(zip, u"docProps/core.xml"_s, corePropertiesXml(title), &reason);
    ok = ok && addPart(zip, u"word/document.xml"_s, body, &reason);
    ok = ok && addPart(zip, u"word/styles.xml"_s, stylesXml(), &reason);
    ok = ok && addPart(zip, u"word/fontTable.xml"_s, fontTableXml(), &reason);
    ok = ok && addPart(zip, u"word/_rels/document.xml.rels"_s, relationshipsXml(documentRelations),
                       &reason);
    for (const Picture &p : pictures)
        ok = ok && addPart(zip, u"word/"_s + p.part, p.png, &reason);
    if (zip.isOpen()) {
        zip.close();
        if (ok && zip.getZipError() != 0) {
            ok = false;
            reason = u"cannot finish "_s + path + u" (zip error "_s +
                     QString::number(zip.getZipError()) + u')';
        }
    }
    if (!ok && error)
        *error = reason;
    return ok;
}

} // namespace Docx
