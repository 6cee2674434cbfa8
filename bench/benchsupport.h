// Shared set-up of the benchmarks: the 100,000-question synthetic bank, built once on demand.
#pragma once

#include <QString>

namespace benchsupport {

// Path of the synthetic bank with `questions` questions, built with mkbank when missing.
QString syntheticBank(int questions = 100000);
// Path of an upgrade of `questions` questions for the synthetic bank, written when missing.
QString syntheticUpgrade(int questions = 50000);
// A fresh working copy of a database in a temporary folder that lives until the process ends.
QString workingCopy(const QString &database, const QString &name);

} // namespace benchsupport
