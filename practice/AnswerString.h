// Answer strings of the six answer pages: reading them from the state of the answer widgets,
// putting a stored answer back into that state, judging, and the keys of the choice pages.
#pragma once

#include <QString>
#include <array>

namespace Answer {

// The answer pages, in the order of the page control.
enum Page
{
    Single = 0,
    Multiple = 1,
    FillIn = 2,
    TrueFalse = 3,
    Subjective = 4,
    Matching = 5
};
// answerPageOfKind's answer for a kind without a page: the page shown stays.
constexpr int NoPage = 99;
constexpr int PageCount = 6;
constexpr int OptionCount = 6;

// Everything the candidate can set on the six pages. Only one page is read at a time.
struct WidgetState
{
    std::array<bool, OptionCount> single{};   // page 0, option buttons A..F (one pressed)
    std::array<bool, OptionCount> multiple{}; // page 1, toggle buttons A..F
    QString fillIn;                           // page 2, the edit's text
    bool right = false;                       // page 3, "对" pressed
    bool wrong = false;                       // page 3, "错" pressed
    int subjective = -1;                      // page 4, index of the chosen item, -1 = none
    std::array<bool, OptionCount> matching{}; // page 5, toggle buttons A..F
    int visibleOptions = OptionCount;         // options shown on pages 0, 1 and 5
};

// Caption of option i (0 = "A").
QString optionCaption(int index);
// Number of options shown for a question's A2_1: 0..6 (more than six shows six).
int visibleOptions(int optionCount);

// The answer string of a page: single choice the pressed visible option; multiple choice and
// matching the pressed visible options in A..F order without separator; fill-in the trimmed
// text; true/false "A" or "B"; subjective the chosen index as decimal text. Empty when nothing
// is given, and for a page number outside 0..5.
QString answerString(int page, const WidgetState &state);

// The state of a page showing a stored run answer (the other pages stay as they are):
// single choice presses the option whose caption equals the answer, multiple choice and
// matching every visible option whose caption occurs in it, fill-in shows it, true/false
// presses "对" for "A" and "错" for "B", subjective chooses the item whose index is the answer.
// Options beyond the visible count are released.
void showAnswer(int page, const QString &runAnswer, int optionCount, WidgetState &state);

// Judging: the whole answer string equals the correct answer, every character counting but
// letter case ignored; an empty answer is never right (answerIsRight, the program's one rule).
bool isRight(const QString &answer, const QString &correct);

// What the answer panel shows for a page: the candidate's answer as in answerString, except
// that true/false reads "对" or "错" and fill-in and subjective read empty; and the correct
// answer, with "A" / "B" shown as "对" / "错" on the true/false page.
QString panelAnswer(int page, const WidgetState &state);
QString panelCorrect(int page, const QString &correct);
// Whether the answer panel can show an answer read on the page: not on the fill-in and the
// subjective pages, whose panel shows no answer of the candidate's and so could only contradict
// the judgement. A question answered there (a subjective kind, or a kind without a page of its
// own that the subjective page stands for) has no answer panel.
bool panelAvailable(int page);
// The letters of a choice answer with their option texts read from the question's plain text,
// one "B：乙" a line ("A." / "A、" / "A：" at the start of a line introduces option A). A letter
// whose option is not found stays alone; when none is found, or for any other text (对, 错),
// the text is returned as it is.
QString withOptionTexts(const QString &letters, const QString &questionText);
// The line under the question after "完成": "回答正确", or "回答错误（正确答案：A）" with the
// correct answer as the answer panel shows it; empty for the pages without an answer of their
// own (fill-in, subjective), whose result is the candidate's own rating.
QString feedbackLine(int page, bool right, const QString &correct);
// The panel's verdict: the judgement itself (isRight of the answer string), never a comparison
// of the texts shown.
QString panelVerdict(bool right);

// Captions and hints of the pages.
QString pageCaption(int page);
QString pageHint(int page);
// The subjective page's visible line: what its choice means and its keys.
QString subjectiveHint();
// The vertical caption standing at the left of a page ("单\n选"); page 4 carries the kind's.
QString verticalCaption(int page);
// The subjective page's vertical caption for a kind name: its first two characters one above
// the other.
QString kindCaption(const QString &kindName);

// Keys of the answer pages: on the choice pages (0, 1) Backspace = 上一题, Enter = 下一题 and
// A..F press an option; on the subjective page (4) "1" chooses 会, "0" 不会, and Enter = 下一题.
// Other pages take no keys.
struct KeyAction
{
    enum Kind
    {
        None,
        Previous,
        Next,
        Option
    };
    Kind kind = None;
    int option = -1; // Option: 0 = "A"; on the subjective page the item index (1 = 会)
};
KeyAction keyAction(int page, int qtKey);
// A key pressed option: on the single-choice page it becomes the only pressed option, on the
// multiple-choice page it toggles, on the subjective page the item is chosen. Hidden options can
// be pressed (they are not read).
void pressOption(int page, int option, WidgetState &state);

} // namespace Answer
