// Parts the program's framed windows share: the look of their buttons and boards, the busy
// cursor, the painted title strip and frame, and showing the desktop.
#pragma once

#include <QImage>
#include <QString>

class QFrame;
class QHBoxLayout;
class QLabel;
class QLayout;
class QPainter;
class QPixmap;
class QPushButton;
class QWidget;

namespace WindowParts {

// Style sheet of a framed question window: rounded buttons (grey when disabled), boards.
QString windowStyle();
// A named button with its caption that does not take Enter as its default.
QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption);
// A board: a light rounded frame holding `content`, with a caption line when one is given.
QFrame *makeBoard(QWidget *parent, const QString &caption, QLayout *content, bool compact);
// A window's background picture of the program folder ("pic/bg_window.bmp"); a null picture
// when it is missing or unreadable.
QImage backgroundPicture(const QString &relativePath);
// The background picture (or a plain light fill), the blue title strip of `titleHeight` pixels
// and the frame of a borderless window. A picture shown straight from its file gives its pages
// back as it is drawn: the window's own pixels are kept by its backing store.
void paintChrome(QWidget *window, const QImage &background, int titleHeight);
// Puts a window in the middle of the desktop.
void centre(QWidget *window);
// Shows the desktop: every visible window of the program is minimised.
void showDesktop();
// The frame of a question window: the title on its strip above a row of columns; returns the
// row for the window's columns.
QHBoxLayout *titledColumns(QWidget *window, QLabel *title, int margin, int spacing);

// The hourglass for the span of a scope.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    // From now on, a statement that waits for a lock held by another program shows the
    // hourglass until it has ended (waited long enough, or failed).
    static void showWhileDatabaseWaits();
    // What it does when a statement starts (true) or stops (false) waiting.
    static void databaseWait(bool waiting);
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace WindowParts
