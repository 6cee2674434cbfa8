// The related exam points of a question on a temporary fixture copy: which codes are collected,
// the list in the database's order, the chapter label following the clicked point, the layouts.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exampoints/RelatedPointsWindow.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTextBrowser>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kQuestion = u"010101000001"_s;
const QVariant kNull = QVariant(QMetaType(QMetaType::QString));

} // namespace

class RelatedPointsWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        study = &data->study;
    }
    void cleanup()
    {
        study = nullptr;
        data.reset();
    }

    void loadCodes_data()
    {
        QTest::addColumn<QVariantList>("k"); // K3..K12 of the question
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("entries");
        const QVariantList none(10, kNull);
        auto with = [none](std::initializer_list<std::pair<int, QVariant>> set) {
            QVariantList k = none;
            for (const auto &[i, v] : set)
                k[i] = v;
            return k;
        };
        QTest::newRow("all null") << none << false << QStringList{};
        QTest::newRow("null and empty") << with({{0, u""_s}, {4, u""_s}}) << false << QStringList{};
        QTest::newRow("k3 null, k4 set")
            << with({{1, u"010102001"_s}}) << true << QStringList{u"工作时间"_s};
        QTest::newRow("k4 empty between two codes")
            << with({{0, u"010101002"_s}, {1, u""_s}, {2, u"010101001"_s}})
            << true
            // The database's order (the catalogue's), not the order of K3..K12; sn as stored.
            << QStringList{u"生产经营单位的主体责任  "_s, u"从业人员的权利"_s};
        QTest::newRow("a code naming no point")
            << with({{9, u"999999999"_s}}) << true << QStringList{};
        QTest::newRow("a quote in a code")
            << with({{0, u"01'01"_s}, {3, u"020101001"_s}}) << true << QStringList{u"安全检查"_s};
    }
    void loadCodes()
    {
        QFETCH(QVariantList, k);
        QFETCH(bool, result);
        QFETCH(QStringList, entries);
        QVariantList values = k;
        values.append(kQuestion);
        Db::exec(study->connection(),
                 u"update tab_answ set K3=?,K4=?,K5=?,K6=?,K7=?,K8=?,K9=?,K10=?,K11=?,K12=? "
                 u"where A1=?"_s,
                 values);
        RelatedPointsWindow window;
        QCOMPARE(window.loadCodes(kQuestion), result);
        if (!result)
            return;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *list = window.findChild<QListWidget *>(u"pointList"_s);
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown.append(list->item(i)->text());
        QCOMPARE(shown, entries);
        auto *viewer = window.findChild<QTextBrowser *>(u"pointText"_s);
        auto *label = window.findChild<QLabel *>(u"chapterLabel"_s);
        if (entries.isEmpty()) {
            QCOMPARE(viewer->toPlainText(), QString());
            QCOMPARE(label->text(), QString());
        } else {
            QCOMPARE(list->currentRow(), 0);
        }
    }

    // A failure reading the points or their chapter is told in Chinese, never in the driver's
    // words; the window stays usable.
    void failuresAreToldInChinese()
    {
        testsupport::PromptCatcher prompts;
        RelatedPointsWindow window;
        QVERIFY(window.loadCodes(u"010101000004"_s));
        Db::exec(study->connection(), u"alter table tab_fgmc rename to tab_fgmc_gone"_s);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(prompts.messages(), QStringList{u"无法读取相关考点！"_s});
        Db::exec(study->connection(), u"alter table tab_fgmc_gone rename to tab_fgmc"_s);
        window.close();

        RelatedPointsWindow again;
        QVERIFY(again.loadCodes(u"010101000004"_s));
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        Db::exec(study->connection(), u"alter table tab_fgmc rename to tab_fgmc_gone"_s);
        auto *list = again.findChild<QListWidget *>(u"pointList"_s);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(prompts.messages(),
                 QStringList({u"无法读取相关考点！"_s, u"无法读取相关考点！"_s}));
        QCOMPARE(prompts.calls().constLast().caption, u"错误"_s);
        QCOMPARE(again.findChild<QTextBrowser *>(u"pointText"_s)->toPlainText(),
                 u"工作时间的规定。"_s);
        again.close();
    }

    void questionWithoutRow()
    {
        RelatedPointsWindow window;
        QVERIFY(!window.loadCodes(u"NOSUCH'ID"_s));
    }

    void labelAndTextFollowTheClickedPoint()
    {
        // Points of two chapters: 安全生产法 (010101) and 劳动法 (010102).
        RelatedPointsWindow window;
        QVERIFY(window.loadCodes(u"010101000004"_s));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), u"相关考点"_s);
        auto *list = window.findChild<QListWidget *>(u"pointList"_s);
        auto *viewer = window.findChild<QTextBrowser *>(u"pointText"_s);
        auto *label = window.findChild<QLabel *>(u"chapterLabel"_s);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), u"从业人员的权利"_s);
        QCOMPARE(label->text(), u"安全生产法"_s);
        QCOMPARE(viewer->toPlainText(), u"从业人员享有知情权、建议权。"_s);
        QVERIFY(viewer->isReadOnly());
        testsupport::saveShot(&window, u"related_points"_s);

        auto click = [list](int row) {
            const QRect r = list->visualItemRect(list->item(row));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        };
        click(1);
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(label->text(), u"劳动法"_s);
        QCOMPARE(viewer->toPlainText(), u"工作时间的规定。"_s);
        click(0);
        QCOMPARE(label->text(), u"安全生产法"_s);
        QCOMPARE(viewer->toPlainText(), u"从业人员享有知情权、建议权。"_s);
    }

    void labelNamesTheChapterOfTheClickedPointWhenTitlesRepeat()
    {
        // A point of chapter 020101 with the title of one in 010102 ("工作时间").
        const QSqlDatabase db = study->connection();
        Db::exec(db,
                 u"insert into tab_rule (id,ftid,sn,n) values "
                 u"('020101','020101009','工作时间',?)"_s,
                 {u"管理中的工作时间。"_s.toUtf8()});
        Db::exec(db, u"update tab_answ set K3='020101009',K4='010101001' where A1=?"_s,
                 {kQuestion});
        RelatedPointsWindow window;
        QVERIFY(window.loadCodes(kQuestion));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *list = window.findChild<QListWidget *>(u"pointList"_s);
        auto *label = window.findChild<QLabel *>(u"chapterLabel"_s);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), u"工作时间"_s);
        QCOMPARE(label->text(), u"安全生产法"_s);
        const QRect r = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(label->text(), u"安全管理"_s); // not 劳动法, the chapter of the other 工作时间
        QCOMPARE(window.findChild<QTextBrowser *>(u"pointText"_s)->toPlainText(),
                 u"管理中的工作时间。"_s);
    }

    void layoutOfBothDisplayModes_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("listWidth");
        QTest::addColumn<QSize>("viewer");
        // 657 = 185 + 5 + 467: the viewer takes the rest of the width.
        QTest::newRow("800") << u"800"_s << QSize(657, 421) << 185 << QSize(467, 352);
        QTest::newRow("1024") << u"1024"_s << QSize(917, 585) << 401 << QSize(511, 516);
    }
    void layoutOfBothDisplayModes()
    {
        QFETCH(QString, mode);
        QFETCH(QSize, size);
        QFETCH(int, listWidth);
        QFETCH(QSize, viewer);
        App::displayMode = mode;
        RelatedPointsWindow window;
        QVERIFY(window.loadCodes(u"010101000004"_s));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), size);
        QCOMPARE(window.findChild<QListWidget *>(u"pointList"_s)->width(), listWidth);
        QCOMPARE(window.findChild<QTextBrowser *>(u"pointText"_s)->size(), viewer);
        QCOMPARE(window.findChild<QSplitter *>()->handleWidth(), 5);
        auto *button = window.findChild<QPushButton *>(u"closeButton"_s);
        QCOMPARE(button->text(), u"关  闭"_s);
        QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width());
        const QRect inside = window.rect();
        QVERIFY(inside.contains(
            button->mapTo(&window, QPoint(button->width(), button->height()) - QPoint(1, 1))));
        testsupport::saveShot(&window, u"related_points_layout"_s);
    }

    void closeShowsTheHiddenQuestionWindow()
    {
        QWidget owner;
        RelatedPointsWindow window(&owner);
        QVERIFY(window.loadCodes(u"010101000004"_s));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!owner.isVisible());
        window.findChild<QPushButton *>(u"closeButton"_s)->click();
        QVERIFY(owner.isVisible());
        QVERIFY(!window.isVisible());
    }

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    StudyData *study = nullptr;
};

STUDYAID_QTEST_MAIN(RelatedPointsWindowTest)
#include "test_related_points_window.moc"
