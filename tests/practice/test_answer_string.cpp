// Answer strings, judging, keys and the groups of number buttons.
#include "practice/AnswerString.h"
#include "practice/QuestionGroups.h"

#include <QList>
#include <QString>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Answer::WidgetState;

namespace {

std::array<bool, 6> pressed(const char *letters)
{
    std::array<bool, 6> a{};
    for (const char *c = letters; *c; ++c)
        a[*c - 'A'] = true;
    return a;
}

struct PageCase
{
    const char *name;
    int page;
    WidgetState state;
    QString expected;
};

WidgetState withSingle(const char *letters, int visible)
{
    WidgetState s;
    s.single = pressed(letters);
    s.visibleOptions = visible;
    return s;
}

WidgetState withMultiple(const char *letters, int visible, bool matching = false)
{
    WidgetState s;
    (matching ? s.matching : s.multiple) = pressed(letters);
    s.visibleOptions = visible;
    return s;
}

WidgetState withFill(const QString &text)
{
    WidgetState s;
    s.fillIn = text;
    return s;
}

WidgetState withYesNo(bool right, bool wrong)
{
    WidgetState s;
    s.right = right;
    s.wrong = wrong;
    return s;
}

WidgetState withSubjective(int index)
{
    WidgetState s;
    s.subjective = index;
    return s;
}

} // namespace

TEST(AnswerString, EveryPageReadsItsWidgets)
{
    const PageCase cases[] = {
        {"single pressed", Answer::Single, withSingle("C", 4), u"C"_s},
        {"single nothing", Answer::Single, withSingle("", 4), QString()},
        {"single hidden option ignored", Answer::Single, withSingle("E", 3), QString()},
        {"single A2_1 above six shows six", Answer::Single, withSingle("F", 9), u"F"_s},
        {"multiple in A..F order", Answer::Multiple, withMultiple("DAC", 5), u"ACD"_s},
        {"multiple hidden options ignored", Answer::Multiple, withMultiple("ABE", 3), u"AB"_s},
        {"multiple nothing", Answer::Multiple, withMultiple("", 6), QString()},
        {"matching like multiple", Answer::Matching, withMultiple("FB", 6, true), u"BF"_s},
        {"matching reads its own buttons", Answer::Matching, withMultiple("AB", 6), QString()},
        {"fill-in trimmed", Answer::FillIn, withFill(u"  甲,乙 \t"_s), u"甲,乙"_s},
        {"fill-in inner blanks kept", Answer::FillIn, withFill(u" a b "_s), u"a b"_s},
        {"fill-in blanks only", Answer::FillIn, withFill(u"   "_s), QString()},
        {"true", Answer::TrueFalse, withYesNo(true, false), u"A"_s},
        {"false", Answer::TrueFalse, withYesNo(false, true), u"B"_s},
        {"true/false nothing", Answer::TrueFalse, withYesNo(false, false), QString()},
        {"subjective 不会", Answer::Subjective, withSubjective(0), u"0"_s},
        {"subjective 会", Answer::Subjective, withSubjective(1), u"1"_s},
        {"subjective nothing", Answer::Subjective, withSubjective(-1), QString()},
        {"no page", Answer::NoPage, withSingle("A", 4), QString()},
    };
    for (const PageCase &c : cases)
        EXPECT_EQ(Answer::answerString(c.page, c.state), c.expected) << c.name;
}

