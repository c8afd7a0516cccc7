#pragma once
// Whole files of the disk, for the launcher's small text files.
#include <string>

namespace quarn::kickup {

// Reads a regular file whole (directories and devices are refused); false when it
// cannot be opened or read, or is larger than 16 MiB.
bool read_disk_file(const std::string &path, std::string *text);
// True when path names a regular file that can be opened for reading.
bool disk_file_readable(const std::string &path);

}  // namespace quarn::kickup
