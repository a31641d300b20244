#include "armviews.h"

#include "designunits.h"
#include "picturearea.h"

namespace arm {
namespace {

constexpr double kSideScaleWidth = 118.714287;
constexpr double kSideScaleHeight = 77.571342;
constexpr int kSidePenWidth = 5;
constexpr double kTopScaleWidth = 69.25;
constexpr double kTopScaleHeight = 47.25;
constexpr int kTopPenWidth = 4;
constexpr double kJointRadius = 2.0;
// The side view shows model x shifted right by this much, so that the base stands inside.
constexpr double kSideShiftX = 5.0;
// Where the first segment of the side view starts, in the view's units: a fixed point
// 35 units below the top, not the bottom edge, whatever the view's height.
constexpr double kSideStartY = 35.0;

// The drawing takes its coordinates in single precision, rounded from the model's doubles.
QPointF viewPoint(double x, double y)
{
    return QPointF(float(x), float(y));
}

void setUpView(PictureArea *view, double width, double height, int penWidth)
{
    view->setScale(width, height);
    view->setDrawWidth(penWidth);
    view->setForeColor(DesignUnits::color(DesignUnits::kButtonText));
    view->setBackColor(DesignUnits::color(DesignUnits::kWhite));
}

} // namespace

void setUpSideView(PictureArea *view)
{
    setUpView(view, kSideScaleWidth, kSideScaleHeight, kSidePenWidth);
}

void setUpTopView(PictureArea *view)
{
    setUpView(view, kTopScaleWidth, kTopScaleHeight, kTopPenWidth);
}

void drawSideView(PictureArea *view, const ArmModel &model)
{
    const double h = view->scaleHeight();
    auto place = [h](const Point3 &p) { return viewPoint(p.x + kSideShiftX, h - p.z); };

    view->setFillColor(DesignUnits::color(DesignUnits::kRed));
    // Each circle goes down before the segment that ends at it, so the segments lie over
    // the circles.
    QPointF previous = viewPoint(kSideShiftX, kSideStartY);
    for (int frame = 1; frame <= 4; ++frame) {
        const QPointF o = place(model.jointOrigin(frame));
        view->circle(o, kJointRadius);
        view->line(previous, o);
        previous = o;
    }
    view->line(previous, place(model.tool()));
}

void drawTopView(PictureArea *view, const ArmModel &model)
{
    const double cx = view->scaleWidth() / 2.0;
    const double cy = view->scaleHeight() / 2.0;
    const Point3 tool = model.tool();
    view->line(viewPoint(cx, cy), viewPoint(cx + tool.x, cy - tool.y));
}

} // namespace arm
