#include "data/StudyData.h"

#include "data/AppGlobals.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/PrivateFiles.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <sqlite3.h>
#include <stdexcept>
#include <unistd.h>

using namespace Qt::StringLiterals;

StudyData *studyData = nullptr;

namespace {

const QString kStudyConnection = u"connection"_s;
const QString kUpgradeConnection = u"upgradeConnection"_s;

// score_text(total, wrong): the score of a day or chapter, formatted like scoreText, so that
// texts written in SQL and in C++ agree to the last digit.
void scoreTextFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const qint64 total = sqlite3_value_int64(argv[0]);
    const qint64 wrong = sqlite3_value_int64(argv[1]);
    const QByteArray text = StudyData::scoreText(total, wrong).toUtf8();
    sqlite3_result_text(ctx, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void registerFunctions(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    auto *raw = *static_cast<sqlite3 *const *>(handle.data());
    if (raw)
        sqlite3_create_function_v2(raw, "score_text", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                   nullptr, scoreTextFunction, nullptr, nullptr, nullptr);
}

// Only the owner may read the study database and its WAL files, and enter its folder. SQLite
// gives the WAL files the database file's mode, so new ones follow. Modes are set only on a file
// or folder of the user's own, never through a link: files of another user are left alone
// (opening them read-only is refused anyway).
void keepUserOnly(const QString &databasePath)
{
    PrivateFiles::restrictFolder(QFileInfo(databasePath).absolutePath());
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s})
        PrivateFiles::restrictFile(databasePath + suffix);
}

} // namespace

StudyData::StudyData(QObject *parent) : QObject(parent), m_kindTable(App::kindTableName(1)) {}

StudyData::~StudyData()
{
    close();
}

