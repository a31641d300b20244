#pragma once

#include "kinematics.h"

#include <array>

// The forward kinematics' table: eight poses, Q1..Q4 in whole degrees, and where each puts
// the tool, the 3.1416 of the conversion included, to six decimals. The expected positions
// of every test of the arm come from here, never from the code under test.
struct TablePose
{
    const char *name;
    std::array<int, 4> q;
    double x, y, z;
};

inline constexpr std::array<TablePose, 8> kTablePoses = {{
    {"defaults", {0, 0, 0, -90}, 21.125000, -0.000011, 9.750011},
    {"all zero", {0, 0, 0, 0}, 18.000000, -0.000023, 6.625000},
    {"q1 90", {90, 0, 0, 0}, -0.000043, 18.000000, 6.625000},
    {"q2 90 lowers the arm", {0, 90, 0, 0}, -3.125066, -0.000078, -8.249989},
    {"q3 90", {0, 0, 90, 0}, 5.874967, -0.000045, 0.750011},
    {"q4 90", {0, 0, 0, 90}, 14.875000, -0.000011, 9.750011},
    {"45 30 -60 -90", {45, 30, -60, -90}, 12.936335, 12.936374, 11.312513},
    {"guide pose", {18, -18, -38, -52}, 15.753547, 5.118682, 20.958200},
}};

// The arm at those joint angles, its chain product worked out.
inline arm::ArmModel modelAt(const std::array<int, 4> &q)
{
    arm::ArmModel model;
    model.load(q);
    model.chainProduct();
    return model;
}
