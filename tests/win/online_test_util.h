// Shared by the online tests: a recording desktop (no box shown, no browser, no script run)
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

  struct Box {
    HWND owner;
    std::wstring text;
    UINT type;
  };
  std::vector<Box> boxes;
  std::vector<std::wstring> opened;
  std::vector<std::wstring> scripts;  // folders whose script was started
  std::vector<std::string> scriptBytes;  // the script as it stood when it was started
  // Runs while a box is "open" (before it is answered), as a person's clicks would.
  std::function<void(const Box&)> whileOpen;

 private:
  Services saved_;
};

// The response body of the update address for a document.
std::string EncodedDocument(const UpdateDocument& doc);

}  // namespace tavik::test
