#include "online/installer.h"

#include <atomic>
#include <filesystem>
#include <thread>

#include "core/ansi.h"
#include "core/app.h"
#include "core/window.h"
#include "core/app_paths.h"
#include "online/crc32.h"
#include "online/message_bar.h"
#include "online/message_window.h"
#include "online/online_host.h"
#include "online/shell.h"
#include "online/update_script.h"
#include "online/web_request.h"

namespace tavik {

// Shared by the installer and its download thread; a dropped job is only the thread's.
struct Installer::Job {
  WebRequest request;
  std::wstring folder, programStem, tmpPath;
  std::u16string hash;
  std::u16string version, signature;
  std::optional<UpdateKey> key;
  std::atomic<bool> cancel{false};
  std::atomic<bool> ok{false};  // set by the thread before it posts kDownloadedMessage
};

namespace {

constexpr UINT kDownloadedMessage = WM_APP + 1;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveIfThere(const std::wstring& path) {
  if (!Exists(path)) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only leftover goes too
  DeleteFileW(path.c_str());
}

std::wstring InFolder(const std::wstring& folder, const char16_t* name) {
  return Wide(InProgramFolder(U16(folder), name));
}

// The release into the temporary file; true only for a whole 200 answer written to disk.
bool FetchToFile(const WebRequest& request, const std::atomic<bool>& cancel, const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = true;
  const WebResult result = RunWebRequest(request, cancel, [&](std::string_view bytes) {
    DWORD n = 0;
    written = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
    return written;
  });
  written = FlushFileBuffers(file) && written;
  CloseHandle(file);
  return written && result.answered && result.status == 200 && result.complete && !cancel;
}
}  // namespace

Installer::Installer(OnlineHost& host) : host_(host) {}

Installer::~Installer() {
  if (job_) job_->cancel = true;
}

void Installer::OnClick(UpdateInfo info) {
  if (job_ || host_.InBox()) return;  // a download is under way (its end hides the bar), or a box is open
  if (!info.Tips.empty()) {
    host_.Box(Wide(NotesForBox(info.Tips)), MB_ICONINFORMATION);
    if (host_.Closing()) return;  // the program was closed meanwhile: nothing is fetched
  }
  // Only a program file from a trusted address is installed: the CRC-32 in the document
  // guards against damage, not against a release altered on the way.
  if (!MayInstall(info.DownUrl)) {
    OpenHome();
    HideBar();
    return;
  }
  const std::wstring path = programPath.empty() ? ProgramPath() : programPath;
  auto job = std::make_shared<Job>();
  job->folder = Wide(FolderOf(U16(path)));
  if (job->folder.size() == 2 && job->folder[1] == L':') job->folder += L'\\';  // a drive root
  job->programStem = Wide(ProgramStem(U16(path)));
  job->tmpPath = InFolder(job->folder, kDownloadName);
  job->hash = info.Hash;
  job->version = info.Version;
  job->signature = info.Signature;
  job->key = updateKey;
  for (const char16_t* name : {kOldProgramName, kDownloadName, kScriptName}) RemoveIfThere(InFolder(job->folder, name));
  if (MessageBar* bar = host_.Bar()) {
    bar->Clear();
    bar->DrawText(kDownloadingText);
  }
  job->request.url = Wide(info.DownUrl);
  job->request.userAgent = Wide(TitleAndVersion());
  job->request.headers = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  job->request.stepTimeoutMs = stepTimeoutMs;
  job->request.totalLimitMs = timeLimitMs;
  job->request.maxBodyBytes = maxBytes;
  job->request.mayFollow = [](std::u16string_view to) { return IsTrustedReleaseAddress(to); };

  if (!notify_) {
    notify_ = std::make_unique<MessageWindow>();
    notify_->onMessage = [this](UINT msg, WPARAM, LPARAM) {
      if (msg == kDownloadedMessage) OnDownloaded();
    };
  }
  const HWND notify = notify_->hwnd();
  job_ = job;
  try {
    std::thread([job, notify] {
      job->ok = FetchToFile(job->request, job->cancel, job->tmpPath);
      PostMessageW(notify, kDownloadedMessage, 0, 0);  // fails harmlessly once the installer is gone
    }).detach();
  } catch (...) {
    job_.reset();
    Fail(job->tmpPath);
    HideBar();
  }
}

void Installer::OnDownloaded() {
  const std::shared_ptr<Job> job = std::move(job_);
  if (!job) return;
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(job->tmpPath), ec);
  const std::u16string crc = job->ok && !ec ? FileCrc32(std::filesystem::path(job->tmpPath)) : u"";
  bool started = false;
  if (GoodDownload(job->ok, ec ? 0 : size, crc, job->hash) &&
      (!job->key || VerifyReleaseFile(*job->key, job->version, job->signature, job->tmpPath))) {
    const std::u16string script = UpdateScript(U16(job->programStem));
    const std::wstring scriptPath = InFolder(job->folder, kScriptName);
    if (!script.empty()) {
      const std::string bytes = ToAnsi(script);
      HANDLE file = CreateFileW(scriptPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
      DWORD n = 0;
      const bool written = file != INVALID_HANDLE_VALUE &&
                           WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
                           n == bytes.size();
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      OnlineShell& shell = Shell();
      started = written && shell.startScript && shell.startScript(job->folder);
      if (!started) RemoveIfThere(scriptPath);
    }
  }
  // The script's third line ends this program; until then it runs on with the bar hidden.
  if (!started) Fail(job->tmpPath);
  HideBar();
}

void Installer::Fail(const std::wstring& tmpPath) {
  RemoveIfThere(tmpPath);
  host_.Box(Wide(kDownloadFailedMessage), MB_ICONINFORMATION);
  OpenHome();
}

void Installer::HideBar() {
  if (MessageBar* bar = host_.Bar()) bar->Hide();
}

void Installer::OpenHome() {
  OnlineShell& shell = Shell();
  if (shell.openUrl) shell.openUrl(Wide(homeUrl));
}

}  // namespace tavik
