// The data file beside the program: read once at start, rewritten whole after every change.
// A stored task is never dropped by a save: a file that could not be read is never written
// over, and a read-only one is left as the user made it. A data file that is a symbolic link
// is read and saved through to its target, and the link stays.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/task_data.h"

namespace tavik {

class DataFile {
 public:
  enum class Failure {
    None,
    Unusable,           // not read at start: never written over in this run
    ReadOnly,           // the file (a link's target) is read-only
    FolderNotWritable,  // the temporary file cannot be made in the file's folder
    TempInTheWay,       // something the program cannot remove has the temporary file's name
    WriteFailed,        // writing the temporary file failed (a full disk)
    Unreadable,         // the file cannot be read now (held by another program, grown past
                        // what the program reads, or no longer readable to it): it is left alone
    FileInUse,          // another program holds the file: it cannot be replaced
  };

  explicit DataFile(std::wstring path) : path_(std::move(path)) {}

  // At start: takes the sealed copy of a save that a crash interrupted when the file itself is
  // gone (any other leftover copy is older than the file, or unfinished, and goes), reads the
  // file, and removes its obsolete "Config" section. Returns the stored tasks (at most five);
  // none when the file is missing, or when it is there but cannot be read (usable() is then
  // false for the rest of the run).
  std::vector<Task> Open();

  // Writes the list as the "Data" value; every other line of the file stays as it is, in the
  // file's own encoding.
  Failure Save(const std::vector<Task>& tasks);

  const std::wstring& path() const { return path_; }
  bool usable() const { return usable_; }
  // When the file was last written before Open touched it, in local time: the day of the
  // marks it holds. None when there was no file or its time could not be read.
  const std::optional<ClockTime>& lastWritten() const { return lastWritten_; }

 private:
  std::wstring path_;
  bool usable_ = true;
  std::optional<ClockTime> lastWritten_;
};

// What the user is told, once a run, when the list cannot be kept in the file.
std::u16string SaveFailureMessage(DataFile::Failure failure, const std::wstring& path);

}  // namespace tavik
