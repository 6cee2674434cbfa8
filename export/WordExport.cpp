#include "export/WordExport.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "export/PaperExport.h"
#include "ui/MessageBox.h"
#include "ui/ProgressWindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

DocumentOpener &opener()
{
    static DocumentOpener instance;
    return instance;
}

QString &folderOverride()
{
    static QString folder;
    return folder;
}

bool openDocument(const QString &path)
{
    if (opener())
        return opener()(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace

void setDocumentOpener(DocumentOpener documentOpener)
{
    opener() = std::move(documentOpener);
}

void setExportFolder(const QString &folder)
{
    folderOverride() = folder;
}

QString exportPaperToWord(QWidget *parent, const QString &paperTable, const QString &title)
{
    QString path;
    try {
        ProgressNotice notice(u"正在导出试卷，请等待..."_s);
        if (!studyData || !studyData->connected())
            throw std::runtime_error("no study database");
        const QString folder =
            folderOverride().isEmpty() ? PaperExport::exportFolder() : folderOverride();
        path = PaperExport::exportPaper(studyData->connection(), paperTable, title,
                                        App::kindTableName(App::paperKind()), folder);
    } catch (const std::exception &) {
        showMessageBox(parent, u"警告"_s, u"导出试题发生错误，请退出后重试！"_s,
                       QMessageBox::Warning);
        return {};
    }
    if (!openDocument(path)) {
        showMessageBox(
            parent, u"提示"_s,
            u"试卷已保存为文档：\n"_s + QDir::toNativeSeparators(path) +
                u"\n\n本机没有打开这种文档的程序，请用 WPS、Word 或 LibreOffice 打开它。"_s,
            QMessageBox::Information);
    }
    return path;
}
