#include "practice/ExplanationWindow.h"

#include "ui/Fonts.h"
#include "ui/RichText.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

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
    layout->addWidget(m_explanationView, 1);
    layout->addLayout(buttons);
    setFixedSize(560, 400);
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

void ExplanationWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The caller sets the hourglass before creating the window.
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    m_explanationView->setReadOnly(true);
    m_closeButton->setFocus();
}
