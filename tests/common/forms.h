#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTcpSocket>
#include <QTest>

#include <memory>

// Helpers for tests that open the program's windows as the main window does and talk to
// them through real ports.
namespace Forms {

constexpr int kWaitMs = 5000;

// A serial device that does not exist, for windows whose port should fail to open.
inline const QString kMissingDevice = QStringLiteral("/nonexistent/brazo-tty");
// The TCP port that lets the system choose one.
constexpr quint16 kAnyPort = 0;

// A frame for child windows, shown and large enough for any of them.
struct Frame
{
    Frame()
    {
        area.resize(900, 700);
        area.show();
        area.activateWindow();
        (void)QTest::qWaitForWindowActive(&area);
    }
    QMdiArea area;
};

// A named control of a loaded window; a missing one ends the test run with its name.
template <typename T = QWidget>
T *control(const QWidget *form, const char *name)
{
    T *found = form->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

inline QString text(const QWidget *form, const char *name)
{
    return control<QLineEdit>(form, name)->text();
}

// The port a network window shows, which is the one it listens on.
inline quint16 shownPort(const QWidget *form)
{
    return quint16(text(form, "txtPuerto").toUInt());
}

// A client connected to a port of this machine, or null.
inline std::unique_ptr<QTcpSocket> connectTo(quint16 port, const QHostAddress &host = QHostAddress::LocalHost)
{
    auto client = std::make_unique<QTcpSocket>();
    client->connectToHost(host, port);
    if (!client->waitForConnected(kWaitMs))
        return nullptr;
    return client;
}

// Sends one message, handed whole to the system; the test waits for what it does.
inline void send(QTcpSocket &client, const QByteArray &bytes)
{
    client.write(bytes);
    client.waitForBytesWritten(kWaitMs);
}

} // namespace Forms
