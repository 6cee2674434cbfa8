// Showing a stored rich-text column (A15, jx, n) in a read-only viewer.
#pragma once

#include <QString>
#include <QVariant>

class QTextBrowser;

namespace RichText {

// The column's text: UTF-8 bytes (as stored) or a string; empty for null.
QString columnText(const QVariant &value);
// HTML is shown as HTML, anything else as plain text; null empties the viewer.
void show(QTextBrowser *viewer, const QVariant &value);

} // namespace RichText
