// The subject and chapter browser: the syllabus chapters with their progress, the totals, and the
// start of chapter practice (new, wrong or done questions).
#pragma once

#include <QDialog>
#include <QList>
#include <QRect>
#include <QString>

class QLabel;
class QLCDNumber;
class ChapterGridModel;
class QTableView;
class QPushButton;
class QAbstractButton;

class ChapterBrowser : public QDialog
{
    Q_OBJECT

public:
    explicit ChapterBrowser(QWidget *parent = nullptr);
    ~ChapterBrowser() override;

    // Opens on the n-th subject of the syllabus (1-based, in display order) instead of the
    // first row: the menu's chapter-practice entries per subject.
    void startOnSubject(int n) { m_startSubject = n; }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void loadChapters();
    void refreshGrid();
    void showTotals();
    void applyLayout();
    void moveToChapter(const QString &code);
    QString currentCode() const;
    void currentRowChanged();
    // The sizes of the wrong and the done set of the selected row.
    void showSetCounts();
    // set: 0 new, 1 wrong, 2 done questions; caption: the starting control's caption.
    void startPractice(int set, bool doubleClicked, const QString &caption);
    void enterQuestions();
    void openSettings();
    void closeBrowser();

    ChapterGridModel *m_chapterModel = nullptr;
    QTableView *m_chapterGrid = nullptr;
    QPushButton *m_newQuestionsButton = nullptr;
    QPushButton *m_wrongQuestionsButton = nullptr;
    QPushButton *m_doneQuestionsButton = nullptr;
    QPushButton *m_settingsButton = nullptr;
    QPushButton *m_entryButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QLCDNumber *m_questionTotal = nullptr;
    QLCDNumber *m_answerTotal = nullptr;
    QLCDNumber *m_wrongTotal = nullptr;
    QLabel *m_scoreLabel = nullptr;
    QList<QLabel *> m_captions;        // captions of the totals in the remarks panel
    QLabel *m_setCountLabel = nullptr; // 错题 n 道 / 做过 m 道 of the selected row
    QLabel *m_hintLabel = nullptr;
    QString m_rememberedCode; // chapter last used to start practice
    int m_startSubject = 0;   // subject to open on until practice starts (0: first row)
    bool m_compact = false;
    int m_header = 44; // height of the title strip
    QRect m_gridRect;
    QRect m_panelRect;
};
