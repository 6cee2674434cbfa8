#include "exampoints/PointPracticeWindow.h"

using namespace Qt::StringLiterals;

namespace {

PracticeWindowVariant pointPracticeVariant()
{
    PracticeWindowVariant v;
    v.objectName = u"PointPracticeWindow"_s;
    v.normalSize = QSize(905, 585);
    v.compactSize = QSize(774, 489);
    v.clockCaption = u"时 钟"_s;
    v.hasExplanationButton = false;
    v.hasEditButton = false;
    v.hintFromChapterKey = false;
    v.core.voidCaption = u"本题作废"_s;
    v.core.emptyCheckMessage = u"题还没做呢！"_s;
    v.core.showEditedLabel = false;
    v.core.captionFollowsKind = false;
    return v;
}

} // namespace

PointPracticeWindow::PointPracticeWindow(QWidget *parent)
    : PracticeWindow(pointPracticeVariant(), parent)
{
}
