#include "practice/ExplanationWindow.h"

#include "ui/RichText.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ExplanationWindow::ExplanationWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FrmJx"_s);
    setWindowTitle(u"解析"_s);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(Fonts::song(14));

    Re = new QTextBrowser(this);
    Re->setObjectName(u"Re"_s);
    Re->setReadOnly(true);
    Re->setOpenLinks(false);
    Re->setFont(Fonts::song(16));
    Re->setAccessibleName(u"解析"_s);

    btnClose = new QPushButton(u"关闭"_s, this);
    btnClose->setObjectName(u"btnClose"_s);
    btnClose->setFont(Fonts::sans(14));
    btnClose->setMinimumSize(96, 30);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(Re, 1);
    layout->addLayout(buttons);
    setFixedSize(560, 400);
}

void ExplanationWindow::bind(const QVariant &richText)
{
    // A value that cannot be shown leaves the viewer empty.
    try {
        RichText::show(Re, richText);
    } catch (...) {
        Re->clear();
    }
}

void ExplanationWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The caller sets the hourglass before creating the window.
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    Re->setReadOnly(true);
    btnClose->setFocus();
}
