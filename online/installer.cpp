#include "online/installer.h"

#include <atomic>

#include "core/ansi.h"
#include "core/app_paths.h"
#include "core/file_io.h"
#include "core/instance.h"
#include "core/messages.h"
#include "core/scoped.h"
#include "core/title.h"
#include "core/wide.h"
#include "core/window.h"
#include "core/worker.h"
#include "online/crc32.h"
#include "online/message_window.h"
#include "online/online_host.h"
#include "online/update_script.h"

namespace tavik {

// Shared by the installer and its download thread; a dropped job is only the thread's.
struct Installer::Job {
  Services::WebFunction web;
  WebRequest request;
  std::wstring folder, programStem, tmpPath;
  HWND notify = nullptr;  // the installer's window, told when the download ends
  std::u16string hash;
  std::u16string version, signature;
  std::optional<UpdateKey> key;
  std::atomic<bool> cancel{false};
  std::atomic<bool> ok{false};  // set by the thread before it posts kDownloadedMessage
};

namespace {

void RemoveIfThere(const std::wstring& path) {
  if (!FileExists(path)) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only leftover goes too
  DeleteFileW(path.c_str());
}

std::wstring InFolder(const std::wstring& folder, const char16_t* name) {
  return Wide(InProgramFolder(U16(folder), name));
}

// The release into the temporary file; true only for a whole 200 answer written to disk.
bool FetchToFile(const Installer::Job& job) {
  ScopedFile file(
      CreateFileW(job.tmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bool written = true;
  const WebResult result = job.web(job.request, job.cancel, [&](std::string_view bytes) {
    DWORD n = 0;
    written = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
    return written;
  });
  written = FlushFileBuffers(file.get()) && written;
  written = file.Close() && written;
  return written && result.answered && result.status == 200 && result.complete && !job.cancel;
}


// The size of a file; 0 when there is none.
std::uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The update script as GBK bytes; true when the whole file was written.
bool WriteScript(const std::wstring& path, const std::string& bytes) {
  ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD n = 0;
  const bool written = file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
                       n == bytes.size();
  return file.Close() && written;
}

}  // namespace

Installer::Installer(OnlineHost& host, const Services& services) : services_(services), host_(host) {}

Installer::~Installer() { Stop(); }

void Installer::Stop() {
  stopped_ = true;
  if (job_) job_->cancel = true;
  job_.reset();
}

void Installer::OnClick(UpdateInfo info) {
  if (stopped_ || job_ || host_.InBox()) return;  // a download is under way (its end hides the bar), or a box is open
  if (!info.Tips.empty()) {
    host_.Box(Wide(NotesForBox(info.Tips)), MB_ICONINFORMATION);
    if (host_.Closing()) return;  // the program was closed meanwhile: nothing is fetched
  }
  // Only a program file from a trusted address is installed: the CRC-32 in the document
  // guards against damage, not against a release altered on the way.
  if (!MayInstall(info.DownUrl, homeUrl)) {
    OpenHome();
    HideBar();
    return;
  }
  const std::wstring path = programPath.empty() ? ProgramPath() : programPath;
  std::shared_ptr<Job> job(new Job);  // not make_shared: that drags in the run-time type machinery
  job->folder = Wide(FolderOf(U16(path)));
  if (job->folder.size() == 2 && job->folder[1] == L':') job->folder += L'\\';  // a drive root
  job->programStem = Wide(ProgramStem(U16(path)));
  job->tmpPath = InFolder(job->folder, kDownloadName);
  job->hash = info.Hash;
  job->version = info.Version;
  job->signature = info.Signature;
  job->key = updateKey;
  for (const char16_t* name : {kOldProgramName, kDownloadName, kScriptName}) RemoveIfThere(InFolder(job->folder, name));
  host_.SetBarText(kDownloadingText);
  job->request.url = Wide(info.DownUrl);
  job->request.userAgent = Wide(TitleAndVersion());
  job->request.headers = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  job->request.stepTimeoutMs = stepTimeoutMs;
  job->request.totalLimitMs = timeLimitMs;
  job->request.maxBodyBytes = maxBytes;
  job->request.mayFollow = [home = homeUrl](std::u16string_view to) { return IsTrustedReleaseAddress(to, home); };

  if (!notify_) {
    notify_ = std::make_unique<MessageWindow>();
    notify_->onMessage = [this](UINT msg, WPARAM, LPARAM) {
      if (msg == kDownloadedMessage) OnDownloaded();
    };
  }
  job->notify = notify_->hwnd();
  job->web = services_.web;
  // The thread holds its own reference: the installer may drop the job meanwhile.
  const bool started = static_cast<bool>(StartWorker([job] {
    job->ok = FetchToFile(*job);
    PostMessageW(job->notify, kDownloadedMessage, 0, 0);  // fails harmlessly once the installer is gone
  }));
  if (!started) {
    Fail(job->tmpPath);
    HideBar();
    return;
  }
  job_ = job;
}

void Installer::OnDownloaded() {
  const std::shared_ptr<Job> job = std::move(job_);
  if (!job) return;
  const std::u16string crc = job->ok ? FileCrc32(job->tmpPath) : u"";
  bool started = false;
  if (GoodDownload(job->ok, FileSize(job->tmpPath), crc, job->hash) &&
      (!job->key || VerifyReleaseFile(*job->key, job->version, job->signature, job->tmpPath))) {
    const std::u16string script = UpdateScript(U16(job->programStem), GetCurrentProcessId());
    const std::wstring scriptPath = InFolder(job->folder, kScriptName);
    if (!script.empty()) {
      started = WriteScript(scriptPath, ToAnsi(script)) && services_.startScript(job->folder, W(kScriptName));
      if (!started) RemoveIfThere(scriptPath);
    }
  }
  // The script ends this program by its process id; until then it runs on with the bar hidden.
  if (!started) Fail(job->tmpPath);
  HideBar();
}

void Installer::Fail(const std::wstring& tmpPath) {
  RemoveIfThere(tmpPath);
  host_.Box(Wide(kDownloadFailedMessage), MB_ICONINFORMATION);
  OpenHome();
}

void Installer::HideBar() { host_.ShowBar(false); }

void Installer::OpenHome() { services_.openUrl(Wide(homeUrl)); }

}  // namespace tavik
