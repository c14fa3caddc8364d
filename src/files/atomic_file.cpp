// files/atomic_file.cpp — writes a file under a temporary name and renames it into place.
//
// State: AtomicFileState (the injected fault).
#include "files/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

struct AtomicFileState {
  size_t faultAfter = kNoWriteFault;  // bytes written before an injected failure
};

AtomicFileState& TheAtomicFileState() {
  static AtomicFileState state;
  return state;
}

bool WriteAll(int fd, std::string_view bytes) {
  const size_t fault = TheAtomicFileState().faultAfter;
  const bool injected = fault != kNoWriteFault && fault < bytes.size();
  if (injected) bytes = bytes.substr(0, fault);
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(size_t(n));
  }
  return !injected;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) return false;
  std::string temp = directory + "." + base + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    fchmod(fd, info.st_mode & 07777);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

void SetAtomicWriteFault(size_t bytes) { TheAtomicFileState().faultAfter = bytes; }
void ResetAtomicFileFault() { TheAtomicFileState() = AtomicFileState{}; }
