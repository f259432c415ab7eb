// What assistive technology calls the face's controls whose own text would not say what they are: the
// login page's fields (their captions are part of the page picture), the values of the welcome and verify
// pages (named after their painted captions), the strip bar and the success page's line. Every window
// gives these controls the same object names and names them from this one table.
#pragma once

#include <string>
#include <string_view>

namespace fwu {

inline constexpr const char* kPasswordFieldObject = "passwordField";

// The object name of octet field `index` (0 to 3, from the left): "octetField1" to "octetField4".
std::string OctetFieldObject(int index);

// The name for assistive technology of the control called `objectName`; empty for a control its own text
// names.
std::string_view AccessibleControlName(std::string_view objectName);

}  // namespace fwu
