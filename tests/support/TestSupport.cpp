#include "support/TestSupport.h"

#include "app/LinkedWindows.h"
#include "data/AppGlobals.h"
#include "ui/KeyboardAccess.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QSize>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace testsupport {

QString binDir()
{
    return QString::fromUtf8(STUDYAID_BIN_DIR) + u'/';
}

QString fixtureDb()
{
    return QString::fromUtf8(STUDYAID_FIXTURE_DB);
}

QString shippedDb()
{
    return QString::fromUtf8(STUDYAID_SHIPPED_DB);
}

TempProgramFolder::TempProgramFolder(const QString &database)
{
    if (!m_dir.isValid())
        return;
    QDir root(m_dir.path());
    root.mkpath(u"data"_s);
    for (const QString &sub : {u"pic"_s, u"sound"_s, u"htm"_s}) {
        if (QDir(binDir() + sub).exists())
            QFile::link(binDir() + sub, root.filePath(sub));
    }
    m_ok = database.isEmpty() || QFile::copy(database, databasePath());
    if (m_ok && !database.isEmpty())
        QFile(databasePath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

QString TempProgramFolder::path() const
{
    return m_dir.path() + u'/';
}

QString TempProgramFolder::databasePath() const
{
    return path() + u"data/WTXVEB710448.mdb"_s;
}

TestDatabase::TestDatabase(const QString &database) : folder(database)
{
    m_ok = folder.isValid() && study.openInProgramFolder(folder.path());
    if (m_ok)
        studyData = &study;
    const QSize screen = testScreenSize();
    App::displayMode = App::displayModeFor(screen.width(), screen.height());
}

TestDatabase::~TestDatabase()
{
    if (studyData == &study)
        studyData = nullptr;
}

PromptCatcher::PromptCatcher()
{
    PromptHook::set([this](const PromptCall &call) {
        m_calls.append(call);
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        return call.kind == PromptCall::Prompt ? 1 : int(QMessageBox::Ok);
    });
}

PromptCatcher::~PromptCatcher()
{
    PromptHook::clear();
}

bool PromptCatcher::sawMessage(const QString &message) const
{
    return messages().contains(message);
}

QStringList PromptCatcher::messages() const
{
    QStringList list;
    for (const PromptCall &c : m_calls)
        list.append(c.message);
    return list;
}

QAbstractButton *button(QWidget *parent, const QString &name)
{
    return child<QAbstractButton>(parent, name);
}

QString labelText(QWidget *parent, const QString &name)
{
    QLabel *l = child<QLabel>(parent, name);
    return l ? l->text() : QString();
}

ModalSafetyNet::ModalSafetyNet(int milliseconds)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [] {
        while (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    m_timer.start(milliseconds);
}

void saveShot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("STUDYAID_SHOTS");
    if (!dir.isEmpty())
        widget->grab().save(dir + u'/' + name + u'_' + App::displayMode + u".png"_s);
}

void savePicture(QWidget *widget, const QString &dir, const QString &name)
{
    QApplication::processEvents();
    const QString path = QDir(dir).filePath(name + u".png"_s);
    if (!widget->grab().save(path, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

bool clickIfUsable(QWidget *parent, const QString &name)
{
    auto *b = parent->findChild<QAbstractButton *>(name);
    if (!b || !b->isVisible() || !b->isEnabled())
        return false;
    b->click();
    return true;
}

void handleNextModal(std::function<void(QDialog *)> handle, int timeoutMs)
{
    auto *timer = new QTimer;
    auto *clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, handle, timeoutMs] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog && clock->elapsed() < timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (!dialog)
            return;
        handle(dialog);
        if (dialog->isVisible())
            dialog->close();
    });
    timer->start();
}

QSize testScreenSize()
{
    const QByteArray size = qgetenv("STUDYAID_TEST_SCREEN");
    const QList<QByteArray> parts = size.split('x');
    if (parts.size() == 2 && parts[0].toInt() > 0 && parts[1].toInt() > 0)
        return {parts[0].toInt(), parts[1].toInt()};
    return {1024, 768};
}

void usePrivateRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    static QTemporaryDir runtime(QDir::tempPath() + u"/studyaid-test-runtime-XXXXXX"_s);
    if (runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
}

int runQtTest(QObject *test, int argc, char **argv)
{
    std::unique_ptr<QObject> owned(test);
    usePrivateRuntimeFolder();
    const QSize size = testScreenSize();
    // The offscreen platform takes its screens from a JSON file.
    static QTemporaryDir dir;
    const QString config = dir.path() + u"/screen.json"_s;
    QFile file(config);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QStringLiteral("{\"screens\":[{\"name\":\"test\",\"x\":0,\"y\":0,\"width\":%1,"
                                  "\"height\":%2,\"logicalDpi\":96,\"dpr\":1}]}")
                       .arg(size.width())
                       .arg(size.height())
                       .toUtf8());
        file.close();
    }
    QByteArray platform = "offscreen:configfile=" + config.toUtf8();
    std::vector<char *> args(argv, argv + argc);
    char platformFlag[] = "-platform";
    args.insert(args.begin() + 1, {platformFlag, platform.data()});
    int count = static_cast<int>(args.size());
    QApplication app(count, args.data());
    QApplication::setFont(QFont(u"Noto Sans CJK SC"_s, 9));
    // The window links and the keyboard behaviour the program installs at start.
    App::linkWindows();
    KeyboardAccess::install(&app);
    // QTest reads only its own arguments; the platform ones are consumed by QApplication.
    return QTest::qExec(test, argc, argv);
}

