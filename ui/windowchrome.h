// The look shared by the borderless dialogs of the progress windows: a title strip with the
// caption, a tinted body and a thin frame, and the style of their buttons and fields.
#pragma once

#include <QColor>
#include <QString>

class QPainter;
class QRect;

namespace WindowChrome {

// Paints the body in the given colour (lightening towards the bottom), the title strip of the
// given height with the caption, and the frame.
void paint(QPainter &p, const QRect &rect, int stripHeight, const QString &caption,
           const QColor &body, int captionPixelSize);

// Style sheet of buttons, group boxes, check boxes and fields on such a window.
QString styleSheet();

} // namespace WindowChrome
