// The command line as UTF-8 on every system. Windows hands main() its arguments in the
// system's ANSI code page, which turns Chinese release notes into "?" on most systems; the
// wide command line keeps every character.
#pragma once

namespace tavik {

// argv itself where arguments already come as UTF-8; on Windows the same arguments read from
// the wide command line (kept until the program ends), with argc set to their count.
char** Utf8Arguments(int& argc, char** argv);

}  // namespace tavik
