// The explanation window: a question's explanation, read-only.
#pragma once

#include <QDialog>
#include <QVariant>

class QPushButton;
class QTextBrowser;

class ExplanationWindow : public QDialog
{
    Q_OBJECT

public:
    explicit ExplanationWindow(QWidget *parent = nullptr);

    // Shows the explanation column's value: UTF-8 HTML bytes, plain text, or null (empty viewer).
    // Anything that cannot be read leaves the viewer empty.
    void bind(const QVariant &richText);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QTextBrowser *m_explanationView = nullptr;
    QPushButton *m_closeButton = nullptr;
};
