// The exam-point picker: choose a group, tick its points to link them to the question being
// entered or edited; a second page explains how questions are entered.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QStackedWidget;

class PointPicker : public QDialog
{
    Q_OBJECT

public:
    enum Page { PickPage = 0, UsagePage = 1 };

    explicit PointPicker(QWidget *parent = nullptr);

    // Set before showing.
    void setPage(int page);
    // The codes the question links now (the caller's hidden code list): they show ticked when
    // their group is chosen.
    void setLinkedCodes(const QStringList &codes) { m_linkedCodes = codes; }
    // The number of points the question links now; with the ticked ones it must stay below 8.
    void setLinkedCount(int count) { m_linkedCount = count; }

    struct Picked
    {
        QString code;
        QString title;
    };
    // After OK: the points ticked by the user, in list order (pre-ticked ones are not among them
    // unless unticked and ticked again).
    QList<Picked> pickedPoints() const;
    // The chosen group's name.
    QString groupName() const;

    // The usage text of the second page.
    static QString usageText();

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void FormShow();
    void loadPoints(int groupIndex, bool preTick);
    void ComboBox1Change(int index);
    void CheckListBox1ClickCheck(QListWidgetItem *item);
    void BtnOkClick();

    QStackedWidget *Notebook1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QListWidget *CheckListBox1 = nullptr;
    QListWidget *CheckListBox2 = nullptr;
    QPushButton *BtnOk = nullptr;
    QPushButton *BtnClose = nullptr;
    QPushButton *BtnClose2 = nullptr;
    int m_page = PickPage;
    QStringList m_linkedCodes;
    int m_linkedCount = 0;
    bool m_loading = false;
    bool m_shown = false;
};
