// The Qt keys of the octet fields as the virtual-key codes their key rules decide on.
#include <gtest/gtest.h>

#include <QtCore/qnamespace.h>

#include "ui/OctetKeyFilter.h"

namespace fwu {
namespace {

TEST(VirtualKeyOf, KeypadAndMainRow) {
    EXPECT_EQ(VirtualKeyOf(Qt::Key_5, Qt::NoModifier), VKEY_0 + 5);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_5, Qt::KeypadModifier), VKEY_NUMPAD0 + 5);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Period, Qt::KeypadModifier), VKEY_DECIMAL);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Period, Qt::NoModifier), VKEY_OEM_PERIOD);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Comma, Qt::KeypadModifier), VKEY_DECIMAL);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Backtab, Qt::ShiftModifier), VKEY_TAB);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Q, Qt::NoModifier), VKEY_A + 16);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Exclam, Qt::ShiftModifier), 0);
}

}  // namespace
}  // namespace fwu
