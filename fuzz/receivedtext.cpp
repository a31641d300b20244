// The serial terminal's receive path: the line may deliver the same bytes in any pieces,
// and what the terminal shows must not depend on where they were cut: always the beginning
// of everything received, terminators dropped, as much as a display holds. Each
// append's answer must also say truly whether the shown part changed, as the window
// repaints on it alone.
#include "fuzzcheck.h"
#include "receivedtext.h"
#include "winansi.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace {

void append(ReceivedText &received, const QString &piece)
{
    const QString shownBefore = received.shown();
    const bool changed = received.append(piece);
    FUZZ_CHECK(changed == (received.shown() != shownBefore));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    // What was already there, up to past the shown part, so that pieces cross its end.
    const QString earlier(input.ConsumeIntegralInRange<qsizetype>(0, ReceivedText::kShownLength + 8),
                          QLatin1Char('x'));
    const std::vector<char> bytes = input.ConsumeBytes<char>(input.ConsumeIntegralInRange<size_t>(0, size));
    const QByteArray line(bytes.data(), qsizetype(bytes.size()));

    ReceivedText whole;
    whole.reset(earlier);
    append(whole, WinAnsi::decode(line));

    // What is left of the input cuts the same bytes into pieces, empty ones included.
    ReceivedText pieces;
    pieces.reset(earlier);
    for (qsizetype at = 0; at < line.size();) {
        const qsizetype length = input.remaining_bytes() > 0
            ? input.ConsumeIntegralInRange<qsizetype>(0, line.size() - at)
            : line.size() - at;
        append(pieces, WinAnsi::decode(line.mid(at, length)));
        at += length;
    }

    FUZZ_CHECK(pieces.shown() == whole.shown());
    QString expected = WinAnsi::decode(line);
    expected.remove(ReceivedText::kTerminator);
    FUZZ_CHECK(whole.shown() == (earlier + expected).left(ReceivedText::kShownLength));
    return 0;
}
