#include "receivedtext.h"

void ReceivedText::append(const QString &received)
{
    QString kept = received;
    kept.remove(kTerminator);
    m_text += kept;
}
