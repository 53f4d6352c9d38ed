// Shared by the online tests: a recording desktop (no box shown, no browser, no script run)
// and the encoded update document a test server hands out.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "online/shell.h"
#include "online/update_doc.h"

namespace tavik::test {

class RecordingShell {
 public:
  RecordingShell();
  ~RecordingShell();  // the real desktop again
  RecordingShell(const RecordingShell&) = delete;
  RecordingShell& operator=(const RecordingShell&) = delete;

  struct Box {
    std::wstring text;
    UINT type;
  };
  std::vector<Box> boxes;
  std::vector<std::wstring> opened;
  std::vector<std::wstring> scripts;  // folders whose script was started
  std::vector<std::string> scriptBytes;  // the script as it stood when it was started

 private:
  OnlineShell saved_;
};

// The response body of the update address for a document.
std::string EncodedDocument(const UpdateDocument& doc);

}  // namespace tavik::test
