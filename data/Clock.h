// Today's date and the random generator, each with a seam that tests can set.
#pragma once

#include <QDate>
#include <QRandomGenerator>

namespace Clock {

// The local date, or the date a test has set.
QDate today();
// Makes today() answer with the given date until reset (an invalid date resets).
void setToday(const QDate &date);
void resetToday();

// The generator used for drawing papers; tests may seed it for repeatable draws.
QRandomGenerator &random();
void seedRandom(quint32 seed);

} // namespace Clock
