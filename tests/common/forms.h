#pragma once

#include <QApplication>
#include <QByteArray>
#include <QContextMenuEvent>
#include <QHostAddress>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTcpSocket>
#include <QTest>

#include <initializer_list>
#include <memory>
#include <utility>

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
    // A window loaded in the frame, which owns it as the main window owns its children.
    template <typename Form, typename... Args>
    Form *open(Args &&...args)
    {
        auto *form = new Form(std::forward<Args>(args)..., &area);
        form->showIn(&area);
        return form;
    }
    // The window of that class whose caption ends so, or null.
    template <typename Form>
    Form *find(const QString &captionEnd) const
    {
        for (Form *form : area.findChildren<Form *>()) {
            if (form->windowTitle().endsWith(captionEnd))
                return form;
        }
        return nullptr;
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

inline QStringList texts(const QWidget *form, std::initializer_list<const char *> names)
{
    QStringList shown;
    for (const char *name : names)
        shown << text(form, name);
    return shown;
}

// Where a simulator window says the tool is.
inline QStringList readouts(const QWidget *form)
{
    return texts(form, {"txtPosicionX", "txtPosicionY", "txtPosicionZ"});
}

// Opens the context menu of a view, from the keyboard (Shift+F10) or with a right click, and
// takes the entry of that key (Return: the first). False when no menu opened.
inline bool fromMenu(QWidget *form, const char *view, Qt::Key key, bool keyboard = false)
{
    QWidget *area = control(form, view);
    if (keyboard) {
        area->setFocus();
        QTest::keyClick(area, Qt::Key_F10, Qt::ShiftModifier);
    } else {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, 10), area->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(area, &click);
    }
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (menu)
        QTest::keyClick(menu, key);
    return menu;
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
