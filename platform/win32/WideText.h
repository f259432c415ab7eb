// UTF-8 texts of the program and the UTF-16 texts of the Windows calls.
#pragma once

#include <string>
#include <string_view>

namespace fwu::platform::win32 {

// The conversions; text that is not valid in its encoding is carried over with replacement characters.
std::wstring ToWide(std::string_view utf8);
std::string ToUtf8(std::wstring_view wide);

}  // namespace fwu::platform::win32
