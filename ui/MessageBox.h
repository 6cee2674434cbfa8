// The system message box, as every window shows it (interceptable by tests).
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Shows a modal message box with the caption, text, icon and buttons; returns the button pressed.
QMessageBox::StandardButton showMessageBox(QWidget *parent, const QString &caption,
                                           const QString &text, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok);
