#include "support/testsupport.h"

#include "data/appglobals.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSize>
#include <QTest>
#include <QWidget>
#include <memory>

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

StudyData::StudyData(const QString &database) : folder(database)
{
    m_ok = folder.isValid() && dm.DataModuleCreate(folder.path());
    if (m_ok)
        DM1 = &dm;
    const QSize screen = testScreenSize();
    App::displayMode = App::displayModeFor(screen.width(), screen.height());
}

StudyData::~StudyData()
{
    if (DM1 == &dm)
        DM1 = nullptr;
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

void saveShot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("STUDYAID_SHOTS");
    if (!dir.isEmpty())
        widget->grab().save(dir + u'/' + name + u'_' + App::displayMode + u".png"_s);
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
    // QTest reads only its own arguments; the platform ones are consumed by QApplication.
    return QTest::qExec(test, argc, argv);
}

} // namespace testsupport
