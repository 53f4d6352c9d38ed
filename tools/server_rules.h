// Server rules that let an ordinary web host answer the program's update check: the check asks
// the home address followed by "?type=update", which a static host answers with its home page.
// The rules hand that one request the document and leave every other request as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavik {

// The path of a home address ("https://site.example/tavik/" -> "/tavik/"); nothing when the
// address is not http(s), does not end in "/", or holds a character the rules could not carry
// as it is (only letters, digits and "-._~/" are taken).
std::optional<std::string> HomePath(std::string_view homeUrl);

// A file name the rules can name as it is; the same characters as HomePath, no "/".
bool IsPlainFileName(std::string_view name);

// For nginx: to be included in the site's server block.
std::string NginxRules(std::string_view homePath, std::string_view document);

// For Apache: the block that goes into the home folder's .htaccess, between marker lines.
std::string HtaccessBlock(std::string_view homePath, std::string_view document);

// The .htaccess with the block in it: an earlier block replaced where it stood, otherwise the
// block added at the end; everything else kept byte for byte. Nothing when a block was begun
// and never ended (a hand edit the tool will not guess about).
std::optional<std::string> MergeHtaccess(std::string_view existing, std::string_view block);

inline constexpr char kHtaccessBegin[] = "# BEGIN Tavik update document";
inline constexpr char kHtaccessEnd[] = "# END Tavik update document";
inline constexpr char kNginxRulesFile[] = "tavik-nginx.conf";

// Writes .htaccess (merged) and the nginx rules beside the document at documentPath, for the
// site whose home address is homeUrl; says on standard error what it wrote. False when a file
// could not be written; a home address or file name the rules cannot carry is only warned about.
bool WriteServerRules(const std::string& documentPath, const std::string& homeUrl);

}  // namespace tavik