bool StudyData::openInProgramFolder(const QString &programFolder)
{
    QString folder = QDir::fromNativeSeparators(programFolder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return openInProgramFolder(folder, folder + u"data/WTXVEB710448.mdb"_s);
}

bool StudyData::openInProgramFolder(const QString &programFolder, const QString &databasePath,
                                    QuickCheck check)
{
    QString folder = QDir::fromNativeSeparators(programFolder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    App::programFolder = folder;
    return openDatabase(databasePath, check);
}

bool StudyData::openDatabase(const QString &path, QuickCheck check)
{
    close();
    // A link, a device or a pipe under the database's name is neither opened nor changed.
    const PrivateFiles::Kind kind = PrivateFiles::kindOf(path);
    if (kind != PrivateFiles::Kind::File && kind != PrivateFiles::Kind::Missing) {
        m_openFailure = Db::OpenFailure::NotAFile;
        m_lastError = u"not a regular file: "_s + path;
        return false;
    }
    keepUserOnly(path);
    Db::OpenRequirements requirements;
    requirements.tables = Schema::requiredColumns();
    requirements.quickCheck = check == QuickCheck::AtOpen;
    requirements.writable = true;
    // A file whose quick check is still to come is not switched to WAL yet: its header stays as
    // it lies until it has passed.
    requirements.walLater = check == QuickCheck::Later;
    m_connected = Db::open(kStudyConnection, path, requirements, &m_lastError, &m_openFailure);
    if (!m_connected)
        return false;
    registerFunctions(connection());
    m_checkPending = check == QuickCheck::Later;
    if (!m_checkPending)
        addMissingIndexes();
    return true;
}

bool StudyData::checkDatabase()
{
    if (!m_connected)
        return false;
    if (!m_checkPending)
        return true;
    try {
        const QString verdict = Db::scalar(connection(), u"PRAGMA quick_check(1)"_s).toString();
        if (verdict != u"ok"_s) {
            m_openFailure = Db::OpenFailure::Damaged;
            m_lastError = u"quick_check: "_s + verdict;
            return false;
        }
        Db::switchToWal(connection());
    } catch (const Db::DbError &e) {
        m_openFailure =
            e.failure() == Db::Failure::Busy ? Db::OpenFailure::InUse : Db::OpenFailure::Damaged;
        m_lastError = e.message();
        return false;
    }
    m_checkPending = false;
    // The check read every page into the connection's cache: given back, it serves what the
    // windows read later.
    Db::releaseMemory(connection());
    addMissingIndexes();
    return true;
}

void StudyData::addMissingIndexes()
{
    // A database made before an index existed gains it here. Without it the queries still give
    // the same answers, only slower, so a failure here does not stop the database opening.
    try {
        Schema::createIndexes(connection());
    } catch (const Db::DbError &) {
    }
    // Without its own tables the program still runs; saving into one then reports.
    try {
        Schema::createOwnTables(connection());
    } catch (const Db::DbError &) {
    }
}

QString StudyData::ownAnswer(const QString &questionId)
{
    return Db::scalar(connection(), u"select answer from tab_own_answer where A1=?"_s, {questionId})
        .toString();
}

void StudyData::saveOwnAnswer(const QString &questionId, const QString &text)
{
    const QSqlDatabase db = connection();
    Db::Transaction tx(db);
    if (text.isEmpty())
        Db::exec(db, u"delete from tab_own_answer where A1=?"_s, {questionId});
    else
        Db::exec(db,
                 u"insert into tab_own_answer (A1,answer,saved) values (?,?,?) "
                 u"on conflict(A1) do update set answer=excluded.answer,saved=excluded.saved"_s,
                 {questionId, text, dateText(Clock::today())});
    tx.commit();
}

void StudyData::close()
{
    Db::close(kUpgradeConnection);
    Db::close(kStudyConnection);
    m_connected = false;
    m_checkPending = false;
}

QSqlDatabase StudyData::connection() const
{
    return QSqlDatabase::database(kStudyConnection, false);
}

bool StudyData::openSecondConnection(const QString &path, QString *error)
{
    return Db::openReadOnly(kUpgradeConnection, path, {}, error);
}

QSqlDatabase StudyData::upgradeConnection() const
{
    return QSqlDatabase::database(kUpgradeConnection, false);
}

void StudyData::closeSecondConnection()
{
    Db::close(kUpgradeConnection);
}

void StudyData::setCurrentChapterKey(const QString &chapterKey)
{
    App::currentChapterKey = chapterKey;
}

void StudyData::useKindTable(int paperKind)
{
    m_kindTable = App::kindTableName(paperKind);
}

QString StudyData::dateText(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

void StudyData::recordDailyAnswer(int dayState, int result, int previousResult)
{
    const int wrong = result == 2 ? 1 : 0;
    // The change of the day's wrong questions (B2): the question's latest answer of the day
    // decides whether it is one.
    int wrongQuestions = 0;
    if (dayState == 2)
        wrongQuestions = wrong;
    else if (dayState == 1 && previousResult == 1 && result == 2)
        wrongQuestions = 1;
    else if (dayState == 1 && previousResult == 2 && result == 1)
        wrongQuestions = -1;
    // The day's row is appended by the first answer of the day, else its counters move: A2
    // answers, A3 wrong answers, B1 questions answered. B2 stays between 0 and the day's B1,
    // whatever the row held before.
    const int newQuestion = dayState == 2 ? 1 : 0;
    Db::write(
        connection(),
        u"INSERT INTO tab_rz (A1,A2,A3,B1,B2) VALUES (?,1,?,1,?) ON CONFLICT(A1) DO UPDATE SET "
        u"A2=coalesce(A2,0)+1,A3=coalesce(A3,0)+?,B1=coalesce(B1,0)+?,"
        u"B2=max(0,min(coalesce(B1,0)+?,coalesce(B2,0)+?))"_s,
        {dateText(Clock::today()), wrong, wrong, wrong, newQuestion, newQuestion, wrongQuestions});
}

void StudyData::recordChapterAnswer(const QString &chapterCode, int firstTime, int result)
{
    // The chapter's own row and the rows of every shorter prefix that exists: C4 questions
    // answered at least once, D1 answers, D2 wrong answers.
    QVariantList values{firstTime == 2 ? 1 : 0, result == 2 ? 1 : 0, chapterCode};
    QString marks = u"?"_s;
    for (qsizetype len = chapterCode.size() - 1; len >= 1; --len) {
        values.append(chapterCode.left(len));
        marks += u",?"_s;
    }
    Db::write(connection(),
              u"UPDATE tab_kmmc SET C4=coalesce(C4,0)+?,D1=coalesce(D1,0)+1,"
              u"D2=coalesce(D2,0)+? WHERE C1 IN ("_s +
                  marks + u')',
              values);
}

void StudyData::recordExamPointAnswer(const QString &pointList, const QString &chapterList,
                                      const QString &groupList, int firstTime, int result)
{
    // One statement per table and list: a chapter or group holding several of the question's
    // points is counted once per answer. q2 answers, q1 questions answered at least once, q4
    // wrong answers.
    const QSqlDatabase db = connection();
    Db::Transaction tx(db);
    const QVariantList values{firstTime == 2 ? 1 : 0, result == 2 ? 1 : 0};
    const QString set = u" set q2=coalesce(q2,0)+1,q1=coalesce(q1,0)+?,q4=coalesce(q4,0)+?"_s;
    Db::exec(db, u"update tab_rule"_s + set + u" where ftid in "_s + pointList, values);
    Db::exec(db, u"update tab_fgmc"_s + set + u" where id in "_s + chapterList, values);
    Db::exec(db, u"update tab_fgmc"_s + set + u" where id in "_s + groupList, values);
    tx.commit();
}

void StudyData::recordExamPointAnswer(const QStringList &codes, int firstTime, int result)
{
    QVariantList points, chapters, groups;
    for (const QString &code : codes) {
        if (code.isEmpty())
            break;
        points.append(code);
        chapters.append(code.left(6));
        groups.append(code.left(2));
    }
    if (points.isEmpty())
        return;
    const QSqlDatabase db = connection();
    Db::Transaction tx(db);
    const QString set = u" set q2=coalesce(q2,0)+1,q1=coalesce(q1,0)+?,q4=coalesce(q4,0)+?"_s;
    const QVariantList increments{firstTime == 2 ? 1 : 0, result == 2 ? 1 : 0};
    const QString marks = u"?"_s + u",?"_s.repeated(points.size() - 1);
    const std::pair<QString, const QVariantList *> updates[] = {
        {u"update tab_rule"_s + set + u" where ftid in ("_s + marks + u')', &points},
        {u"update tab_fgmc"_s + set + u" where id in ("_s + marks + u')', &chapters},
        {u"update tab_fgmc"_s + set + u" where id in ("_s + marks + u')', &groups},
    };
    for (const auto &[sql, values] : updates)
        Db::write(db, sql, increments + *values);
    tx.commit();
}

void StudyData::addStudyTime(const QString &elapsed)
{
    const QSqlDatabase db = connection();
    Db::Transaction tx(db);
    const QString today = dateText(Clock::today());
    QSqlQuery day = Db::query(db, u"select A2,A3,D1 from tab_rz where A1=?"_s, {today});
    if (day.next()) {
        // The day's score (A4) from its answers and wrong answers; its study time (D1) grows.
        const QString score = scoreText(day.value(0).toLongLong(), day.value(1).toLongLong());
        const qint64 total =
            timeTextToSeconds(day.value(2).toString()) + timeTextToSeconds(elapsed);
        day.finish();
        Db::exec(db, u"update tab_rz set A4=?,D1=? where A1=?"_s,
                 {score, secondsToTimeText(total), today});
    }
    // Every chapter's overall score (C6) from its answers (D1) and wrong answers (D2).
    Db::exec(db, u"update tab_kmmc set C6=score_text(coalesce(D1,0),coalesce(D2,0))"_s);
    tx.commit();
}

qint64 StudyData::timeTextToSeconds(const QString &text)
{
    const QStringList parts = text.split(u':');
    const qsizetype colons = parts.size() - 1;
    auto number = [](const QString &part) {
        bool ok = false;
        const qint64 n = part.trimmed().toLongLong(&ok);
        if (!ok)
            throw std::invalid_argument("'" + part.toStdString() +
                                        "' is not a valid integer value");
        return n;
    };
    qint64 seconds = 0;
    if (colons >= 1)
        seconds += number(parts.at(0)) * 3600;
    if (colons >= 2)
        seconds += number(parts.at(1)) * 60;
    if (colons == 2)
        seconds += number(parts.at(2).left(2));
    return seconds;
}

QString StudyData::secondsToTimeText(qint64 seconds)
{
    auto two = [](qint64 n) { return QString::number(n).rightJustified(2, u'0'); };
    return two(seconds / 3600) + u':' + two(seconds % 3600 / 60) + u':' + two(seconds % 60);
}

QString StudyData::scoreText(qint64 total, qint64 wrong)
{
    if (total <= 0)
        return u"0"_s;
    return QString::asprintf("%2.2f", double(total - wrong) / double(total) * 100.0);
}

int StudyData::totalPaperScore()
{
    QSqlQuery q = Db::query(connection(), u"select B2,B3 from "_s + Db::sqlIdentifier(m_kindTable));
    int total = 0;
    while (q.next())
        total += q.value(0).toInt() * qRound(q.value(1).toDouble());
    return total;
}

int StudyData::answerPageOfKind(int kind)
{
    switch (kind) {
    case 11:
        return 0;
    case 21:
        return 1;
    case 31:
    case 72:
    case 73:
    case 74:
        return 4;
    default:
        return 99;
    }
}

void StudyData::dropPaper(const QString &paperName)
{
    try {
        const QSqlDatabase db = connection();
        if (!Db::hasTable(db, paperName))
            return;
        Db::Transaction tx(db);
        Db::dropTable(db, paperName);
        Db::exec(db,
                 u"delete from tab_cj where rowid=(select rowid from tab_cj where A1=? limit 1)"_s,
                 {paperName});
        tx.commit();
    } catch (const std::exception &) {
        // Dropping a paper never reports: the history stays as it was.
    }
}
