// Writes a QTextDocument as a word-processor document (.docx, Office Open XML) that WPS, Word and
// LibreOffice open with its formatting: the East Asian font attributes are set on every run, so
// bold, italic, size and font reach Chinese text too.
#pragma once

#include <QString>

class QTextDocument;

namespace Docx {

// Writes the document to path (created or replaced). Paragraphs with their alignment, indents
// and page breaks; runs with font, bold, italic, underline, strike-out, size, colour and
// sub/superscript; line breaks and tabs; tables; pictures the document can resolve. Returns false
// with a reason in *error (English, for the log; never shown to the candidate) when writing fails.
bool write(const QTextDocument &document, const QString &path, const QString &title,
           QString *error = nullptr);

} // namespace Docx
