// A full disk as the kernel reports it for a file-size limit: writes past a
// number of bytes fail with EFBIG (SIGXFSZ ignored) while the object lives,
// in this process and in the children it starts then. No mount is needed.
#pragma once

#include <sys/resource.h>

#include <csignal>

struct FileSizeLimit {
    rlimit old {};
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit small {bytes, old.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
};
