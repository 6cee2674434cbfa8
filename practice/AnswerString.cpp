#include "practice/AnswerString.h"

#include "data/AnswerRecord.h"

#include <QStringList>
#include <Qt>

using namespace Qt::StringLiterals;

namespace Answer {

namespace {

QString pressedCaptions(const std::array<bool, OptionCount> &pressed, int visible, bool firstOnly)
{
    QString answer;
    for (int i = 0; i < visible; ++i) {
        if (!pressed[i])
            continue;
        answer += optionCaption(i);
        if (firstOnly)
            break;
    }
    return answer;
}

std::array<bool, OptionCount> *options(int page, WidgetState &state)
{
    switch (page) {
    case Single:
        return &state.single;
    case Multiple:
        return &state.multiple;
    case Matching:
        return &state.matching;
    default:
        return nullptr;
    }
}

} // namespace

QString optionCaption(int index)
{
    return QString(QChar(u'A' + index));
}

int visibleOptions(int optionCount)
{
    return qBound(0, optionCount, OptionCount);
}

QString answerString(int page, const WidgetState &state)
{
    const int visible = visibleOptions(state.visibleOptions);
    switch (page) {
    case Single:
        return pressedCaptions(state.single, visible, true);
    case Multiple:
        return pressedCaptions(state.multiple, visible, false);
    case FillIn:
        return state.fillIn.trimmed();
    case TrueFalse:
        return state.right ? u"A"_s : state.wrong ? u"B"_s : QString();
    case Subjective:
        return state.subjective >= 0 ? QString::number(state.subjective) : QString();
    case Matching:
        return pressedCaptions(state.matching, visible, false);
    default:
        return {};
    }
}

void showAnswer(int page, const QString &runAnswer, int optionCount, WidgetState &state)
{
    const int visible = visibleOptions(optionCount);
    if (std::array<bool, OptionCount> *buttons = options(page, state)) {
        state.visibleOptions = visible;
        for (int i = 0; i < OptionCount; ++i) {
            const QString caption = optionCaption(i);
            const bool pressed =
                page == Single ? caption == runAnswer : runAnswer.contains(caption);
            (*buttons)[i] = i < visible && pressed;
        }
        return;
    }
    switch (page) {
    case FillIn:
        state.fillIn = runAnswer;
        break;
    case TrueFalse:
        state.right = runAnswer == u"A"_s;
        state.wrong = runAnswer == u"B"_s;
        break;
    case Subjective:
        state.subjective = -1;
        for (int i = 0; i < 2; ++i) {
            if (QString::number(i) == runAnswer)
                state.subjective = i;
        }
        break;
    default:
        break;
    }
}

bool isRight(const QString &answer, const QString &correct)
{
    return answerIsRight(answer, correct);
}

QString panelAnswer(int page, const WidgetState &state)
{
    switch (page) {
    case TrueFalse:
        return state.right ? u"对"_s : state.wrong ? u"错"_s : QString();
    case FillIn:
    case Subjective:
        return {};
    default:
        return answerString(page, state);
    }
}

QString panelCorrect(int page, const QString &correct)
{
    if (page == TrueFalse) {
        if (correct == u"A"_s)
            return u"对"_s;
        if (correct == u"B"_s)
            return u"错"_s;
    }
    return correct;
}

bool panelAvailable(int page)
{
    return page != FillIn && page != Subjective;
}

QString withOptionTexts(const QString &letters, const QString &questionText)
{
    if (letters.isEmpty())
        return {};
    for (QChar c : letters) {
        if (c.toUpper() < u'A' || c.toUpper() > u'F')
            return letters;
    }
    // The last line starting with a letter wins: options follow the question's own text.
    std::array<QString, OptionCount> texts;
    const QStringList lines = questionText.split(u'\n');
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.size() < 2)
            continue;
        const QChar letter = line.at(0).toUpper();
        const QChar mark = line.at(1);
        if (letter < u'A' || letter > u'F' || !QStringView(u".．、:：").contains(mark))
            continue;
        texts[letter.unicode() - u'A'] = line.mid(2).trimmed();
    }
    QStringList out;
    bool found = false;
    for (QChar c : letters) {
        const QChar letter = c.toUpper();
        const QString &text = texts[letter.unicode() - u'A'];
        found = found || !text.isEmpty();
        out.append(text.isEmpty() ? QString(letter) : QString(letter) + u'：' + text);
    }
    // A question whose options are not in its text keeps the plain letters.
    return found ? out.join(u'\n') : letters;
}

QString feedbackLine(int page, bool right, const QString &correct)
{
    if (!panelAvailable(page))
        return {};
    if (right)
        return u"回答正确"_s;
    return u"回答错误（正确答案："_s + panelCorrect(page, correct) + u'）';
}

QString panelVerdict(bool right)
{
    return right ? u"恭喜你，做对了！"_s : u"很遗憾，做错了，请继续努力！"_s;
}

QString pageCaption(int page)
{
    static const QString captions[PageCount] = {u"单选"_s, u"多选"_s, u"填空"_s,
                                                u"判断"_s, u"主观"_s, u"配伍"_s};
    return page >= 0 && page < PageCount ? captions[page] : QString();
}

QString pageHint(int page)
{
    static const QString hints[PageCount] = {
        u"选择一个选项作为正确答案"_s,           u"选择两个或者多个选项作为正确答案"_s,
        u"填写正确答案，答案间用“,”隔开"_s,      u"根据判断选择“正确”或者“错误”"_s,
        u"根据自己实际情况选择“会”或者“不会”"_s, u"选择若干个选项作为正确答案"_s};
    return page >= 0 && page < PageCount ? hints[page] : QString();
}

QString subjectiveHint()
{
    return u"会做选“会”，不会做选“不会”（键 1 / 0）\n“会”计为做对，“不会”计为做错"_s;
}

QString verticalCaption(int page)
{
    static const QString captions[PageCount] = {u"单\n选"_s, u"多\n选"_s, u"填\n空"_s,
                                                u"判\n断"_s, u"主\n观"_s, u"不\n定\n项"_s};
    return page >= 0 && page < PageCount ? captions[page] : QString();
}

QString kindCaption(const QString &kindName)
{
    const QString two = kindName.left(2);
    return two.size() < 2 ? two : two.left(1) + u'\n' + two.mid(1);
}

KeyAction keyAction(int page, int qtKey)
{
    KeyAction action;
    if (page == Subjective) {
        if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) {
            action.kind = KeyAction::Next;
        } else if (qtKey == Qt::Key_0 || qtKey == Qt::Key_1) {
            action.kind = KeyAction::Option;
            action.option = qtKey - Qt::Key_0;
        }
        return action;
    }
    if (page != Single && page != Multiple)
        return action;
    if (qtKey == Qt::Key_Backspace)
        action.kind = KeyAction::Previous;
    else if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter)
        action.kind = KeyAction::Next;
    else if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_F) {
        action.kind = KeyAction::Option;
        action.option = qtKey - Qt::Key_A;
    }
    return action;
}

void pressOption(int page, int option, WidgetState &state)
{
    if (option < 0 || option >= OptionCount)
        return;
    if (page == Single) {
        state.single.fill(false);
        state.single[option] = true;
    } else if (page == Multiple) {
        state.multiple[option] = !state.multiple[option];
    } else if (page == Subjective && option <= 1) {
        state.subjective = option;
    }
}

} // namespace Answer
