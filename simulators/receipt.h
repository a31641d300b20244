#pragma once

#include "jointmessage.h"
#include "kinematics.h"

#include <QByteArray>
#include <QString>

#include <array>

// One message as a simulator took it: when, from where, its bytes, what the arm made of
// it, and where the arm stood afterwards. The recording writes it; the monitor shows it.
struct Receipt
{
    qint64 ms = 0;                  // on the program's clock
    QString source;                 // "serie", or "tcp " and the client's address
    QByteArray bytes;
    protocol::Outcome outcome;
    std::array<int, 4> joints{};    // Q1..Q4 in degrees, as the arm was built after it
    arm::Point3 tool;
};
