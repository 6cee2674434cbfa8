// The related exam points of a question: their titles, the text of the selected one and its chapter.
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
    bool LoadCodes(const QString &a1);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void loadPoints();
    void ListBox1Click(int row);
    void epEfTrBtn1Click();

    QStringList m_codes;           // the hidden code list, k3..k12 order
    QList<QVariant> m_texts;       // n of each result row
    QStringList m_ids;             // id of each result row
    QLabel *epLabel1 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QTextBrowser *Re = nullptr;
    QSplitter *splitter = nullptr;
    QPushButton *epEfTrBtn1 = nullptr;
    bool m_loaded = false;
};
