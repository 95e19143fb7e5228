#pragma once
// A disk that fills up in the middle of a write, for as long as the object lives: a file size
// limit stops writes part of the way (EFBIG), even for root, where a full file system would
// need a mount of its own.
#include <sys/resource.h>

#include <csignal>

class PlatteVoll {
 public:
  explicit PlatteVoll(rlim_t bytes) {
    ok_ = getrlimit(RLIMIT_FSIZE, &alt_) == 0;
    handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit klein = alt_;
    klein.rlim_cur = bytes;
    ok_ = ok_ && setrlimit(RLIMIT_FSIZE, &klein) == 0;
  }
  ~PlatteVoll() {
    setrlimit(RLIMIT_FSIZE, &alt_);
    std::signal(SIGXFSZ, handler_);
  }
  PlatteVoll(const PlatteVoll&) = delete;
  PlatteVoll& operator=(const PlatteVoll&) = delete;
  bool ok() const { return ok_; }

 private:
  rlimit alt_{};
  void (*handler_)(int) = SIG_DFL;
  bool ok_ = false;
};
