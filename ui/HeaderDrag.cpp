#include "ui/HeaderDrag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace HeaderDrag {

namespace {

class Filter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            return press(watched, static_cast<QMouseEvent *>(event));
        case QEvent::MouseMove:
            if (m_window && m_window == watched) {
                auto *e = static_cast<QMouseEvent *>(event);
                if (!(e->buttons() & Qt::LeftButton)) {
                    m_window.clear();
                    return false;
                }
                m_window->move(e->globalPosition().toPoint() - m_offset);
                return true;
            }
            return false;
        case QEvent::MouseButtonRelease:
            if (m_window && m_window == watched) {
                m_window.clear();
                return true;
            }
            return false;
        default:
            return false;
        }
    }

private:
    // A press that reached the window itself (no control under it took it) in its header.
    bool press(QObject *watched, QMouseEvent *e)
    {
        auto *window = qobject_cast<QWidget *>(watched);
        if (!window || !window->isWindow() || e->button() != Qt::LeftButton ||
            !window->windowFlags().testFlag(Qt::FramelessWindowHint) ||
            window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
            return false;
        if (window->screen() && window->geometry() == window->screen()->geometry())
            return false;
        const QVariant height = window->property("headerHeight");
        const int header = height.isValid() ? height.toInt() : kDefaultHeight;
        if (e->position().y() >= header)
            return false;
        // The window manager moves it where it can; otherwise the window follows the mouse.
        if (window->windowHandle() && window->windowHandle()->startSystemMove())
            return true;
        m_window = window;
        m_offset = e->globalPosition().toPoint() - window->pos();
        return true;
    }

    QPointer<QWidget> m_window;
    QPoint m_offset;
};

} // namespace

void install(QApplication *app)
{
    static QPointer<Filter> filter;
    if (!filter) {
        filter = new Filter(app);
        app->installEventFilter(filter);
    }
}

} // namespace HeaderDrag
