// The built program started as a process: one running copy per program folder, and the exit
// codes and messages of a start that cannot go on.
#include "app/singleinstance.h"
#include "data/database.h"
#include "data/dm.h"
#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

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

// The program in trace mode: prompts are written to stderr and answered at once.
class Program
{
public:
    explicit Program(const QString &folder, const QStringList &extraEnv = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"STUDYAID_TRACE"_s, u"1"_s);
        for (const QString &kv : extraEnv)
            env.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
        m_process.setProcessEnvironment(env);
        m_process.setProgram(folder + u"studyaid"_s);
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
    void secondStartRaisesTheFirstAndEnds()
    {
        TempProgramFolder folder;
        QVERIFY(folder.isValid());
        QVERIFY(installProgram(folder.path()));

        Program first(folder.path());
        QTRY_VERIFY_WITH_TIMEOUT(first.log().contains(u"menu-shown"_s), 20000);

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

    void quitFromTheMenuEndsTheProgram()
    {
        TempProgramFolder folder;
        QVERIFY(installProgram(folder.path()));
        {
            TDM1 dm;
            QVERIFY(dm.DataModuleCreate(folder.path()));
            Db::exec(dm.ADOCn1(), u"update tab_plan set PlanMark=0, PlanAmount=100000"_s);
            dm.close();
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
        QTest::newRow("no menu file") << u"nomenu"_s << u"message: 提示|请安装Flash6插件文件！"_s;
        QTest::newRow("120 dpi screen")
            << u"dpi"_s << u"message: 提示|推荐您在小字体下使用本软件，请在设置后重新运行！"_s;
    }
    void failedStartsEndWithTheirMessage()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        QDir root(folder);
        root.mkpath(u"data"_s);
        root.mkpath(u"pic"_s);
        if (setup != u"nodb"_s)
            QVERIFY(QFile::copy(testsupport::fixtureDb(), folder + u"data/WTXVEB710448.mdb"_s));
        QFile(folder + u"data/WTXVEB710448.mdb"_s)
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner);
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
