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
    enum Page
    {
        PickPage = 0,
        UsagePage = 1
    };

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
    // On the first showing of the pick page: the groups, and the first group's points unticked.
    void loadGroups();
    // The group's points with their hidden codes; preTick ticks those the question links.
    void loadPoints(int groupIndex, bool preTick);
    void chooseGroup(int index);
    // A tick in the visible list is copied to the hidden code list.
    void copyTick(QListWidgetItem *item);
    // "确定": accepts when something is ticked and the limit is kept, else says why not.
    void confirmPicks();

    QStackedWidget *m_pages = nullptr;
    QComboBox *m_groupBox = nullptr;
    QComboBox *m_groupIdBox = nullptr; // hidden: the id of each group
    QListWidget *m_pointChecklist = nullptr;
    QListWidget *m_codeChecklist = nullptr; // hidden: the code of each point
    QPushButton *m_okButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QPushButton *m_usageCloseButton = nullptr;
    int m_page = PickPage;
    QStringList m_linkedCodes;
    int m_linkedCount = 0;
    bool m_loading = false;
    bool m_shown = false;
};
