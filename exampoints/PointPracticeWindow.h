// The exam-point practice window: works through every question linked to one exam point.
#pragma once

#include "practice/PracticeWindow.h"

// The chapter practice window with the exam point's questions as its set: no explanation and no
// edit button, "本题作废" on the void button, "题还没做呢！" for a check without an answer, the
// subjective page's caption fixed, and the hint board showing the point's title set by the
// opener (setHintBoard).
class PointPracticeWindow : public PracticeWindow
{
    Q_OBJECT

public:
    explicit PointPracticeWindow(QWidget *parent = nullptr);
};
