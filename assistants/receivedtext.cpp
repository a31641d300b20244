#include "receivedtext.h"

bool ReceivedText::append(const QString &received)
{
    QString kept = received;
    kept.remove(kTerminator);
    const bool shownChanges = m_text.size() < kShownLength && !kept.isEmpty();
    m_text += kept;
    return shownChanges;
}
