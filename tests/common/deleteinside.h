#pragma once

#include <QMetaType>
#include <QObject>

#include <functional>

// Every link may be deleted from inside any of its own signals. A row of a test names the
// signal: connected to the link, the row's function deletes the link when it comes.
using DeleteInside = std::function<void(QObject *link)>;

template <typename Class, typename... Args>
DeleteInside deleteInside(void (Class::*signal)(Args...))
{
    return [signal](QObject *object) {
        auto *link = static_cast<Class *>(object);
        QObject::connect(link, signal, link, [link] { delete link; });
    };
}

Q_DECLARE_METATYPE(DeleteInside)
