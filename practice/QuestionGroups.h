// The question set laid out in groups of 20 number buttons, and the moves between questions and
// groups that the practice windows offer.
#pragma once

namespace Groups {

constexpr int GroupSize = 20;

// Where the number buttons stand: which records the current group shows.
struct QuestionGroups
{
    int count = 0;             // questions in the (filtered) set
    int groups = 0;            // number of groups
    int current = 0;           // group shown, 1-based (0 before the first fill)
    int start = 1;             // record number of the group's first question
    int size = 0;              // questions in the group (0..groupSize)
    int groupSize = GroupSize; // number buttons of the window (the mock exam has one group of 85)

    // First group of a set of `count` questions.
    void first(int questionCount);
    // The group before / after the current one.
    void previous();
    void next();

    int end() const { return start + size - 1; }
    bool contains(int record) const { return record >= start && record <= end(); }
    // Record number carried by button i (0 when the button is beyond the group).
    int recordAt(int index) const { return index < size ? start + index : 0; }
    bool hasPrevious() const { return current > 1; }
    bool hasNext() const { return current < groups; }
};

// Index of the number button of a record: (record mod 20) - 1, 19 when the remainder is 0.
int buttonIndex(int record);

// What "上一题" / "下一题" do from the question on screen (its record number).
struct Move
{
    enum Kind
    {
        None,
        Press,
        PreviousGroup,
        NextGroup
    };
    Kind kind = None;
    int index = -1; // the number button to press (after a group move: -1 = the first)
    // After a group move: whether "<-上一组" / "下一组->" stay enabled.
    bool previousGroupEnabled = false;
    bool nextGroupEnabled = false;
};
Move previousQuestion(const QuestionGroups &groups, int record);
Move nextQuestion(const QuestionGroups &groups, int record);
// The group buttons' enabling after "<-上一组" / "下一组->" from the current group.
Move previousGroup(const QuestionGroups &groups);
Move nextGroup(const QuestionGroups &groups);

} // namespace Groups
