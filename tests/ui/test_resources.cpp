// Runtime resources beside the executable: the drawn pictures (sizes, formats, state colours)
// and the information pages (UTF-8, links that resolve, a help page covering every menu item).
#include "support/TestSupport.h"
#include "ui/Picture.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString picPath(const QString &name)
{
    return testsupport::binDir() + u"pic/"_s + name;
}

QString htmPath(const QString &name)
{
    return testsupport::binDir() + u"htm/"_s + name;
}

QByteArray head(const QString &path, int bytes)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(bytes) : QByteArray();
}

QColor meanColour(const QImage &img)
{
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            r += c.red();
            g += c.green();
            b += c.blue();
            ++n;
        }
    return QColor(int(r / n), int(g / n), int(b / n));
}

QString readUtf8(const QString &path, bool *valid)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *valid = false;
        return {};
    }
    auto decode = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decode(f.readAll());
    *valid = !decode.hasError();
    return text;
}

const QStringList kPages = {u"help.html"_s, u"法律法规.htm"_s, u"发行站及专业书店联系方式.htm"_s,
                            u"lnst.htm"_s};

} // namespace

TEST(Pictures, EveryPictureExistsInItsFormatAndSize)
{
    struct Expected
    {
        const char16_t *name;
        int width, height;
    };
    const Expected pictures[] = {
        {u"vornup.bmp", 32, 24},
        {u"vorndw.bmp", 32, 24},
        {u"vornyes.bmp", 32, 24},
        {u"vornno.bmp", 32, 24},
        {u"vorndw_r.bmp", 32, 24},
        {u"vorndw_w.bmp", 32, 24},
        {u"vornover.bmp", 32, 24},
        {u"vorntxup.bmp", 96, 28},
        {u"vorntxdw.bmp", 96, 28},
        {u"bg_start.bmp", 1024, 768},
        {u"bg_start_800x600.bmp", 800, 600},
        {u"bg_dlg.bmp", 399, 110},
        {u"bg_progress.bmp", 358, 63},
        {u"bg_about.bmp", 395, 266},
        {u"bg_window.bmp", 800, 600},
        {u"bg_plan.bmp", 460, 250},
        {u"icon_info.bmp", 48, 48},
        {u"icon_warn.bmp", 48, 48},
        {u"icon_error.bmp", 48, 48},
        {u"app_icon.png", 64, 64},
    };
    for (const Expected &e : pictures) {
        const QString name = QString::fromUtf16(e.name);
        SCOPED_TRACE(name.toStdString());
        const QImage img(picPath(name));
        ASSERT_FALSE(img.isNull()) << "missing or unreadable";
        EXPECT_EQ(img.width(), e.width);
        EXPECT_EQ(img.height(), e.height);
        // the content must match the extension: other loaders pick files by their name
        const QByteArray magic = head(picPath(name), 4);
        if (name.endsWith(u".bmp"))
            EXPECT_TRUE(magic.startsWith("BM"));
        else
            EXPECT_EQ(magic, QByteArray("\x89PNG"));
    }

    const QImage icon(picPath(u"app_icon.png"_s));
    ASSERT_TRUE(icon.hasAlphaChannel());
    EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0) << "the icon's corners are transparent";
}

// The program reads its pictures itself: the pixels are Qt's reader's, and the start picture for
// an 800x600 screen is the 1024x768 one as the menu scales it.
TEST(Pictures, OwnReaderGivesQtsPixels)
{
    const QStringList files = QDir(testsupport::binDir() + u"pic"_s).entryList({u"*.bmp"_s});
    ASSERT_GE(files.size(), 19);
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        const QImage own = Picture::readBmp(picPath(name));
        ASSERT_FALSE(own.isNull()) << "every BMP mkpics writes is read without Qt's reader";
        EXPECT_EQ(own.format(), QImage::Format_RGB32);
        EXPECT_EQ(own, QImage(picPath(name)).convertToFormat(QImage::Format_RGB32));
    }
    const QImage large = Picture::load(picPath(u"bg_start.bmp"_s));
    const QImage scaled =
        large.scaled(800, 600, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    EXPECT_EQ(Picture::load(picPath(u"bg_start_800x600.bmp"_s)), scaled);
    EXPECT_EQ(Picture::sizedName(u"/p/pic/bg_start.bmp"_s, 800, 600),
              u"/p/pic/bg_start_800x600.bmp"_s);
}

