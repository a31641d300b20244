#include "inverse.h"

#include <cmath>
#include <cstdio>

namespace arm {

namespace {

constexpr double kPi = 3.14159265358979323846;
// A point this little beyond a reach is taken as on it: one read off the position readouts
// (three decimals, each off by up to 0.0005) may lie 0.0009 beyond full stretch, and is
// reached at full stretch rather than refused with a distance that reads as the reach.
constexpr double kSlack = 1e-3;
// Nearer the base axis than this, the direction to the target is rounding noise.
constexpr double kOnAxis = 1e-9;

// The link table, and the lengths the closed form takes from it.
struct ArmConstants
{
    std::array<DhLink, 5> links{};
    double shoulderHeight = 0.0;   // link 1's offset: the shoulder above the base
    double upperArm = 0.0;         // link 2, shoulder to elbow
    double forearm = 0.0;          // link 3, elbow to wrist
    double tool = 0.0;             // link 5, wrist to tool point
};

const ArmConstants &constants()
{
    static const ArmConstants c = [] {
        const std::array<DhLink, 5> links = armLinks();
        return ArmConstants{links, links[0].d, links[1].a, links[2].a, links[4].d};
    }();
    return c;
}

// The exact angles are worked in true radians and become the arm's degrees at the end, so
// that the whole degrees around them are the ones the forward kinematics turns back into
// these radians.
double armDegrees(double radians)
{
    return radians / PI_APPROX * 180.0;
}

// A pitch is a direction in space, not an angle the arm converts: ordinary degrees, so
// that 90 stands straight up.
double pitchDegrees(double radians)
{
    return radians * 180.0 / kPi;
}

// Into (-pi, pi].
double wrapRadians(double radians)
{
    const double r = std::remainder(radians, 2 * kPi);
    return r <= -kPi ? r + 2 * kPi : r;
}

// A whole degree rounded from (-180, 180] lands in [-180, 180]; -180 is 180 on the arm.
int wrapDegrees(int degrees)
{
    return degrees <= -180 ? degrees + 360 : degrees;
}

double squaredDistance(const Point3 &a, const Point3 &b)
{
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

// Each joint rounded down or up: the combination whose tool, by the arm's own transforms,
// lies nearest the target. Rounding each joint to its nearest degree is not enough, as the
// joints' errors add up along the chain and can cancel.
InverseSolution wholeDegrees(const std::array<double, 4> &exact, const Point3 &target)
{
    // Each candidate angle's transform built once, as SetJointAngle builds it.
    const std::array<DhLink, 5> &links = constants().links;
    std::array<std::array<int, 2>, 4> choices{};
    std::array<std::array<LinkTransform, 2>, 4> transforms{};
    std::array<int, 4> counts{};
    for (int j = 0; j < 4; ++j) {
        const double low = std::floor(exact[j]);
        const double high = std::ceil(exact[j]);
        choices[j] = {wrapDegrees(int(low)), wrapDegrees(int(high))};
        counts[j] = low == high ? 1 : 2;
        for (int k = 0; k < counts[j]; ++k)
            transforms[j][k] = BuildLinkTransform(toRadians(choices[j][k]), links[j]);
    }
    const LinkTransform toolTransform = BuildLinkTransform(toRadians(0), links[4]);

    // ArmModel::chainProduct's products in its order, each shared by the candidates that
    // agree on the joints before it: 44 products for sixteen candidates instead of 64.
    std::array<int, 4> best = {};
    double bestError = INFINITY;
    for (int a = 0; a < counts[0]; ++a) {
        for (int b = 0; b < counts[1]; ++b) {
            const LinkTransform pose2 = multiply(transforms[0][a], transforms[1][b]);
            for (int c = 0; c < counts[2]; ++c) {
                const LinkTransform pose3 = multiply(pose2, transforms[2][c]);
                for (int d = 0; d < counts[3]; ++d) {
                    const LinkTransform pose4 = multiply(pose3, transforms[3][d]);
                    const double error = squaredDistance(origin(multiply(pose4, toolTransform)), target);
                    if (error < bestError) {
                        bestError = error;
                        best = {choices[0][a], choices[1][b], choices[2][c], choices[3][d]};
                    }
                }
            }
        }
    }

    ArmModel model;
    model.load(best);
    model.chainProduct();
    InverseSolution solution;
    solution.degrees = best;
    solution.position = model.tool();
    solution.error = std::sqrt(squaredDistance(solution.position, target));
    solution.belowFloor = solution.position.z < 0;
    for (int frame = 1; frame <= 4; ++frame)
        solution.belowFloor = solution.belowFloor || model.jointOrigin(frame).z < 0;
    return solution;
}

// The pitch nearest the horizontal among those from thetaRad - deltaRad to thetaRad +
// deltaRad, a whole degree when one lies among them.
double choosePitch(double thetaRad, double deltaRad)
{
    if (std::fabs(thetaRad) <= deltaRad)
        return 0.0;
    // The range lies wholly above or below the horizontal, within (-pi, pi).
    const double nearEnd = pitchDegrees(thetaRad > 0 ? thetaRad - deltaRad : thetaRad + deltaRad);
    const double farEnd = pitchDegrees(thetaRad > 0 ? thetaRad + deltaRad : thetaRad - deltaRad);
    const double whole = thetaRad > 0 ? std::ceil(nearEnd) : std::floor(nearEnd);
    const bool inside = thetaRad > 0 ? whole <= farEnd : whole >= farEnd;
    return inside ? whole : nearEnd;
}

// By the pattern "00.000" of the position readouts: at least two integer digits, three
// decimals, no sign on a value that rounds to zero.
std::string fixed(double value, char decimalPoint)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%06.3f", std::fabs(value));
    std::string text = digits;
    const bool negative = value < 0 && text != "00.000";
    for (char &c : text) {
        if (c == '.')
            c = decimalPoint;
    }
    return negative ? '-' + text : text;
}

} // namespace

InverseResult inverse(const Point3 &target, std::optional<double> pitchDeg)
{
    const ArmConstants &geometry = constants();
    const double wristReach = geometry.upperArm + geometry.forearm;

    InverseResult result;
    result.target = target;
    result.reach = wristReach + geometry.tool;

    // The arm's vertical plane through the target: u out from the base axis, v up from the
    // shoulder.
    const double r = std::hypot(target.x, target.y);
    result.onAxis = r < kOnAxis;
    const double u = result.onAxis ? 0.0 : r;
    const double v = target.z - geometry.shoulderHeight;
    result.shoulderDistance = std::hypot(u, v);
    if (!(result.shoulderDistance <= result.reach + kSlack)) {   // a NaN is too far as well
        result.status = InverseResult::Status::TooFar;
        return result;
    }

    // The wrist at distance D from the shoulder for pitch p, with rho and theta the target's
    // distance and elevation seen from the shoulder: D^2 = rho^2 + tool^2 - 2 tool rho
    // cos(p - theta). The links reach it while D <= their two lengths, so the pitches that
    // reach are theta +- delta. The links are equal here: they fold completely, and no wrist
    // is too near the shoulder.
    const double rho = result.shoulderDistance;
    const double theta = std::atan2(v, u);
    const bool everyPitch = rho + geometry.tool <= wristReach;
    double delta = kPi;
    if (everyPitch) {
        result.minPitchDeg = -180.0;
        result.maxPitchDeg = 180.0;
    } else {
        const double tool = geometry.tool;
        const double k = (rho * rho + tool * tool - wristReach * wristReach) / (2 * tool * rho);
        delta = std::acos(std::fmin(k, 1.0));
        result.minPitchDeg = pitchDegrees(wrapRadians(theta - delta));
        result.maxPitchDeg = pitchDegrees(wrapRadians(theta + delta));
    }

    if (pitchDeg) {
        result.pitchDeg = std::remainder(*pitchDeg, 360.0);
    } else {
        result.pitchChosen = true;
        result.pitchDeg = choosePitch(theta, delta);
    }

    // The wrist, one tool length back from the target along the pitch, first with Q1 facing
    // the target. With Q1 turned away the plane is mirrored: u and the tool's horizontal
    // part change sign.
    const double pitch = result.pitchDeg / 180.0 * kPi;
    const double wristU = u - geometry.tool * std::cos(pitch);
    const double wristV = v - geometry.tool * std::sin(pitch);
    const double wristDistance = std::hypot(wristU, wristV);
    if (!(wristDistance <= wristReach + kSlack)) {
        result.status = InverseResult::Status::PitchCannotReach;
        return result;
    }

    // The triangle of the two links and the shoulder-wrist line: beta at the shoulder,
    // between the line and the upper arm; bend = pi minus the angle at the elbow. A
    // wrist on the shoulder leaves the elbow straight above or below it.
    auto clampedAcos = [](double c) { return std::acos(std::fmax(-1.0, std::fmin(1.0, c))); };
    const double upper = geometry.upperArm;
    const double fore = geometry.forearm;
    const double d2 = wristDistance * wristDistance;
    const double beta =
        wristDistance > 0 ? clampedAcos((upper * upper + d2 - fore * fore) / (2 * upper * wristDistance)) : kPi / 2;
    const double bend = kPi - clampedAcos((upper * upper + fore * fore - d2) / (2 * upper * fore));

    const double facing = result.onAxis ? 0.0 : std::atan2(target.y, target.x);
    for (const bool turned : {false, true}) {
        if (turned && result.onAxis)
            break;
        const double q1 = turned ? facing + kPi : facing;
        const double wu = turned ? -wristU : wristU;
        const double psi = turned ? kPi - pitch : pitch;   // the tool's angle in the plane
        const double gamma = std::atan2(wristV, wu);
        // Turning the upper arm counter-clockwise from the line (seen with u to the right
        // and v up) puts the elbow above the line while the line points out along u. A
        // vertical line (the wrist straight above or below the shoulder) counts as leaning
        // toward the target, as it does for a target a hair farther out.
        const bool counterClockwiseIsUp = turned ? wristU < 0 : wristU >= 0;
        // Elbow up first.
        const int upSide = counterClockwiseIsUp ? 1 : -1;
        for (const int side : {upSide, -upSide}) {
            // Plane angles counter-clockwise; a positive Q2 or Q3 turns clockwise (it lowers
            // the arm), and the tool's angle is psi = -(q2 + q3 + q4 + pi / 2).
            const double elevation = gamma + side * beta;
            const double q2 = -elevation;
            const double q3 = side * bend;
            const double q4 = -psi - kPi / 2 - q2 - q3;
            const std::array<double, 4> exact = {armDegrees(wrapRadians(q1)), armDegrees(wrapRadians(q2)),
                                                 armDegrees(wrapRadians(q3)), armDegrees(wrapRadians(q4))};
            InverseSolution solution = wholeDegrees(exact, target);
            solution.elbow = side == upSide ? Elbow::Up : Elbow::Down;
            solution.baseTurned = turned;
            bool known = false;
            for (const InverseSolution &s : result.solutions)
                known = known || s.degrees == solution.degrees;
            if (!known)
                result.solutions.push_back(solution);
        }
    }
    return result;
}

std::string describe(const InverseResult &result, char decimalPoint)
{
    auto n = [decimalPoint](double value) { return fixed(value, decimalPoint); };
    switch (result.status) {
    case InverseResult::Status::Reached:
        return {};
    case InverseResult::Status::TooFar:
        return "El punto está a " + n(result.shoulderDistance) + " del hombro y el brazo alcanza como mucho "
               + n(result.reach) + ": elija un punto más cercano.";
    case InverseResult::Status::PitchCannotReach: {
        std::string pitches = result.minPitchDeg <= result.maxPitchDeg
                                  ? "entre " + n(result.minPitchDeg) + " y " + n(result.maxPitchDeg)
                                  : "entre " + n(result.minPitchDeg) + " y " + n(180.0) + " o entre "
                                        + n(-180.0) + " y " + n(result.maxPitchDeg);
        return "Con la herramienta inclinada " + n(result.pitchDeg) + " grados el brazo no llega al punto: dé una "
               "inclinación " + pitches + " grados, o ninguna para que se elija sola.";
    }
    }
    return {};
}

} // namespace arm
