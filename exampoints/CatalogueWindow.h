// The exam-point catalogue: the groups and chapters with their progress, the exam points of one
// chapter with the text and statistics of each, the key-point filter, and the start of practice
// on the questions linked to one point.
#pragma once

#include "exampoints/PointCatalogue.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class PointDetailView;

class CatalogueWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CatalogueWindow(QWidget *parent = nullptr);
    ~CatalogueWindow() override;

    // The row id list: the tab_fgmc id of every grid row, in row order.
    const QStringList &rowIds() const { return m_catalogueModel->rowIds(); }
    // The key-point threshold of the chapter opened last.
    int keyPointThreshold() const { return m_keyPointThreshold; }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // On the first showing: the layout of the display mode, the first row selected, the grid
    // focused.
    void focusCatalogue();
    void applyLayout();
    // Reads the catalogue into the grid; a failure is reported and leaves the grid as it was.
    void loadCatalogue();
    void setCatalogueView(bool catalogue);
    int selectedRow() const;
    void selectRow(int row);

    // Goes to the next match of the find box's text (the first after a new text): a catalogue
    // row is selected, an exam point's chapter is opened with the point selected; the status
    // line tells which match it is, or that there is none.
    void findNext();
    void showFindHit(const PointCatalogue::FindHit &hit);
    // Selects the point of the opened chapter, clearing the key-point filter if it hides it.
    void selectPoint(const QString &code);
    // Opens the selected chapter's points in the detail view; a group cannot be opened.
    void openChapter();
    // Lists the key points only, or all points again.
    void toggleKeyPoints();
    // Practises the questions linked to the selected point, this window hidden meanwhile.
    void practisePoint();
    // Leaves the detail view for the catalogue, read afresh, on the opened row.
    void backToCatalogue();
    void exitCatalogue();
    // The selected point becomes current: its text, statistics line and the practise button.
    void showCurrentPoint();
    // Fills the point list from the points passing the filter and selects the first entry.
    void fillPointList(int select = 0);
    // Reads the chapter's points again (after practice), keeping filter and selection.
    void refreshPoints();

    PointCatalogue::CatalogueModel *m_catalogueModel = nullptr;
    PointCatalogue::PointSet m_points;
    QPointer<PointDetailView> m_detail;

    QWidget *m_titleBar = nullptr;
    QLabel *m_titleLabel = nullptr;
    QWidget *m_catalogueBody = nullptr;
    QTableView *m_catalogueGrid = nullptr;
    QLineEdit *m_findEdit = nullptr;
    QPushButton *m_findButton = nullptr;
    QPushButton *m_openButton = nullptr;
    QPushButton *m_keyPointsButton = nullptr;
    QPushButton *m_practiseButton = nullptr;
    QPushButton *m_backButton = nullptr;
    QPushButton *m_exitButton = nullptr;
    QLabel *m_catalogueHint = nullptr;

    QString m_findText; // the text m_findHits were found for
    QList<PointCatalogue::FindHit> m_findHits;
    int m_findIndex = -1;         // the match shown last
    QString m_chapterId;          // id of the opened chapter, trimmed
    int m_keyPointThreshold = 1;  // key-point threshold of the opened chapter
    bool m_keyPointsOnly = false; // the point list shows key points only
    bool m_compact = false;
    bool m_shown = false;
};
