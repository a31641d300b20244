#pragma once

#include <QString>

// What the serial terminal shows of what it has received since the last transmission,
// terminators dropped. What arrives only grows between transmissions, and may grow for
// hours; the display never shows more than its beginning, so only that is kept: the memory
// it takes, and the cost of showing it, stay the same however much has arrived.
class ReceivedText
{
public:
    // The terminator that ends every message on the wire (byte 0xC7 in Windows-1252); it is
    // dropped from what arrives, wherever it stands.
    static constexpr QChar kTerminator = QChar(0x00C7);
    // More than a display of the terminal's size can hold, whatever the characters.
    static constexpr qsizetype kShownLength = 4096;

    void reset(const QString &text) { m_shown = text.left(kShownLength); }
    // False when what a display shows stays as it was.
    bool append(const QString &received);

    // The beginning of what has arrived, as much as a display shows.
    const QString &shown() const { return m_shown; }

private:
    QString m_shown;
};
