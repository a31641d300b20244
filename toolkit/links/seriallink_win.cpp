#include "seriallink.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <utility>

// The Win32 communications calls, as small as the windows need them: one overlapped read of
// a single byte always waiting (when it ends, whatever else has come is read with it), and
// one overlapped write at a time with what was written meanwhile queued behind it. Their
// events reach the event loop through QWinEventNotifier. A read that waits for one byte
// without timeouts is the plainest overlapped read there is, and the one that Wine serves
// as Windows does.

namespace {

// Qt's own receive buffer is a kilobyte on Linux too.
constexpr DWORD kBufferSize = 1024;

Link::Cause causeOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return Link::Cause::Missing;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return Link::Cause::Busy;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        return Link::Cause::NotSerial;
    case ERROR_HANDLE_EOF:
    case ERROR_BROKEN_PIPE:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_IO_DEVICE:
    case ERROR_OPERATION_ABORTED:
        return Link::Cause::Vanished;
    default:
        return Link::Cause::Other;
    }
}

// The system's words, in the system's language.
QString systemReason(DWORD error)
{
    return qt_error_string(int(error));
}

} // namespace

struct SerialLink::Io
{
    OVERLAPPED read{};
    OVERLAPPED write{};
    // For the rest of a read, which has come already and ends at once.
    OVERLAPPED rest{};
    char buffer[kBufferSize];
    bool reading = false;
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

bool SerialLink::refuse(unsigned long systemError)
{
    setError(causeOf(systemError), systemReason(systemError));
    return false;
}

bool SerialLink::open()
{
    close();
    // COM10 and above are reached only through the device namespace, and COM1 through it as well.
    QString name = m_settings.device;
    if (!name.startsWith(QLatin1String("\\\\.\\")))
        name.prepend(QLatin1String("\\\\.\\"));
    // Windows gives a port to one opener at a time; a lock of ours says so where the system
    // does not (Wine), as Qt SerialPort's lock file does on Linux.
    const QString lockName = QStringLiteral("Local\\brazo-serie-") + name.mid(4).toUpper();
    HANDLE lock = ::CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t *>(lockName.utf16()));
    if (lock && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(lock);
        return refuse(ERROR_SHARING_VIOLATION);
    }
    HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t *>(name.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(lock);
        return refuse(error);
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
        // No timeouts: a read ends when it has all the bytes it asked for.
        COMMTIMEOUTS timeouts{};
        set = ::SetCommState(handle, &line) && ::SetupComm(handle, kBufferSize, kBufferSize)
              && ::SetCommTimeouts(handle, &timeouts);
    }
    if (!set) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        ::CloseHandle(lock);
        return refuse(error);
    }

    m_handle = handle;
    m_lock = lock;
    m_io = std::make_unique<Io>();
    m_io->read.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_io->write.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_io->rest.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_arrivals = new QWinEventNotifier(m_io->read.hEvent);
    m_writes = new QWinEventNotifier(m_io->write.hEvent);
    connect(m_arrivals, &QWinEventNotifier::activated, this, &SerialLink::arrived);
    connect(m_writes, &QWinEventNotifier::activated, this, &SerialLink::written);
    if (const unsigned long error = startWaiting()) {
        close();
        return refuse(error);
    }
    setError(Cause::None, QString());
    announceReady();
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
    ::CloseHandle(std::exchange(m_lock, nullptr));
    // We may be inside one of the notifiers' own signals: they go later.
    for (QWinEventNotifier *notifier : {std::exchange(m_arrivals, nullptr), std::exchange(m_writes, nullptr)}) {
        disconnect(notifier, nullptr, this, nullptr);
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    ::CloseHandle(m_io->read.hEvent);
    ::CloseHandle(m_io->write.hEvent);
    ::CloseHandle(m_io->rest.hEvent);
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
        setError(Cause::Other, tr("El puerto no está abierto"));
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
    if (!::ReadFile(m_handle, m_io->buffer, 1, nullptr, &m_io->read) && ::GetLastError() != ERROR_IO_PENDING)
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
    // Without timeouts, a read that ends with nothing found the end of the device.
    if (count == 0) {
        lost(ERROR_HANDLE_EOF);
        return;
    }
    // Everything that waits behind the first byte is part of the same read.
    COMSTAT status{};
    DWORD errors = 0;
    DWORD rest = 0;
    if (::ClearCommError(m_handle, &errors, &status) && status.cbInQue > 0) {
        const DWORD wanted = qMin<DWORD>(status.cbInQue, kBufferSize - count);
        if ((!::ReadFile(m_handle, m_io->buffer + count, wanted, nullptr, &m_io->rest)
             && ::GetLastError() != ERROR_IO_PENDING)
            || !::GetOverlappedResult(m_handle, &m_io->rest, &rest, TRUE)) {
            lost(::GetLastError());
            return;
        }
    }
    const QByteArray bytes(m_io->buffer, int(count + rest));
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
    close();
    fail(causeOf(systemError), systemReason(systemError));
}
