// A window of our own that shows an information page (htm/) when the desktop has no program
// to open it with: the page, its links within the program's pages, and a close button.
#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

class PageViewer : public QDialog
{
    Q_OBJECT

public:
    explicit PageViewer(const QUrl &page, QWidget *parent = nullptr);

    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser = nullptr;
};
