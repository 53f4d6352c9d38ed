// Text of the core (UTF-16) at the Win32 boundary, and back.
#pragma once

#include <string>

namespace tavik {

inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline std::u16string U16(const wchar_t* s) { return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string(); }
inline std::u16string U16(const std::wstring& s) { return U16(s.c_str()); }
inline std::wstring Wide(const std::u16string& s) { return std::wstring(W(s)); }

}  // namespace tavik