// How many of the pages under an image's pixels this process has in memory (from the kernel's
// page map of the process).
int residentPages(const QImage &image)
{
    const long page = ::sysconf(_SC_PAGESIZE);
    const auto first = reinterpret_cast<quintptr>(image.constBits()) / page;
    const auto last =
        (reinterpret_cast<quintptr>(image.constBits()) + image.sizeInBytes() - 1) / page;
    QFile map(u"/proc/self/pagemap"_s);
    if (!map.open(QIODevice::ReadOnly) || !map.seek(qint64(first) * 8))
        return -1;
    const QByteArray entries = map.read(qint64(last - first + 1) * 8);
    int present = 0;
    for (qsizetype i = 0; i + 8 <= entries.size(); i += 8) {
        quint64 entry = 0;
        std::memcpy(&entry, entries.constData() + i, 8);
        present += (entry >> 63) ? 1 : 0;
    }
    return present;
}

// The large pictures are shown straight from their files; once drawn their pages are given back
// and read again when next drawn, with the same pixels. A picture held in memory is not touched.
TEST(Pictures, DrawnPicturesGiveTheirPagesBack)
{
    for (const char16_t *name : {u"bg_start.bmp", u"bg_window.bmp"}) {
        SCOPED_TRACE(QString::fromUtf16(name).toStdString());
        const QImage mapped = Picture::load(picPath(QString::fromUtf16(name)));
        const QImage copy = mapped.copy();
        ASSERT_EQ(mapped, copy); // reads every page
        ASSERT_GT(residentPages(mapped), 0);
        Picture::releasePages(mapped);
        EXPECT_EQ(residentPages(mapped), 0);
        EXPECT_EQ(mapped, copy);
        EXPECT_GT(residentPages(mapped), 0);
    }
    const QImage held = Picture::load(picPath(u"bg_dlg.bmp"_s)); // converted: not mapped
    const QImage heldCopy = held.copy();
    const int heldPages = residentPages(held);
    ASSERT_GT(heldPages, 0);
    Picture::releasePages(held);
    EXPECT_EQ(residentPages(held), heldPages);
    EXPECT_EQ(held, heldCopy);
}

// Files it does not know, or that end too soon, are left to Qt's reader (which refuses the
// damaged ones); a missing file is nothing at all.
TEST(Pictures, OwnReaderRefusesWhatItDoesNotKnow)
{
    QTemporaryDir dir;
    QFile source(picPath(u"bg_dlg.bmp"_s));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray whole = source.readAll();
    const auto write = [&dir](const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return dir.filePath(name);
    };
    const QString truncated = write(u"truncated.bmp"_s, whole.left(whole.size() / 2));
    EXPECT_TRUE(Picture::readBmp(truncated).isNull());
    QByteArray eightBit = whole;
    eightBit[28] = 8; // bits per pixel
    EXPECT_TRUE(Picture::readBmp(write(u"palette.bmp"_s, eightBit)).isNull());
    QByteArray compressed = whole;
    compressed[30] = 1; // BI_RLE8
    EXPECT_TRUE(Picture::readBmp(write(u"rle.bmp"_s, compressed)).isNull());
    EXPECT_TRUE(
        Picture::readBmp(write(u"png.bmp"_s, head(picPath(u"app_icon.png"_s), 4096))).isNull());
    // A PNG under its own name goes to Qt's reader.
    EXPECT_EQ(Picture::load(picPath(u"app_icon.png"_s)).size(), QSize(64, 64));
    EXPECT_TRUE(Picture::load(dir.filePath(u"missing.bmp"_s)).isNull());
}

