// The chapter practice window: works through the new, wrong or done questions of one chapter.
#pragma once

#include <QDialog>
#include <QPixmap>

class QAbstractButton;
class QLabel;
class QPushButton;
class TClockAnimation;
class TQuestionCore;
class TRunClock;

class TFrmLxxt : public QDialog
{
    Q_OBJECT

public:
    explicit TFrmLxxt(QWidget *parent = nullptr);
    ~TFrmLxxt() override;

    // Clears every run answer, opens App::practiceQuery as the question set and builds the kind
    // buttons; false when the set is empty. Throws Db::DbError when the database fails.
    bool PreparePracticeRun();

    TQuestionCore *core() const { return m_core; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void done(int result) override;

private:
    void FormShow();
    void applyLayout(bool compact);
    void FormClose();
    QPushButton *makeButton(const QString &name, const QString &caption);

    void epEfTrBtn4Click();  // 解析
    void epEfTrBtn5Click();  // 笔记
    void epEfTrBtn9Click();  // 考点
    void epEfTrBtn11Click(); // 修改本题
    void epEfTrBtn8Click();  // 设置
    void epEfTrBtn7Click();  // 桌面

    TQuestionCore *m_core = nullptr;
    TRunClock *m_clock = nullptr;
    TClockAnimation *m_animation = nullptr;
    QLabel *m_title = nullptr;
    QLabel *epLabel2 = nullptr;
    QLabel *m_clockLabel = nullptr;
    QPushButton *epEfTrBtn1 = nullptr;
    QPushButton *epEfTrBtn2 = nullptr;
    QPushButton *epEfTrBtn3 = nullptr;
    QPushButton *epEfTrBtn4 = nullptr;
    QPushButton *epEfTrBtn5 = nullptr;
    QPushButton *epEfTrBtn6 = nullptr;
    QPushButton *epEfTrBtn7 = nullptr;
    QPushButton *epEfTrBtn8 = nullptr;
    QPushButton *epEfTrBtn9 = nullptr;
    QPushButton *epEfTrBtn10 = nullptr;
    QPushButton *epEfTrBtn11 = nullptr;
    QPushButton *epEfTrBtn99 = nullptr;
    QPushButton *FlatSpeedButton1 = nullptr;
    QPushButton *FlatSpeedButton2 = nullptr;
    QPixmap m_background;
    bool m_compact = false;
    bool m_shown = false;
    bool m_closed = false;
};
