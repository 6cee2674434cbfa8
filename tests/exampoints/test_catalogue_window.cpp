// The exam-point catalogue driven by objectName on a temporary fixture copy: the grid of the
// display mode, find, opening chapters and groups, the point list with its statistics line, the
// key-point toggle, practising a point (found by its title without trailing blanks) and coming
// back to fresh counters, and the catalogue run modally as the menu runs it.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "exampoints/CatalogueWindow.h"
#include "exampoints/PointCatalogue.h"
#include "exampoints/PointPracticeWindow.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kNoQuestions = u"虽然针对该内容的习题没有，您仍要仔细阅读！"_s;

QTableView *grid(QWidget *w)
{
    return w->findChild<QTableView *>(u"catalogueGrid"_s);
}

QPushButton *button(QWidget *w, const QString &name)
{
    return w->findChild<QPushButton *>(name);
}

QListWidget *pointList(QWidget *w)
{
    return w->findChild<QListWidget *>(u"pointList"_s);
}

QStringList entries(QWidget *w)
{
    QStringList list;
    if (QListWidget *l = pointList(w)) {
        for (int i = 0; i < l->count(); ++i)
            list.append(l->item(i)->text());
    }
    return list;
}

QString label(QWidget *w, const QString &name)
{
    auto *l = w->findChild<QLabel *>(name);
    return l ? l->text() : u"<none>"_s;
}

int selectedRow(QWidget *w)
{
    const QModelIndex current = grid(w)->currentIndex();
    return current.isValid() ? current.row() : -1;
}

} // namespace

class CatalogueWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    std::unique_ptr<testsupport::PromptCatcher> prompts;

    QSqlDatabase db() const { return data->study.connection(); }
    void exec(const QString &sql, const QVariantList &values = {}) { Db::exec(db(), sql, values); }

    // A shown catalogue window.
    std::unique_ptr<CatalogueWindow> openCatalogue()
    {
        auto catalogue = std::make_unique<CatalogueWindow>();
        catalogue->show();
        return catalogue;
    }

    // Selects the grid row of a tab_fgmc id; false when there is none.
    bool selectId(CatalogueWindow *catalogue, const QString &id)
    {
        const int row = catalogue->rowIds().indexOf(id);
        if (row < 0)
            return false;
        grid(catalogue)->setCurrentIndex(grid(catalogue)->model()->index(row, 0));
        return true;
    }

    // Opens the chapter with 选定(&S).
    bool openChapter(CatalogueWindow *catalogue, const QString &id)
    {
        if (!selectId(catalogue, id))
            return false;
        button(catalogue, u"openButton"_s)->click();
        return pointList(catalogue) != nullptr;
    }

