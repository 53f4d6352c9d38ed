#include "tests/win/online_test_util.h"

#include <gtest/gtest.h>

#include "core/codec.h"
#include "tests/win/test_util.h"

namespace tavik::test {

RecordingShell::RecordingShell() : saved_(TestHooks()) {
  TestHooks().messageBox = nullptr;  // recorded by the test services
  boxes.clear();
  whileOpen = nullptr;
  TestHooks().openUrl = [this](const std::wstring& url) { opened.push_back(url); };
  TestHooks().startScript = [this](const std::wstring& folder, const std::wstring&) {
    scripts.push_back(folder);
    scriptBytes.push_back(ReadFileBytes(folder + (folder.back() == L'\\' ? L"" : L"\\") + L"Update.bat"));
    return true;
  };
}

RecordingShell::~RecordingShell() {
  whileOpen = nullptr;
  TestHooks() = saved_;
}

std::string EncodedDocument(const UpdateDocument& doc) {
  std::string why;
  const std::u16string text = BuildUpdateDocument(doc, &why);
  EXPECT_FALSE(text.empty()) << why;
  const std::u16string encoded = Base64(1, text);
  return std::string(encoded.begin(), encoded.end());  // Base64 is ASCII
}

}  // namespace tavik::test
