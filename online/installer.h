// The click on the message bar: the release notes, the download of the new program beside
// this one, its CRC-32 check (and, in a program built with a key, its signature), and the
// update script that swaps the program files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/services.h"
#include "online/release_verify.h"
#include "online/update_doc.h"

namespace tavik {

class MessageWindow;
class OnlineHost;

// A stalled or trickling server gives up after this long.
inline constexpr DWORD kDownloadTimeLimitMs = 10 * 60 * 1000;
inline constexpr DWORD kDownloadStepTimeoutMs = 30 * 1000;
// No release of this program comes near this; anything larger is not one.
inline constexpr std::uint64_t kMaxReleaseBytes = 64ull << 20;

class Installer {
 public:
  // The web and the desktop (browser, script) go through `services`, which outlives it.
  Installer(OnlineHost& host, const Services& services);
  ~Installer();
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;

  // Runs the installer for the update results of the moment. The release notes are shown in
  // a box modal to the program; the download runs on a worker thread, while the window
  // thread keeps running, and finishes the work when it arrives. A click while a download
  // or a box is under way does nothing.
  void OnClick(UpdateInfo info);
  bool Downloading() const { return job_ != nullptr; }
  // The program ends: a download under way is dropped and nothing more is started.
  void Stop();

  std::u16string homeUrl;
  std::wstring programPath;  // the running program's file; empty: this program
  DWORD timeLimitMs = kDownloadTimeLimitMs;
  DWORD stepTimeoutMs = kDownloadStepTimeoutMs;
  std::uint64_t maxBytes = kMaxReleaseBytes;
  // With a key, a download is good only when it also carries that key's signature for its
  // version; without one, the CRC-32 alone decides.
  std::optional<UpdateKey> updateKey = BuiltInUpdateKey();

  struct Job;  // a download under way, shared with its thread

 private:
  void OnDownloaded();
  void Fail(const std::wstring& tmpPath);
  void HideBar();
  void OpenHome();

  const Services& services_;
  OnlineHost& host_;
  std::unique_ptr<MessageWindow> notify_;
  std::shared_ptr<Job> job_;
  bool stopped_ = false;
};

}  // namespace tavik
