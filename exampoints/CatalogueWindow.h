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
    const QStringList &rowIds() const { return m_model->rowIds(); }
    // The key-point threshold of the chapter opened last.
    int keyPointThreshold() const { return m_threshold; }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void applyLayout();
    // Reads the catalogue into the grid; a failure is reported and leaves the grid as it was.
    void loadCatalogue();
    void setCatalogueView(bool catalogue);
    int selectedRow() const;
    void selectRow(int row);

    void m_btnFindClick();
    void m_btnSelectClick();
    void m_btnMostClick();
    void m_btnQuestionClick();
    void m_btnBackClick();
    void m_btnExitClick();
    // The selected point becomes current: its text, statistics line and the practise button.
    void pointClick();
    // Fills the point list from the points passing the filter and selects the first entry.
    void fillPointList(int select = 0);
    // Reads the chapter's points again (after practice), keeping filter and selection.
    void refreshPoints();

    PointCatalogue::CatalogueModel *m_model = nullptr;
    PointCatalogue::PointSet m_queryDetail;
    QPointer<PointDetailView> m_detail;

    QWidget *m_pTiltel = nullptr;
    QLabel *m_Ltiltle = nullptr;
    QWidget *m_pMuLu = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_editFind = nullptr;
    QPushButton *m_btnFind = nullptr;
    QPushButton *m_btnSelect = nullptr;
    QPushButton *m_btnMost = nullptr;
    QPushButton *m_btnQuestion = nullptr;
    QPushButton *m_btnBack = nullptr;
    QPushButton *m_btnExit = nullptr;
    QLabel *m_hint = nullptr;

    QString m_chapterId;   // id of the opened chapter, trimmed
    int m_threshold = 1;   // key-point threshold of the opened chapter
    int m_keyPoints = 0;   // 0 all points listed, 1 key points only
    bool m_compact = false;
    bool m_shown = false;
};
