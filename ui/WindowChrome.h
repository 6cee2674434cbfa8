// The look shared by the borderless dialogs of the progress windows: a title strip with the
// caption, a tinted body and a thin frame, and the style of their buttons and fields.
#pragma once

#include <QColor>
#include <QString>

class QDialog;
class QPainter;
class QPushButton;
class QRect;
class QTableView;
class QWidget;

namespace WindowChrome {

// Paints the body in the given colour (lightening towards the bottom), the title strip of the
// given height with the caption, and the frame.
void paint(QPainter &p, const QRect &rect, int stripHeight, const QString &caption,
           const QColor &body, int captionPixelSize);

// Style sheet of buttons, group boxes, grids and fields on such a window.
QString styleSheet();

// A borderless dialog with its object name, caption, font, style sheet and dark blue text.
void setUp(QDialog &dialog, const QString &objectName, const QString &caption);

// A read-only grid of whole rows: one row selected at a time, alternating colours, no row
// numbers, headers that do not sort, a vertical scroll bar always in view.
void setUpReadOnlyGrid(QTableView &grid);

} // namespace WindowChrome
