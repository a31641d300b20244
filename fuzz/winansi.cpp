// Windows-1252 both ways: every byte is one character and comes back as itself, and a
// character comes back from the code page as itself or as '?'.
#include "fuzzcheck.h"
#include "winansi.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = WinAnsi::decode(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    FUZZ_CHECK(WinAnsi::encode(text) == bytes);

    // The same bytes read as UTF-16, surrogates and all, as a window could hand them over.
    QString any(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(any.data(), data, size_t(any.size()) * sizeof(QChar));
    const QByteArray encoded = WinAnsi::encode(any);
    FUZZ_CHECK(encoded.size() == any.size());
    const QString back = WinAnsi::decode(encoded);
    for (qsizetype i = 0; i < any.size(); ++i)
        FUZZ_CHECK(back[i] == any[i] || encoded[i] == '?');
    return 0;
}
