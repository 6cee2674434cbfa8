// The related exam points of a question: their titles, the text of the selected one and its
// chapter.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class QLabel;
class QListWidget;
class QPushButton;
class QSplitter;
class QTextBrowser;

class RelatedPointsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit RelatedPointsWindow(QWidget *parent = nullptr);

    // Collects the question's non-empty exam-point codes k3..k12 (NULL skipped); false when the
    // question has no row or no code. Throws Db::DbError when the query fails.
    bool loadCodes(const QString &questionId);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Lists the points of the collected codes and shows the first with its chapter.
    void loadPoints();
    // Shows the text and the chapter of the point in list row `row`.
    void showPoint(int row);
    // Closes this window; the question window that opened it shows again if it was hidden.
    void closeAndShowOwner();

    QStringList m_codes;     // the hidden code list, k3..k12 order
    QList<QVariant> m_texts; // full text (n) of each listed point
    QStringList m_ids;       // chapter id (tab_rule.id) of each listed point
    QLabel *m_chapterLabel = nullptr;
    QListWidget *m_pointList = nullptr;
    QTextBrowser *m_pointText = nullptr;
    QSplitter *m_splitter = nullptr;
    QPushButton *m_closeButton = nullptr;
    bool m_loaded = false;
};