private slots:
    void init()
    {
        data = std::make_unique<testsupport::TestDatabase>();
        QVERIFY(data->isValid());
        App::currentPaperKind = 1;
        App::answerTimeTable = {};
        prompts = std::make_unique<testsupport::PromptCatcher>();
    }

    void cleanup()
    {
        while (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        prompts.reset();
        data.reset();
    }

    void catalogueGridOfTheDisplayMode()
    {
        exec(u"update tab_fgmc set q1=3, q2=12, q4=1234567890 where id='010101'"_s);
        auto catalogue = openCatalogue();
        CatalogueWindow *w = catalogue.get();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const bool compact = App::displayMode == u"800"_s;
        QCOMPARE(w->size(), compact ? QSize(760, 504) : QSize(900, 599));
        QVERIFY(QApplication::primaryScreen()->geometry().contains(w->geometry()));
        QCOMPARE(label(w, u"titleLabel"_s), u"考 点 目 录"_s);
        QCOMPARE(w->findChild<QWidget *>(u"titleBar"_s)->height(), 39);

        // The row id list in catalogue order, one grid row per tab_fgmc row.
        QCOMPARE(w->rowIds(),
                 (QStringList{u"01"_s, u"010101"_s, u"010102"_s, u"02"_s, u"020101"_s}));
        QAbstractItemModel *model = grid(w)->model();
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(model->columnCount(), 5);
        const QStringList headers = PointCatalogue::headerTexts(compact);
        for (int c = 0; c < 5; ++c) {
            QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), headers.at(c));
            QCOMPARE(grid(w)->columnWidth(c), c == 0 ? (compact ? 410 : 554) : 80);
        }
        QVERIFY(headers.at(0).startsWith(QString(compact ? 19 : 29, u' ') + u'考'));
        QCOMPARE(model->index(1, 0).data().toString(), u"安全生产法"_s);
        const QStringList row1{
            model->index(1, 1).data().toString(), model->index(1, 2).data().toString(),
            model->index(1, 3).data().toString(), model->index(1, 4).data().toString()};
        QCOMPARE(row1,
                 (QStringList{u"        5"_s, u"        3"_s, u"       12"_s, u"1234567890"_s}));
        QCOMPARE(grid(w)->rowHeight(0), 30);
        QCOMPARE(grid(w)->horizontalHeader()->height(), compact ? 30 : 36);
        QCOMPARE(grid(w)->font().pixelSize(), 16);
        QCOMPARE(grid(w)->selectionBehavior(), QAbstractItemView::SelectRows);

        // Bottom bar: positions of the display mode, the catalogue view's state.
        const int y = compact ? 425 : 520;
        QCOMPARE(w->findChild<QLineEdit *>(u"findEdit"_s)->geometry(), QRect(8, y, 180, 22));
        const QList<std::tuple<QString, QString, int>> bar{
            {u"findButton"_s, u"检索(&F)"_s, 218},      {u"openButton"_s, u"选定(&S)"_s, 316},
            {u"keyPointsButton"_s, u"重点(&M)"_s, 400}, {u"practiseButton"_s, u"练习(&P)"_s, 484},
            {u"backButton"_s, u"返回(&B)"_s, 568},      {u"exitButton"_s, u"退出(&E)"_s, 652}};
        for (const auto &[name, caption, x] : bar) {
            QPushButton *b = button(w, name);
            QCOMPARE(b->text(), caption);
            QCOMPARE(b->geometry(), QRect(x, y, 75, 22));
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text().remove(u'&')) + 6 <= b->width(),
                     qPrintable(name));
        }
        QVERIFY(!button(w, u"keyPointsButton"_s)->isEnabled());
        QVERIFY(!button(w, u"practiseButton"_s)->isEnabled());
        QVERIFY(button(w, u"backButton"_s)->isHidden());
        QVERIFY(grid(w)->isVisible());

        // Selecting a row shows its name as the grid's tool tip.
        QVERIFY(selectId(w, u"010102"_s));
        QCOMPARE(grid(w)->toolTip(), u"劳动法"_s);
        testsupport::saveShot(w, u"laws_catalogue"_s);
        button(w, u"exitButton"_s)->click();
        QVERIFY(!w->isVisible());
        QVERIFY(prompts->calls().isEmpty());
    }

    void find_data()
    {
        QTest::addColumn<QString>("text");
        // Where each press of find leads, the selection starting on row 3 (管理): a grid row,
        // or "chapter/point" when a point's chapter was opened with the point selected.
        QTest::addColumn<QStringList>("stops");
        QTest::newRow("rows, then a point in its chapter, then round again")
            << u"安全"_s << QStringList{u"1"_s, u"Labour LAW/安全检查"_s, u"1"_s};
        QTest::newRow("a point that is not its chapter's first")
            << u"权利"_s
            << QStringList{u"安全生产法/从业人员的权利"_s, u"安全生产法/从业人员的权利"_s};
        QTest::newRow("outer blanks removed, one match stays")
            << u"  劳动 "_s << QStringList{u"2"_s, u"2"_s};
        QTest::newRow("point of another chapter from a point")
            << u"工作时间"_s << QStringList{u"劳动法/工作时间"_s};
        QTest::newRow("from further down, upwards") << u"法律"_s << QStringList{u"0"_s, u"0"_s};
        QTest::newRow("Latin letters, case counts") << u"law"_s << QStringList{u"3"_s};
        QTest::newRow("inner blank counts") << u"安全 管理"_s << QStringList{u"3"_s};
    }
    void find()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, stops);
        exec(u"update tab_fgmc set n='Labour LAW' where id='020101'"_s);
        auto catalogue = openCatalogue();
        CatalogueWindow *w = catalogue.get();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QVERIFY(selectId(w, u"02"_s));
        auto *edit = w->findChild<QLineEdit *>(u"findEdit"_s);
        edit->setText(text);
        const auto where = [w]() -> QString {
            if (QListWidget *list = pointList(w)) {
                return label(w, u"titleLabel"_s) + u'/' +
                       PointCatalogue::pointTitle(list->currentItem()->text());
            }
            return QString::number(selectedRow(w));
        };
        const bool found = stops != QStringList{u"3"_s};
        for (int press = 0; press < stops.size(); ++press) {
            // By mouse first, then Enter while the find box has the focus, else F3.
            if (press == 0)
                button(w, u"findButton"_s)->click();
            else if (edit->hasFocus())
                QTest::keyClick(edit, Qt::Key_Return);
            else
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
            QCOMPARE(where(), stops.at(press));
            if (found) {
                QVERIFY2(label(w, u"catalogueHint"_s).startsWith(u"找到第 "_s),
                         qPrintable(label(w, u"catalogueHint"_s)));
            } else {
                QCOMPARE(label(w, u"catalogueHint"_s), u"没有找到"_s);
            }
        }
        QVERIFY(prompts->calls().isEmpty());
        testsupport::saveShot(w, u"laws_find"_s);
    }

    void findTellsWhatItFoundAndWhenNothing()
    {
        auto catalogue = openCatalogue();
        CatalogueWindow *w = catalogue.get();
        QVERIFY(selectId(w, u"02"_s));
        auto *edit = w->findChild<QLineEdit *>(u"findEdit"_s);
        // Blank: nothing happens at all.
        const QString hint = label(w, u"catalogueHint"_s);
        for (const QString &blank : {u""_s, u"   "_s}) {
            edit->setText(blank);
            button(w, u"findButton"_s)->click();
            QCOMPARE(selectedRow(w), 3);
            QCOMPARE(label(w, u"catalogueHint"_s), hint);
        }
        edit->setText(u"税法"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(selectedRow(w), 3);
        QCOMPARE(label(w, u"catalogueHint"_s), u"没有找到"_s);
        // A new text starts from the top again.
        edit->setText(u"安全"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(selectedRow(w), 4);
        QCOMPARE(label(w, u"catalogueHint"_s), u"找到第 2 个，共 3 个；按F3查找下一个。"_s);
        edit->setText(u"安全管理"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(selectedRow(w), 4);
        QCOMPARE(label(w, u"catalogueHint"_s), u"找到第 1 个，共 1 个；按F3查找下一个。"_s);
        QVERIFY(prompts->calls().isEmpty());
    }

    void findShowsAPointTheKeyPointFilterHides()
    {
        exec(u"update tab_rule set q=1 where ftid='010101002'"_s); // below the threshold 2
        auto catalogue = openCatalogue();
        CatalogueWindow *w = catalogue.get();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QVERIFY(openChapter(w, u"010101"_s));
        button(w, u"keyPointsButton"_s)->click();
        QCOMPARE(entries(w), QStringList{u"生产经营单位的主体责任(4)"_s});
        // The find box is hidden here; F3 searches its text all the same.
        w->findChild<QLineEdit *>(u"findEdit"_s)->setText(u"权利"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QCOMPARE(entries(w), (QStringList{u"生产经营单位的主体责任(4)"_s, u"从业人员的权利(1)"_s}));
        QCOMPARE(pointList(w)->currentRow(), 1);
        QCOMPARE(button(w, u"keyPointsButton"_s)->text(), u"重点(&M)"_s);
        QCOMPARE(label(w, u"statisticsLine"_s).left(5), u"相关题数："_s);
    }

    void aGroupCannotBeOpened()
    {
        auto catalogue = openCatalogue();
        QVERIFY(selectId(catalogue.get(), u"02"_s));
        button(catalogue.get(), u"openButton"_s)->click();
        QCOMPARE(prompts->calls().size(), 1);
        const PromptCall call = prompts->calls().at(0);
        QCOMPARE(call.kind, PromptCall::Prompt);
        QCOMPARE(call.caption, u"提示"_s);
        QCOMPARE(call.message, u"请选择具体章节!"_s);
        QCOMPARE(call.buttons, 3);
        QCOMPARE(call.icon, 1);
        QVERIFY(!pointList(catalogue.get()));
        QCOMPARE(label(catalogue.get(), u"titleLabel"_s), u"考 点 目 录"_s);
    }

    void openingAChapterListsItsPoints()
    {
        exec(u"update tab_rule set q1=3, q2=7, q4=2 where ftid='010101001'"_s);
        exec(u"update tab_fgmc set n='  安全生产法 ' where id='010101'"_s);
        auto catalogue = openCatalogue();
        CatalogueWindow *w = catalogue.get();
        QVERIFY(selectId(w, u"010101"_s));
        // A double-click opens as 选定(&S) does.
        emit grid(w)->doubleClicked(grid(w)->currentIndex());
        QVERIFY(pointList(w));
        QCOMPARE(label(w, u"titleLabel"_s), u"安全生产法"_s);
        QCOMPARE(w->keyPointThreshold(), 2); // 5 questions, 2 points
        // The stored title ends in blanks; the entry does not.
        QCOMPARE(entries(w), (QStringList{u"生产经营单位的主体责任(4)"_s, u"从业人员的权利(2)"_s}));
        QCOMPARE(pointList(w)->currentRow(), 0);
        QCOMPARE(pointList(w)->font().pixelSize(), 16);
        auto *viewer = w->findChild<QTextBrowser *>(u"pointText"_s);
        QCOMPARE(viewer->toPlainText(), u"主体责任的要点。"_s);
        QCOMPARE(label(w, u"statisticsLine"_s),
                 u"相关题数：4题  已做题数：3题  已做道次：7次  做错道次：2次"_s);
        QCOMPARE(w->findChild<QWidget *>(u"statisticsLine"_s)->height(), 28);
        QVERIFY(button(w, u"practiseButton"_s)->isEnabled());
        QVERIFY(button(w, u"keyPointsButton"_s)->isEnabled());
        QVERIFY(!button(w, u"backButton"_s)->isHidden());
        for (const QString &name : {u"findButton"_s, u"openButton"_s})
            QVERIFY2(button(w, name)->isHidden(), qPrintable(name));
        QVERIFY(w->findChild<QLineEdit *>(u"findEdit"_s)->isHidden());
        QVERIFY(grid(w)->isHidden());
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(pointList(w)->width(), 388);
        // The statistics line fits beside the list.
        auto *note = w->findChild<QLabel *>(u"statisticsLine"_s);
        QVERIFY(note->fontMetrics().horizontalAdvance(note->text()) + 16 <= note->width());
        testsupport::saveShot(w, u"laws_detail"_s);

        // Another point: its text and its line.
        pointList(w)->setCurrentRow(1);
        QCOMPARE(viewer->toPlainText(), u"从业人员享有知情权、建议权。"_s);
        QCOMPARE(label(w, u"statisticsLine"_s),
                 u"相关题数：2题  已做题数：0题  已做道次：0次  做错道次：0次"_s);
        QVERIFY(prompts->calls().isEmpty());
    }

    void pointsWithoutQuestionsAreToBeRead()
    {
        exec(u"update tab_rule set q=0 where id='010101'"_s);
        auto catalogue = openCatalogue();
        QVERIFY(openChapter(catalogue.get(), u"010101"_s));
        QCOMPARE(entries(catalogue.get()),
                 (QStringList{u"生产经营单位的主体责任"_s, u"从业人员的权利"_s}));
        for (int k = 0; k < 2; ++k) {
            pointList(catalogue.get())->setCurrentRow(k);
            QCOMPARE(label(catalogue.get(), u"statisticsLine"_s), kNoQuestions);
            QVERIFY(!button(catalogue.get(), u"practiseButton"_s)->isEnabled());
        }
    }

    void aChapterWithoutPoints()
    {
        exec(u"insert into tab_fgmc (id,n,bh,q) values ('020102','应急管理',6,0)"_s);
        auto catalogue = openCatalogue();
        QVERIFY(openChapter(catalogue.get(), u"020102"_s));
        QCOMPARE(prompts->messages(), QStringList{u"找不到考点!"_s});
        QCOMPARE(prompts->calls().at(0).kind, PromptCall::MessageBox);
        QCOMPARE(prompts->calls().at(0).caption, u"提示"_s);
        QCOMPARE(prompts->calls().at(0).icon, int(QMessageBox::Information));
        QVERIFY(entries(catalogue.get()).isEmpty());
        QVERIFY(!button(catalogue.get(), u"practiseButton"_s)->isEnabled());
        QCOMPARE(label(catalogue.get(), u"titleLabel"_s), u"应急管理"_s);
        button(catalogue.get(), u"backButton"_s)->click();
        QVERIFY(!pointList(catalogue.get()));
        QCOMPARE(catalogue->rowIds().value(selectedRow(catalogue.get())), u"020102"_s);
    }

    void keyPointToggle_data()
    {
        QTest::addColumn<QVariant>("chapterQuestions"); // tab_fgmc.q of 010101
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QStringList>("keyPoints"); // empty: none pass
        const QStringList both{u"生产经营单位的主体责任(4)"_s, u"从业人员的权利(2)"_s};
        QTest::newRow("6 div 2 = 3")
            << QVariant(6) << 3 << QStringList{u"生产经营单位的主体责任(4)"_s};
        QTest::newRow("5 div 2 = 2") << QVariant(5) << 2 << both;
        QTest::newRow("1 div 2 = 0, raised to 1") << QVariant(1) << 1 << both;
        QTest::newRow("not an integer: 1") << QVariant(u"many"_s) << 1 << both;
        QTest::newRow("10 div 2 = 5: none") << QVariant(10) << 5 << QStringList{};
    }
    void keyPointToggle()
    {
        QFETCH(QVariant, chapterQuestions);
        QFETCH(int, threshold);
        QFETCH(QStringList, keyPoints);
        exec(u"update tab_fgmc set q=? where id='010101'"_s, {chapterQuestions});
        const QStringList all{u"生产经营单位的主体责任(4)"_s, u"从业人员的权利(2)"_s};
        auto catalogue = openCatalogue();
        CatalogueWindow *w = catalogue.get();
        QVERIFY(openChapter(w, u"010101"_s));
        QCOMPARE(w->keyPointThreshold(), threshold);
        QPushButton *most = button(w, u"keyPointsButton"_s);
        pointList(w)->setCurrentRow(1);
        most->click();
        if (keyPoints.isEmpty()) {
            QCOMPARE(prompts->messages(), QStringList{u"此考点暂无重点内容！"_s});
            QCOMPARE(prompts->calls().at(0).caption, u"提示"_s);
            QCOMPARE(entries(w), all);
            QCOMPARE(most->text(), u"重点(&M)"_s);
            QCOMPARE(pointList(w)->currentRow(), 0);
            return;
        }
        QVERIFY(prompts->calls().isEmpty());
        QCOMPARE(entries(w), keyPoints);
        QCOMPARE(most->text(), u"全部(&A)"_s);
        QCOMPARE(pointList(w)->currentRow(), 0);
        QCOMPARE(w->findChild<QTextBrowser *>(u"pointText"_s)->toPlainText(),
                 u"主体责任的要点。"_s);
        most->click();
        QCOMPARE(entries(w), all);
        QCOMPARE(most->text(), u"重点(&M)"_s);
        // Leaving while key points are shown resets the toggle for the next chapter.
        most->click();
        QCOMPARE(most->text(), u"全部(&A)"_s);
        button(w, u"backButton"_s)->click();
        QCOMPARE(most->text(), u"重点(&M)"_s);
        QVERIFY(!most->isEnabled());
        QVERIFY(openChapter(w, u"010101"_s));
        QCOMPARE(entries(w), all);
        QCOMPARE(most->text(), u"重点(&M)"_s);
    }

    void practisingAPointAndComingBack()
    {
        // Run as the menu runs it: modally. Hiding for the practice window must not end the
        // catalogue's own modal loop.
        CatalogueWindow catalogue;
        testsupport::ModalSafetyNet safety;

        bool catalogueHidden = false;
        QString hint, caption, practiceQuery, questions;
        QString lineAfter, entryAfter, titleAfter;
        bool visibleAfter = false;
        QString gridAfter;
        int rowAfterBack = -1;
        QTimer::singleShot(0, &catalogue, [&] {
            if (!openChapter(&catalogue, u"010101"_s)) {
                catalogue.close();
                return;
            }
            testsupport::whenModalShows<PointPracticeWindow>([&](PointPracticeWindow *practice) {
                catalogueHidden = !catalogue.isVisible();
                hint = label(practice, u"hintBoard"_s);
                caption = practice->windowTitle();
                practiceQuery = App::practiceQuery;
                questions = label(practice, u"questionCountLabel"_s);
                // One answer: first time, wrong (the first question's answer is B).
                practice->findChild<QAbstractButton *>(u"singleOptionA"_s)->click();
                practice->findChild<QAbstractButton *>(u"finishButton"_s)->click();
                practice->findChild<QAbstractButton *>(u"closeButton"_s)->click();
            });
            // The point whose stored title ends in blanks.
            pointList(&catalogue)->setCurrentRow(0);
            button(&catalogue, u"practiseButton"_s)->click();
            visibleAfter = catalogue.isVisible();
            lineAfter = label(&catalogue, u"statisticsLine"_s);
            entryAfter = pointList(&catalogue)->currentItem()->text();
            titleAfter = label(&catalogue, u"titleLabel"_s);
            button(&catalogue, u"backButton"_s)->click();
            rowAfterBack = selectedRow(&catalogue);
            gridAfter = grid(&catalogue)->model()->index(1, 3).data().toString();
            QTimer::singleShot(50, &catalogue,
                               [&] { button(&catalogue, u"exitButton"_s)->click(); });
        });
        catalogue.exec();

        QVERIFY(prompts->calls().isEmpty());
        QVERIFY(catalogueHidden);
        QCOMPARE(hint, u"生产经营单位的主体责任"_s);
        QCOMPARE(caption, QString());
        QCOMPARE(practiceQuery, PointCatalogue::practiceQuery(u"010101001"_s));
        QCOMPARE(questions, u"4"_s);
        // Back in the detail view on the same point, its line read again.
        QVERIFY(visibleAfter);
        QCOMPARE(titleAfter, u"安全生产法"_s);
        QCOMPARE(entryAfter, u"生产经营单位的主体责任(4)"_s);
        QCOMPARE(lineAfter, u"相关题数：4题  已做题数：1题  已做道次：1次  做错道次：1次"_s);
        // 返回(&B): the opened row, with counters read afresh.
        QCOMPARE(rowAfterBack, 1);
        QCOMPARE(gridAfter, u"        1"_s);
        QVERIFY(catalogue.findChildren<PointPracticeWindow *>().isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void aPointWhoseQuestionsAreGone()
    {
        // The point counts questions no longer linked to it.
        exec(u"update tab_answ set K3=NULL, K4=NULL where '010101002' in (K3, K4)"_s);
        auto catalogue = openCatalogue();
        QVERIFY(openChapter(catalogue.get(), u"010101"_s));
        pointList(catalogue.get())->setCurrentRow(1);
        const QString line = label(catalogue.get(), u"statisticsLine"_s);
        button(catalogue.get(), u"practiseButton"_s)->click();
        QCOMPARE(prompts->calls().size(), 1);
        const PromptCall call = prompts->calls().at(0);
        QCOMPARE(call.caption, u"提示"_s);
        QCOMPARE(call.message, u"恭喜你，习题已做完！"_s);
        QCOMPARE(call.buttons, 1);
        QCOMPARE(call.icon, 0);
        QVERIFY(catalogue->isVisible());
        QCOMPARE(pointList(catalogue.get())->currentRow(), 1);
        QCOMPARE(label(catalogue.get(), u"statisticsLine"_s), line);
        QVERIFY(catalogue->findChildren<PointPracticeWindow *>().isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void aTitleHoldingAParenthesisStillFindsItsPoint()
    {
        // The entry "劳动法(2018)(2)" gives the title "劳动法", found nowhere: the selected point
        // is practised.
        exec(u"update tab_rule set sn='劳动法(2018)' where ftid='010102001'"_s);
        auto catalogue = openCatalogue();
        QVERIFY(openChapter(catalogue.get(), u"010102"_s));
        QCOMPARE(entries(catalogue.get()), QStringList{u"劳动法(2018)(2)"_s});
        QString query;
        testsupport::whenModalShows<PointPracticeWindow>([&](PointPracticeWindow *practice) {
            query = App::practiceQuery;
            practice->close();
        });
        button(catalogue.get(), u"practiseButton"_s)->click();
        QCOMPARE(query, PointCatalogue::practiceQuery(u"010102001"_s));
        QVERIFY(prompts->calls().isEmpty());
    }

    void failuresAreReportedInChinese()
    {
        // The catalogue cannot be read: an empty grid, a message, the window still closes.
        exec(u"alter table tab_fgmc rename to tab_fgmc_gone"_s);
        {
            auto catalogue = openCatalogue();
            QCOMPARE(prompts->messages(), QStringList{u"无法读取考点目录！"_s});
            QCOMPARE(prompts->calls().at(0).caption, u"错误"_s);
            QCOMPARE(grid(catalogue.get())->model()->rowCount(), 0);
            button(catalogue.get(), u"openButton"_s)->click(); // no row: nothing
            QVERIFY(!pointList(catalogue.get()));
            button(catalogue.get(), u"exitButton"_s)->click();
            QVERIFY(!catalogue->isVisible());
        }
        exec(u"alter table tab_fgmc_gone rename to tab_fgmc"_s);

        // The points cannot be read: the detail view stays empty and 返回(&B) leads back.
        auto catalogue = openCatalogue();
        exec(u"alter table tab_rule rename to tab_rule_gone"_s);
        QVERIFY(openChapter(catalogue.get(), u"010101"_s));
        QCOMPARE(prompts->messages().value(1), u"无法读取该章节的考点！"_s);
        QCOMPARE(catalogue->keyPointThreshold(), 1);
        QVERIFY(entries(catalogue.get()).isEmpty());
        QVERIFY(!button(catalogue.get(), u"practiseButton"_s)->isEnabled());
        button(catalogue.get(), u"backButton"_s)->click();
        QVERIFY(!pointList(catalogue.get()));
        exec(u"alter table tab_rule_gone rename to tab_rule"_s);

        // The practice run cannot start: the catalogue comes back as it was.
        QVERIFY(openChapter(catalogue.get(), u"010101"_s));
        pointList(catalogue.get())->setCurrentRow(1);
        exec(u"alter table tab_answ rename to tab_answ_gone"_s);
        button(catalogue.get(), u"practiseButton"_s)->click();
        QCOMPARE(prompts->messages().value(2), u"发生错误！"_s);
        QCOMPARE(prompts->calls().value(2).caption, u"错误"_s);
        QVERIFY(catalogue->isVisible());
        QCOMPARE(pointList(catalogue.get())->currentRow(), 1);
        QCOMPARE(label(catalogue.get(), u"statisticsLine"_s),
                 u"相关题数：2题  已做题数：0题  已做道次：0次  做错道次：0次"_s);
        QVERIFY(catalogue->findChildren<PointPracticeWindow *>().isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(prompts->calls().size(), 3);
    }

    void keyboardOpensAndPractises()
    {
        auto catalogue = openCatalogue();
        QVERIFY(QTest::qWaitForWindowExposed(catalogue.get()));
        QVERIFY(selectId(catalogue.get(), u"020101"_s));
        QTest::keyClick(grid(catalogue.get()), Qt::Key_Return);
        QVERIFY(pointList(catalogue.get()));
        QCOMPARE(entries(catalogue.get()), QStringList{u"安全检查(2)"_s});
        QString hint;
        testsupport::whenModalShows<PointPracticeWindow>([&](PointPracticeWindow *practice) {
            hint = label(practice, u"hintBoard"_s);
            practice->close();
        });
        QTest::keyClick(pointList(catalogue.get()), Qt::Key_Return);
        QCOMPARE(hint, u"安全检查"_s);
        QVERIFY(prompts->calls().isEmpty());
    }
};

STUDYAID_QTEST_MAIN(CatalogueWindowTest)
#include "test_catalogue_window.moc"
