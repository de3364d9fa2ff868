// The release archives as a user unpacks them: both programs started from
// the unpacked folder, whose path holds blanks and Japanese characters,
// find their tune, settings and snapshots there; every program has its
// width, the release version and per-monitor-v2 DPI awareness in its
// manifest. package_check.sh unpacks the archives and names the folders
// (PACKAGE_FOLDER_WIN64, PACKAGE_FOLDER_WIN32); Wine's "mci" and "file"
// trace goes to the file TORNELO_MCI_LOG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "release_version.h"
#include "tornelo_under_test.h"

using namespace tornelo_test;

namespace {

std::string FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Folder64() { return FromEnvironment("PACKAGE_FOLDER_WIN64"); }

// The PE optional header's magic: 0x10b for PE32, 0x20b for PE32+; 0 when unreadable.
unsigned PeMagic(const std::string& path) {
    std::string image;
    if (!ReadWholeFile(path, &image) || image.size() < 0x40) return 0;
    uint32_t peOffset = 0;
    std::memcpy(&peOffset, image.data() + 0x3c, sizeof peOffset);
    const size_t magicAt = size_t{peOffset} + 24;  // "PE\0\0" and the file header
    if (magicAt + 2 > image.size() || image.compare(peOffset, 4, std::string("PE\0\0", 4)) != 0) return 0;
    return static_cast<unsigned char>(image[magicAt]) | static_cast<unsigned char>(image[magicAt + 1]) << 8;
}

struct VersionRecord {
    bool readable = false;
    DWORD fileVersionMs = 0, fileVersionLs = 0, productVersionMs = 0, productVersionLs = 0;
    std::string fileVersion, productVersion;
};

std::string VersionString(const std::vector<char>& block, const char* name) {
    char* text = nullptr;
    UINT length = 0;
    std::string key = std::string("\\StringFileInfo\\041103a4\\") + name;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return "";
    return std::string(text, strnlen(text, length));
}

VersionRecord ReadVersionRecord(const std::string& path) {
    VersionRecord record;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return record;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return record;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return record;
    record.readable = true;
    record.fileVersionMs = fixed->dwFileVersionMS;
    record.fileVersionLs = fixed->dwFileVersionLS;
    record.productVersionMs = fixed->dwProductVersionMS;
    record.productVersionLs = fixed->dwProductVersionLS;
    record.fileVersion = VersionString(block, "FileVersion");
    record.productVersion = VersionString(block, "ProductVersion");
    return record;
}

// The manifest the loader reads for the program; empty when none.
std::string EmbeddedManifest(const std::string& path) {
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (image == nullptr) return "";
    std::string manifest;
    HRSRC found = FindResourceA(image, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    HGLOBAL loaded = found ? LoadResource(image, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes != nullptr) manifest.assign(static_cast<const char*>(bytes), SizeofResource(image, found));
    FreeLibrary(image);
    return manifest;
}

// The first value of dpiAwareness in its 2016 namespace: Windows 10 (1703 on)
// takes the first one of the list that it knows; earlier ones ignore it.
std::string FirstDpiAwareness(const std::string& manifest) {
    const std::string element = "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">";
    size_t first = manifest.find(element);
    if (first == std::string::npos) return "<no dpiAwareness>";
    first = manifest.find_first_not_of(" \t\r\n", first + element.size());
    const size_t end = manifest.find_first_of(", \t\r\n<", first);
    return first == std::string::npos || end == std::string::npos ? "" : manifest.substr(first, end - first);
}

struct ProgramCase {
    const char* folderVariable;
    const char* program;
    unsigned peMagic;
};

const ProgramCase kPrograms[] = {
    {"PACKAGE_FOLDER_WIN64", "tornelo.exe", 0x20b},
    {"PACKAGE_FOLDER_WIN64", "lokari.exe", 0x20b},
    {"PACKAGE_FOLDER_WIN32", "tornelo.exe", 0x10b},
    {"PACKAGE_FOLDER_WIN32", "lokari.exe", 0x10b},
};

// Every .dat file of a folder.
std::vector<std::string> Snapshots(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.dat").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// A path as Wine's trace quotes it: backslashes doubled, characters beyond
// ASCII as \NNNN (hexadecimal).
std::string AsTraced(const std::string& ansiPath) {
    wchar_t wide[MAX_PATH] = {};
    int length = MultiByteToWideChar(CP_ACP, 0, ansiPath.c_str(), -1, wide, MAX_PATH);
    std::string traced;
    for (int i = 0; i + 1 < length; ++i) {
        char escaped[8];
        if (wide[i] == L'\\') {
            traced += "\\\\";
        } else if (wide[i] < 0x80) {
            traced += static_cast<char>(wide[i]);
        } else {
            std::snprintf(escaped, sizeof escaped, "\\%04x", static_cast<unsigned>(wide[i]));
            traced += escaped;
        }
    }
    return traced;
}

std::string TraceLog() {
    std::string log;
    ReadWholeFile(FromEnvironment("TORNELO_MCI_LOG"), &log);
    return log;
}

class UnpackedArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Folder64().empty()) << "PACKAGE_FOLDER_WIN64 is not set: run this through package_check.sh";
        ASSERT_EQ(GetFileAttributesA(Folder64().c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY})
            << Folder64();
    }
    std::string Program(const char* name) const { return Folder64() + "\\" + name; }
};

}  // namespace

