// The built program started as a process: one running copy per program folder, and the exit
// codes and messages of a start that cannot go on.
#include "app/SingleInstance.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using testsupport::TempProgramFolder;

namespace {

// A copy of the built program in a folder: the program folder is the executable's folder.
bool installProgram(const QString &folder)
{
    const QString target = folder + u"studyaid"_s;
    return QFile::copy(testsupport::binDir() + u"studyaid"_s, target) &&
           QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The runtime folder the programs of this test get: private to the user, as the desktop session
// gives one, and removed with everything in it when the test ends.
QString runtimeFolder()
{
    static QTemporaryDir dir; // created owner-only
    return dir.path();
}

// The program in trace mode: prompts are written to stderr and answered at once.
class Program
{
public:
    explicit Program(const QString &folder, const QStringList &extraEnv = {},
                     std::function<void()> childSetup = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, runtimeFolder());
        env.insert(u"STUDYAID_TRACE"_s, u"1"_s);
        for (const QString &kv : extraEnv)
            env.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
        m_process.setProcessEnvironment(env);
        m_process.setProgram(folder + u"studyaid"_s);
        if (childSetup)
            m_process.setChildProcessModifier(childSetup);
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                         [this] { m_log += QString::fromUtf8(m_process.readAllStandardError()); });
        m_process.start();
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess &process() { return m_process; }
    QString log()
    {
        m_log += QString::fromUtf8(m_process.readAllStandardError());
        return m_log;
    }
    bool finished(int ms) { return m_process.waitForFinished(ms); }

private:
    QProcess m_process;
    QString m_log;
};

} // namespace

