#include "seriallink.h"

#include <QElapsedTimer>
#include <QWinEventNotifier>

#include <windows.h>

#include <utility>

// The Win32 communications calls, as small as the windows need them: one overlapped read
// always waiting, and one overlapped write at a time with what was written meanwhile queued
// behind it. Their events reach the event loop through QWinEventNotifier.

namespace {

// Qt's own receive buffer is a kilobyte on Linux too.
constexpr DWORD kBufferSize = 1024;
// A read returns as soon as a byte has come, or after this long with nothing: a read that
// returns nothing sooner than that found the device gone.
constexpr DWORD kQuietReadMs = 1000;

QString reason(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("el dispositivo no existe");
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return QStringLiteral("lo está usando otra ventana u otro programa");
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        return QStringLiteral("no es un puerto serie");
    case ERROR_HANDLE_EOF:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_IO_DEVICE:
    case ERROR_OPERATION_ABORTED:
        return QStringLiteral("el dispositivo se desconectó o dejó de responder");
    default:
        // The system's words, in the system's language.
        return qt_error_string(int(error));
    }
}

} // namespace

struct SerialLink::Io
{
    OVERLAPPED read{};
    OVERLAPPED write{};
    char buffer[kBufferSize];
    bool reading = false;
    QElapsedTimer readStarted;
};

SerialLink::SerialLink(const SerialSettings &settings, QObject *parent)
    : Link(parent)
    , m_settings(settings)
{
}

SerialLink::~SerialLink()
{
    close();
}

bool SerialLink::open()
{
    close();
    setErrorString(QString());
    // COM10 and above are reached only through the device namespace, and COM1 through it as well.
    QString name = m_settings.device;
    if (!name.startsWith(QLatin1String("\\\\.\\")))
        name.prepend(QLatin1String("\\\\.\\"));
    HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t *>(name.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        setErrorString(reason(::GetLastError()));
        return false;
    }
    DCB line{};
    line.DCBlength = sizeof line;
    bool set = ::GetCommState(handle, &line);
    if (set) {
        line.BaudRate = DWORD(m_settings.baudRate);
        line.ByteSize = 8;
        line.Parity = NOPARITY;
        line.StopBits = ONESTOPBIT;
        line.fBinary = TRUE;
        line.fParity = FALSE;
        // No flow control of either kind, the DTR line off, NUL bytes kept.
        line.fOutxCtsFlow = FALSE;
        line.fOutxDsrFlow = FALSE;
        line.fDsrSensitivity = FALSE;
        line.fOutX = FALSE;
        line.fInX = FALSE;
        line.fRtsControl = RTS_CONTROL_ENABLE;
        line.fDtrControl = DTR_CONTROL_DISABLE;
        line.fNull = FALSE;
        line.fAbortOnError = FALSE;
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = kQuietReadMs;
        set = ::SetCommState(handle, &line) && ::SetupComm(handle, kBufferSize, kBufferSize)
              && ::SetCommTimeouts(handle, &timeouts);
    }
    if (!set) {
        setErrorString(reason(::GetLastError()));
        ::CloseHandle(handle);
        return false;
    }

    m_handle = handle;
    m_io = std::make_unique<Io>();
    m_io->read.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_io->write.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_arrivals = new QWinEventNotifier(m_io->read.hEvent);
    m_writes = new QWinEventNotifier(m_io->write.hEvent);
    connect(m_arrivals, &QWinEventNotifier::activated, this, &SerialLink::arrived);
    connect(m_writes, &QWinEventNotifier::activated, this, &SerialLink::written);
    if (const unsigned long error = startWaiting()) {
        setErrorString(reason(error));
        close();
        return false;
    }
    emit ready();
    return true;
}

