#include "practice/ExplanationWindow.h"

#include "ui/Fonts.h"
#include "ui/RichText.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The window's size where there is room, and the least it shrinks to beside a question.
const QSize kPreferred(560, 400);
const QSize kMinimum(320, 150);

} // namespace

ExplanationWindow::ExplanationWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"ExplanationWindow"_s);
    setWindowTitle(u"解析"_s);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(Fonts::song(14));

    m_explanationView = new QTextBrowser(this);
    m_explanationView->setObjectName(u"explanationView"_s);
    m_explanationView->setReadOnly(true);
    m_explanationView->setOpenLinks(false);
    m_explanationView->setFont(Fonts::song(16));
    m_explanationView->setAccessibleName(u"解析"_s);

    m_ownAnswerCaption = new QLabel(u"我的答案："_s, this);
    m_ownAnswerCaption->setObjectName(u"ownAnswerCaption"_s);
    m_ownAnswerCaption->setFont(Fonts::sans(13, true));
    m_ownAnswerView = new QPlainTextEdit(this);
    m_ownAnswerView->setObjectName(u"ownAnswerView"_s);
    m_ownAnswerView->setReadOnly(true);
    m_ownAnswerView->setAccessibleName(u"我的答案"_s);
    m_ownAnswerView->setFont(Fonts::song(14));
    m_ownAnswerView->setMaximumHeight(90);
    m_ownAnswerCaption->setBuddy(m_ownAnswerView);
    m_ownAnswerCaption->hide();
    m_ownAnswerView->hide();

    m_closeButton = new QPushButton(u"关闭"_s, this);
    m_closeButton->setObjectName(u"closeButton"_s);
    m_closeButton->setFont(Fonts::sans(14));
    m_closeButton->setMinimumSize(96, 30);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(m_ownAnswerCaption);
    layout->addWidget(m_ownAnswerView);
    layout->addWidget(m_explanationView, 1);
    layout->addLayout(buttons);
    setFixedSize(kPreferred);
}

void ExplanationWindow::bind(const QVariant &richText)
{
    // A value that cannot be shown leaves the viewer empty.
    try {
        RichText::show(m_explanationView, richText);
    } catch (...) {
        m_explanationView->clear();
    }
}

void ExplanationWindow::showOwnAnswer(const QString &text)
{
    m_ownAnswerView->setPlainText(text);
    const bool shown = !text.trimmed().isEmpty();
    m_ownAnswerCaption->setVisible(shown);
    m_ownAnswerView->setVisible(shown);
}

QRect ExplanationWindow::placeClearOf(const QRect &question, const QRect &available,
                                      const QSize &preferred, const QSize &minimum)
{
    const QRect q = question.intersected(available);
    auto fitAcross = [&](int room, bool sideways, bool after) -> QRect {
        // sideways: right or left of the question; otherwise below or above it.
        const int w =
            sideways ? qMin(preferred.width(), room) : qMin(preferred.width(), available.width());
        const int h = sideways ? qMin(preferred.height(), available.height())
                               : qMin(preferred.height(), room);
        int x = sideways ? (after ? q.right() + 1 : q.left() - w) : q.left();
        int y = sideways ? q.top() : (after ? q.bottom() + 1 : q.top() - h);
        x = qBound(available.left(), x, available.right() - w + 1);
        y = qBound(available.top(), y, available.bottom() - h + 1);
        return QRect(x, y, w, h);
    };
    const int right = available.right() - q.right();
    const int below = available.bottom() - q.bottom();
    const int left = q.left() - available.left();
    const int above = q.top() - available.top();
    if (right >= minimum.width())
        return fitAcross(right, true, true);
    if (below >= minimum.height())
        return fitAcross(below, false, true);
    if (left >= minimum.width())
        return fitAcross(left, true, false);
    if (above >= minimum.height())
        return fitAcross(above, false, false);
    const QSize size(qMin(preferred.width(), available.width()), minimum.height());
    return QRect(QPoint(qBound(available.left(), q.left(), available.right() - size.width() + 1),
                        available.bottom() - size.height() + 1),
                 size);
}

void ExplanationWindow::showEvent(QShowEvent *event)
{
    if (m_question && m_question->isVisible()) {
        const QScreen *screen = m_question->screen();
        const QRect question(m_question->mapToGlobal(QPoint(0, 0)), m_question->size());
        // The frame (title bar and borders) counts as part of the window.
        const QMargins frame = frameGeometry().size() == size()
                                   ? QMargins()
                                   : QMargins(geometry().left() - frameGeometry().left(),
                                              geometry().top() - frameGeometry().top(),
                                              frameGeometry().right() - geometry().right(),
                                              frameGeometry().bottom() - geometry().bottom());
        const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
        const QRect place = placeClearOf(question, screen->availableGeometry(), kPreferred + extra,
                                         kMinimum + extra)
                                .marginsRemoved(frame);
        setFixedSize(place.size());
        setGeometry(place);
    }
    QDialog::showEvent(event);
    // The caller sets the hourglass before creating the window.
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    m_explanationView->setReadOnly(true);
    m_closeButton->setFocus();
}
