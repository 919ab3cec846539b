#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <cstddef>

namespace vantorel::test {

// A disk that fills up after `bytes`: while the object lives, no file of this process can
// grow past that size (writes fail with EFBIG, as a full disk fails them with ENOSPC).
// The kernel enforces it for root too, so tests need no hook inside the writer.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(std::size_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        // The signal that would end the process becomes a plain failed write.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &oldAction_);
        rlimit limit = old_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::sigaction(SIGXFSZ, &oldAction_, nullptr);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    rlimit old_{};
    struct sigaction oldAction_ {};
};

}  // namespace vantorel::test
