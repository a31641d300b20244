#include "jointmessage.h"

#include "kinematics.h"

namespace protocol {

int jointOf(char selector)
{
    return selector >= 'A' && selector <= 'D' ? selector - 'A' + 1 : 0;
}

char selectorOf(int joint)
{
    return char('A' + joint - 1);
}

int jointOf(std::string_view message)
{
    return message.empty() ? 0 : jointOf(message.front());
}

std::string angleText(std::string_view message)
{
    // The opening angle is the one the entries start with.
    if (message.size() == 1)
        return std::to_string(arm::kOpeningPose[jointOf(message) - 1]);
    return std::string(message.substr(1));
}

std::string message(int joint, int degrees)
{
    return selectorOf(joint) + std::to_string(degrees);
}

bool isWellFormed(std::string_view message)
{
    if (jointOf(message) == 0)
        return false;
    std::string_view degrees = message.substr(1);
    if (degrees.empty())
        return true;
    const bool negative = degrees.front() == '-';
    if (negative)
        degrees.remove_prefix(1);
    // Whole degrees within what the entries convert: a 32-bit integer.
    if (degrees.empty() || degrees.size() > 10)
        return false;
    long long value = 0;
    for (const char c : degrees) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= (negative ? 2147483648LL : 2147483647LL);
}

std::string words(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Moved:
        return "Q" + std::to_string(outcome.joint) + "=" + std::to_string(outcome.degrees);
    case Outcome::Kind::UnknownSelector:
        return "selector desconocido";
    case Outcome::Kind::NotANumber:
        return "no es un n\xC3\xBAmero";
    case Outcome::Kind::SameText:
        return "mismo texto";
    }
    return std::string();
}

std::vector<std::string_view> split(std::string_view received)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < received.size(); ++i) {
        if (received[i] != '\n' && received[i] != '\r')
            continue;
        // CR LF is one break.
        if (received[i] == '\r' && i + 1 < received.size() && received[i + 1] == '\n')
            ++i;
        pieces.push_back(received.substr(start, i + 1 - start));
        start = i + 1;
    }
    if (start < received.size())
        pieces.push_back(received.substr(start));
    if (pieces.size() <= 1)
        return {received};
    return pieces;
}

} // namespace protocol
