#include "ui/Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace Fonts {

namespace {

QString firstInstalled(const QStringList &families)
{
    const QStringList installed = QFontDatabase::families();
    for (const QString &f : families) {
        if (installed.contains(f, Qt::CaseInsensitive))
            return f;
    }
    return families.last();
}

QFont make(const QString &family, int pixelSize, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

QFont song(int pixelSize, bool bold)
{
    static const QString family =
        firstInstalled({u"SimSun"_s, u"宋体"_s, u"Noto Serif CJK SC"_s, u"Noto Sans CJK SC"_s});
    return make(family, pixelSize, bold);
}

QFont sans(int pixelSize, bool bold)
{
    static const QString family =
        firstInstalled({u"Noto Sans CJK SC"_s, u"Microsoft YaHei"_s, u"SimSun"_s});
    return make(family, pixelSize, bold);
}

void applyApplicationFont()
{
    QApplication::setFont(sans(13));
}

} // namespace Fonts
