#pragma once

#include <string>
#include <string_view>
#include <vector>

// The joint messages that move the arm, as a controller sends them on the serial line or
// to the network simulator, and the constants of those links. Bytes are Windows-1252, one
// byte a character, so a message is read byte by byte.
//
// A message is a selector letter and the angle text: "A" to "D", upper case only, for the
// joints Q1 to Q4, then the rest of the message as the joint's entry will hold it ("A45",
// "C-30", "B 30"). A bare selector ("D") stands for the joint's opening angle.
namespace protocol {

// Where the network windows listen unless told otherwise.
constexpr unsigned short kTcpPort = 1007;
// The serially controlled simulator's line, and the serial terminal's.
constexpr int kSimulatorBaudRate = 19200;
constexpr int kTerminalBaudRate = 9600;
// The byte that ends each message of the serial terminal: "Ç" in Windows-1252.
constexpr char kTerminalTerminator = char(0xC7);

// 1..4 for a selector letter, 0 for any other byte.
int jointOf(char selector);
// "A" for joint 1 ... "D" for joint 4.
char selectorOf(int joint);
// The joint a message selects, 0 when it selects none (empty, or another first byte).
int jointOf(std::string_view message);
// What a message writes into its joint's entry: the bytes after the selector, or the
// joint's opening angle for a bare selector. Only for a message that selects a joint.
std::string angleText(std::string_view message);

// The message that puts a joint at whole degrees: "A45".
std::string message(int joint, int degrees);
// Whether a text is a message as a controller should send it: a selector and, unless it is
// bare, whole degrees with an optional minus sign.
bool isWellFormed(std::string_view message);

// What one message did to the arm.
struct Outcome
{
    enum class Kind {
        Moved,           // the joint took the angle
        UnknownSelector, // empty, or not starting with "A".."D"
        NotANumber,      // the entry took the text, which does not convert: the arm stays
        SameText,        // the entry already held that text
    };
    Kind kind = Kind::UnknownSelector;
    int joint = 0;   // 1..4 once a selector was recognised
    int degrees = 0; // the angle taken, for Moved
};

// The outcome in the words the recording and the monitor use (UTF-8): "Q1=45",
// "selector desconocido", "no es un número", "mismo texto".
std::string words(const Outcome &outcome);

// The messages one receive holds, in order. A controller that ends each message with a
// line break (LF, CR LF or CR, as println does) may find several read together; they are
// cut after each break, every piece keeping its own break, and each is handled as a
// receive of its own. A receive that holds one piece is one message, exactly as it came:
// with no break at all, or a single message and its break, or "A10B20" (a message whose
// angle text does not convert).
std::vector<std::string_view> split(std::string_view received);

} // namespace protocol
