// Builds a study database from the readable JSON sources of a question bank, or a large
// synthetic bank for benchmarks.
#pragma once

#include <QString>

namespace BankBuilder {

// Checks beyond the form of the sources, for a bank that ships.
struct Options
{
    // Every question has an explanation and links at least one exam point.
    bool complete = false;
    // Every kind a paper draws is held at least this many times the paper's count (0: no check).
    int papers = 0;
};

// Builds a new database file at outPath (replacing it) from the JSON files in sourcesDir,
// checking every key and value of the sources. Returns false with a message naming the file
// and entry at fault; nothing is left at outPath then.
bool build(const QString &sourcesDir, const QString &outPath, QString *error,
           const Options &options = {});

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
