// Test program entry: GoogleTest with the installer's process-wide settings
// left at their defaults, as a fresh process of the installer has them.
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
