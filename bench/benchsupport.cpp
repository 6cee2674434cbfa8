#include "benchsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace benchsupport {

QString syntheticBank(int questions)
{
    const QString dir = QString::fromUtf8(STUDYAID_BUILD_DIR) + u"/bench-data"_s;
    QDir().mkpath(dir);
    const QString path = dir + u"/synthetic"_s + QString::number(questions) + u".mdb"_s;
    if (!QFile::exists(path)) {
        const QString tool = QString::fromUtf8(STUDYAID_BUILD_DIR) + u"/toolbin/mkbank"_s;
        const int rc = QProcess::execute(tool, {u"--synthetic"_s, QString::number(questions),
                                                u"--out"_s, path});
        if (rc != 0) {
            std::fprintf(stderr, "cannot build the synthetic bank with %s\n", qPrintable(tool));
            std::exit(1);
        }
    }
    return path;
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
