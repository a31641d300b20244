#pragma once

#include <sys/resource.h>
#include <unistd.h>

// Lowers the open-file limit to the lowest free descriptor number, so that the next
// descriptor the process asks for (an accepted connection) is refused with EMFILE, as on
// a machine that has run out of them. The limit comes back when the object goes.
class FdLimit
{
public:
    FdLimit() { m_valid = ::getrlimit(RLIMIT_NOFILE, &m_saved) == 0; }
    ~FdLimit()
    {
        if (m_valid)
            ::setrlimit(RLIMIT_NOFILE, &m_saved);
    }
    FdLimit(const FdLimit &) = delete;
    FdLimit &operator=(const FdLimit &) = delete;

    bool exhaust()
    {
        const int lowestFree = ::dup(0);
        if (!m_valid || lowestFree < 0)
            return false;
        ::close(lowestFree);
        rlimit low = m_saved;
        low.rlim_cur = rlim_t(lowestFree);
        return ::setrlimit(RLIMIT_NOFILE, &low) == 0;
    }

private:
    rlimit m_saved{};
    bool m_valid = false;
};
