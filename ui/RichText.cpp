#include "ui/RichText.h"

#include <QByteArray>
#include <QTextBrowser>
#include <QTextDocument>

namespace RichText {

QString columnText(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return value.toString();
}

void show(QTextBrowser *viewer, const QVariant &value)
{
    const QString text = columnText(value);
    if (Qt::mightBeRichText(text))
        viewer->setHtml(text);
    else
        viewer->setPlainText(text);
}

} // namespace RichText
