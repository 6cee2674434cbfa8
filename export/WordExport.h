// The 生成文档 action of a reviewed paper: the paper written out as a .docx document under the
// user's documents folder, then opened with the desktop's default handler.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// Opens a written document; returns false when the desktop has no handler for it.
using DocumentOpener = std::function<bool(const QString &path)>;
// Replaces how documents are opened (tests record the path instead); an empty opener restores
// the desktop's default handler. The export folder can be replaced the same way.
void setDocumentOpener(DocumentOpener opener);
void setExportFolder(const QString &folder);

// Writes the paper held in paperTable, titled title, with the current paper kind's question-kind
// table; tells the candidate where the document is. On failure: "导出试题发生错误，请退出后重试！"
// and nothing is left behind. Returns the path written, or an empty text on failure.
QString exportPaperToWord(QWidget *parent, const QString &paperTable, const QString &title);
