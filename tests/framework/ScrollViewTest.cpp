#include "framework/ScrollView.h"
#include "framework/Dc.h"
#include "framework/Geometry.h"

#include <QScrollBar>
#include <gtest/gtest.h>

TEST(SubtractRect, RemovesOnlyWhatLeavesOneRectangle)
{
    const CRect clip(10, 10, 100, 100);
    const struct
    {
        const char *name;
        CRect page;
        CRect expected; // empty: nothing left
    } rows[] = {
        {"covers the top across", CRect(0, 0, 200, 40), CRect(10, 40, 100, 100)},
        {"covers the bottom across", CRect(0, 70, 200, 200), CRect(10, 10, 100, 70)},
        {"covers the left down", CRect(0, 0, 50, 200), CRect(50, 10, 100, 100)},
        {"covers the right down", CRect(50, 10, 150, 150), CRect(10, 10, 50, 100)},
        {"covers a corner only", CRect(50, 50, 150, 150), CRect(10, 10, 100, 100)},
        {"a band through the middle", CRect(0, 40, 200, 60), CRect(10, 10, 100, 100)},
        {"covers everything", CRect(0, 0, 200, 200), CRect()},
        {"misses", CRect(200, 200, 300, 300), CRect(10, 10, 100, 100)},
        {"empty page", CRect(0, 0, 0, 0), CRect(10, 10, 100, 100)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        CRect result(1, 2, 3, 4);
        EXPECT_EQ(SubtractRect(&result, clip, row.page), !row.expected.IsRectEmpty());
        EXPECT_EQ(result, row.expected);
    }
    EXPECT_EQ(NormalizedRect(CRect(100, 90, 10, 20)), CRect(10, 20, 100, 90));
}

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
    view.SetScrollSizes(MM_TEXT, CSize(1000, 2000));
    EXPECT_EQ(view.GetPageSize(), CSize(100, 200));
    EXPECT_EQ(view.GetLineSize(), CSize(10, 20));
    view.SetScrollSizes(MM_TEXT, CSize(1000, 2000), CSize(300, 400), CSize(0, 7));
    EXPECT_EQ(view.GetPageSize(), CSize(300, 400));
    EXPECT_EQ(view.GetLineSize(), CSize(30, 7));
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
        view.ScrollAction(Qt::Vertical, step.action);
        EXPECT_EQ(view.GetScrollPosition(), CPoint(0, step.expectedY)) << step.action;
    }
    view.ScrollAction(Qt::Horizontal, Action::SliderToMaximum);
    EXPECT_EQ(view.GetScrollPosition().x, view.horizontalScrollBar()->maximum());
    view.ScrollToPosition(CPoint(-5, 99999));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, maxY));
}
