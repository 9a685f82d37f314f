#include "system/associations.h"

#include <gtest/gtest.h>

// GetVersion results of real systems. Windows 10's first build, 10240 (0x2800), has a zero low
// byte: a test of bits 16 to 23 would take it for Windows 98.
TEST(RegistryLayout, BitThirtyOneTellsTheFamily) {
    EXPECT_EQ(registry_layout_of(0xC3B60004u), RegistryLayout::k9x);  // Windows 95
    EXPECT_EQ(registry_layout_of(0xC0000A04u), RegistryLayout::k9x);  // Windows 98
    EXPECT_EQ(registry_layout_of(0x05650004u), RegistryLayout::kNt);  // Windows NT 4.0
    EXPECT_EQ(registry_layout_of(0x0A280105u), RegistryLayout::kNt);  // Windows XP
    EXPECT_EQ(registry_layout_of(0x1DB10106u), RegistryLayout::kNt);  // Windows 7
    EXPECT_EQ(registry_layout_of(0x28000A00u), RegistryLayout::kNt);  // Windows 10 build 10240
    EXPECT_EQ(registry_layout_of(0x47BA0A00u), RegistryLayout::kNt);  // Windows 10 build 18362
}
