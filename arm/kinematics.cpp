#include "kinematics.h"

#include <cmath>

namespace arm {

LinkTransform multiply(const LinkTransform &l, const LinkTransform &m)
{
    LinkTransform r;
    for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 4; ++j) {
            double sum = 0.0;
            for (int k = 1; k <= 4; ++k)
                sum += l(i, k) * m(k, j);
            r(i, j) = sum;
        }
    }
    return r;
}

LinkTransform BuildLinkTransform(double theta, const DhLink &link)
{
    const double ct = std::cos(theta);
    const double st = std::sin(theta);
    const double ca = link.cosAlpha;
    const double sa = link.sinAlpha;

    LinkTransform t;
    t(1, 1) = ct;  t(1, 2) = -st * ca; t(1, 3) = st * sa;  t(1, 4) = link.a * ct;
    t(2, 1) = st;  t(2, 2) = ct * ca;  t(2, 3) = -ct * sa; t(2, 4) = link.a * st;
    t(3, 1) = 0.0; t(3, 2) = sa;       t(3, 3) = ca;       t(3, 4) = link.d;
    t(4, 1) = 0.0; t(4, 2) = 0.0;      t(4, 3) = 0.0;      t(4, 4) = 1.0;
    return t;
}

std::array<DhLink, 5> armLinks()
{
    auto link = [](short alphaDeg, double a, double d) {
        const double alpha = toRadians(alphaDeg);
        return DhLink{alphaDeg, a, d, std::cos(alpha), std::sin(alpha)};
    };
    return {
        link(-90, 0.0, 9.75),
        link(0, 9.0, 0.0),
        link(0, 9.0, 0.0),
        link(-90, 0.0, 0.0),
        link(0, 0.0, 3.125),
    };
}

void ArmModel::load(const std::array<int, 4> &degrees)
{
    links = armLinks();
    for (int joint = 1; joint <= 4; ++joint)
        SetJointAngle(joint, degrees[joint - 1]);
    transform[4] = BuildLinkTransform(toRadians(0), links[4]);
}

void ArmModel::SetJointAngle(int joint, int degrees)
{
    transform[joint - 1] = BuildLinkTransform(toRadians(degrees), links[joint - 1]);
}

void ArmModel::chainProduct()
{
    pose[0] = multiply(transform[0], transform[1]);
    pose[1] = multiply(pose[0], transform[2]);
    pose[2] = multiply(pose[1], transform[3]);
    pose[3] = multiply(pose[2], transform[4]);
}

Point3 ArmModel::jointOrigin(int frame) const
{
    return frame == 1 ? origin(transform[0]) : origin(pose[frame - 2]);
}

} // namespace arm
