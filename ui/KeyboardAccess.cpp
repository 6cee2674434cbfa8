#include "ui/KeyboardAccess.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

// Set on a widget while it holds a focus the keyboard gave it.
constexpr char kKeyboardFocus[] = "keyboardFocus";
// Set on a view whose window handles Enter itself.
constexpr char kKeepEnter[] = "keepEnter";

bool isEnter(const QKeyEvent *key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier);
}

// The ring: a frame drawn over the focused widget's edge, not taking the mouse or the focus.
class FocusRing : public QWidget
{
public:
    explicit FocusRing(QWidget *parent) : QWidget(parent)
    {
        setObjectName(u"FocusRing"_s);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0xF2, 0x8C, 0x00), 3));
        p.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    }
};

class Filter : public QObject
{
public:
    using QObject::QObject;

    QWidget *target() const { return m_ring && m_ring->isVisible() ? m_target.data() : nullptr; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (auto *w = qobject_cast<QWidget *>(watched))
                focusIn(w, static_cast<QFocusEvent *>(event)->reason());
            break;
        case QEvent::FocusOut:
            if (watched == m_target && QApplication::focusWidget() != m_target)
                place(nullptr);
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            // The target, or a widget between it and its window, moved.
            if (m_target && watched->isWidgetType() && watched != m_ring &&
                (watched == m_target || (static_cast<QWidget *>(watched)->isAncestorOf(m_target) &&
                                         !static_cast<QWidget *>(watched)->isWindow())))
                place(m_target);
            break;
        case QEvent::KeyPress:
            if (isEnter(static_cast<QKeyEvent *>(event)) && enter(watched))
                return true;
            break;
        default:
            break;
        }
        return false;
    }

private:
    void focusIn(QWidget *w, Qt::FocusReason reason)
    {
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason)
            w->setProperty(kKeyboardFocus, true);
        else if (reason == Qt::MouseFocusReason)
            w->setProperty(kKeyboardFocus, false);
        // Other reasons (a window coming back, a program's choice) keep what the widget had.
        place(w->property(kKeyboardFocus).toBool() ? w : nullptr);
    }

    bool enter(QObject *watched)
    {
        // Only the key as it reaches the focus widget (it then travels up to the parents).
        QWidget *focus = QApplication::focusWidget();
        if (!focus || watched != focus)
            return false;
        if (auto *view = qobject_cast<QAbstractItemView *>(focus)) {
            // (While a cell is edited its editor has the focus, not the view.)
            if (!view->currentIndex().isValid() || view->property(kKeepEnter).toBool())
                return false;
            emit view->doubleClicked(view->currentIndex());
            return true;
        }
        auto *button = qobject_cast<QAbstractButton *>(focus);
        if (!button || !button->isEnabled() || !button->property(kKeyboardFocus).toBool() ||
            button->property("answerOption").toBool())
            return false;
        button->click();
        return true;
    }

    void place(QWidget *w)
    {
        m_target = w;
        if (!w || !w->isVisible() || w->isWindow()) {
            if (m_ring)
                m_ring->hide();
            return;
        }
        // A child of the window itself: a splitter or a layout would take it in as one of theirs.
        QWidget *window = w->window();
        if (!m_ring || m_ring->parentWidget() != window) {
            delete m_ring;
            m_ring = new FocusRing(window);
        }
        m_ring->setGeometry(
            QRect(w->mapTo(window, QPoint(0, 0)), w->size()).adjusted(-3, -3, 3, 3));
        m_ring->show();
        m_ring->raise();
    }

    QPointer<QWidget> m_target;
    QPointer<FocusRing> m_ring;
};

QPointer<Filter> installed;

} // namespace

namespace KeyboardAccess {

void install(QApplication *app)
{
    if (installed)
        return;
    installed = new Filter(app);
    app->installEventFilter(installed);
}

void keepEnter(QWidget *view)
{
    view->setProperty(kKeepEnter, true);
}

QWidget *ringTarget()
{
    return installed ? installed->target() : nullptr;
}

} // namespace KeyboardAccess
