#pragma once

#include "kinematics.h"

class PictureArea;

// The two drawings of the arm: the side view (model x-z plane, joint origins as filled
// circles joined by thick segments) and the top view (one segment from the centre to the
// tool). Both read the view's scale each time they draw and never set it.
namespace arm {

// Design-time properties of the views: white background, scale, pen width, pen colour.
void setUpSideView(PictureArea *view);
void setUpTopView(PictureArea *view);

void drawSideView(PictureArea *view, const ArmModel &model);
void drawTopView(PictureArea *view, const ArmModel &model);

} // namespace arm