TEST(AnswerString, JudgingIsWholeStringEqualityWithoutLetterCase)
{
    struct Case
    {
        QString answer, correct;
        bool right;
    } const cases[] = {
        {u"ACD"_s, u"ACD"_s, true},
        {u"ACD"_s, u"CA"_s, false}, // a correct answer stored out of order never matches
        {u"AC"_s, u"CA"_s, false},
        {u"a"_s, u"A"_s, true},       // letter case is ignored: a key stored as "abcd"
        {u"ABCD"_s, u"abcd"_s, true}, // is answered by the capital option buttons
        {u"AB"_s, u"abc"_s, false},
        {u""_s, u""_s, false},            // no answer is never right
        {u"甲,乙"_s, u"甲，乙"_s, false}, // full-width comma against ","
        {u"甲，乙"_s, u"甲,乙"_s, false},
        {u"甲,乙"_s, u"甲,乙"_s, true},
        {u"1"_s, u"1"_s, true}, // subjective: 会 against the stored "1"
        {u"0"_s, u"1"_s, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Answer::isRight(c.answer, c.correct), c.right) << qPrintable(c.answer);
    // The fill-in page trims before judging, so blanks around a right answer stay right.
    EXPECT_TRUE(
        Answer::isRight(Answer::answerString(Answer::FillIn, withFill(u" 甲,乙 "_s)), u"甲,乙"_s));
}

TEST(AnswerString, StoredAnswerComesBackIntoTheWidgets)
{
    WidgetState s;
    Answer::showAnswer(Answer::Multiple, u"ACE"_s, 4, s);
    EXPECT_EQ(s.multiple, pressed("AC")); // E is beyond the four options shown
    EXPECT_EQ(s.visibleOptions, 4);
    EXPECT_EQ(Answer::answerString(Answer::Multiple, s), u"AC"_s);

    Answer::showAnswer(Answer::Single, u"B"_s, 4, s);
    EXPECT_EQ(s.single, pressed("B"));
    Answer::showAnswer(Answer::Single, u"AB"_s, 4, s); // single choice matches the whole caption
    EXPECT_EQ(s.single, pressed(""));

    Answer::showAnswer(Answer::TrueFalse, u"B"_s, 0, s);
    EXPECT_FALSE(s.right);
    EXPECT_TRUE(s.wrong);
    Answer::showAnswer(Answer::Subjective, u"1"_s, 1, s);
    EXPECT_EQ(s.subjective, 1);
    Answer::showAnswer(Answer::Subjective, QString(), 1, s);
    EXPECT_EQ(s.subjective, -1);
    Answer::showAnswer(Answer::FillIn, u"x"_s, 0, s);
    EXPECT_EQ(s.fillIn, u"x"_s);
    // Each page round-trips what it stores.
    for (const auto &[page, text] : {std::pair{Answer::Single, u"D"_s},
                                     {Answer::Multiple, u"BD"_s},
                                     {Answer::TrueFalse, u"A"_s},
                                     {Answer::Subjective, u"0"_s},
                                     {Answer::Matching, u"AF"_s},
                                     {Answer::FillIn, u"答"_s}}) {
        WidgetState t;
        Answer::showAnswer(page, text, 6, t);
        EXPECT_EQ(Answer::answerString(page, t), text) << page;
    }
}

TEST(AnswerString, KeysActOnTheChoiceAndSubjectivePagesOnly)
{
    using K = Answer::KeyAction;
    EXPECT_EQ(Answer::keyAction(Answer::Single, Qt::Key_Backspace).kind, K::Previous);
    EXPECT_EQ(Answer::keyAction(Answer::Multiple, Qt::Key_Return).kind, K::Next);
    EXPECT_EQ(Answer::keyAction(Answer::Single, Qt::Key_Enter).kind, K::Next);
    EXPECT_EQ(Answer::keyAction(Answer::Single, Qt::Key_C).option, 2);
    EXPECT_EQ(Answer::keyAction(Answer::Multiple, Qt::Key_F).option, 5);
    EXPECT_EQ(Answer::keyAction(Answer::Single, Qt::Key_G).kind, K::None);
    for (int page : {int(Answer::FillIn), int(Answer::TrueFalse), int(Answer::Matching)}) {
        EXPECT_EQ(Answer::keyAction(page, Qt::Key_A).kind, K::None) << page;
        EXPECT_EQ(Answer::keyAction(page, Qt::Key_Return).kind, K::None) << page;
    }
    // The subjective page: 1 chooses 会, 0 不会, Enter moves on; Backspace and letters do not act.
    const int sub = Answer::Subjective;
    EXPECT_EQ(Answer::keyAction(sub, Qt::Key_Return).kind, K::Next);
    EXPECT_EQ(Answer::keyAction(sub, Qt::Key_1).option, 1);
    EXPECT_EQ(Answer::keyAction(sub, Qt::Key_0).option, 0);
    for (int key : {int(Qt::Key_2), int(Qt::Key_A), int(Qt::Key_Backspace)})
        EXPECT_EQ(Answer::keyAction(sub, key).kind, K::None) << key;
    WidgetState z = withSubjective(-1);
    Answer::pressOption(sub, 1, z);
    EXPECT_EQ(Answer::answerString(sub, z), u"1"_s);
    Answer::pressOption(sub, 0, z);
    EXPECT_EQ(Answer::answerString(sub, z), u"0"_s);

    // Single choice: the key's option becomes the only pressed one.
    WidgetState s = withSingle("A", 4);
    Answer::pressOption(Answer::Single, 2, s);
    EXPECT_EQ(Answer::answerString(Answer::Single, s), u"C"_s);
    // A hidden option can be pressed by key, but is not read.
    Answer::pressOption(Answer::Single, 4, s);
    EXPECT_EQ(Answer::answerString(Answer::Single, s), QString());

    // Multiple choice: keys toggle; the order of pressing does not matter.
    WidgetState m = withMultiple("", 5);
    for (int option : {3, 0, 2, 1, 1})
        Answer::pressOption(Answer::Multiple, option, m);
    EXPECT_EQ(Answer::answerString(Answer::Multiple, m), u"ACD"_s);
}

TEST(AnswerString, AnswerPanelTexts)
{
    // True/false shows 对 / 错 on both sides; fill-in and subjective show no answer of their own.
    EXPECT_EQ(Answer::panelAnswer(Answer::TrueFalse, withYesNo(false, true)), u"错"_s);
    EXPECT_EQ(Answer::panelCorrect(Answer::TrueFalse, u"A"_s), u"对"_s);
    EXPECT_EQ(Answer::panelCorrect(Answer::Single, u"A"_s), u"A"_s);
    EXPECT_EQ(Answer::panelAnswer(Answer::FillIn, withFill(u"x"_s)), QString());
    EXPECT_EQ(Answer::panelAnswer(Answer::Subjective, withSubjective(1)), QString());
    EXPECT_EQ(Answer::panelAnswer(Answer::Multiple, withMultiple("CA", 4)), u"AC"_s);
    EXPECT_EQ(Answer::panelVerdict(true), u"恭喜你，做对了！"_s);
    EXPECT_EQ(Answer::panelVerdict(false), u"很遗憾，做错了，请继续努力！"_s);
    EXPECT_EQ(Answer::kindCaption(u"简答"_s), u"简\n答"_s);
    EXPECT_EQ(Answer::kindCaption(u"案例分析"_s), u"案\n例"_s);
}

TEST(AnswerString, OptionTextsOfTheAnswerPanel)
{
    const QString body = u"题目（\u3000）包括 A. 在行中不算\nA. 甲\n B、乙 \nc：丙\nD.\n"
                         u"E．戊"_s;
    struct Case
    {
        QString letters;
        QString expected;
    };
    const QList<Case> cases{
        {u"B"_s, u"B：乙"_s},   {u"AC"_s, u"A：甲\nC：丙"_s},
        {u"d"_s, u"d"_s},     // an option without text and no other: as given
        {u"E"_s, u"E：戊"_s}, // full-width stop
        {u"F"_s, u"F"_s},     // no such option
        {u"对"_s, u"对"_s},   // not letters: unchanged
        {QString(), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Answer::withOptionTexts(c.letters, body), c.expected) << c.letters.toStdString();
}

TEST(AnswerString, FeedbackLineAfterFinishing)
{
    EXPECT_EQ(Answer::feedbackLine(Answer::Single, true, u"A"_s), u"回答正确"_s);
    EXPECT_EQ(Answer::feedbackLine(Answer::Single, false, u"A"_s), u"回答错误（正确答案：A）"_s);
    EXPECT_EQ(Answer::feedbackLine(Answer::Multiple, false, u"ABD"_s),
              u"回答错误（正确答案：ABD）"_s);
    EXPECT_EQ(Answer::feedbackLine(Answer::TrueFalse, false, u"B"_s),
              u"回答错误（正确答案：错）"_s);
    EXPECT_EQ(Answer::feedbackLine(Answer::Subjective, true, u"1"_s), QString());
    EXPECT_EQ(Answer::feedbackLine(Answer::FillIn, false, u"x"_s), QString());
}

TEST(QuestionGroups, GroupsOfTwenty)
{
    struct Case
    {
        int count, groups, firstSize, lastStart, lastSize;
    } const cases[] = {
        {1, 1, 1, 1, 1},    {20, 1, 20, 1, 20},  {21, 2, 20, 21, 1},
        {45, 3, 20, 41, 5}, {60, 3, 20, 41, 20},
    };
    for (const Case &c : cases) {
        Groups::QuestionGroups g;
        g.first(c.count);
        EXPECT_EQ(g.groups, c.groups) << c.count;
        EXPECT_EQ(g.size, c.firstSize) << c.count;
        EXPECT_FALSE(g.hasPrevious());
        while (g.hasNext())
            g.next();
        EXPECT_EQ(g.current, c.groups) << c.count;
        EXPECT_EQ(g.start, c.lastStart) << c.count;
        EXPECT_EQ(g.size, c.lastSize) << c.count;
        EXPECT_EQ(g.recordAt(c.lastSize), 0) << "buttons beyond the group carry 0";
        g.previous();
        if (c.groups > 1) {
            EXPECT_EQ(g.start, c.lastStart - 20) << c.count;
            EXPECT_EQ(g.size, 20) << c.count;
        }
    }
    EXPECT_EQ(Groups::buttonIndex(1), 0);
    EXPECT_EQ(Groups::buttonIndex(20), 19);
    EXPECT_EQ(Groups::buttonIndex(40), 19);
    EXPECT_EQ(Groups::buttonIndex(45), 4);
}

TEST(QuestionGroups, MovesBetweenQuestionsAndGroups)
{
    using M = Groups::Move;
    Groups::QuestionGroups g;
    g.first(45);
    // Inside a group: press the neighbour's button.
    M m = Groups::nextQuestion(g, 5);
    EXPECT_EQ(m.kind, M::Press);
    EXPECT_EQ(m.index, 5);
    // From the group's last question: the next group, at its first question.
    m = Groups::nextQuestion(g, 20);
    EXPECT_EQ(m.kind, M::NextGroup);
    EXPECT_EQ(m.index, -1);
    EXPECT_TRUE(m.previousGroupEnabled);
    EXPECT_TRUE(m.nextGroupEnabled); // group 2 of 3 still has a next one
    g.next();
    // From the first question of group 2: group 1, at its first question (not its last).
    m = Groups::previousQuestion(g, 21);
    EXPECT_EQ(m.kind, M::PreviousGroup);
    EXPECT_EQ(m.index, -1);
    EXPECT_FALSE(m.previousGroupEnabled);
    EXPECT_TRUE(m.nextGroupEnabled);
    m = Groups::previousQuestion(g, 30);
    EXPECT_EQ(m.kind, M::Press);
    EXPECT_EQ(m.index, 8);
    // Group 2 to 3 ends the groups.
    EXPECT_FALSE(Groups::nextGroup(g).nextGroupEnabled);
    g.next();
    EXPECT_EQ(Groups::nextQuestion(g, 45).kind, M::None);
    EXPECT_TRUE(Groups::previousGroup(g).previousGroupEnabled); // 3 -> 2 keeps "<-上一组"
    g.first(45);
    EXPECT_EQ(Groups::previousQuestion(g, 1).kind, M::None);
}
