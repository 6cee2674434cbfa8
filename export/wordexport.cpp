#include "export/wordexport.h"

#include "app/Uprogress.h"
#include "data/appglobals.h"
#include "data/database.h"
#include "data/dm.h"
#include "export/paperexport.h"
#include "ui/msgbox.h"

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

QString ExportPaperToWord(QWidget *parent, const QString &paperTable, const QString &title)
{
    QString path;
    try {
        ProgressNotice notice(u"正在导出试卷，请等待..."_s);
        if (!DM1 || !DM1->connected())
            throw std::runtime_error("no study database");
        const QString folder =
            folderOverride().isEmpty() ? PaperExport::exportFolder() : folderOverride();
        path = PaperExport::exportPaper(DM1->ADOCn1(), paperTable, title,
                                        App::kindTableName(App::paperKind()), folder);
    } catch (const std::exception &) {
        SystemMessageBox(parent, u"警告"_s, u"导出试题发生错误，请退出后重试！"_s,
                         QMessageBox::Warning);
        return {};
    }
    if (!openDocument(path)) {
        SystemMessageBox(parent, u"提示"_s,
                         u"试卷已保存为文档：\n"_s + QDir::toNativeSeparators(path) +
                             u"\n\n本机没有打开这种文档的程序，请用 WPS、Word 或 LibreOffice 打开它。"_s,
                         QMessageBox::Information);
    }
    return path;
}
