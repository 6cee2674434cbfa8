// A window of our own that shows an information page when the desktop cannot open it.
#include "ui/PageViewer.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PageViewer::PageViewer(const QUrl &page, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"PageViewer"_s);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(u"browser"_s);
    // Links between the program's pages and to anchors open here; others are left to the
    // desktop.
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);
    auto *close = new QPushButton(u"关 闭"_s, this);
    close->setObjectName(u"closeButton"_s);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_browser);
    layout->addLayout(buttons);

    const QString file = page.toLocalFile();
    if (QFileInfo::exists(file)) {
        m_browser->setSource(page);
    } else {
        m_browser->setHtml(u"<p>找不到页面文件：%1</p>"_s.arg(file.toHtmlEscaped()));
    }
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? QFileInfo(file).completeBaseName() : title);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        if (!m_browser->documentTitle().isEmpty())
            setWindowTitle(m_browser->documentTitle());
    });
    // As the desktop would open it: maximised.
    resize(900, 680);
    setWindowState(Qt::WindowMaximized);
    m_browser->setFocus();
}
