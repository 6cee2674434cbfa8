#include "data/AppGlobals.h"

#include "data/Database.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace App {

namespace {
// A day per step is more than any answer time; it keeps the interval an int for the timer.
constexpr int kLongestInterval = 24 * 60 * 60 * 1000;
} // namespace

QString programFolder;
QString displayMode = u"1024"_s;
int currentPaperKind = 0;
int settingsVariant = 0;
QString practiceQuery;
QString currentChapterKey;
bool notePresentFlag = false;
AnswerTimeTable answerTimeTable;
QString currentMusicFile;

int AnswerTimeTable::intervalFor(int kind) const
{
    const qsizetype i = kinds.indexOf(kind);
    return i >= 0 && i < intervals.size() && intervals.at(i) > 0 ? intervals.at(i) : 600;
}

int answerInterval(double minutes)
{
    // time is a decimal with one place; the small epsilon keeps 0.3 * 600 at 180.
    return static_cast<int>(std::trunc(minutes * 600.0 + 1e-7));
}

int paperKind()
{
    return currentPaperKind == 0 ? 1 : currentPaperKind;
}

QString kindTableName(int paperKind)
{
    return u"tab_tx"_s + QString::number(paperKind);
}

void loadAnswerTimeTable(const QSqlDatabase &db, int paperKind, AnswerTimeTable &table)
{
    QSqlQuery q = Db::query(db, u"select * from "_s + kindTableName(paperKind));
    AnswerTimeTable loaded;
    while (q.next()) {
        // time is a decimal with one place; the small epsilon keeps 0.3 * 600 at 180.
        bool ok = false;
        const QVariant time = q.value(u"time"_s);
        const double minutes = time.isNull() ? 0.0 : time.toDouble(&ok);
        const double interval = std::trunc(minutes * 600.0 + 1e-7);
        // A time that is not a positive number (0, NULL, text) counts as missing: an interval
        // of 0 would time out every question at once.
        if (!ok || !std::isfinite(interval) || interval < 1.0)
            continue;
        loaded.intervals.append(static_cast<int>(std::min(interval, double(kLongestInterval))));
        loaded.kinds.append(q.value(u"A1"_s).toInt());
    }
    if (!loaded.kinds.isEmpty())
        table = loaded;
}

QString displayModeFor(int screenWidth, int screenHeight)
{
    return screenWidth == 800 || screenHeight == 600 ? u"800"_s : u"1024"_s;
}

} // namespace App
