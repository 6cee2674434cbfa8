// Writes question-bank upgrade files: the rows that a set of JSON sources adds to a bank, with
// the row of tab_sj that names the upgrade; or a large synthetic upgrade for benchmarks.
#pragma once

#include "data/BankBuilder.h"

#include <QString>

namespace UpgradeBuilder {

// Writes an upgrade file at outPath (replacing it) holding the chapters, exam-point groups,
// exam points and questions that the sources in upgradeDir add to the bank built from the
// sources in baseDir, and one tab_sj row with the upgrade's sjbs and the bank's cpbs.
// Everything is checked as for the bank itself (the two are built together); besides, the
// upgrade must name the bank's product, carry an identifier of its own and no compound
// questions (stems are not part of an upgrade). The options apply to the bank with the
// upgrade. Returns false with a message on failure.
bool build(const QString &baseDir, const QString &upgradeDir, const QString &outPath,
           QString *error, const BankBuilder::Options &options = {});

// Writes an upgrade of `questions` questions for the synthetic bank: a new part with five
// sections and their exam points in each of its five subjects.
bool buildSynthetic(int questions, const QString &outPath, QString *error);

} // namespace UpgradeBuilder