TEST(Pictures, NumberButtonColoursTellTheState)
{
    const auto mean = [](const char16_t *name) {
        return meanColour(QImage(picPath(QString::fromUtf16(name))));
    };
    for (const char16_t *right : {u"vornyes.bmp", u"vorndw_r.bmp"}) {
        const QColor c = mean(right);
        EXPECT_GT(c.green(), std::max(c.red(), c.blue())) << "right must read green";
        EXPECT_GT(c.green(), c.red() + 20);
    }
    for (const char16_t *wrong : {u"vornno.bmp", u"vorndw_w.bmp"}) {
        const QColor c = mean(wrong);
        EXPECT_GT(c.red(), std::max(c.green(), c.blue())) << "wrong must read red";
        EXPECT_GT(c.red(), c.green() + 20);
    }
    for (const char16_t *neutral : {u"vornup.bmp", u"vorndw.bmp", u"vornover.bmp"}) {
        const QColor c = mean(neutral);
        EXPECT_GT(c.blue(), std::max(c.red(), c.green())) << "neutral states read blue-grey";
    }

    // the selected picture of each state differs from its normal one, and the stored-answer
    // picture from the unanswered one
    const std::pair<const char16_t *, const char16_t *> pairs[] = {
        {u"vornup.bmp", u"vorndw.bmp"},     {u"vornyes.bmp", u"vorndw_r.bmp"},
        {u"vornno.bmp", u"vorndw_w.bmp"},   {u"vornup.bmp", u"vornover.bmp"},
        {u"vorntxup.bmp", u"vorntxdw.bmp"},
    };
    for (const auto &[a, b] : pairs)
        EXPECT_NE(QImage(picPath(QString::fromUtf16(a))), QImage(picPath(QString::fromUtf16(b))))
            << QString::fromUtf16(a).toStdString() << " vs " << QString::fromUtf16(b).toStdString();
}

TEST(Pages, EveryPageIsUtf8HtmlWhoseLocalLinksResolve)
{
    static const QRegularExpression link(uR"re((?:href|src)\s*=\s*"([^"]*)")re"_s);
    for (const QString &page : kPages) {
        SCOPED_TRACE(page.toStdString());
        bool valid = false;
        const QString text = readUtf8(htmPath(page), &valid);
        ASSERT_TRUE(valid) << "missing or not UTF-8";
        EXPECT_TRUE(text.contains(u"<meta charset=\"utf-8\">"_s, Qt::CaseInsensitive));
        EXPECT_TRUE(text.contains(u"<title>"_s));
        EXPECT_TRUE(text.trimmed().endsWith(u"</html>"_s));

        for (auto it = link.globalMatch(text); it.hasNext();) {
            QString target = it.next().captured(1);
            if (target.startsWith(u"http:"_s) || target.startsWith(u"https:"_s) ||
                target.startsWith(u"mailto:"_s) || target.startsWith(u'#'))
                continue;
            target = target.section(u'#', 0, 0);
            const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
            EXPECT_TRUE(QFileInfo::exists(htmPath(decoded)))
                << "broken link " << target.toStdString();
        }
    }
}

TEST(Pages, HelpExplainsEveryMenuItem)
{
    bool valid = false;
    const QString help = readUtf8(htmPath(u"help.html"_s), &valid);
    ASSERT_TRUE(valid);
    const QStringList items = {
        u"章节练习"_s,
        u"考点学习"_s,
        u"注册安全工程师·安全生产法及相关法律知识"_s,
        u"注册安全工程师·安全生产管理知识"_s,
        u"注册安全工程师·安全生产技术"_s,
        u"注册安全工程师·安全生产事故案例分析"_s,
        u"造价工程师·案例分析"_s,
        u"试卷历史"_s,
        u"学习计划"_s,
        u"考试设置"_s,
        u"学习日志"_s,
        u"统计图表"_s,
        u"题库升级"_s,
        u"数据备份"_s,
        u"背景音乐"_s,
        u"答题时间"_s,
        u"法律法规"_s,
        u"联系我们"_s,
        u"知识点目录"_s,
        u"学习方法"_s,
        u"全部科目"_s,
        u"帮助"_s,
        u"关于"_s,
        u"退出"_s,
    };
    for (const QString &item : items)
        EXPECT_TRUE(help.contains(item)) << item.toStdString();
}
