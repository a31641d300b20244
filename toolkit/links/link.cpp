#include "link.h"

#include <QMetaObject>

void Link::announceReady()
{
    const quint64 opening = ++m_openings;
    QMetaObject::invokeMethod(
        this,
        [this, opening] {
            if (opening == m_openings && isOpen())
                emit ready();
        },
        Qt::QueuedConnection);
}
