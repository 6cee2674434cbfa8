// The upgrade window: fixed size, centred on the desktop, the path of an upgrade file and the
// button that merges it into the study database.
#include "upgrade/UpgradeWindow.h"

#include "data/AppGlobals.h"
#include "data/StudyData.h"
#include "ui/Fonts.h"
#include "ui/ProgressWindow.h"
#include "ui/PromptDialog.h"
#include "ui/WindowParts.h"
#include "upgrade/UpgradeImport.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWarning = 1;
constexpr int kError = 2;
constexpr int kInformation = 0;

void prompt(const QString &caption, const QString &message, int icon)
{
    showPrompt(caption, message, 1, icon, u"NO"_s);
}

const QString kNothingChanged = u"学习数据库没有任何改动。"_s;

} // namespace

UpgradeWindow::UpgradeWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(u"UpgradeWindow"_s);
    setWindowTitle(u"题库升级"_s);
    setFont(Fonts::song(14));
    setFixedSize(305, 158);

    m_adviceLabel = new QLabel(u"建议先下载升级题库，然后选择本地升级！"_s, this);
    m_adviceLabel->setObjectName(u"adviceLabel"_s);
    m_adviceLabel->setGeometry(8, 6, 289, 20);

    m_upgradeKindGroup = new QGroupBox(u"选择升级方式"_s, this);
    m_upgradeKindGroup->setObjectName(u"upgradeKindGroup"_s);
    m_upgradeKindGroup->setGeometry(8, 28, 289, 50);
    m_localUpgrade = new QRadioButton(u"本地升级"_s, m_upgradeKindGroup);
    m_localUpgrade->setObjectName(u"localUpgrade"_s);
    m_localUpgrade->setGeometry(12, 22, 120, 22);

    m_pathEdit = new QLineEdit(this);
    m_pathEdit->setObjectName(u"pathEdit"_s);
    m_pathEdit->setAccessibleName(u"升级文件"_s);
    m_pathEdit->setGeometry(8, 86, 259, 26);

    m_browseButton = new QToolButton(this);
    m_browseButton->setObjectName(u"browseButton"_s);
    m_browseButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_browseButton->setText(u"选择升级文件"_s);
    m_browseButton->setToolTip(u"选择升级文件"_s);
    m_browseButton->setAccessibleName(u"选择升级文件"_s);
    m_browseButton->setFocusPolicy(Qt::StrongFocus);
    m_browseButton->setGeometry(271, 86, 26, 26);
    connect(m_browseButton, &QToolButton::clicked, this, &UpgradeWindow::chooseUpgradeFile);

    m_startButton = new QPushButton(u"开始升级"_s, this);
    m_startButton->setObjectName(u"startButton"_s);
    m_startButton->setGeometry(56, 122, 90, 28);
    m_startButton->setDefault(true);
    connect(m_startButton, &QPushButton::clicked, this, &UpgradeWindow::startUpgrade);

    m_closeButton = new QPushButton(u"关闭"_s, this);
    m_closeButton->setObjectName(u"closeButton"_s);
    m_closeButton->setGeometry(159, 122, 90, 28);
    m_closeButton->setAutoDefault(false);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_localUpgrade, m_pathEdit);
    setTabOrder(m_pathEdit, m_browseButton);
    setTabOrder(m_browseButton, m_startButton);
    setTabOrder(m_startButton, m_closeButton);

    WindowParts::centre(this);
}

UpgradeWindow::~UpgradeWindow()
{
    releaseUpgradeFile();
}

QString UpgradeWindow::fileFilter()
{
    return u"升级文件(*.mdb);;所有文件(*.*)"_s;
}

void UpgradeWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    selectLocalUpgrade();
}

void UpgradeWindow::selectLocalUpgrade()
{
    m_localUpgrade->setChecked(true);
    m_pathEdit->setFocus();
}

void UpgradeWindow::done(int result)
{
    releaseUpgradeFile();
    QDialog::done(result);
}

void UpgradeWindow::releaseUpgradeFile()
{
    if (studyData)
        UpgradeImport(*studyData).release();
}

void UpgradeWindow::chooseUpgradeFile()
{
    // Starts where the typed file is, else in the program folder, where upgrades are shipped.
    const QFileInfo typed(m_pathEdit->text().trimmed());
    const QString start = typed.isAbsolute() && typed.absoluteDir().exists() ? typed.absolutePath()
                                                                             : App::programFolder;
    QFileDialog dialog(this, u"选择升级文件"_s, start, fileFilter());
    dialog.setObjectName(u"upgradeFileDialog"_s);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        m_pathEdit->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

void UpgradeWindow::startUpgrade()
{
    if (!studyData)
        return;
    using Outcome = UpgradeImport::Outcome;
    UpgradeImport::Result r;
    {
        // Checking and appending a large file takes a while; the notice goes before the outcome
        // is told.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        std::optional<ProgressNotice> notice;
        if (!m_pathEdit->text().trimmed().isEmpty())
            notice.emplace(u"正在升级题库，请等待..."_s);
        r = UpgradeImport(*studyData).run(m_pathEdit->text());
        QApplication::restoreOverrideCursor();
    }
    if (!r.detail.isEmpty())
        qWarning("studyaid: upgrade: %s", qUtf8Printable(r.detail));

    switch (r.outcome) {
    case Outcome::EmptyPath:
        prompt(u"提示"_s, u"请点击文件夹按钮选择升级文件！"_s, kWarning);
        break;
    case Outcome::StudyDatabase:
        prompt(u"提示"_s, u"这是学习数据库本身，不是升级文件！\n"_s + kNothingChanged, kWarning);
        break;
    case Outcome::StudyDatabaseBackup:
        prompt(u"提示"_s, u"这是学习数据库的备份，不是升级文件！\n"_s + kNothingChanged, kWarning);
        break;
    case Outcome::CannotOpen:
        prompt(u"错误"_s, u"无法打开升级文件！"_s, kError);
        break;
    case Outcome::NoUpgradeTable:
        prompt(u"错误"_s, u"不是有效的升级文件（缺少升级标识）！\n"_s + kNothingChanged, kError);
        break;
    case Outcome::Unreadable:
        prompt(u"错误"_s, u"升级文件已损坏，无法读取！\n"_s + kNothingChanged, kError);
        break;
    case Outcome::ForeignProduct:
        prompt(u"提示"_s, u"升级文件不属于本软件！"_s, kWarning);
        break;
    case Outcome::AlreadyApplied:
        prompt(u"提示"_s, u"您已升级过了！"_s, kWarning);
        break;
    case Outcome::BackupFailed:
        prompt(u"错误"_s, u"无法备份学习数据库，没有升级！\n"_s + kNothingChanged, kError);
        break;
    case Outcome::Invalid:
    case Outcome::Failed:
        // The cause, then what it means for the candidate's data.
        prompt(u"提示"_s,
               u"升级失败！\n"_s + (r.reason.isEmpty() ? QString() : r.reason + u'\n') +
                   kNothingChanged,
               kError);
        break;
    case Outcome::Succeeded: {
        QString message = u"升级成功！\n新增试题 %1 道"_s.arg(r.questionsAdded);
        message += r.questionsKept > 0 ? u"，"_s : u"。"_s;
        if (r.questionsKept > 0)
            message += u"已有的 %1 道保持原样。"_s.arg(r.questionsKept);
        prompt(u"提示"_s, message, kInformation);
        break;
    }
    }
}
