// The path of the last-used settings file, built from the Windows directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/win/settings_path.h"

namespace {

std::string textOf(const uint8* path) {
    return std::string(reinterpret_cast<const char*>(path + 1), path[0]);
}

// The zero byte behind the last character is what the system calls read.
void expectTerminated(const uint8* path) {
    EXPECT_EQ(path[path[0] + 1], 0);
    EXPECT_EQ(std::string(pathText(path)), textOf(path));
}

struct PathCase {
    std::string windowsDirectory;
    std::string filterName;
    std::string expectedFile;
};

class ParamsSettingsPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(ParamsSettingsPath, BuildsFileUnderWindowsDirectory) {
    const PathCase& c = GetParam();
    const SettingsFilePaths paths =
        buildSettingsFilePath(c.windowsDirectory.c_str(), c.filterName.c_str());
    EXPECT_EQ(textOf(paths.file), c.expectedFile);
    EXPECT_TRUE(paths.complete);
    expectTerminated(paths.file);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParamsSettingsPath,
    ::testing::Values(
        PathCase{"D:\\WINDOWS", "Lumiveil", "D:\\WINDOWS\\quietharborstudio\\PS Filters\\Lumiveil"},
        // A drive root already ends in a backslash: no doubled one.
        PathCase{"E:\\", "Lumiveil", "E:\\quietharborstudio\\PS Filters\\Lumiveil"},
        PathCase{"C:\\Windows\\", "Lumiveil",
                 "C:\\Windows\\quietharborstudio\\PS Filters\\Lumiveil"},
        // At most 30 characters of the filter's name.
        PathCase{"C:\\WINNT", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
                 "C:\\WINNT\\quietharborstudio\\PS Filters\\ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"},
        PathCase{"C:\\WINNT", std::string(30, 'n'),
                 "C:\\WINNT\\quietharborstudio\\PS Filters\\" + std::string(30, 'n')}));

TEST(ParamsSettingsPath, FoldersAreCreatedInOrderAndFolderEndsInBackslash) {
    const SettingsFilePaths paths = buildSettingsFilePath("D:\\WINDOWS", "Lumiveil");
    EXPECT_EQ(textOf(paths.makerFolder), "D:\\WINDOWS\\quietharborstudio");
    EXPECT_EQ(textOf(paths.filtersFolder), "D:\\WINDOWS\\quietharborstudio\\PS Filters");
    EXPECT_EQ(textOf(paths.folder), "D:\\WINDOWS\\quietharborstudio\\PS Filters\\");
    expectTerminated(paths.makerFolder);
    expectTerminated(paths.filtersFolder);
    expectTerminated(paths.folder);
}

TEST(ParamsSettingsPath, VeryLongWindowsDirectoryIsCutAt255WithZeroBehind) {
    const std::string directory =
        "C:\\" + std::string(256, 'w');  // 259 characters, as 260 bytes allow
    const SettingsFilePaths paths = buildSettingsFilePath(directory.c_str(), "Lumiveil");
    EXPECT_EQ(paths.file[0], 255);
    EXPECT_EQ(textOf(paths.file), directory.substr(0, 255));
    expectTerminated(paths.file);
    expectTerminated(paths.makerFolder);
    EXPECT_FALSE(paths.complete);
}

TEST(ParamsSettingsPath, NameCutByPathLimitIsReportedIncomplete) {
    // 221 + 1 + 17 + 11 + 1 = 251 characters of folder leave room for 4 of the name.
    const std::string directory = "C:\\" + std::string(218, 'w');
    const SettingsFilePaths paths = buildSettingsFilePath(directory.c_str(), "Lumiveil");
    EXPECT_EQ(paths.file[0], 255);
    EXPECT_EQ(textOf(paths.file), directory + "\\quietharborstudio\\PS Filters\\Lumi");
    EXPECT_TRUE(std::string(pathText(paths.folder)).back() == '\\');
    expectTerminated(paths.file);
    EXPECT_FALSE(paths.complete);
}

TEST(ParamsSettingsPath, PathThatJustFitsIsComplete) {
    // 213 + 1 + 17 + 11 + 1 + 8 + 4 = 255: exactly at the limit.
    const std::string directory = "C:\\" + std::string(210, 'w');
    const SettingsFilePaths paths = buildSettingsFilePath(directory.c_str(), "LumiveilAbcd");
    EXPECT_EQ(paths.file[0], 255);
    EXPECT_TRUE(paths.complete);
    expectTerminated(paths.file);
}

TEST(ParamsSettingsPath, StartAddsBackslashOnlyWhenMissing) {
    uint8 path[kPathBufferSize];
    std::memset(path, 0xEE, sizeof path);
    EXPECT_TRUE(startSettingsPath(path, "D:\\WINDOWS"));
    EXPECT_EQ(textOf(path), "D:\\WINDOWS\\");
    expectTerminated(path);
    EXPECT_TRUE(startSettingsPath(path, "E:\\"));
    EXPECT_EQ(textOf(path), "E:\\");
    expectTerminated(path);
}

TEST(ParamsSettingsPath, AppendCutsAt255AndKeepsZeroBehind) {
    uint8 path[kPathBufferSize];
    std::memset(path, 0xEE, sizeof path);
    EXPECT_TRUE(startSettingsPath(path, (std::string(249, 'a') + "\\").c_str()));
    EXPECT_FALSE(appendToPath(path, "0123456789"));
    EXPECT_EQ(textOf(path), std::string(249, 'a') + "\\01234");
    EXPECT_EQ(path[256], 0);
    EXPECT_FALSE(appendToPath(path, "x"));
    EXPECT_EQ(path[0], 255);
    EXPECT_EQ(path[256], 0);
    EXPECT_TRUE(appendToPath(path, ""));
}

TEST(ParamsSettingsPath, AppendOfOverlongTextIsReportedCut) {
    uint8 path[kPathBufferSize];
    path[0] = 0;
    const std::string text(300, 't');
    EXPECT_FALSE(appendToPath(path, text.c_str()));
    EXPECT_EQ(textOf(path), std::string(255, 't'));
    const std::string exact(255, 'e');
    EXPECT_TRUE(startSettingsPath(path, nullptr));
    EXPECT_EQ(path[0], 0);
    EXPECT_TRUE(appendToPath(path, exact.c_str()));
}

TEST(ParamsSettingsPath, FilterNameTakesAtMost30Characters) {
    uint8 path[kPathBufferSize];
    path[0] = 0;
    EXPECT_TRUE(appendFilterName(path, "0123456789012345678901234567890123456789"));
    EXPECT_EQ(textOf(path), "012345678901234567890123456789");
    expectTerminated(path);
}

// The application-data folder is named after the user: its path is built in UTF-16
// units by the same rules, and the 255 limit counts units, not bytes.
std::u16string wideTextOf(const char16_t* path) { return std::u16string(path + 1, path[0]); }

TEST(ParamsSettingsPath, WidePathKeepsEveryLetterOfTheUserFolder) {
    char16_t path[kPathBufferSize];
    std::fill(std::begin(path), std::end(path), char16_t(0xEEEE));
    EXPECT_TRUE(startSettingsPath(path, u"C:\\\u0141ukasz \u017B\u00F3\u0142\u0107\\Roaming"));
    EXPECT_TRUE(appendToPath(path, kMakerFolder));
    EXPECT_TRUE(appendToPath(path, kFiltersFolder));
    EXPECT_TRUE(appendToPath(path, kPathSeparator));
    EXPECT_TRUE(appendFilterName(path, u"0123456789012345678901234567890123456789"));
    EXPECT_EQ(wideTextOf(path),
              u"C:\\\u0141ukasz \u017B\u00F3\u0142\u0107\\Roaming\\quietharborstudio\\PS "
              u"Filters\\012345678901234567890123456789");
    EXPECT_EQ(path[path[0] + 1], 0);
    EXPECT_EQ(std::u16string(pathText(path)), wideTextOf(path));
}

TEST(ParamsSettingsPath, WidePathCutsAt255Units) {
    char16_t path[kPathBufferSize];
    const std::u16string folder(254, u'\u0416');  // 254 Cyrillic letters, 508 bytes in UTF-8
    EXPECT_TRUE(startSettingsPath(path, folder.c_str()));
    EXPECT_EQ(path[0], 255);  // the backslash fits, as the 255th unit
    EXPECT_FALSE(appendToPath(path, kMakerFolder));
    EXPECT_EQ(path[0], 255);
    EXPECT_EQ(path[256], 0);
}

}  // namespace