namespace {

// A file system over SQLite's default one whose writes fail with SQLITE_FULL on demand.
sqlite3_vfs *realVfs = nullptr;
std::atomic<bool> diskFull{false};

struct ShimFile
{
    sqlite3_file base;
    sqlite3_file *real;
};

sqlite3_file *real(sqlite3_file *f)
{
    return reinterpret_cast<ShimFile *>(f)->real;
}

int shimClose(sqlite3_file *f)
{
    return real(f)->pMethods->xClose(real(f));
}
int shimRead(sqlite3_file *f, void *buf, int n, sqlite3_int64 off)
{
    return real(f)->pMethods->xRead(real(f), buf, n, off);
}
int shimWrite(sqlite3_file *f, const void *buf, int n, sqlite3_int64 off)
{
    if (diskFull)
        return SQLITE_FULL;
    return real(f)->pMethods->xWrite(real(f), buf, n, off);
}
int shimTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    return real(f)->pMethods->xTruncate(real(f), size);
}
int shimSync(sqlite3_file *f, int flags)
{
    return real(f)->pMethods->xSync(real(f), flags);
}
int shimFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return real(f)->pMethods->xFileSize(real(f), size);
}
int shimLock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xLock(real(f), level);
}
int shimUnlock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xUnlock(real(f), level);
}
int shimCheckReservedLock(sqlite3_file *f, int *out)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int shimFileControl(sqlite3_file *f, int op, void *arg)
{
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int shimSectorSize(sqlite3_file *f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int shimDeviceCharacteristics(sqlite3_file *f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int shimShmMap(sqlite3_file *f, int page, int size, int extend, void volatile **out)
{
    return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
}
int shimShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void shimShmBarrier(sqlite3_file *f)
{
    real(f)->pMethods->xShmBarrier(real(f));
}
int shimShmUnmap(sqlite3_file *f, int deleteFlag)
{
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}
int shimFetch(sqlite3_file *f, sqlite3_int64 off, int n, void **out)
{
    return real(f)->pMethods->xFetch(real(f), off, n, out);
}
int shimUnfetch(sqlite3_file *f, sqlite3_int64 off, void *p)
{
    return real(f)->pMethods->xUnfetch(real(f), off, p);
}

const sqlite3_io_methods shimMethods = {3,
                                        shimClose,
                                        shimRead,
                                        shimWrite,
                                        shimTruncate,
                                        shimSync,
                                        shimFileSize,
                                        shimLock,
                                        shimUnlock,
                                        shimCheckReservedLock,
                                        shimFileControl,
                                        shimSectorSize,
                                        shimDeviceCharacteristics,
                                        shimShmMap,
                                        shimShmLock,
                                        shimShmBarrier,
                                        shimShmUnmap,
                                        shimFetch,
                                        shimUnfetch};

int shimOpen(sqlite3_vfs *, const char *name, sqlite3_file *f, int flags, int *outFlags)
{
    auto *shim = reinterpret_cast<ShimFile *>(f);
    shim->real = reinterpret_cast<sqlite3_file *>(shim + 1);
    const int rc = realVfs->xOpen(realVfs, name, shim->real, flags, outFlags);
    shim->base.pMethods = shim->real->pMethods ? &shimMethods : nullptr;
    return rc;
}

} // namespace

void DiskFull::install()
{
    static sqlite3_vfs shim;
    if (realVfs)
        return;
    realVfs = sqlite3_vfs_find(nullptr);
    shim = *realVfs;
    shim.zName = "studyaid_test_diskfull";
    shim.szOsFile = int(sizeof(ShimFile)) + realVfs->szOsFile;
    shim.xOpen = shimOpen;
    shim.pNext = nullptr;
    sqlite3_vfs_register(&shim, 1);
}

DiskFull::DiskFull()
{
    diskFull = true;
}

DiskFull::~DiskFull()
{
    diskFull = false;
}

LockedByAnotherProgram::LockedByAnotherProgram(const QString &databasePath)
{
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK)
        m_locked = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

LockedByAnotherProgram::~LockedByAnotherProgram()
{
    if (m_locked)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}

} // namespace testsupport
