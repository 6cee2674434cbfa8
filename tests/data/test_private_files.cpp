// Modes set on the user's own files and folders only, never through a link or on another user's
// file, and copies that never write over a name or through a link.
#include "data/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 01000;
}

bool makeFile(const QString &path, mode_t mode, const QByteArray &bytes = "data")
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush() &&
           ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

TEST(PrivateFiles, ModesChangeOnTheUsersOwnFilesAndFoldersOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(u"target"_s);
    const QString folder = dir.filePath(u"folder"_s);
    ASSERT_TRUE(makeFile(target, 0644));
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    ASSERT_TRUE(QFile::link(target, dir.filePath(u"fileLink"_s)));
    ASSERT_TRUE(QFile::link(folder, dir.filePath(u"folderLink"_s)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u"pipe"_s)).constData(), 0644), 0);

    // Through a link, on a pipe, on a folder as a file: nothing changes.
    EXPECT_FALSE(PrivateFiles::restrictFile(dir.filePath(u"fileLink"_s)));
    EXPECT_FALSE(PrivateFiles::restrictFile(dir.filePath(u"pipe"_s)));
    EXPECT_FALSE(PrivateFiles::restrictFile(folder));
    EXPECT_FALSE(PrivateFiles::restrictFolder(dir.filePath(u"folderLink"_s)));
    EXPECT_EQ(modeOf(target), 0644u);
    EXPECT_EQ(modeOf(folder), 0755u);
    EXPECT_EQ(
        modeOf(dir.filePath(u"pipe"_s)), 0644u & ~[] {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            return mask;
        }());
    EXPECT_EQ(PrivateFiles::kindOf(dir.filePath(u"fileLink"_s)), PrivateFiles::Kind::Other);
    EXPECT_EQ(PrivateFiles::kindOf(dir.filePath(u"none"_s)), PrivateFiles::Kind::Missing);

    // A link to a folder can be written into, its folder's mode left alone.
    EXPECT_TRUE(PrivateFiles::makeFolder(dir.filePath(u"folderLink"_s)));
    EXPECT_EQ(modeOf(folder), 0755u);
    // A file where a folder should be is no folder.
    EXPECT_FALSE(PrivateFiles::makeFolder(target));

    // The user's own file and folder, and a folder made here, become the user's alone.
    EXPECT_TRUE(PrivateFiles::restrictFile(target));
    EXPECT_TRUE(PrivateFiles::restrictFolder(folder));
    EXPECT_TRUE(PrivateFiles::makeFolder(dir.filePath(u"made/deeper"_s)));
    EXPECT_EQ(modeOf(target), 0600u);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(dir.filePath(u"made/deeper"_s)), 0700u);

    // Another user's file is left as it is (only root can make one here).
    if (::geteuid() == 0) {
        const QString foreign = dir.filePath(u"foreign"_s);
        ASSERT_TRUE(makeFile(foreign, 0644));
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        EXPECT_FALSE(PrivateFiles::restrictFile(foreign));
        EXPECT_EQ(modeOf(foreign), 0644u);
    }
}

TEST(PrivateFiles, CopiesGoToNewNamesOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(u"source"_s);
    const QString elsewhere = dir.filePath(u"elsewhere"_s);
    ASSERT_TRUE(makeFile(source, 0644, QByteArray(200000, 's')));
    ASSERT_TRUE(makeFile(elsewhere, 0644, "kept"));
    ASSERT_TRUE(QFile::link(elsewhere, dir.filePath(u"link"_s)));

    // Not over an existing file, not through a link: what is there stays as it was.
    EXPECT_FALSE(PrivateFiles::copyToNewFile(source, elsewhere));
    EXPECT_FALSE(PrivateFiles::copyToNewFile(source, dir.filePath(u"link"_s)));
    QFile kept(elsewhere);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("kept"));
    EXPECT_EQ(modeOf(elsewhere), 0644u);

    // A new name: the whole file, the user's alone; renamed without replacing only when free.
    const QString copy = dir.filePath(u"copy"_s);
    ASSERT_TRUE(PrivateFiles::copyToNewFile(source, copy));
    EXPECT_EQ(modeOf(copy), 0600u);
    QFile made(copy);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(made.readAll(), QByteArray(200000, 's'));
    EXPECT_FALSE(PrivateFiles::renameInPlace(copy, elsewhere, false));
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_TRUE(PrivateFiles::renameInPlace(copy, dir.filePath(u"placed"_s), false));
    EXPECT_FALSE(QFile::exists(copy));
}
