// The menu description file: the shipped menu reaches every command of the dispatcher, and a
// damaged file is refused (which makes start-up stop with its message).
#include "app/StartWindow.h"
#include "support/TestSupport.h"
#include "ui/MenuWidget.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

MenuDescription shippedMenu()
{
    QString error;
    const std::optional<MenuDescription> d =
        MenuDescription::load(testsupport::binDir() + u"pic/main.json"_s, &error);
    EXPECT_TRUE(d.has_value()) << error.toStdString();
    return d.value_or(MenuDescription{});
}

TEST(MenuDescription, ShippedMenuAndDispatcherAgree)
{
    const MenuDescription menu = shippedMenu();
    const QStringList words = menu.commands();
    const QSet<QString> menuWords(words.cbegin(), words.cend());
    EXPECT_EQ(menuWords.size(), words.size()) << "a command word appears twice in the menu";

    StartWindow start;
    const QStringList table = start.commandWords();
    const QSet<QString> tableWords(table.cbegin(), table.cend());
    for (const QString &w : words)
        EXPECT_TRUE(tableWords.contains(w))
            << "menu word unknown to the dispatcher: " << w.toStdString();
    // Every word of the dispatcher is a menu item: chapter practice has one per subject.
    const QSet<QString> unreachable = tableWords - menuWords;
    EXPECT_TRUE(unreachable.isEmpty())
        << QStringList(unreachable.cbegin(), unreachable.cend()).join(u' ').toStdString();
}

// The help page's table of the menu names every menu entry as the menu shows it.
TEST(MenuDescription, HelpPageNamesEveryEntryInTheMenusWords)
{
    QFile file(testsupport::binDir() + u"htm/help.html"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    const qsizetype from = page.indexOf(u"id=\"menu\""_s);
    const qsizetype to = page.indexOf(u"<h2"_s, from + 1);
    ASSERT_GT(from, 0);
    const QString table = page.mid(from, to - from);
    for (const MenuGroupSpec &g : shippedMenu().groups) {
        for (const MenuItemDesc &item : g.items) {
            const QString shown = item.label.isEmpty() ? item.caption : item.label;
            EXPECT_TRUE(table.contains(shown)) << shown.toStdString();
        }
    }
}

TEST(MenuDescription, MockExamsCarryTheSubjectNames)
{
    const MenuDescription menu = shippedMenu();
    QHash<QString, QString> captions;
    for (const MenuGroupSpec &g : menu.groups) {
        for (const MenuItemDesc &i : g.items)
            captions.insert(i.command, i.caption);
    }
    EXPECT_EQ(captions.value(u"mnks"_s), u"注册安全工程师·安全生产法及相关法律知识"_s);
    EXPECT_EQ(captions.value(u"mnks2"_s), u"注册安全工程师·安全生产管理知识"_s);
    EXPECT_EQ(captions.value(u"mnks3"_s), u"注册安全工程师·安全生产技术"_s);
    EXPECT_EQ(captions.value(u"mnks4"_s), u"注册安全工程师·安全生产事故案例分析"_s);
    EXPECT_EQ(captions.value(u"mnks5"_s), u"造价工程师·案例分析"_s);
    EXPECT_EQ(captions.value(u"quit"_s), u"退出"_s);
}

TEST(MenuDescription, DamagedFilesAreRefused)
{
    const struct
    {
        const char *name;
        const char *json;
    } cases[] = {
        {"not json", "<html>menu</html>"},
        {"json array", "[1, 2]"},
        {"no groups", R"({"title": "x"})"},
        {"empty groups", R"({"groups": []})"},
        {"group without items", R"({"groups": [{"caption": "a", "items": []}]})"},
        {"item without command",
         R"({"groups": [{"caption": "a", "items": [{"caption": "退出"}]}]})"},
        {"item without caption",
         R"({"groups": [{"caption": "a", "items": [{"command": "quit"}]}]})"},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(MenuDescription::parse(QByteArray(c.json), &error).has_value()) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    QString error;
    EXPECT_FALSE(MenuDescription::load(u"/nonexistent/pic/main.json"_s, &error).has_value());
    EXPECT_FALSE(error.isEmpty());
}

TEST(MenuDescription, MinimalFileLoadsWithDefaults)
{
    const auto d = MenuDescription::parse(
        R"({"groups": [{"caption": "组", "column": 4, "items": [{"caption": "退出", "command": "quit"}]}]})");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->commands(), QStringList{u"quit"_s});
    // A group placed in a later column widens the layout to reach it.
    EXPECT_EQ(d->columns, 5);
    EXPECT_TRUE(d->groups.first().accent.isValid());
}

} // namespace
