#include "practice/QuestionGroups.h"

#include <algorithm>

namespace Groups {

void QuestionGroups::first(int questionCount)
{
    count = std::max(0, questionCount);
    groups = count / groupSize + (count % groupSize != 0 ? 1 : 0);
    current = 1;
    start = 1;
    size = std::min(count, groupSize);
}

void QuestionGroups::previous()
{
    if (current <= 1)
        return;
    start = (current - 2) * groupSize + 1;
    current -= 1;
    size = groupSize;
}

void QuestionGroups::next()
{
    if (current >= groups)
        return;
    start = current * groupSize + 1;
    size = count < current * groupSize + groupSize ? count - current * groupSize : groupSize;
    current += 1;
}

int buttonIndex(int record)
{
    const int rest = record % GroupSize;
    return (rest == 0 ? GroupSize : rest) - 1;
}

Move previousGroup(const QuestionGroups &groups)
{
    Move move;
    move.kind = Move::PreviousGroup;
    move.nextGroupEnabled = true;
    move.previousGroupEnabled = groups.current > 2;
    return move;
}

Move nextGroup(const QuestionGroups &groups)
{
    Move move;
    move.kind = Move::NextGroup;
    move.previousGroupEnabled = true;
    move.nextGroupEnabled = groups.groups - groups.current > 1;
    return move;
}

Move previousQuestion(const QuestionGroups &groups, int record)
{
    const int target = record - 1;
    if (target >= groups.start && target >= 1) {
        Move move;
        move.kind = Move::Press;
        move.index = target - (groups.current - 1) * groups.groupSize - 1;
        return move;
    }
    if (groups.current >= 2) {
        // Going back past a group's first question shows the group before from its first
        // question, as the group buttons do.
        return previousGroup(groups);
    }
    return {};
}

Move nextQuestion(const QuestionGroups &groups, int record)
{
    const int target = record + 1;
    if (target <= groups.start + groups.size - 1) {
        Move move;
        move.kind = Move::Press;
        move.index = target - (groups.current - 1) * groups.groupSize - 1;
        return move;
    }
    if (groups.current < groups.groups)
        return nextGroup(groups);
    return {};
}

} // namespace Groups