class TestStartupProcess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // SingleInstance in this process names the same files as the programs it starts.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder()));
    }

    void secondStartRaisesTheFirstAndEnds()
    {
        TempProgramFolder folder;
        QVERIFY(folder.isValid());
        QVERIFY(installProgram(folder.path()));

        Program first(folder.path());
        QTRY_VERIFY_WITH_TIMEOUT(first.log().contains(u"menu-shown"_s), 20000);
        // The lock and the socket are in the user's private runtime folder, named by the real
        // user id: nobody else can plant or remove them.
        const SingleInstance names(folder.path());
        for (const QString &path : {names.lockPath(), names.serverName()}) {
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
            QCOMPARE(QFileInfo(path).absolutePath(), runtimeFolder());
            QVERIFY2(QFileInfo(path).fileName().contains(QString::number(::getuid())),
                     qPrintable(path));
            // Only the user may connect to the socket or touch the lock.
            struct stat st
            {
            };
            QCOMPARE(::lstat(QFile::encodeName(path).constData(), &st), 0);
            QCOMPARE(st.st_mode & 0077, 0u);
        }

        QElapsedTimer clock;
        clock.start();
        Program second(folder.path());
        QVERIFY(second.finished(10000));
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(second.log().contains(u"asked it to come forward"_s), qPrintable(second.log()));
        QVERIFY(!second.log().contains(u"menu-shown"_s));
        QTRY_VERIFY_WITH_TIMEOUT(first.log().contains(u"activated"_s), 5000);
        QCOMPARE(first.process().state(), QProcess::Running);

        // A copy in another folder is another installation and starts normally meanwhile.
        TempProgramFolder other;
        QVERIFY(installProgram(other.path()));
        Program third(other.path(), {u"STUDYAID_QUIT_AFTER_MENU=1"_s});
        QVERIFY(third.finished(20000));
        QCOMPARE(third.process().exitCode(), 0);
        QVERIFY2(third.log().contains(u"menu-shown"_s), qPrintable(third.log()));

        // After the first copy died without cleaning up, the next start takes over.
        first.process().kill();
        QVERIFY(first.finished(5000));
        Program again(folder.path(), {u"STUDYAID_QUIT_AFTER_MENU=1"_s});
        QVERIFY(again.finished(20000));
        QCOMPARE(again.process().exitCode(), 0);
        QVERIFY2(again.log().contains(u"menu-shown"_s), qPrintable(again.log()));
    }

    // A lock that no running copy holds, although Qt cannot tell it is stale: the copy that
    // made it is gone and its process id now names another program (here this test), or the
    // lock file was left empty. The next start takes it over instead of never starting again.
    void leftOverLockIsTakenOver_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::newRow("process id of another program") << false;
        QTest::newRow("empty lock file") << true;
    }
    void leftOverLockIsTakenOver()
    {
        QFETCH(bool, empty);
        TempProgramFolder folder;
        QVERIFY(installProgram(folder.path()));
        const QString lockPath = SingleInstance(folder.path()).lockPath();
        QByteArray contents;
        if (!empty) {
            // What QLockFile writes for a live process that is not the program.
            QTemporaryDir scratch;
            QLockFile probe(scratch.filePath(u"probe.lock"_s));
            QVERIFY(probe.tryLock(0));
            QFile written(scratch.filePath(u"probe.lock"_s));
            QVERIFY(written.open(QIODevice::ReadOnly));
            contents = written.readAll();
            QVERIFY(contents.startsWith(QByteArray::number(QCoreApplication::applicationPid())));
        }
        {
            QFile lock(lockPath);
            QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
            lock.write(contents);
        }
        QLockFile check(lockPath);
        QVERIFY(!check.tryLock(0)); // Qt itself takes the lock for a live one

        Program program(folder.path(), {u"STUDYAID_QUIT_AFTER_MENU=1"_s});
        const bool ended = program.finished(20000);
        const bool released = !QFile::exists(lockPath); // the program's own lock, at its end
        QFile::remove(lockPath);
        QVERIFY(ended);
        QCOMPARE(program.process().exitCode(), 0);
        QVERIFY2(program.log().contains(u"taken over"_s), qPrintable(program.log()));
        QVERIFY2(program.log().contains(u"menu-shown"_s), qPrintable(program.log()));
        QVERIFY(released);
    }

    // A copy holds the lock and listens but never answers: the later start says so instead of
    // ending silently.
    void aRunningCopyThatDoesNotAnswerIsReported()
    {
        TempProgramFolder folder;
        QVERIFY(installProgram(folder.path()));
        const SingleInstance names(folder.path());
        QLockFile lock(names.lockPath());
        QVERIFY(lock.tryLock(0));
        QLocalServer silent;
        QVERIFY(silent.listen(names.serverName()));

        Program program(folder.path(), {u"STUDYAID_QUIT_AFTER_MENU=1"_s});
        QVERIFY(program.finished(20000));
        QCOMPARE(program.process().exitCode(), 1);
        QVERIFY2(program.log().contains(u"message: 提示|本程序已经在运行，但没有响应"_s),
                 qPrintable(program.log()));
        QVERIFY(!program.log().contains(u"menu-shown"_s));
    }

    // No private runtime folder from the desktop, and the one under the temporary folder taken
    // first by another user (or something else in its place): the lock goes to a private folder
    // under the user's cache folder, so that a second start still finds the first.
    void withoutAPrivateRuntimeFolderTheLockGoesToTheCacheFolder()
    {
        TempProgramFolder folder;
        QVERIFY(installProgram(folder.path()));
        QTemporaryDir temp;
        QTemporaryDir cache;
        const passwd *user = ::getpwuid(::geteuid());
        QVERIFY(user);
        const QString taken = temp.path() + u"/runtime-"_s + QString::fromLocal8Bit(user->pw_name);
        if (::geteuid() == 0) {
            // Another user's folder, as a user who came first makes it.
            QVERIFY(QDir().mkdir(taken));
            QVERIFY(::chmod(QFile::encodeName(taken).constData(), 0700) == 0);
            QVERIFY(::chown(QFile::encodeName(taken).constData(), 65534, 65534) == 0);
        } else {
            QFile planted(taken);
            QVERIFY(planted.open(QIODevice::WriteOnly));
        }
        const QStringList env{u"XDG_RUNTIME_DIR="_s, u"TMPDIR="_s + temp.path(),
                              u"XDG_CACHE_HOME="_s + cache.path()};

        // The names the programs use, seen with their environment.
        QString lockPath;
        {
            const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
            qputenv("XDG_RUNTIME_DIR", "");
            qputenv("TMPDIR", QFile::encodeName(temp.path()));
            qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
            lockPath = SingleInstance(folder.path()).lockPath();
            qputenv("XDG_RUNTIME_DIR", runtime);
            qunsetenv("TMPDIR");
            qunsetenv("XDG_CACHE_HOME");
        }
        QVERIFY(lockPath.startsWith(cache.path() + u'/'));

        Program first(folder.path(), env);
        QTRY_VERIFY_WITH_TIMEOUT(first.log().contains(u"menu-shown"_s), 20000);
        QVERIFY2(!first.log().contains(u"without"_s), qPrintable(first.log()));
        struct stat st
        {
        };
        QCOMPARE(::lstat(QFile::encodeName(lockPath).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0077, 0u);
        QCOMPARE(::lstat(QFile::encodeName(QFileInfo(lockPath).absolutePath()).constData(), &st),
                 0);
        QVERIFY(S_ISDIR(st.st_mode));
        QCOMPARE(st.st_mode & 07777, 0700u);
        QCOMPARE(st.st_uid, ::geteuid());

        Program second(folder.path(), env);
        QVERIFY(second.finished(10000));
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY2(second.log().contains(u"asked it to come forward"_s), qPrintable(second.log()));
        QVERIFY(!second.log().contains(u"menu-shown"_s));
        QTRY_VERIFY_WITH_TIMEOUT(first.log().contains(u"activated"_s), 5000);
        // The other user's folder got nothing.
        if (QFileInfo(taken).isDir())
            QVERIFY(QDir(taken).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }

    // A database file the user may not write (another user's, in a folder anyone may write)
    // would open read-only and lose every answer: the start is refused with the reason.
    void aReadOnlyDatabaseIsRefusedAtStart()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(dir.path(), open));
        QDir root(folder);
        root.mkpath(u"data"_s);
        root.mkpath(u"pic"_s);
        QVERIFY(::chmod(QFile::encodeName(folder + u"data"_s).constData(), 0777) == 0);
        const QString database = folder + u"data/WTXVEB710448.mdb"_s;
        QVERIFY(QFile::copy(testsupport::fixtureDb(), database));
        QVERIFY(
            QFile::copy(testsupport::binDir() + u"pic/main.json"_s, folder + u"pic/main.json"_s));
        QVERIFY(installProgram(folder));
        QVERIFY(QFile::setPermissions(folder + u"studyaid"_s, open));
        QVERIFY(QFile::setPermissions(folder + u"pic/main.json"_s,
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

        QStringList env{u"STUDYAID_QUIT_AFTER_MENU=1"_s};
        std::function<void()> asAnotherUser;
        QTemporaryDir otherRuntime;
        if (::geteuid() == 0) {
            // Root writes any file: the program runs as "nobody" on a file that root owns.
            QVERIFY(::chmod(QFile::encodeName(database).constData(), 0644) == 0);
            QVERIFY(::chown(QFile::encodeName(otherRuntime.path()).constData(), 65534, 65534) == 0);
            env << u"XDG_RUNTIME_DIR="_s + otherRuntime.path() << u"HOME="_s + dir.path();
            asAnotherUser = [] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(99);
            };
        } else {
            QVERIFY(::chmod(QFile::encodeName(database).constData(), 0444) == 0);
        }
        Program program(folder, env, asAnotherUser);
        QVERIFY(program.finished(20000));
        QCOMPARE(program.process().exitCode(), 1);
        QVERIFY2(
            program.log().contains(u"message: 错误|无法连接数据库！\n学习数据库文件是只读的"_s),
            qPrintable(program.log()));
        QVERIFY(!program.log().contains(u"menu-shown"_s));
    }

    // A daily backup that cannot be written is told once, and the session goes on.
    void aFailedDailyBackupIsToldAndTheProgramStarts()
    {
        TempProgramFolder folder;
        QVERIFY(installProgram(folder.path()));
        // A file where the backups folder belongs: no backup can be made.
        QFile blocker(folder.path() + u"data/backups"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Program program(folder.path(), {u"STUDYAID_QUIT_AFTER_MENU=1"_s});
        QVERIFY(program.finished(20000));
        QCOMPARE(program.process().exitCode(), 0);
        const QString log = program.log();
        QVERIFY2(log.contains(u"menu-shown"_s), qPrintable(log));
        QCOMPARE(log.count(u"message: 提示|今天的自动备份没有完成"_s), 1);
        QVERIFY(QFileInfo(folder.path() + u"data/backups"_s).isFile());
    }

    void quitFromTheMenuEndsTheProgram()
    {
        TempProgramFolder folder;
        QVERIFY(installProgram(folder.path()));
        {
            StudyData study;
            QVERIFY(study.openInProgramFolder(folder.path()));
            Db::exec(study.connection(), u"update tab_plan set PlanMark=0, PlanAmount=100000"_s);
            study.close();
        }
        Program program(folder.path(), {u"STUDYAID_COMMAND=quit"_s});
        QVERIFY(program.finished(20000));
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process().exitCode(), 0);
        // The exit check asked (trace mode answers OK) and the program ended.
        QVERIFY2(program.log().contains(u"command quit"_s), qPrintable(program.log()));
        QVERIFY2(program.log().contains(u"message: 提示|还未完成今日学习计划，要退出吗？"_s),
                 qPrintable(program.log()));
    }

    void failedStartsEndWithTheirMessage_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::newRow("no database") << u"nodb"_s << u"message: 错误|无法连接数据库！"_s;
        QTest::newRow("a table without a column")
            << u"damaged"_s
            << u"message: 错误|无法连接数据库！\n学习数据库文件已损坏（数据表 tab_kmmc 缺少列 C6）"_s;
        QTest::newRow("no menu file")
            << u"nomenu"_s << u"message: 提示|本程序的菜单文件 pic/main.json 缺失或已损坏"_s;
        // SQLite takes file names of 512 bytes at most: the path is named as the cause.
        QTest::newRow("a path too long for SQLite")
            << u"longpath"_s << u"message: 错误|无法连接数据库！\n学习数据库的路径太长"_s;
        QTest::newRow("120 dpi screen")
            << u"dpi"_s << u"message: 提示|推荐您在小字体下使用本软件，请在设置后重新运行！"_s;
    }
    void failedStartsEndWithTheirMessage()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QString folder = dir.path() + u'/';
        if (setup == u"longpath"_s) {
            // The database's path comes to about 510 characters.
            while (folder.size() < 490)
                folder += u"a-long-program-folder/"_s;
        }
        QDir root(folder);
        root.mkpath(u"data"_s);
        root.mkpath(u"pic"_s);
        if (setup != u"nodb"_s)
            QVERIFY(QFile::copy(testsupport::fixtureDb(), folder + u"data/WTXVEB710448.mdb"_s));
        QFile(folder + u"data/WTXVEB710448.mdb"_s)
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        if (setup == u"damaged"_s) {
            QVERIFY(Db::open(u"spoil"_s, folder + u"data/WTXVEB710448.mdb"_s, {}));
            Db::exec(QSqlDatabase::database(u"spoil"_s), u"alter table tab_kmmc drop column C6"_s);
            Db::close(u"spoil"_s);
        }
        if (setup != u"nomenu"_s)
            QVERIFY(QFile::copy(testsupport::binDir() + u"pic/main.json"_s,
                                folder + u"pic/main.json"_s));
        QVERIFY(installProgram(folder));
        QStringList env;
        if (setup == u"dpi"_s) {
            QFile config(folder + u"screen.json"_s);
            QVERIFY(config.open(QIODevice::WriteOnly));
            config.write(R"({"screens":[{"name":"s","x":0,"y":0,"width":1024,"height":768,)"
                         R"("logicalDpi":120,"dpr":1}]})");
            config.close();
            // Qt's own scaling would present a 120-dpi screen as 96 dpi at 1.25 device pixels
            // per pixel; without it the program sees the desktop's 120 dpi.
            env << u"QT_QPA_PLATFORM=offscreen:configfile="_s + config.fileName()
                << u"QT_ENABLE_HIGHDPI_SCALING=0"_s;
        }
        Program program(folder, env);
        QVERIFY(program.finished(20000));
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process().exitCode(), 1);
        QVERIFY2(program.log().contains(message), qPrintable(program.log()));
        QVERIFY(!program.log().contains(u"menu-shown"_s));
    }
};

STUDYAID_QTEST_MAIN(TestStartupProcess)
#include "test_startup_process.moc"
