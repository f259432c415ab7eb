// The names assistive technology gives the face's controls, as both windows look them up by object name.
#include <gtest/gtest.h>

#include "wizard/ControlNames.h"

namespace fwu {
namespace {

TEST(ControlNames, TheFieldsAreNamedByTheirObjectNames) {
    const struct {
        std::string objectName;
        std::string_view name;
    } cases[] = {
        {kPasswordFieldObject, "Router's Password"},
        {OctetFieldObject(0), "Router's IP Address, part 1"},
        {OctetFieldObject(3), "Router's IP Address, part 4"},
        {"stripBar", "Upgrade progress"},
        {OctetFieldObject(4), ""},  // there are four octets
        {"octetField", ""},         // a prefix is no name
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AccessibleControlName(c.objectName), c.name) << c.objectName;
    }
}

}  // namespace
}  // namespace fwu
