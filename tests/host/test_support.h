#ifndef HOST_TEST_SUPPORT_H
#define HOST_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>

#include "win32/stand_in.h"

using standin::machine::kUninstallRoot;
inline const std::string kProductKey = kUninstallRoot + "\\Tessaline";

inline std::string CompanionKey(const std::string& tail, const std::string& suffix)
{
    return kUninstallRoot + "\\vek" + tail + suffix;
}

// Every test starts on a fresh stand-in machine and must leave no key or handle open.
class StandInTest : public ::testing::Test {
protected:
    void SetUp() override { standin::Reset(); }
    void TearDown() override
    {
        EXPECT_EQ(standin::OpenKeyCount(), 0) << "a registry key was left open";
        EXPECT_EQ(standin::OpenFileHandleCount(), 0) << "a file handle was left open";
        EXPECT_EQ(standin::UnknownHandleCloses(), 0) << "a handle was closed twice or never opened";
        EXPECT_EQ(standin::RunawayEnumerations(), 0) << "a failing key enumeration never ended";
    }
};

#endif