class ProgramRecordTest : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramRecordTest, HasItsWidthAndTheReleaseVersion) {
    const ProgramCase& c = GetParam();
    const std::string path = FromEnvironment(c.folderVariable) + "\\" + c.program;
    EXPECT_EQ(PeMagic(path), c.peMagic) << path;
    VersionRecord record = ReadVersionRecord(path);
    ASSERT_TRUE(record.readable) << "no version record in " << path;
    const DWORD expectedMs = RELEASE_VERSION_MAJOR << 16 | RELEASE_VERSION_MINOR;
    const DWORD expectedLs = RELEASE_VERSION_PATCH << 16;
    EXPECT_EQ(record.fileVersionMs, expectedMs);
    EXPECT_EQ(record.fileVersionLs, expectedLs);
    EXPECT_EQ(record.productVersionMs, expectedMs);
    EXPECT_EQ(record.productVersionLs, expectedLs);
    EXPECT_EQ(record.fileVersion, RELEASE_VERSION_TEXT4);
    EXPECT_EQ(record.productVersion, RELEASE_VERSION_TEXT);
    EXPECT_EQ(FirstDpiAwareness(EmbeddedManifest(path)), "PerMonitorV2") << path;
}

INSTANTIATE_TEST_SUITE_P(BothArchives, ProgramRecordTest, ::testing::ValuesIn(kPrograms));

TEST_F(UnpackedArchiveTest, LokariSavesIntoTheFolderAndRestoresFromThere) {
    StandinDesktop desktop("--icons 6");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<IconPosition> saved = PositionsOf(desktop.Icons());
    ASSERT_TRUE(Snapshots(Folder64()).empty()) << "a snapshot before the save";

    ASSERT_EQ(RunToExit(Program("lokari.exe"), "", Folder64()), 0);
    std::vector<std::string> snapshots = Snapshots(Folder64());
    ASSERT_EQ(snapshots.size(), 1u) << "lokari saved no snapshot in its folder";

    for (int item = 0; item < desktop.IconCount(); ++item) desktop.SetIconPosition(item, 600 + item * 40, 500);
    ASSERT_NE(PositionsOf(desktop.Icons()), saved);
    // The full path, blanks and Japanese characters included, as a dropped file passes it.
    ASSERT_EQ(RunToExit(Program("lokari.exe"), "\"" + Folder64() + "\\" + snapshots[0] + "\"", Folder64()), 0);
    EXPECT_EQ(PositionsOf(desktop.Icons()), saved);
    DeleteFileA((Folder64() + "\\" + snapshots[0]).c_str());
}

TEST_F(UnpackedArchiveTest, TorneloFindsItsTuneAndWritesItsSettingsInTheFolder) {
    const int icons = 8;
    StandinDesktop desktop("--icons " + std::to_string(icons));
    ASSERT_TRUE(desktop.Ready());
    const std::string settingsFile = Folder64() + "\\tornelo.ini";
    ASSERT_EQ(GetFileAttributesA(settingsFile.c_str()), INVALID_FILE_ATTRIBUTES) << "a settings file before the start";

    // tornelo inherits the trace settings and, from this process, the standard error.
    const std::string quiet = FromEnvironment("WINEDEBUG");
    SetEnvironmentVariableA("WINEDEBUG", "trace+mci,trace+file");
    const size_t traceStart = TraceLog().size();
    ChildProcess tornelo(Program("tornelo.exe"), "", Folder64());
    SetEnvironmentVariableA("WINEDEBUG", quiet.empty() ? nullptr : quiet.c_str());
    ASSERT_TRUE(tornelo.Started());
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindMainWindowOf(tornelo.Id())) != nullptr; }, 20000));
    WaitForInputIdle(tornelo.Handle(), 20000);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(window); }, 5000)) << "no tray icon";

    const Settings defaults = DefaultSettings(FullScreenSize().height);
    std::string problem = "not read";
    TimedRead read;
    EXPECT_TRUE(WaitForIcons(desktop, [&](const TimedRead& r) {
        problem = CheckOnTurnedSpiral(r, InitialSlots(defaults, icons), defaults);
        return problem.empty();
    }, 10000, &read)) << problem << "\n" << Describe(read.positions);

    ASSERT_TRUE(ChooseFromTrayMenu(window, kSettingsItem, DefaultPointer()));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindSettingsDialog(tornelo.Id())) != nullptr; }, 5000));
    PressDialogButton(dialog, IDC_SETTINGS_APPLY);
    std::string line;
    EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(settingsFile, &line) && !line.empty(); }, 5000))
        << "適用 wrote no tornelo.ini in the folder";
    PressDialogButton(dialog, IDC_SETTINGS_CANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));

    // The dance opens the tune by its bare name; the sequencer then opens that file in the folder.
    ASSERT_TRUE(ChooseFromTrayMenu(window, kMayimMayimItem, DefaultPointer()));
    const std::string opened = "CreateFileW L\"" + AsTraced(Folder64() + "\\mayimmayim.mid") + "\"";
    EXPECT_TRUE(WaitUntil([&] {
        const std::string trace = TraceLog().substr(traceStart);
        const size_t open = trace.find("\"open mayimmayim.mid type sequencer alias mayimmayim\"");
        return open != std::string::npos && trace.find(opened, open) != std::string::npos;
    }, 5000)) << "no " << opened << " after the open command in the trace";

    // A second start is the off switch: both end.
    EXPECT_EQ(RunToExit(Program("tornelo.exe"), "", Folder64(), 15000), 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(tornelo.WaitForExit(8000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    DeleteFileA(settingsFile.c_str());
}
