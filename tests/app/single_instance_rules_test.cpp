// The rules of the named objects that hold in both builds: their names, one
// owner of the mutex at a time, and counts given back by their holders.
#include "app/single_instance.h"

#include <gtest/gtest.h>

namespace {

TEST(SingleInstance, NamesOfTheInstallersObjects)
{
    EXPECT_EQ(InstallerMutexName(L"Korvane6"), L"Korvane6.{5ead623c-dfcd-474d-8e3c-e6978cac039e}");
    EXPECT_EQ(RunningCounterName(L"Korvane6"), L"Korvane6.{a3526b56-ca7c-4e16-8a26-da7758a378fd}");
    EXPECT_NE(InstallerMutexName(L"Other7"), InstallerMutexName(L"Korvane6"));
}

TEST(SingleInstance, CountsComeAndGo)
{
    RunningInstanceCounter installer(L"AvRulesCounter");
    EXPECT_EQ(installer.Held(), 1);
    EXPECT_EQ(installer.Holders(), 1u);
    {
        RunningInstanceCounter product(L"AvRulesCounter");
        EXPECT_EQ(installer.Holders(), 2u);
    }
    EXPECT_EQ(installer.Holders(), 1u);
}

}  // namespace
