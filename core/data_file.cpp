#include "core/data_file.h"

#include <windows.h>

#include "core/ansi.h"
#include "core/file_io.h"
#include "core/ini_file.h"
#include "core/window.h"

namespace tavik {
namespace {

// A crash between writing the new copy and renaming it over the file cannot happen with one
// rename, but an older version swapped in two steps: the list may be only in the copy.
void TakeInterruptedSave(const std::wstring& path) {
  const std::wstring pending = PendingWritePath(path);
  if (FileExists(path) || !FileExists(pending)) return;
  std::string bytes;
  if (ReadWholeFile(pending, bytes) == ReadResult::Read && HoldsWholeDataLine(bytes))
    MoveFileExW(pending.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
}

std::optional<ClockTime> LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  SYSTEMTIME utc, local;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      !FileTimeToSystemTime(&data.ftLastWriteTime, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return std::nullopt;
  return ClockTimeOf(local);
}

}  // namespace

std::vector<Task> DataFile::Open() {
  TakeInterruptedSave(path_);
  lastWritten_ = LastWriteTime(path_);  // before the "Config" section goes
  std::string bytes;
  switch (ReadWholeFile(path_, bytes)) {
    case ReadResult::Missing:
      return {};
    case ReadResult::Unreadable:
      usable_ = false;
      return {};
    case ReadResult::Read:
      break;
  }
  // Only the "Data" section is in use.
  if (HasSection(bytes, "Config")) {
    bytes = ReplaceSection(bytes, "Config", std::nullopt);
    if (!IsReadOnlyFile(path_)) WriteFileAtomic(path_, bytes);
  }
  return ReadTasks(bytes);
}

DataFile::Failure DataFile::Save(const std::vector<Task>& tasks) {
  if (!usable_) return Failure::Unusable;
  std::string old;
  if (ReadWholeFile(path_, old) == ReadResult::Unreadable) return Failure::WriteFailed;
  if (IsReadOnlyFile(path_)) return Failure::ReadOnly;
  const std::string value = ToAnsi(SerializeTasks(tasks));
  return WriteFileAtomic(path_, WithDataValue(old, value)) ? Failure::None : Failure::WriteFailed;
}

std::u16string SaveFailureMessage(DataFile::Failure failure, const std::wstring& path) {
  const std::u16string file = U16(path);
  switch (failure) {
    case DataFile::Failure::None:
      break;
    case DataFile::Failure::ReadOnly:
      return u"数据文件是只读的，任务无法保存到：\n" + file +
             u"\n\n现在的更改只留在窗口里，关闭程序后就会丢失。如果要保存任务，请取消这个文件的只读属性。";
    case DataFile::Failure::Unusable:
      return u"无法读取数据文件：\n" + file +
             u"\n\n这个文件太大或正被其他程序使用。为了不覆盖其中的任务，Tavik 在这次运行中不会改动它，"
             u"所做的更改也不会保存。";
    case DataFile::Failure::WriteFailed:
      return u"无法保存任务到数据文件：\n" + file +
             u"\n\n程序不能在这个文件夹里写入，更改无法保存在这里，关闭程序后就会丢失。"
             u"请把 Tavik 放到一个可以写入的文件夹中（例如不要放在 Program Files 里）。";
  }
  return {};
}

}  // namespace tavik
