#pragma once

#include <QString>

// What the serial terminal has received since the last transmission, terminators dropped,
// and the part of it that a display shows. The text only grows between transmissions, and
// may grow for hours; the display never needs more than its beginning, so what it is
// given, and the cost of showing it, stays the same however much has arrived.
class ReceivedText
{
public:
    // The terminator that ends every message on the wire (byte 0xC7 in Windows-1252); it is
    // dropped from what arrives, wherever it stands.
    static constexpr QChar kTerminator = QChar(0x00C7);
    // More than a display of the terminal's size can hold, whatever the characters.
    static constexpr qsizetype kShownLength = 4096;

    void reset(const QString &text) { m_text = text; }
    // False when what a display shows stays as it was.
    bool append(const QString &received);

    const QString &text() const { return m_text; }
    QString shown() const { return m_text.left(kShownLength); }

private:
    QString m_text;
};
