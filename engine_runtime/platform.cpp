#include "platform.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tsk::platform {

bool truncateOpenFile(std::FILE* file, std::int64_t length) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _chsize_s(_fileno(file), length) == 0;
#else
  return ftruncate(fileno(file), static_cast<off_t>(length)) == 0;
#endif
}

bool localTime(std::time_t t, std::tm& out) {
#ifdef _WIN32
  return localtime_s(&out, &t) == 0;
#else
  return localtime_r(&t, &out) != nullptr;
#endif
}

}  // namespace tsk::platform
