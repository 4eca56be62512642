#include "framework/ScrollView.h"
#include "framework/Dc.h"

#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

class PlainScrollView : public CScrollView
{
public:
    void OnDraw(CDC *) override {}
};

} // namespace

TEST(ScrollView, ZeroStepsDefaultToATenth)
{
    PlainScrollView view;
    const QScrollBar *h = view.horizontalScrollBar();
    const QScrollBar *v = view.verticalScrollBar();
    view.SetScrollSizes(MM_TEXT, CSize(1000, 2000));
    EXPECT_EQ(CSize(h->pageStep(), v->pageStep()), CSize(100, 200));
    EXPECT_EQ(CSize(h->singleStep(), v->singleStep()), CSize(10, 20));
    view.SetScrollSizes(MM_TEXT, CSize(1000, 2000), CSize(300, 400), CSize(0, 7));
    EXPECT_EQ(CSize(h->pageStep(), v->pageStep()), CSize(300, 400));
    EXPECT_EQ(CSize(h->singleStep(), v->singleStep()), CSize(30, 7));
    // A window too small for a line step of its own still scrolls by a pixel.
    view.SetScrollSizes(MM_TEXT, CSize(5, 5), CSize(3, 3), CSize());
    EXPECT_EQ(CSize(h->singleStep(), v->singleStep()), CSize(1, 1));
}

TEST(ScrollView, BarActionsStepByLineAndPageAndStopAtTheEnds)
{
    PlainScrollView view;
    view.resize(200, 100);
    view.show();
    view.SetScrollSizes(MM_TEXT, CSize(1000, 3000), CSize(150, 80), CSize(15, 8));
    const int maxY = view.verticalScrollBar()->maximum();
    ASSERT_GT(maxY, 0);
    using Action = QAbstractSlider::SliderAction;
    const struct
    {
        Action action;
        int expectedY;
    } steps[] = {
        {Action::SliderSingleStepSub, 0}, {Action::SliderSingleStepAdd, 8},
        {Action::SliderPageStepAdd, 88},  {Action::SliderPageStepSub, 8},
        {Action::SliderToMaximum, maxY},  {Action::SliderSingleStepAdd, maxY},
        {Action::SliderToMinimum, 0},     {Action::SliderPageStepSub, 0},
    };
    for (const auto &step : steps) {
        view.verticalScrollBar()->triggerAction(step.action);
        EXPECT_EQ(view.GetScrollPosition(), CPoint(0, step.expectedY)) << step.action;
    }
    view.horizontalScrollBar()->triggerAction(Action::SliderToMaximum);
    EXPECT_EQ(view.GetScrollPosition().x, view.horizontalScrollBar()->maximum());
    view.ScrollToPosition(CPoint(-5, 99999));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, maxY));
}
