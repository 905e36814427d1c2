// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few operating-system calls the runtime needs, kept in one place.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace tsk::platform {

// A file the engines write: a descriptor of the C runtime.
using FileHandle = int;
inline constexpr FileHandle kNoFile = -1;

// Opens a file for update at its start, creating it if missing, without
// emptying it. Refuses (kNoFile) a symbolic link or other reparse point,
// anything but a regular file and a file with a second name: writing there
// would change a file outside the working folder, or block.
FileHandle openForUpdate(const std::filesystem::path& path);

// Opens a regular file for reading; nullptr when it is missing, unreadable
// or anything else (a FIFO would block the run, a device never end). A link
// to a regular file is read: reading changes nothing.
std::FILE* openRegularForReading(const std::filesystem::path& path);

// The output calls on an open file; each false on failure. writeAll writes
// every byte or fails.
bool writeAll(FileHandle file, const char* data, std::size_t size);
bool seekToStart(FileHandle file);
bool truncateAt(FileHandle file, std::int64_t length);
bool closeFile(FileHandle file);

// For tests of failure paths: the nth output call from now fails (1 the
// next one, and only that one), as on a full disk; 0 turns it off.
void failOutputCall(long n);
// The number of output calls made so far in this process.
long outputCalls();

// Broken-down local time of `t`; false on failure.
bool localTime(std::time_t t, std::tm& out);

// The value of the environment variable `name`; nullopt when it is unset.
std::optional<std::string> environmentVariable(const char* name);

}  // namespace tsk::platform
