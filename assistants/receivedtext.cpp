#include "receivedtext.h"

bool ReceivedText::append(const QString &received)
{
    const qsizetype room = kShownLength - m_shown.size();
    if (room <= 0)
        return false;
    QString kept = received;
    kept.remove(kTerminator);
    kept.truncate(room);
    m_shown += kept;
    return !kept.isEmpty();
}
