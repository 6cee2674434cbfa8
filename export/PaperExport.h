// A graded paper written out as a document: the questions grouped by kind under numbered
// headings, a page break, then the answer section with every question's correct answer,
// explanation and exam points. Saved as .docx under the user's documents folder.
#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;
class QTextDocument;

namespace PaperExport {

// "一、" .. "五、" for the first five kinds met in a paper, "--" after that.
QString sectionNumeral(int count);

// Fills document (expected empty) with the paper held in paperTable, ordered by kind and id as
// the exam window shows it. kindTable is the question-kind table of the current paper kind
// (tab_tx1 .. tab_tx5). Throws Db::DbError when a query fails.
void buildDocument(const QSqlDatabase &db, const QString &paperTable, const QString &title,
                   const QString &kindTable, QTextDocument &document);

// The folder exports go to: the program's own folder under the user's documents.
QString exportFolder();

// A file name for the paper in folder that names no existing file: the title (characters a file
// name cannot hold replaced) and ".docx", with " (2)", " (3)", ... added when taken.
QString freeFileName(const QString &folder, const QString &title);

// Builds and writes the document into folder (created user-only when missing) without ever
// replacing an existing file. Returns the path written; throws Db::DbError when reading the paper
// fails and std::runtime_error when the file cannot be written (nothing is left behind then).
QString exportPaper(const QSqlDatabase &db, const QString &paperTable, const QString &title,
                    const QString &kindTable, const QString &folder);

} // namespace PaperExport
