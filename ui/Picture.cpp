#include "ui/Picture.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace Picture {

namespace {

quint16 u16(const uchar *p)
{
    return quint16(p[0] | (p[1] << 8));
}

quint32 u32(const uchar *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

constexpr quint32 kFileHeader = 14;
constexpr quint32 kBiRgb = 0;

struct Mapping
{
    void *address;
    std::size_t length;
};

// The pictures shown straight from their files, by the address of their first pixel. Never
// destroyed: a picture may outlive the statics of this file.
QHash<const uchar *, Mapping *> &liveMappings()
{
    static auto *mappings = new QHash<const uchar *, Mapping *>;
    return *mappings;
}

// The pixels of a 32-bit top-down BMP mapped from the file as an RGB32 image; the mapping goes
// with the last copy of the image.
QImage mappedImage(const QString &fileName, quint32 offset, int width, int height)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const std::size_t length = std::size_t(offset) + std::size_t(width) * 4 * std::size_t(height);
    void *map = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED)
        return {};
    auto *mapping = new Mapping{map, length};
    const uchar *pixels = static_cast<const uchar *>(map) + offset;
    const QImage image(
        pixels, width, height, qsizetype(width) * 4, QImage::Format_RGB32,
        [](void *info) {
            auto *m = static_cast<Mapping *>(info);
            liveMappings().removeIf([m](const auto &entry) { return entry.value() == m; });
            ::munmap(m->address, m->length);
            delete m;
        },
        mapping);
    if (image.isNull()) {
        ::munmap(map, length);
        delete mapping;
        return image;
    }
    liveMappings().insert(pixels, mapping);
    return image;
}

} // namespace

QImage readBmp(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    if (size < kFileHeader + 40)
        return {};
    // Mapped, not read: the pixels are converted straight from the file's pages.
    const uchar *data = file.map(0, size);
    if (!data)
        return {};
    if (data[0] != 'B' || data[1] != 'M')
        return {};
    const quint32 offset = u32(data + 10);
    const uchar *info = data + kFileHeader;
    const quint32 infoSize = u32(info);
    if (infoSize < 40 || kFileHeader + infoSize > size)
        return {};
    const qint32 width = qint32(u32(info + 4));
    const qint32 rawHeight = qint32(u32(info + 8));
    const quint16 planes = u16(info + 12);
    const quint16 bits = u16(info + 14);
    const quint32 compression = u32(info + 16);
    if (planes != 1 || width <= 0 || width > 32768 || rawHeight == 0 || rawHeight < -32768 ||
        rawHeight > 32768)
        return {};
    // A full-screen picture in the screen's own layout (32-bit, top-down, rows of whole pixels,
    // at an aligned offset): its pages are shown straight from the file.
    if (bits == 32 && compression == kBiRgb && rawHeight < 0 && offset % 4 == 0 &&
        offset >= kFileHeader + infoSize && offset + qint64(width) * 4 * -rawHeight <= size)
        return mappedImage(fileName, offset, width, -rawHeight);
    // What mkpics writes; other kinds (palettes, bit fields, alpha, compression) are Qt's.
    if (bits != 24 || compression != kBiRgb)
        return {};
    const bool bottomUp = rawHeight > 0;
    const qint32 height = bottomUp ? rawHeight : -rawHeight;
    const qint64 stride = ((qint64(width) * bits + 31) / 32) * 4;
    if (offset < kFileHeader + infoSize || offset + stride * height > size)
        return {};

    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (qint32 y = 0; y < height; ++y) {
        const uchar *src = data + offset + stride * (bottomUp ? height - 1 - y : y);
        auto *dst = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (qint32 x = 0; x < width; ++x, src += 3)
            dst[x] = 0xff000000u | (quint32(src[2]) << 16) | (quint32(src[1]) << 8) | src[0];
    }
    return image;
}

void releasePages(const QImage &image)
{
    if (image.isNull())
        return;
    const Mapping *mapping = liveMappings().value(image.constBits());
    // The mapping is private and never written: its pages are only dropped from this process,
    // and read again from the file's cached pages when next touched.
    if (mapping)
        ::madvise(mapping->address, mapping->length, MADV_DONTNEED);
}

QImage load(const QString &fileName)
{
    // Only a file is read: a FIFO or a device in its place would block the window that waits.
    if (!QFileInfo(fileName).isFile())
        return {};
    if (fileName.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)) {
        QImage image = readBmp(fileName);
        if (!image.isNull() || !QFileInfo::exists(fileName))
            return image;
    }
    return QImage(fileName);
}

QString sizedName(const QString &fileName, int width, int height)
{
    const QFileInfo info(fileName);
    const QString suffix = info.suffix();
    QString base = fileName;
    if (!suffix.isEmpty())
        base.chop(suffix.size() + 1);
    return base + QLatin1Char('_') + QString::number(width) + QLatin1Char('x') +
           QString::number(height) + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

} // namespace Picture
