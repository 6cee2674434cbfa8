#include "data/Clock.h"

namespace {
QDate fixedToday;
QRandomGenerator generator(QRandomGenerator::global()->generate());
} // namespace

namespace Clock {

QDate today()
{
    return fixedToday.isValid() ? fixedToday : QDate::currentDate();
}

void setToday(const QDate &date)
{
    fixedToday = date;
}

void resetToday()
{
    fixedToday = QDate();
}

QRandomGenerator &random()
{
    return generator;
}

void seedRandom(quint32 seed)
{
    generator.seed(seed);
}

} // namespace Clock
