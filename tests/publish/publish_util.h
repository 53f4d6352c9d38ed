// What the publisher's tests share: a folder of their own, files, and tavik-publish run as
// the site owner runs it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/publish/test_release.h"

namespace tavik::publish {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tavik-keys-XXXXXX").string();
    path_ = mkdtemp(&pattern[0]) ? pattern : "";
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

inline std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

using test::Release;

// tavik-publish itself, as the site owner runs it.
class Publisher : public ::testing::Test {
 protected:
  // The publisher with args, after shell commands in before (limits, traps).
  int Run(const std::string& args, const std::string& before = "") {
    const std::string command =
        before + std::string("'") + TAVIK_PUBLISH + "' " + args + " 2>'" + dir_.File("stderr") + "'";
    const int status = std::system(command.c_str());
    stderr_ = Read(dir_.File("stderr"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Publish(const std::string& extra) {
    return "--release '" + dir_.File("Tavik.exe") + "' --version 0.5.2 --min-version 0.5 "
           "--url https://tavik.example/Tavik.exe --output '" + dir_.File("update.txt") + "' " + extra;
  }
  void SetUp() override { Write(dir_.File("Tavik.exe"), Release()); }

  TempDir dir_;
  std::string stderr_;
};

}  // namespace tavik::publish
