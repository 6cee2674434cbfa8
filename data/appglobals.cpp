#include "data/appglobals.h"

#include "data/database.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

using namespace Qt::StringLiterals;

namespace App {

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
    return i >= 0 && i < intervals.size() ? intervals.at(i) : 600;
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
        loaded.intervals.append(answerInterval(q.value(u"time"_s).toDouble()));
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
