// Classification of version records into family texts, and the version query itself.
#include <gtest/gtest.h>

#include <cstring>

#include "services/OsType.h"
#include "tests/fakes/FakeWinApi.h"

namespace {

using services::ClassifyOS;
using services::OsVersionInfoEx;

OsVersionInfoEx Version(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                        std::uint8_t productType = 1, std::uint16_t suiteMask = 0) {
    OsVersionInfoEx info;
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.wProductType = productType;
    info.wSuiteMask = suiteMask;
    return info;
}

std::wstring Classify(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                      std::uint8_t productType = 1, std::uint16_t suiteMask = 0) {
    return ClassifyOS(1, Version(platform, major, minor, productType, suiteMask));
}

TEST(OsTypeClassify, Win32sIsWindows3xWhateverTheVersion) {
    EXPECT_EQ(Classify(0, 3, 10), L"Windows 3.x");
    EXPECT_EQ(Classify(0, 0, 0), L"Windows 3.x");
    EXPECT_EQ(Classify(0, 99, 77, 3, 2), L"Windows 3.x");
}

TEST(OsTypeClassify, Windows9xGoesByMinorVersionOnly) {
    for (std::uint32_t major : {0u, 4u, 5u, 12u}) {
        EXPECT_EQ(Classify(1, major, 0), L"Win9x") << major;
        EXPECT_EQ(Classify(1, major, 10), L"Win9x") << major;
        EXPECT_EQ(Classify(1, major, 90), L"Win9x") << major;
    }
    for (std::uint32_t minor : {1u, 9u, 11u, 50u, 89u, 91u, 100u}) {
        EXPECT_EQ(Classify(1, 4, minor), L"") << minor;
    }
}

TEST(OsTypeClassify, Windows9xIgnoresServicePackText) {
    OsVersionInfoEx info = Version(1, 4, 0);
    std::strcpy(info.szCSDVersion, " C");
    info.wServicePackMajor = 3;
    info.dwBuildNumber = 0x040003B6;
    EXPECT_EQ(ClassifyOS(1, info), L"Win9x");
}

TEST(OsTypeClassify, Nt3MatchesMinorAsWholeNumber) {
    EXPECT_EQ(Classify(2, 3, 0), L"Windows NT 3");
    EXPECT_EQ(Classify(2, 3, 1), L"Windows NT 3.1");
    EXPECT_EQ(Classify(2, 3, 5), L"Windows NT 3.5");
    EXPECT_EQ(Classify(2, 3, 51), L"Windows NT 3.51");
    EXPECT_EQ(Classify(2, 3, 2), L"");
    EXPECT_EQ(Classify(2, 3, 50), L"");
    EXPECT_EQ(Classify(2, 3, 10), L"");
}

TEST(OsTypeClassify, Nt4WhateverTheMinorAndProduct) {
    EXPECT_EQ(Classify(2, 4, 0), L"Windows NT 4");
    EXPECT_EQ(Classify(2, 4, 90, 2, 2), L"Windows NT 4");
}

TEST(OsTypeClassify, Version50IsWin2kExceptDomainController) {
    EXPECT_EQ(Classify(2, 5, 0, 1), L"Win2k");
    EXPECT_EQ(Classify(2, 5, 0, 3), L"Win2k");
    EXPECT_EQ(Classify(2, 5, 0, 2), L"");
    EXPECT_EQ(Classify(2, 5, 0, 0), L"");
    EXPECT_EQ(Classify(2, 5, 0, 4), L"");
}

TEST(OsTypeClassify, Version51WorkstationIsWin2kWhateverTheSuites) {
    EXPECT_EQ(Classify(2, 5, 1, 1, 0), L"Win2k");
    EXPECT_EQ(Classify(2, 5, 1, 1, 0x0200), L"Win2k");
    EXPECT_EQ(Classify(2, 5, 1, 1, 2), L"Win2k");
}

TEST(OsTypeClassify, Version51ServerTellsEnterpriseByExactSuiteMask) {
    EXPECT_EQ(Classify(2, 5, 1, 3, 0x0002), L"Windows .NET Enterprise Server");
    EXPECT_EQ(Classify(2, 5, 1, 2, 0x0002), L"Windows .NET Enterprise Server");
    EXPECT_EQ(Classify(2, 5, 1, 3, 0x0012), L"Windows .NET Server");  // enterprise bit plus another
    EXPECT_EQ(Classify(2, 5, 1, 3, 0), L"Windows .NET Server");
    EXPECT_EQ(Classify(2, 5, 1, 0, 0x0400), L"Windows .NET Server");
}

TEST(OsTypeClassify, LaterAndUnknownVersionsAreEmpty) {
    EXPECT_EQ(Classify(2, 5, 2), L"");
    EXPECT_EQ(Classify(2, 5, 2, 3, 2), L"");
    EXPECT_EQ(Classify(2, 6, 0), L"");
    EXPECT_EQ(Classify(2, 6, 1), L"");
    EXPECT_EQ(Classify(2, 10, 0), L"");
    EXPECT_EQ(Classify(2, 2, 0), L"");
    EXPECT_EQ(Classify(3, 5, 0), L"");
    EXPECT_EQ(Classify(0xFFFFFFFF, 4, 0), L"");
}

TEST(OsTypeClassify, OnlyResultOneCountsAsSuccess) {
    const OsVersionInfoEx win2k = Version(2, 5, 0, 1);
    EXPECT_EQ(ClassifyOS(1, win2k), L"Win2k");
    EXPECT_EQ(ClassifyOS(0, win2k), L"");
    EXPECT_EQ(ClassifyOS(2, win2k), L"");
    EXPECT_EQ(ClassifyOS(-1, win2k), L"");
    EXPECT_EQ(ClassifyOS(0, Version(0, 0, 0)), L"");
}

TEST(OsTypeQuery, AsksWithZeroedExtendedRecord) {
    fakes::FakeWinApi api;
    api.SetVersion(2, 5, 1, 1);
    EXPECT_EQ(services::GetOSType(api), L"Win2k");
    EXPECT_EQ(api.calls, std::vector<std::wstring>{L"GetVersionExA(156)"});
}

TEST(OsTypeQuery, FailedQueryIsEmptyWhateverTheRecord) {
    fakes::FakeWinApi api;
    api.SetVersion(1, 4, 10);
    api.versionResult = 0;
    EXPECT_EQ(services::GetOSType(api), L"");
    EXPECT_EQ(api.calls, (std::vector<std::wstring>{L"GetVersionExA(156)", L"GetVersionExA(148)"}));
}

// 98 and Me as documented (the extended record refused) and as some evidence has them (taken).
TEST(OsTypeQuery, NineXIsWin9xWhetherOrNotItTakesTheExtendedRecord) {
    for (const bool refuses : {true, false}) {
        for (const std::uint32_t minor : {10u, 90u}) {
            fakes::FakeWinApi api;
            api.SetVersion(1, 4, minor);
            api.refuseExtendedRecord = refuses;
            EXPECT_EQ(services::GetOSType(api), L"Win9x") << "refuses " << refuses << ", 4." << minor;
        }
    }
}

}  // namespace
