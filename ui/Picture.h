// The program's pictures read from pic/: the uncompressed BMPs that mkpics writes are read
// directly, anything else through Qt's image readers.
#pragma once

#include <QImage>
#include <QString>

namespace Picture {

// An uncompressed BMP file as mkpics writes them, as an RGB32 image with the same pixels Qt's
// own reader gives; a null image for any other file or a damaged one. 24-bit files are
// converted; 32-bit top-down files (each pixel's fourth byte 255, the pixels at an offset that
// is a multiple of 4), mkpics's full-screen pictures, are mapped and shown from the file as they
// are.
QImage readBmp(const QString &fileName);

// Gives back the memory of a picture that readBmp() shows straight from its file, once it has
// been drawn: the pages are read again from the system's file cache when next drawn. A picture
// held in memory is left as it is.
void releasePages(const QImage &image);

// A picture file: readBmp() for the BMPs it knows, Qt's image readers for the rest. Qt's readers
// are looked up among the image plugins on first use, which readBmp() never needs.
QImage load(const QString &fileName);

// The name of a copy of a picture drawn ahead for one size: "pic/bg_start.bmp" at 800x600 is
// "pic/bg_start_800x600.bmp".
QString sizedName(const QString &fileName, int width, int height);

} // namespace Picture