void SerialLink::close()
{
    if (!m_handle)
        return;
    HANDLE handle = std::exchange(m_handle, nullptr);
    // The system writes into the buffers of an operation until it has ended.
    ::CancelIo(handle);
    DWORD ignored = 0;
    if (m_io->reading)
        ::GetOverlappedResult(handle, &m_io->read, &ignored, TRUE);
    if (!m_writing.isEmpty())
        ::GetOverlappedResult(handle, &m_io->write, &ignored, TRUE);
    ::CloseHandle(handle);
    // We may be inside one of the notifiers' own signals: they go later.
    for (QWinEventNotifier *notifier : {std::exchange(m_arrivals, nullptr), std::exchange(m_writes, nullptr)}) {
        disconnect(notifier, nullptr, this, nullptr);
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    ::CloseHandle(m_io->read.hEvent);
    ::CloseHandle(m_io->write.hEvent);
    m_io.reset();
    m_queued.clear();
    m_writing.clear();
}

bool SerialLink::isOpen() const
{
    return m_handle != nullptr;
}

bool SerialLink::write(const QByteArray &bytes)
{
    if (!m_handle) {
        setErrorString(QStringLiteral("el puerto serie está cerrado"));
        return false;
    }
    m_queued += bytes;
    if (m_writing.isEmpty())
        writeNext();
    return true;
}

qint64 SerialLink::bytesToWrite() const
{
    return m_queued.size() + m_writing.size();
}

void SerialLink::clearInput()
{
    if (!m_handle)
        return;
    ::PurgeComm(m_handle, PURGE_RXCLEAR);
    // A read that has ended and not been taken yet holds bytes not read either.
    if (m_io->reading && HasOverlappedIoCompleted(&m_io->read)) {
        DWORD ignored = 0;
        m_io->reading = false;
        if (!::GetOverlappedResult(m_handle, &m_io->read, &ignored, FALSE)) {
            lost(::GetLastError());
            return;
        }
        if (const unsigned long error = startWaiting())
            lost(error);
    }
}

void SerialLink::clearOutput()
{
    if (!m_handle)
        return;
    // What the write in progress carries goes out; what waits behind it does not.
    m_queued.clear();
    ::PurgeComm(m_handle, PURGE_TXCLEAR);
}

unsigned long SerialLink::startWaiting()
{
    m_io->readStarted.start();
    if (!::ReadFile(m_handle, m_io->buffer, kBufferSize, nullptr, &m_io->read) && ::GetLastError() != ERROR_IO_PENDING)
        return ::GetLastError();
    m_io->reading = true;
    return 0;
}

void SerialLink::arrived()
{
    if (!m_handle || !m_io->reading)
        return;
    DWORD count = 0;
    if (!::GetOverlappedResult(m_handle, &m_io->read, &count, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_INCOMPLETE) {
            m_io->reading = false;
            lost(error);
        }
        return;
    }
    m_io->reading = false;
    if (count == 0 && m_io->readStarted.elapsed() < kQuietReadMs / 2) {
        lost(ERROR_HANDLE_EOF);
        return;
    }
    const QByteArray bytes(m_io->buffer, int(count));
    // The next read waits before anyone hears of this one: the receiver may close the link.
    if (const unsigned long error = startWaiting()) {
        lost(error);
        return;
    }
    if (!bytes.isEmpty())
        emit received(bytes);
}

void SerialLink::writeNext()
{
    m_writing = std::exchange(m_queued, QByteArray());
    if (!::WriteFile(m_handle, m_writing.constData(), DWORD(m_writing.size()), nullptr, &m_io->write)
        && ::GetLastError() != ERROR_IO_PENDING) {
        m_writing.clear();
        lost(::GetLastError());
    }
}

void SerialLink::written()
{
    if (!m_handle || m_writing.isEmpty())
        return;
    DWORD count = 0;
    if (!::GetOverlappedResult(m_handle, &m_io->write, &count, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_INCOMPLETE) {
            m_writing.clear();
            lost(error);
        }
        return;
    }
    // Without write timeouts a write ends when all its bytes are out; should one end short,
    // the rest goes first in the next.
    m_queued.prepend(m_writing.mid(qsizetype(count)));
    m_writing.clear();
    if (!m_queued.isEmpty())
        writeNext();
    else
        emit sent();
}

void SerialLink::lost(unsigned long systemError)
{
    setErrorString(reason(systemError));
    close();
    emit failed(errorString());
}
