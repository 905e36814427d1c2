// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tsk::platform {

namespace {

std::atomic<long> calls{0};
std::atomic<long> failAt{0};

// Counts an output call; true when the test hook makes this one fail.
bool injectedFailure() {
  const long n = ++calls;
  long at = failAt.load();
  return at != 0 && n == at && failAt.compare_exchange_strong(at, 0);
}

}  // namespace

void failOutputCall(long n) { failAt = n > 0 ? calls.load() + n : 0; }

long outputCalls() { return calls.load(); }

#ifdef _WIN32

namespace {

// A handle opened without following reparse points, kept only when it is a
// plain disk file with one name.
HANDLE openPlain(const std::filesystem::path& path, DWORD access, DWORD disposition, DWORD flags) {
  HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) return h;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool plain =
      GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
      ((flags & FILE_FLAG_OPEN_REPARSE_POINT) == 0 || info.nNumberOfLinks == 1);
  if (!plain) {
    CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

}  // namespace

FileHandle openForUpdate(const std::filesystem::path& path) {
  HANDLE h =
      openPlain(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT);
  if (h == INVALID_HANDLE_VALUE) return kNoFile;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR | _O_BINARY);
  if (fd < 0) CloseHandle(h);
  return fd < 0 ? kNoFile : fd;
}

std::FILE* openRegularForReading(const std::filesystem::path& path) {
  HANDLE h = openPlain(path, GENERIC_READ, OPEN_EXISTING, 0);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "rb");
  if (!file) _close(fd);
  return file;
}

bool writeAll(FileHandle file, const char* data, std::size_t size) {
  if (injectedFailure()) return false;
  while (size > 0) {
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    const int n = _write(file, data, chunk);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool seekToStart(FileHandle file) { return _lseeki64(file, 0, SEEK_SET) == 0; }

bool truncateAt(FileHandle file, std::int64_t length) {
  if (injectedFailure()) return false;
  return _chsize_s(file, length) == 0;
}

bool closeFile(FileHandle file) {
  const bool injected = injectedFailure();
  return _close(file) == 0 && !injected;
}

bool localTime(std::time_t t, std::tm& out) { return localtime_s(&out, &t) == 0; }

#else

namespace {

// Keeps an open descriptor only when it names a regular file (with one name
// when `single`), and takes it back to blocking mode; -1 otherwise.
int keepRegular(int fd, bool single) {
  if (fd < 0) return -1;
  struct stat st {};
  const bool plain = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (!single || st.st_nlink == 1);
  const int flags = plain ? fcntl(fd, F_GETFL) : -1;
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

// O_NONBLOCK: opening a FIFO must not wait for a writer before it is refused.
FileHandle openForUpdate(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  const int kept = keepRegular(fd, true);
  return kept < 0 ? kNoFile : kept;
}

std::FILE* openRegularForReading(const std::filesystem::path& path) {
  const int fd = keepRegular(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC), false);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "rb");
  if (!file) close(fd);
  return file;
}

bool writeAll(FileHandle file, const char* data, std::size_t size) {
  if (injectedFailure()) return false;
  while (size > 0) {
    const ssize_t n = write(file, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool seekToStart(FileHandle file) { return lseek(file, 0, SEEK_SET) == 0; }

bool truncateAt(FileHandle file, std::int64_t length) {
  if (injectedFailure()) return false;
  return ftruncate(file, static_cast<off_t>(length)) == 0;
}

bool closeFile(FileHandle file) {
  const bool injected = injectedFailure();
  return close(file) == 0 && !injected;
}

bool localTime(std::time_t t, std::tm& out) { return localtime_r(&t, &out) != nullptr; }

#endif

std::optional<std::string> environmentVariable(const char* name) {
  // Read once at the start of a single-threaded program, so getenv's shared
  // buffer is safe here.
  if (const char* value = std::getenv(name)) return std::string(value);
  return std::nullopt;
}

}  // namespace tsk::platform
