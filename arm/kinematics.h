#pragma once

#include <array>

// The arm: five Denavit-Hartenberg links, four driven by the joint angles Q1..Q4 and a
// fixed fifth that carries the tool. Standard (distal) convention: a link transform is
// Rz(theta) * Tz(d) * Tx(a) * Rx(alpha).
namespace arm {

// Degrees become radians with this constant, not pi, everywhere in the arm, and the
// division by 180 comes before the multiplication: the results the arm is known by
// (its readouts and pictures) carry the small error this brings.
constexpr double PI_APPROX = 3.1416;

inline double toRadians(double degrees)
{
    return degrees / 180.0 * PI_APPROX;
}

// One link's constants. Links 1..4 turn with joints Q1..Q4; link 5 is fixed at theta = 0.
struct DhLink
{
    short alphaDeg = 0;      // twist in whole degrees
    double a = 0.0;          // length
    double d = 0.0;          // offset
    // cos and sin of the twist in radians, worked out once with the link: every transform
    // needs them.
    double cosAlpha = 1.0;
    double sinAlpha = 0.0;
};

// 4 x 4 homogeneous transform, column-major, addressed (row, column) from 1.
struct LinkTransform
{
    std::array<double, 16> m{};

    double &operator()(int row, int column) { return m[(row - 1) + 4 * (column - 1)]; }
    double operator()(int row, int column) const { return m[(row - 1) + 4 * (column - 1)]; }
};

struct Point3
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Translation of a transform: column 4, rows 1 to 3.
inline Point3 origin(const LinkTransform &t)
{
    return {t(1, 4), t(2, 4), t(3, 4)};
}

// R = L * M, every element a sum over k = 1..4 in that order, bottom row included.
LinkTransform multiply(const LinkTransform &l, const LinkTransform &m);

// Fills all sixteen elements from theta (radians) and the link's alpha, a and d.
LinkTransform BuildLinkTransform(double theta, const DhLink &link);

// The five links of the arm, the same in every simulator.
std::array<DhLink, 5> armLinks();

// The joint angles Q1..Q4 in degrees that a simulator opens with; a message of a bare
// selector puts its joint back to this angle.
constexpr std::array<int, 4> kOpeningPose = {0, 0, 0, -90};

struct ArmModel
{
    std::array<LinkTransform, 5> transform{};   // T1..T5 at [0]..[4]
    std::array<LinkTransform, 4> pose{};        // poses of frames 2..5 at [0]..[3]
    std::array<DhLink, 5> links{};

    // Sets the link table, builds T1..T4 from the given whole degrees and T5 from
    // theta = 0. The poses are left as they are.
    void load(const std::array<int, 4> &degrees);
    // Rebuilds T<joint> (1..4) alone from whole degrees.
    void SetJointAngle(int joint, int degrees);
    // pose 2 = T1 * T2, pose k = pose (k-1) * Tk, in that order.
    void chainProduct();

    // Origins of frames 1..4 (O1 is the translation of T1) and the tool point.
    Point3 jointOrigin(int frame) const;
    Point3 tool() const { return origin(pose[3]); }
};

} // namespace arm
