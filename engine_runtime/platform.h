#pragma once
// The few operating-system calls the runtime needs, kept in one place.

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace tsk::platform {

// Cuts an open file after `length` bytes; false on failure.
bool truncateOpenFile(std::FILE* file, std::int64_t length);

// Broken-down local time of `t`; false on failure.
bool localTime(std::time_t t, std::tm& out);

}  // namespace tsk::platform
