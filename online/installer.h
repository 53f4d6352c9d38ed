// The click on the message bar: the release notes, the download of the new program beside
// this one, its CRC-32 check, and the update script that swaps the program files.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "online/update_doc.h"

namespace tavik {

class MessageBar;
class MessageWindow;

// A stalled or trickling server gives up after this long.
inline constexpr DWORD kDownloadTimeLimitMs = 10 * 60 * 1000;
inline constexpr DWORD kDownloadStepTimeoutMs = 30 * 1000;

class Installer {
 public:
  explicit Installer(std::function<MessageBar*()> bar);
  ~Installer();
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;

  // Runs the installer for the update results of the moment. The download runs on a worker
  // thread; the window thread keeps running and finishes the work when it arrives.
  void OnClick(const UpdateInfo& info);
  bool Downloading() const { return job_ != nullptr; }

  std::u16string homeUrl;
  std::wstring programPath;  // the running program's file; empty: this program
  DWORD timeLimitMs = kDownloadTimeLimitMs;
  DWORD stepTimeoutMs = kDownloadStepTimeoutMs;

 private:
  struct Job;
  void OnDownloaded();
  void Fail(const std::wstring& tmpPath);
  void HideBar();
  void OpenHome();

  std::function<MessageBar*()> bar_;
  std::unique_ptr<MessageWindow> notify_;
  std::shared_ptr<Job> job_;
};

}  // namespace tavik
