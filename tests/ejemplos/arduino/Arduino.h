// What the example controller uses of the board's core, on the host: the test sets the
// clock and the readings, and the serial port keeps what was printed with the time.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

enum : uint8_t { A0 = 14, A1, A2, A3 };

namespace board {
inline unsigned long now = 0;
inline std::array<int, 4> readings = {};
// What was printed, by the millisecond it was printed in.
inline std::map<unsigned long, std::string> printed;
} // namespace board

inline unsigned long millis() { return board::now; }
inline int analogRead(uint8_t pin) { return board::readings[pin - A0]; }
// The core's integer formula, truncating like it.
inline long map(long x, long inMin, long inMax, long outMin, long outMax)
{
    return (x - inMin) * (outMax - outMin) / (inMax - inMin) + outMin;
}

struct HardwareSerial
{
    void begin(unsigned long rate) { baud = rate; }
    void print(char c) { board::printed[board::now] += c; }
    void print(long n) { board::printed[board::now] += std::to_string(n); }
    // The core's println ends the line with CR LF.
    void println(long n)
    {
        print(n);
        board::printed[board::now] += "\r\n";
    }
    unsigned long baud = 0;
};
inline HardwareSerial Serial;
