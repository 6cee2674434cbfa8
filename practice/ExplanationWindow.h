// The explanation window: a question's explanation, read-only.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QVariant>

class QLabel;
class QPlainTextEdit;
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
    // Shows the candidate's own answer above the explanation under "我的答案："; an empty text
    // shows nothing.
    void showOwnAnswer(const QString &text);
    // Opens beside or below `question` (the question's text in the window underneath) rather
    // than over it, so the question can be read with its explanation.
    void keepClearOf(QWidget *question) { m_question = question; }
    // Where a window of `preferred` size goes on `available` without covering `question`: to
    // the right, below, to the left or above, the first side with room for `minimum`, shrunk to
    // the room there; without room anywhere, at the bottom of `available` at `minimum` height.
    static QRect placeClearOf(const QRect &question, const QRect &available, const QSize &preferred,
                              const QSize &minimum);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QTextBrowser *m_explanationView = nullptr;
    QLabel *m_ownAnswerCaption = nullptr;
    QPlainTextEdit *m_ownAnswerView = nullptr;
    QPushButton *m_closeButton = nullptr;
    QPointer<QWidget> m_question;
};
