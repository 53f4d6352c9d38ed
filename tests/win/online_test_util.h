// Shared by the online tests: a recording desktop (boxes recorded, no browser, no script run)
// and the encoded update document a test server hands out.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "online/update_doc.h"
#include "tests/win/test_util.h"

namespace tavik::test {

class RecordingShell {
 public:
  RecordingShell();
  ~RecordingShell();  // the real desktop again
  RecordingShell(const RecordingShell&) = delete;
  RecordingShell& operator=(const RecordingShell&) = delete;

  using Box = ShownBox;
  // The boxes shown since it was made (the test services' record), and what runs while one
  // is open.
  std::vector<Box>& boxes = ShownBoxes();
  std::function<void(const Box&)>& whileOpen = WhileBoxOpen();
  std::vector<std::wstring> opened;
  std::vector<std::wstring> scripts;  // folders whose script was started
  std::vector<std::string> scriptBytes;  // the script as it stood when it was started

 private:
  Services saved_;
};

// The response body of the update address for a document.
std::string EncodedDocument(const UpdateDocument& doc);

}  // namespace tavik::test
