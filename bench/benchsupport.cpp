#include "benchsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace benchsupport {

namespace {

// A file in the build's bench-data folder, written by mkbank with the given mode when missing.
QString builtWithMkbank(const QString &fileName, const QString &mode, int count)
{
    const QString dir = QString::fromUtf8(STUDYAID_BUILD_DIR) + u"/bench-data"_s;
    QDir().mkpath(dir);
    const QString path = dir + u'/' + fileName;
    if (!QFile::exists(path)) {
        const QString tool = QString::fromUtf8(STUDYAID_BUILD_DIR) + u"/toolbin/mkbank"_s;
        const int rc = QProcess::execute(tool, {mode, QString::number(count), u"--out"_s, path});
        if (rc != 0) {
            std::fprintf(stderr, "cannot build %s with %s\n", qPrintable(fileName),
                         qPrintable(tool));
            std::exit(1);
        }
    }
    return path;
}

} // namespace

QString syntheticBank(int questions)
{
    return builtWithMkbank(u"synthetic"_s + QString::number(questions) + u".mdb"_s,
                           u"--synthetic"_s, questions);
}

QString syntheticUpgrade(int questions)
{
    return builtWithMkbank(u"upgrade"_s + QString::number(questions) + u".mdb"_s,
                           u"--synthetic-upgrade"_s, questions);
}

QString workingCopy(const QString &database, const QString &name)
{
    static QTemporaryDir dir;
    const QString path = dir.path() + u'/' + name;
    QFile::remove(path);
    QFile::copy(database, path);
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

} // namespace benchsupport
