// The detail panel of the exam-point catalogue: the point list of one chapter, the full text of
// the selected point and its statistics line. It lives inside the catalogue window's body.
#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QSplitter;
class QTextBrowser;

class PointDetailView : public QWidget
{
    Q_OBJECT

public:
    explicit PointDetailView(QWidget *parent = nullptr);

    // The point list back at its first width (388); called once the panel has its size.
    void resetSplit();

    QListWidget *m_pointList = nullptr;
    QTextBrowser *m_pointText = nullptr; // text of the current point
    QLabel *m_statisticsLine = nullptr;

private:
    QSplitter *m_splitter = nullptr;
};
