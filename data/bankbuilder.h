// Builds a study database from the readable JSON sources of a question bank, or a large
// synthetic bank for benchmarks.
#pragma once

#include <QString>

namespace BankBuilder {

// Builds a new database file at outPath (replacing it) from the JSON files in sourcesDir.
// Returns false with a message naming the file and entry at fault.
bool build(const QString &sourcesDir, const QString &outPath, QString *error);

// Builds a synthetic bank of `questions` questions over five subjects, with exam points,
// compound questions and consistent counters.
bool buildSynthetic(int questions, const QString &outPath, QString *error);

// A rich-text column value from a source text: HTML stays HTML, plain text becomes an HTML
// document whose paragraphs are split at blank lines.
QByteArray richText(const QString &source);

// Recomputes C3 of tab_kmmc and q of tab_rule and tab_fgmc from the questions' links, and
// resets every answer counter. Throws Db::DbError.
void recomputeCounters(const QString &connectionName);

} // namespace BankBuilder
