#pragma once

// For tests: runs `save` as if the disk were full beyond `bytes` bytes. The
// process's file-size limit stands in for the full disk; with SIGXFSZ
// ignored, a write past it fails with EFBIG as one on a full disk fails with
// ENOSPC.

#include <sys/resource.h>

#include <csignal>

namespace platform {

template <typename Save>
void WithDiskFullAfter(rlim_t bytes, Save save) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = bytes;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    save();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
}

}  // namespace platform
