// The explanation and notes windows on a temporary fixture copy: what the viewer shows for each
// kind of stored explanation, and what the notes window writes and reports when it closes.
#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/StudyData.h"
#include "practice/ExplanationWindow.h"
#include "practice/NotesWindow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kQuestion = u"010101000001"_s;

QVariant htmlBytes(const QString &boldText)
{
    QTextDocument doc;
    doc.setHtml(u"<p>普通 <b>"_s + boldText + u"</b></p>"_s);
    return doc.toHtml().toUtf8();
}

// Whether a text fits its button.
bool captionFits(const QPushButton *b)
{
    return b->fontMetrics().horizontalAdvance(b->text()) + 8 <= b->width();
}

} // namespace

class NotesWindowsTest : public QObject
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

    void explanationShowsWhatIsStored_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bold");
        QTest::newRow("null") << QVariant(QMetaType(QMetaType::QByteArray)) << QString() << false;
        QTest::newRow("invalid") << QVariant() << QString() << false;
        QTest::newRow("plain bytes") << QVariant(u"甲 < 乙 且 <b> 不是标记"_s.toUtf8())
                                     << u"甲 < 乙 且 <b> 不是标记"_s << false;
        QTest::newRow("html bytes") << htmlBytes(u"重点"_s) << u"普通 重点"_s << true;
    }
    void explanationShowsWhatIsStored()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QFETCH(bool, bold);
        ExplanationWindow underTest;
        underTest.bind(value);
        auto *viewer = underTest.findChild<QTextBrowser *>();
        QVERIFY(viewer);
        QCOMPARE(viewer->toPlainText(), text);
        QVERIFY(viewer->isReadOnly());
        if (bold) {
            QTextCursor c(viewer->document());
            c.setPosition(text.size() - 1);
            QVERIFY(c.charFormat().fontWeight() >= QFont::Bold);
        }
    }

    void explanationWindowRestoresTheCursorAndCloses()
    {
        ExplanationWindow underTest;
        QCOMPARE(underTest.windowTitle(), u"解析"_s);
        underTest.bind(htmlBytes(u"要点"_s));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        auto *close = underTest.findChild<QPushButton *>(u"closeButton"_s);
        QVERIFY(close);
        QCOMPARE(close->text(), u"关闭"_s);
        QVERIFY(captionFits(close));
        testsupport::saveShot(&underTest, u"explanation_window"_s);
        close->click();
        QVERIFY(!underTest.isVisible());
    }

    void noteIsSavedAsWrittenWhenClosed_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("closeBy"); // 0 button, 1 close box, 2 Escape
        QTest::addColumn<bool>("flag");
        const QVariant none = QVariant(QMetaType(QMetaType::QString));
        QTest::newRow("blanks only, button") << QVariant(u"旧笔记"_s) << u"   "_s << 0 << false;
        QTest::newRow("cleared, close box") << QVariant(u"旧笔记"_s) << QString() << 1 << false;
        QTest::newRow("note with blanks, Escape") << none << u"  记得复习 O'Neil  "_s << 2 << true;
        QTest::newRow("kept as loaded, button")
            << QVariant(u" 已有 "_s) << u" 已有 "_s << 0 << true;
    }
    void noteIsSavedAsWrittenWhenClosed()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, typed);
        QFETCH(int, closeBy);
        QFETCH(bool, flag);
        Db::exec(study->connection(), u"update tab_answ set A14=? where A1=?"_s,
                 {stored, kQuestion});
        App::notePresentFlag = !flag;

        NotesWindow underTest;
        QCOMPARE(underTest.windowTitle(), u"笔记"_s);
        underTest.bind(u"lx"_s, QString(), kQuestion);
        auto *noteEdit = underTest.findChild<QPlainTextEdit *>();
        QVERIFY(noteEdit);
        QCOMPARE(noteEdit->toPlainText(), stored.toString());
        QCOMPARE(noteEdit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        noteEdit->setFocus();
        noteEdit->selectAll();
        // Chinese text arrives as committed input-method text, not as key codes.
        if (typed.isEmpty())
            QTest::keyClick(noteEdit, Qt::Key_Delete);
        else
            noteEdit->insertPlainText(typed);
        QCOMPARE(noteEdit->toPlainText(), typed);

        auto *button = underTest.findChild<QPushButton *>(u"closeButton"_s);
        QCOMPARE(button->text(), u"关  闭"_s);
        QVERIFY(captionFits(button));
        if (closeBy == 0)
            button->click();
        else if (closeBy == 1)
            underTest.close();
        else
            QTest::keyClick(&underTest, Qt::Key_Escape);
        QVERIFY(!underTest.isVisible());

        QSqlQuery q = Db::query(study->connection(),
                                u"select A14, A14 is null from tab_answ where A1=?"_s, {kQuestion});
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), typed);
        QCOMPARE(q.value(1).toInt(), 0); // a cleared note is '' as written
        QCOMPARE(App::notePresentFlag, flag);
        // Closing saves once: a later edit, shown and closed again, is not written.
        noteEdit->setPlainText(u"之后"_s);
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        underTest.close();
        QCOMPARE(
            Db::scalar(study->connection(), u"select A14 from tab_answ where A1=?"_s, {kQuestion})
                .toString(),
            typed);
    }

    void examNoteGoesToThePaperRow()
    {
        const QSqlDatabase db = study->connection();
        Schema::createPaperTable(db, u"tab_exam7"_s);
        Db::exec(db, u"insert into tab_exam7 (A1,A14) values (?,?)"_s, {kQuestion, u"卷中笔记"_s});
        Db::exec(db, u"update tab_answ set A14='练习笔记' where A1=?"_s, {kQuestion});
        NotesWindow underTest;
        underTest.bind(u"ks"_s, u"tab_exam7"_s, kQuestion);
        auto *noteEdit = underTest.findChild<QPlainTextEdit *>();
        QCOMPARE(noteEdit->toPlainText(), u"卷中笔记"_s);
        noteEdit->setPlainText(u"考试时记下"_s);
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        testsupport::saveShot(&underTest, u"notes_window"_s);
        underTest.close();
        QCOMPARE(Db::scalar(db, u"select A14 from tab_exam7 where A1=?"_s, {kQuestion}).toString(),
                 u"考试时记下"_s);
        QCOMPARE(Db::scalar(db, u"select A14 from tab_answ where A1=?"_s, {kQuestion}).toString(),
                 u"练习笔记"_s);
        QVERIFY(App::notePresentFlag);
    }

    // A note that cannot be read or saved is told in Chinese (another program holding the
    // study data as such); the stored note stays and the flag follows it.
    void failuresAreToldInChinese()
    {
        testsupport::PromptCatcher prompts;
        Db::exec(study->connection(), u"update tab_answ set A14='旧笔记' where A1=?"_s,
                 {kQuestion});
        {
            NotesWindow underTest;
            underTest.bind(u"ks"_s, u"tab_gone"_s, kQuestion);
            QVERIFY(underTest.findChild<QPlainTextEdit *>()->isReadOnly());
            underTest.close();
        }
        QCOMPARE(prompts.messages(), QStringList{u"无法读取笔记！"_s});

        Db::exec(study->connection(), u"create trigger no_note before update on tab_answ "
                                      u"begin select raise(abort, 'notes locked'); end"_s);
        {
            NotesWindow underTest;
            underTest.bind(u"lx"_s, QString(), kQuestion);
            underTest.findChild<QPlainTextEdit *>()->setPlainText(u"  "_s);
            underTest.show();
            QVERIFY(QTest::qWaitForWindowExposed(&underTest));
            underTest.close();
        }
        Db::exec(study->connection(), u"drop trigger no_note"_s);
        QCOMPARE(prompts.messages().value(1), u"发生错误，笔记没有保存！"_s);
        QVERIFY(App::notePresentFlag);

        Db::setBusyTimeout(100);
        {
            NotesWindow underTest;
            underTest.bind(u"lx"_s, QString(), kQuestion);
            underTest.findChild<QPlainTextEdit *>()->setPlainText(u"新笔记"_s);
            underTest.show();
            QVERIFY(QTest::qWaitForWindowExposed(&underTest));
            testsupport::LockedByAnotherProgram lock(data->folder.databasePath());
            QVERIFY(lock.isLocked());
            underTest.close();
        }
        Db::setBusyTimeout(5000);
        QCOMPARE(prompts.messages().value(2),
                 u"学习数据正被其他程序使用，本次没有记录任何内容！请关闭该程序后再试。"_s);
        QCOMPARE(prompts.calls().constLast().caption, u"错误"_s);
        QCOMPARE(prompts.messages().size(), 3);
        QCOMPARE(
            Db::scalar(study->connection(), u"select A14 from tab_answ where A1=?"_s, {kQuestion})
                .toString(),
            u"旧笔记"_s);
    }

    void noteOfAMissingRowIsNotWritten()
    {
        App::notePresentFlag = true;
        NotesWindow underTest;
        underTest.bind(u"lx"_s, QString(), u"NOSUCHID0001"_s);
        auto *noteEdit = underTest.findChild<QPlainTextEdit *>();
        QVERIFY(noteEdit->isReadOnly());
        underTest.show();
        QVERIFY(QTest::qWaitForWindowExposed(&underTest));
        underTest.close();
        QVERIFY(!App::notePresentFlag);
        QCOMPARE(Db::scalar(study->connection(),
                            u"select count(*) from tab_answ where A1='NOSUCHID0001'"_s)
                     .toInt(),
                 0);
    }

private:
    std::unique_ptr<testsupport::TestDatabase> data;
    StudyData *study = nullptr;
};

STUDYAID_QTEST_MAIN(NotesWindowsTest)
#include "test_notes_windows.moc"
