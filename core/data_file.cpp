#include "core/data_file.h"

#include <windows.h>

#include "core/ansi.h"
#include "core/data_file_text.h"
#include "core/file_io.h"
#include "core/ini_file.h"
#include "core/services.h"
#include "core/wide.h"
#include "core/window.h"

namespace tavik {
namespace {

// A save seals its temporary copy until the copy is whole and on disk (file_io.h). When the
// file is gone, the copy of an interrupted save is taken if it is sealed; it is renamed in
// with its seal, which Open() then cuts off, so no moment of the taking can lose it. When the
// file is there, the copy is older than the file's last save or was never finished, and goes:
// it can never be revived later, when the user deletes the file on purpose.
void TakeInterruptedSave(const std::wstring& file) {
  const std::wstring pending = PendingWritePath(file);
  if (!FileExists(pending)) return;
  if (FileExists(file)) {
    RemoveLeftover(pending);
    return;
  }
  std::string bytes;
  if (!IsLink(pending) && ReadWholeFile(pending, bytes, kMaxDataFileBytes + 64) == ReadResult::Read &&
      Unsealed(bytes))
    MoveFileExW(pending.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH);
}

// The file's text as the INI layer reads it: a seal left by the taking of a copy cut off,
// UTF-16 converted.
FileText TextOf(std::string&& bytes, bool& sealed) {
  const std::optional<std::string_view> content = Unsealed(bytes);
  sealed = content.has_value();
  if (sealed) bytes.resize(content->size());
  return DecodeFileText(std::move(bytes));
}

DataFile::Failure FailureOf(WriteResult result) {
  switch (result) {
    case WriteResult::Written:
      return DataFile::Failure::None;
    case WriteResult::TempInTheWay:
      return DataFile::Failure::TempInTheWay;
    case WriteResult::FolderNotWritable:
      return DataFile::Failure::FolderNotWritable;
    case WriteResult::WriteFailed:
      return DataFile::Failure::WriteFailed;
    case WriteResult::FileInUse:
      return DataFile::Failure::FileInUse;
  }
  return DataFile::Failure::WriteFailed;
}

WriteResult WriteText(const std::wstring& file, const FileText& text) {
  const std::string bytes = EncodeFileText(text.encoding, text.text, text.oddByte);
  return WriteFileAtomic(file, bytes, SealOf(bytes));
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
  const std::wstring file = LinkTarget(path_);
  TakeInterruptedSave(file);
  lastWritten_ = LastWriteTime(file);  // before the "Config" section goes or a seal is cut off
  std::string bytes;
  switch (ReadWholeFile(file, bytes)) {
    case ReadResult::Missing:
      return {};
    case ReadResult::Unreadable:
      usable_ = false;
      return {};
    case ReadResult::Read:
      break;
  }
  bool sealed = false;
  FileText text = TextOf(std::move(bytes), sealed);
  // Only the "Data" section is in use.
  bool rewrite = sealed;
  if (HasSection(text.text, "Config")) {
    text.text = ReplaceSection(text.text, "Config", std::nullopt);
    rewrite = true;
  }
  if (rewrite && !IsReadOnlyFile(file)) WriteText(file, text);
  return ReadTasks(text.text);
}

DataFile::Failure DataFile::Save(const std::vector<Task>& tasks) {
  if (!usable_) return Failure::Unusable;
  const std::wstring file = LinkTarget(path_);
  std::string old;
  if (ReadWholeFile(file, old) == ReadResult::Unreadable) return Failure::Unreadable;
  if (IsReadOnlyFile(file)) return Failure::ReadOnly;
  bool sealed = false;
  FileText text = TextOf(std::move(old), sealed);
  text.text = WithDataValue(text.text, ToAnsi(SerializeTasks(tasks)));
  return FailureOf(WriteText(file, text));
}

std::u16string SaveFailureMessage(DataFile::Failure failure, const std::wstring& path) {
  const std::wstring target = LinkTarget(path);
  // A link's target is named too: that is the file the message is about.
  const std::u16string file = U16(path) + (IsLink(path) ? u"\n（链接到 " + U16(target) + u"）" : u"");
  const std::u16string lost = u"现在的更改只留在窗口里，关闭程序后就会丢失。";
  switch (failure) {
    case DataFile::Failure::None:
      break;
    case DataFile::Failure::ReadOnly:
      return u"数据文件是只读的，任务无法保存到：\n" + file + u"\n\n" + lost +
             u"如果要保存任务，请取消这个文件的只读属性。";
    case DataFile::Failure::Unusable:
      return u"无法读取数据文件：\n" + file +
             u"\n\n这个文件太大或正被其他程序使用。为了不覆盖其中的任务，Tavik 在这次运行中不会改动它，"
             u"所做的更改也不会保存。";
    case DataFile::Failure::FolderNotWritable:
      return u"无法保存任务到数据文件：\n" + file +
             u"\n\n程序不能在这个文件夹里写入，更改无法保存在这里，关闭程序后就会丢失。"
             u"请把 Tavik 放到一个可以写入的文件夹中（例如不要放在 Program Files 里）。";
    case DataFile::Failure::TempInTheWay:
      return u"无法保存任务到数据文件：\n" + file + u"\n\n保存时先写入的临时文件\n" +
             U16(PendingWritePath(target)) +
             u"\n被一个程序无法删除的文件夹或只读文件占着名字。" + lost + u"请删除或改名它。";
    case DataFile::Failure::WriteFailed:
      return u"无法写入数据文件的临时文件：\n" + U16(PendingWritePath(target)) + u"\n\n磁盘可能已满。" + lost;
    case DataFile::Failure::Unreadable:
      return u"无法保存任务到数据文件：\n" + file +
             u"\n\n这个文件现在读不出来：它可能正被其他程序占用、变得太大，或不再允许读取。为了不覆盖其中的内容，"
             u"Tavik 没有改动它。" + lost;
    case DataFile::Failure::FileInUse:
      return u"无法保存任务到数据文件：\n" + file + u"\n\n这个文件正被其他程序占用。" + lost;
  }
  return {};
}

}  // namespace tavik
