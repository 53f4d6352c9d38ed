// Files the publisher replaces on the site owner's disk (the document, .htaccess, the nginx
// rules): written whole to a temporary file beside them, then renamed over the old one, so a
// full disk, a Ctrl-C or a crash leaves the old file or the new one, never half of either.
#pragma once

#include <string>

namespace tavik {

// Writes bytes to path (UTF-8) through path + ".tavik-new": flushed to the disk, then renamed
// over path in one step. An existing file keeps its permissions. False, with *why, when
// anything fails; path is then untouched and the temporary file removed.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* why);

#ifndef _WIN32
// Writes every byte to the open file `fd`, flushes it to the disk and closes it; false when
// any step failed (the descriptor is closed either way).
bool WriteAllAndClose(int fd, const std::string& bytes);
#endif

}  // namespace tavik
