#include "snapshot_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// A table with a few slots of garbage that the reader must overwrite.
std::unique_ptr<SnapshotTable> NewTable() {
    auto table = std::make_unique<SnapshotTable>();
    table->entries.resize(3);
    for (SnapshotEntry& entry : table->entries) {
        std::memset(&entry, 0x5A, sizeof entry);
        entry.placeholder = false;
    }
    table->entryCount = 3;
    return table;
}

std::FILE* TemporaryFileWith(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::rewind(file);
    return file;
}

// Reads the bytes as a snapshot file, through fgets on a real stream.
std::unique_ptr<SnapshotTable> ReadBytes(const std::string& bytes) {
    auto table = NewTable();
    std::FILE* file = TemporaryFileWith(bytes);
    ReadSnapshot(file, *table);
    std::fclose(file);
    return table;
}

std::string AllBytesOf(std::FILE* file) {
    std::rewind(file);
    std::string bytes;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) bytes.push_back(static_cast<char>(c));
    return bytes;
}

bool IsPlaceholder(const SnapshotEntry& entry) {
    return entry.placeholder && entry.x == -9999 && entry.y == -9999 && entry.name[0] == '\0';
}

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm time = {};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

// ---- File name --------------------------------------------------------------

struct FileNameCase {
    std::tm time;
    const char* expected;
};

TEST(SnapshotFileName, IsTheTimeInFixedWidthFields) {
    const FileNameCase cases[] = {
        {LocalTime(2009, 3, 5, 7, 4, 3), "20090305070403.dat"},
        {LocalTime(1999, 12, 31, 23, 59, 59), "19991231235959.dat"},
        {LocalTime(2026, 1, 1, 0, 0, 0), "20260101000000.dat"},
        {LocalTime(812, 1, 1, 0, 0, 0), "08120101000000.dat"},
        {LocalTime(10000, 1, 1, 0, 0, 0), "100000101000000.dat"},
    };
    for (const FileNameCase& c : cases) {
        char name[kSnapshotFileNameSize];
        EXPECT_TRUE(FormatSnapshotFileName(c.time, name));
        EXPECT_STREQ(name, c.expected);
    }
}

TEST(SnapshotFileName, ExtremeYearDoesNotOverflow) {
    std::tm time = LocalTime(2000, 1, 1, 0, 0, 0);
    time.tm_year = INT_MAX;
    char name[kSnapshotFileNameSize];
    ASSERT_TRUE(FormatSnapshotFileName(time, name));
    EXPECT_STREQ(name, "21474855470101000000.dat");
}

TEST(SnapshotFileName, NameThatCannotFitIsRefusedAndEmpty) {
    std::tm time = LocalTime(2000, 1, 1, 0, 0, 0);
    time.tm_mon = INT_MAX;  // month 2147483648
    time.tm_mday = INT_MIN;
    time.tm_hour = INT_MIN;
    char name[kSnapshotFileNameSize];
    EXPECT_FALSE(FormatSnapshotFileName(time, name));
    EXPECT_STREQ(name, "");
}

// ---- Writing lines ----------------------------------------------------------

struct LineCase {
    std::int32_t x;
    std::int32_t y;
    std::string label;
    std::string expected;
};

TEST(SnapshotLineFormat, IsXYAndLabelEachFollowedByAComma) {
    const LineCase cases[] = {
        {12, 345, "notes.txt", "12,345,notes.txt,"},
        {-5, 0, "", "-5,0,,"},
        {INT_MIN, INT_MAX, "a b", "-2147483648,2147483647,a b,"},
        {70000, -70000, "far away", "70000,-70000,far away,"},
        {1, 2, "say \"hi\", then go", "1,2,say \"hi\", then go,"},
        {3, 4, "  blanks  ", "3,4,  blanks  ,"},
    };
    for (const LineCase& c : cases) {
        char line[kSnapshotLineSize];
        FormatSnapshotLine(c.x, c.y, c.label.c_str(), line);
        EXPECT_EQ(std::string(line), c.expected);
    }
}

TEST(SnapshotLineFormat, TextPastTheBufferIsCutWithinIt) {
    char line[kSnapshotLineSize];
    std::memset(line, 'Z', sizeof line);
    FormatSnapshotLine(INT_MIN, INT_MIN, std::string(300, 'x').c_str(), line);
    const std::string text(line);
    EXPECT_EQ(text.size(), kSnapshotLineSize - 1);
    EXPECT_EQ(text.substr(0, 24), "-2147483648,-2147483648,");
    EXPECT_EQ(text.substr(24), std::string(279 - 24, 'x'));
}

TEST(SnapshotLineFormat, LongestLabelFitsWithSixCharacterCoordinates) {
    char line[kSnapshotLineSize];
    FormatSnapshotLine(-32768, -32768, std::string(259, 'x').c_str(), line);
    EXPECT_EQ(std::strlen(line), 274u);
    EXPECT_EQ(line[273], ',');
}

TEST(SnapshotWriting, LinesAreWrittenAndReadBackByteForByte) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    char line[kSnapshotLineSize];
    FormatSnapshotLine(12, 345, "notes.txt", line);
    WriteSnapshotLine(file, line);
    FormatSnapshotLine(-7, -70000, "My Documents", line);
    WriteSnapshotLine(file, line);
    FormatSnapshotLine(0, 0, "\"quoted\"", line);
    WriteSnapshotLine(file, line);

    EXPECT_EQ(AllBytesOf(file), "12,345,notes.txt,\n-7,-70000,My Documents,\n0,0,\"quoted\",\n");

    std::rewind(file);
    auto table = NewTable();
    ReadSnapshot(file, *table);
    std::fclose(file);
    ASSERT_EQ(table->entryCount, 3);
    EXPECT_EQ(table->entries[0].x, 12);
    EXPECT_EQ(table->entries[0].y, 345);
    EXPECT_STREQ(table->entries[0].name, "notes.txt");
    EXPECT_EQ(table->entries[1].x, -7);
    EXPECT_EQ(table->entries[1].y, -70000);
    EXPECT_STREQ(table->entries[1].name, "My Documents");
    EXPECT_STREQ(table->entries[2].name, "\"quoted\"");
}

// ---- Numbers ----------------------------------------------------------------

struct NumberCase {
    std::string text;
    std::int32_t expected;
};

TEST(SaturatingAtoi, ReadsLikeAtoiWithinRangeAndSaturatesBeyond) {
    const NumberCase cases[] = {NumberCase{"0", 0}, NumberCase{"12", 12}, NumberCase{"-12", -12}, NumberCase{"+12", 12},
                    NumberCase{"   \t\n\v\f\r42", 42}, NumberCase{"0042abc", 42}, NumberCase{"3.9", 3},
                    NumberCase{"0x10", 0}, NumberCase{"1e3", 1}, NumberCase{"", 0}, NumberCase{"   ", 0},
                    NumberCase{"-", 0}, NumberCase{"+", 0}, NumberCase{"--5", 0}, NumberCase{"+-5", 0},
                    NumberCase{"- 5", 0}, NumberCase{"abc", 0}, NumberCase{"\"12\"", 0},
                    NumberCase{"2147483647", INT_MAX}, NumberCase{"-2147483648", INT_MIN},
                    NumberCase{"2147483648", INT_MAX}, NumberCase{"-2147483649", INT_MIN},
                    NumberCase{"99999999999999999999", INT_MAX}, NumberCase{"-99999999999999999999", INT_MIN},
                    NumberCase{std::string(300, '9'), INT_MAX}, NumberCase{"-" + std::string(300, '7'), INT_MIN},
                    NumberCase{std::string(300, '0') + "17", 17}, NumberCase{"70000", 70000}};
    for (const NumberCase& c : cases) {
        SCOPED_TRACE("text: " + c.text.substr(0, 40));
        EXPECT_EQ(SaturatingAtoi(c.text.c_str()), c.expected);
    }
}

// ---- One line ---------------------------------------------------------------

struct ParseCase {
    std::string line;
    bool placeholder;
    std::int32_t x;
    std::int32_t y;
    std::string name;
};

SnapshotEntry Parsed(const std::string& text) {
    std::vector<char> line(text.begin(), text.end());
    line.push_back('\0');
    SnapshotEntry entry;
    std::memset(&entry, 0x5A, sizeof entry);
    entry.placeholder = false;
    ParseSnapshotLine(line.data(), entry);
    return entry;
}

TEST(SnapshotLineParse, FollowsTheCommaSplittingRules) {
    const ParseCase cases[] = {
        ParseCase{"12,345,notes.txt,\n", false, 12, 345, "notes.txt"},
        ParseCase{"12,345,notes.txt,\r\n", false, 12, 345, "notes.txt"},
        // Without the trailing comma the line end belongs to the name.
        ParseCase{"12,345,notes.txt\n", false, 12, 345, "notes.txt\n"},
        ParseCase{"12,345,notes.txt", false, 12, 345, "notes.txt"},
        ParseCase{"\n", true, 0, 0, ""}, ParseCase{"", true, 0, 0, ""}, ParseCase{",,,,\n", true, 0, 0, ""},
        ParseCase{"12\n", true, 0, 0, ""}, ParseCase{"12,345\n", true, 0, 0, ""},
        ParseCase{"12,345,", true, 0, 0, ""},
        // An empty label, as the save writes it.
        ParseCase{"12,345,,\n", false, 12, 345, ""}, ParseCase{"12,345,,,,,\n", false, 12, 345, ",,,"},
        // Before x and y runs of commas are one separator and leading ones skipped;
        // the label runs from after y's comma to the last comma.
        ParseCase{",,,12,,,345,,,a,,,\n", false, 12, 345, ",,a,,"},
        // Commas in a label stay in it.
        ParseCase{"1,2,a,b,c,\n", false, 1, 2, "a,b,c"},
        ParseCase{"5,6,Smith, John.docx,\r\n", false, 5, 6, "Smith, John.docx"},
        ParseCase{"7,8,1,2,3.txt,\n", false, 7, 8, "1,2,3.txt"}, ParseCase{"1,2,,notes,\n", false, 1, 2, ",notes"},
        // Without a final comma (by hand): up to the last comma there is, else the rest.
        ParseCase{"1,2,a,b\n", false, 1, 2, "a"}, ParseCase{"12,345,\n", false, 12, 345, "\n"},
        ParseCase{" -12, +34 ,x,\n", false, -12, 34, "x"}, ParseCase{"abc,-,x,\n", false, 0, 0, "x"},
        ParseCase{"12abc,3.9,x,\n", false, 12, 3, "x"},
        ParseCase{"99999999999,-99999999999,x,\n", false, INT_MAX, INT_MIN, "x"},
        ParseCase{"\"q\",\" 7\",\"n\"\n", false, 0, 0, "\"n\"\n"},
        ParseCase{"1,2,  spaced label ,\n", false, 1, 2, "  spaced label "},
        ParseCase{"1,2,\"quoted\",\n", false, 1, 2, "\"quoted\""},
        ParseCase{"-9999,-9999,x,\n", false, -9999, -9999, "x"}};
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "line: " << testing::PrintToString(c.line));
        const SnapshotEntry entry = Parsed(c.line);
        if (c.placeholder) {
            EXPECT_TRUE(IsPlaceholder(entry)) << entry.x << "," << entry.y << "," << entry.name;
            continue;
        }
        EXPECT_EQ(entry.x, c.x);
        EXPECT_EQ(entry.y, c.y);
        EXPECT_EQ(std::string(entry.name), c.name);
    }
}

struct NameLengthCase {
    std::size_t fieldLength;
    std::size_t keptLength;
};

// 783 bytes hold the longest UTF-8 label (259 units of 3 bytes: 777); a longer
// name can match no label, so where it is cut does not matter.
TEST(SnapshotLineParse, NameUpTo783IsWholeAndLongerIsCutTo783) {
    const NameLengthCase cases[] = {{1, 1},     {259, 259}, {260, 260}, {261, 261},
                                    {262, 262}, {263, 263}, {777, 777}, {783, 783}, {784, 783}, {1000, 783}};
    for (const NameLengthCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "field length " << c.fieldLength);
        const SnapshotEntry entry = Parsed("1,2," + std::string(c.fieldLength, 'n') + ",");
        EXPECT_EQ(std::string(entry.name), std::string(c.keptLength, 'n'));
    }
}

TEST(SnapshotLineParse, ValuesOfAShortLineAreDropped) {
    char line[] = "5,6\n";
    SnapshotEntry entry = {1, 2, "kept?", false};
    ParseSnapshotLine(line, entry);
    EXPECT_TRUE(IsPlaceholder(entry));
}

// ---- Whole files ------------------------------------------------------------

TEST(SnapshotReading, EmptyFileGivesNoEntriesAndAFreshTable) {
    auto table = ReadBytes("");
    EXPECT_EQ(table->entryCount, 0);
    EXPECT_EQ(table->entries.size(), 3u);  // a reset keeps the slots
    for (const SnapshotEntry& entry : table->entries) ASSERT_TRUE(IsPlaceholder(entry));
}

TEST(SnapshotReading, EveryLineTakesASlotMalformedOnesAPlaceholder) {
    auto table = ReadBytes("1,2,a,\n\nbad\n3,4,b,\n5,6\n7,8,c,");
    ASSERT_EQ(table->entryCount, 6);
    EXPECT_STREQ(table->entries[0].name, "a");
    EXPECT_TRUE(IsPlaceholder(table->entries[1]));
    EXPECT_TRUE(IsPlaceholder(table->entries[2]));
    EXPECT_STREQ(table->entries[3].name, "b");
    EXPECT_TRUE(IsPlaceholder(table->entries[4]));
    EXPECT_EQ(table->entries[5].x, 7);
    EXPECT_STREQ(table->entries[5].name, "c");
    EXPECT_TRUE(IsPlaceholder(table->entries.at(6)));
}

TEST(SnapshotReading, CrLfAndLfLinesReadAlike) {
    auto table = ReadBytes("1,2,a,\r\n3,4,b,\n5,6,c,\r\n");
    ASSERT_EQ(table->entryCount, 3);
    EXPECT_STREQ(table->entries[0].name, "a");
    EXPECT_STREQ(table->entries[1].name, "b");
    EXPECT_STREQ(table->entries[2].name, "c");
    EXPECT_EQ(table->entries[2].y, 6);
}

// The save's last line "origin X Y": the screen position of the view's (0, 0).
TEST(SnapshotReading, OriginLineIsReadAndTakesAPlaceholderSlot) {
    const struct { std::string line; bool known; std::int32_t x, y; } rows[] = {
        {"origin -300 0\r\n", true, -300, 0}, {"origin 0 0\n", true, 0, 0}, {"origin 12 -34", true, 12, -34},
        {"origin 2147483647 -2147483648\n", true, INT_MAX, INT_MIN},
        {"origin 2147483648 0\n", false, 0, 0}, {"origin 1\n", false, 0, 0}, {"origin 1 2 3\n", false, 0, 0},
        {"origin  1 2\n", false, 0, 0}, {"origin x y\n", false, 0, 0}, {"Origin 1 2\n", false, 0, 0},
        {"1,2,origin 1 2,\n", false, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        auto table = ReadBytes("1,1,a,\n" + row.line);
        ASSERT_EQ(table->entryCount, 2);
        EXPECT_EQ(table->origin.known, row.known);
        EXPECT_EQ(table->origin.x, row.x);
        EXPECT_EQ(table->origin.y, row.y);
        EXPECT_EQ(table->entries[1].placeholder, row.line[0] == 'o' || row.line[0] == 'O');
    }
    char line[kSnapshotLineSize];
    FormatOriginLine(-300, 25, line);
    EXPECT_STREQ(line, "origin -300 25");
}

// EF BB BF: UTF-8, the mark itself no part of the first line. FF FE or FE FF:
// UTF-16, which no line of would read as a snapshot line.
TEST(SnapshotReading, MarkAtTheStartTellsTheText) {
    const struct { std::string bytes; SnapshotText text; int entries; std::int32_t firstX; } rows[] = {
        {"\xEF\xBB\xBF" "123,234,icon 01,\n", SnapshotText::Utf8, 1, 123},
        {"123,234,icon 01,\n", SnapshotText::Ansi, 1, 123},
        {"\xEF\xBB" "123,234,icon 01,\n", SnapshotText::Ansi, 1, 0},  // no mark: the bytes spoil x
        {std::string("\xFF\xFE" "1\0,\0" "2\0,\0" "a\0,\0\r\0\n\0", 18), SnapshotText::Utf16, 0, 0},
        {std::string("\xFE\xFF\0" "1\0,\0" "2\0,\0" "a\0,\0\r\0\n", 18), SnapshotText::Utf16, 0, 0},
        {"123,234,icon 01,\n\xEF\xBB\xBF" "1,2,b,\n", SnapshotText::Ansi, 2, 123},  // only at the start
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.bytes));
        auto table = ReadBytes(row.bytes);
        EXPECT_EQ(table->text, row.text);
        ASSERT_EQ(table->entryCount, row.entries);
        EXPECT_EQ(row.entries > 0 ? table->entries[0].x : 0, row.firstX);
    }
}

std::string NumberedLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(i) + "," + std::to_string(-i) + ",icon " + std::to_string(i) + ",\n";
    return text;
}

TEST(SnapshotReading, LinesPastTheFirstSlotsAreAllRead) {
    auto table = ReadBytes(NumberedLines(1700));  // the slots double twice
    ASSERT_EQ(table->entryCount, 1700);
    EXPECT_STREQ(table->entries[1699].name, "icon 1699");
    EXPECT_EQ(table->entries[1699].y, -1699);
    EXPECT_TRUE(IsPlaceholder(table->entries.at(1700)));
    EXPECT_NE(SnapshotMatcher(*table).Take("icon 1699"), nullptr);
}

TEST(SnapshotReading, ExactlyEightHundredLinesAreAllRead) {
    auto table = ReadBytes(NumberedLines(800));
    EXPECT_EQ(table->entryCount, 800);
    EXPECT_NE(SnapshotMatcher(*table).Take("icon 799"), nullptr);
}

// Hands over that many numbered lines and counts how often it was asked.
class CountingLineSource final : public SnapshotLineSource {
public:
    explicit CountingLineSource(int lines) : lines_(lines) {}
    bool NextLine(char (&line)[kLineBufferSize]) override {
        std::snprintf(line, sizeof line, "%d,%d,n%d,\n", calls, calls, calls);
        return calls++ < lines_;
    }
    int calls = 0;

private:
    int lines_;
};

TEST(SnapshotReading, AsksForLinesUntilTheSourceEnds) {
    CountingLineSource source(2000);
    auto table = NewTable();
    EXPECT_TRUE(ReadSnapshot(source, *table));
    EXPECT_EQ(table->entryCount, 2000);
    EXPECT_EQ(source.calls, 2001);
}

// The buffer holds 1023 bytes: a line of up to 1023 bytes before its line end
// is read whole, a longer one is skipped whole, so no tail of it can become an
// entry of its own.
TEST(SnapshotReading, LineLongerThanTheBufferIsSkippedWhole) {
    const struct {
        std::string line;
        int entries;  // with the line "5,6,next," after it
    } rows[] = {
        {"1,2," + std::string(1018, 'a') + ",\n", 2},                  // 1023 bytes and the line end
        {"1,2," + std::string(1017, 'a') + ",\n", 2},                  // 1022 and the line end: the buffer full
        {"1,2," + std::string(1019, 'a') + ",\n", 1},                  // 1024
        {"1,2," + std::string(600, 'a') + ",3,4,tail,\n", 2},          // 615: read whole, no tail entry
        {"1,2," + std::string(1100, 'a') + ",3,4,tail,\n", 1},         // 1115: skipped, tail and all
        {"1,2," + std::string(5000, 'a') + "\n\n", 2},                // the blank line after it still counts
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line.size());
        auto table = ReadBytes(row.line + "5,6,next,\n");
        ASSERT_EQ(table->entryCount, row.entries);
        EXPECT_STREQ(table->entries[row.entries - 1].name, "next");
        EXPECT_EQ(SnapshotMatcher(*table).Take("tail"), nullptr);
    }
    EXPECT_EQ(std::string(ReadBytes("1,2," + std::string(1018, 'a') + ",\n")->entries[0].name), std::string(783, 'a'));
    // Without a line end at the end of the file.
    EXPECT_EQ(ReadBytes("1,2," + std::string(1018, 'a') + ",")->entryCount, 1);
    EXPECT_EQ(ReadBytes("1,2," + std::string(1019, 'a') + ",")->entryCount, 0);
}

TEST(SnapshotReading, BytesAfterANulAreInvisibleButTheLineStillCounts) {
    auto table = ReadBytes(std::string("\0\0\0\n1,2,na\0me,\n3,4,c,\n", 22));
    ASSERT_EQ(table->entryCount, 3);
    EXPECT_TRUE(IsPlaceholder(table->entries[0]));
    EXPECT_STREQ(table->entries[1].name, "na");
    EXPECT_STREQ(table->entries[2].name, "c");
}

TEST(SnapshotReading, BinaryFileFillsSlotsWithoutOverrunning) {
    std::minstd_rand random(20260101);  // small state: the test's frame stays small
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    auto table = ReadBytes(bytes);
    EXPECT_GT(table->entryCount, 0);
    // Worked out apart with the same generator: 251 line ends, 5 of them
    // after more than 1023 characters (skipped whole), and a tail of 98
    // characters without one: 246 + 1 = 247 slots.
    EXPECT_EQ(table->entryCount, 247);
    for (const SnapshotEntry& entry : table->entries) {
        ASSERT_LT(strnlen(entry.name, sizeof entry.name), sizeof entry.name);
        ASSERT_LE(std::strlen(entry.name), kSnapshotNameSize - 1);
    }
}

// ---- Path -------------------------------------------------------------------

TEST(SnapshotPath, ArgumentOf499BytesIsTaken) {
    const std::string argument(499, 'p');
    char path[kSnapshotPathSize];
    ASSERT_TRUE(CopySnapshotPath(argument.c_str(), path));
    EXPECT_EQ(std::string(path), argument);
}

TEST(SnapshotPath, ArgumentOf500BytesOrMoreIsRefused) {
    for (std::size_t length : {500u, 501u, 5000u}) {
        const std::string argument(length, 'p');
        char path[kSnapshotPathSize];
        std::memset(path, 'Z', sizeof path);
        EXPECT_FALSE(CopySnapshotPath(argument.c_str(), path)) << length;
        EXPECT_STREQ(path, "") << length;
    }
}

TEST(SnapshotPath, WideArgumentOf500CharactersIsRefused) {
    wchar_t path[kSnapshotPathSize];
    EXPECT_TRUE(CopySnapshotPath(std::wstring(499, L'p').c_str(), path));
    EXPECT_FALSE(CopySnapshotPath(std::wstring(500, L'p').c_str(), path));
    EXPECT_EQ(path[0], L'\0');
}

struct CommandLineCase {
    const wchar_t* commandLine;
    const wchar_t* argument;
};

TEST(SnapshotPath, ArgumentIsWhatFollowsTheProgramName) {
    const CommandLineCase cases[] = {
        {L"lokari.exe \u8868.dat", L"\u8868.dat"},  // 表
        {L"lokari.exe \u3042x.dat", L"\u3042x.dat"},  // あ
        {L"\"C:\\\u8868 \u3042\\lokari.exe\" \uD55C\uAD6D.dat", L"\uD55C\uAD6D.dat"},  // 한국
        {L"C:\\\u8868\u3000\\lokari.exe", L""},  // the ideographic space is no blank
        {L"C:\\\u8868\\lokari.exe \t \"a b.dat\"", L"\"a b.dat\""},
        {L"lokari.exe", L""},
        {L"lokari.exe   ", L""},
        {L"lokari.exe \t a.dat  ", L"a.dat  "},  // trailing blanks stay
        {L"\"lokari.exe\"a.dat", L"a.dat"},      // a quoted name ends at its quote
        {L"\"lokari.exe", L""},                  // unclosed: the name is all there is
        {L"\"\" a.dat", L"a.dat"},
        {L"lokari.exe\t\u00A0.dat", L"\u00A0.dat"},
        {L"", L""},
    };
    for (const CommandLineCase& c : cases) {
        EXPECT_STREQ(ArgumentAfterProgramName(c.commandLine), c.argument) << "command line: " << c.commandLine;
    }
    EXPECT_STREQ(ArgumentAfterProgramName(nullptr), L"");
}

struct QuoteCase {
    const char* argument;
    const char* path;
};

TEST(SnapshotPath, EveryDoubleQuoteIsRemoved) {
    const QuoteCase cases[] = {QuoteCase{"\"C:\\snap shots\\20090305070403.dat\"", "C:\\snap shots\\20090305070403.dat"},
                    QuoteCase{"20090305070403.dat", "20090305070403.dat"}, QuoteCase{"a\"\"\"b", "ab"},
                    QuoteCase{"\"", ""}, QuoteCase{"\"\"\"\"x", "x"}, QuoteCase{"x\"", "x"},
                    QuoteCase{"\"a.dat\" \"b.dat\"", "a.dat b.dat"}, QuoteCase{"", ""}};
    for (const QuoteCase& c : cases) {
        char path[kSnapshotPathSize];
        ASSERT_TRUE(CopySnapshotPath(c.argument, path));
        RemoveDoubleQuotes(path);
        EXPECT_STREQ(path, c.path) << "argument: " << c.argument;
    }
}

// ---- Matching ---------------------------------------------------------------

TEST(SnapshotMatching, FirstEntryInFileOrderWins) {
    auto table = ReadBytes("1,1,a,\n2,2,b,\n3,3,a,\n4,4,B,\n");
    const SnapshotEntry* a = SnapshotMatcher(*table).Take("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->x, 1);
    const SnapshotEntry* upperB = SnapshotMatcher(*table).Take("B");
    ASSERT_NE(upperB, nullptr);
    EXPECT_EQ(upperB->x, 4);  // case matters
    EXPECT_EQ(SnapshotMatcher(*table).Take("c"), nullptr);
    EXPECT_EQ(SnapshotMatcher(*table).Take("a "), nullptr);
}

struct KthEntryCase {
    const char* file;
    std::vector<const char*> labels;  // the icons' labels in item order
    std::vector<int> xs;              // the x taken by each icon, -1 for none
};

TEST(SnapshotMatching, KthIconWithALabelTakesTheKthEntryWithIt) {
    const KthEntryCase cases[] = {
        {"1,0,a,\n2,0,b,\n3,0,c,\n", {"c", "a", "b"}, {3, 1, 2}},                           // unique labels
        {"1,0,r,\n2,0,x,\n3,0,r,\n", {"r", "r"}, {1, 3}},                                    // each its own
        {"1,0,r,\n2,0,r,\n", {"r", "r", "r"}, {1, 2, -1}},                                   // more icons than entries
        {"1,0,r,\n2,0,r,\n3,0,r,\n", {"r"}, {1}},                                           // more entries than icons
        {"1,0,r,\n2,0,s,\n3,0,r,\n4,0,s,\n", {"s", "r", "r", "s", "t"}, {2, 1, 3, 4, -1}},  // interleaved
        {"1,0,r,\n2,0,R,\n", {"R", "r", "R"}, {2, 1, -1}},                                   // case matters
        {"1,0,a,b,\n2,0,a,\n3,0,,\n", {"a", "", "a,b", "a"}, {2, 3, 1, -1}},              // commas, no label
    };
    for (const KthEntryCase& c : cases) {
        auto table = ReadBytes(c.file);
        SnapshotMatcher matcher(*table);
        for (std::size_t i = 0; i < c.labels.size(); ++i) {
            const SnapshotEntry* entry = matcher.Take(c.labels[i]);
            EXPECT_EQ(entry ? entry->x : -1, c.xs[i]) << "file " << c.file << ", icon " << i;
        }
    }
}

TEST(SnapshotMatching, PlaceholdersDoNotMatchAnEmptyLabel) {
    auto table = ReadBytes("\nbad\n1,2,a,\n");
    ASSERT_EQ(table->entryCount, 3);
    EXPECT_EQ(SnapshotMatcher(*table).Take(""), nullptr);
}

TEST(SnapshotMatching, OnlyEntriesBelowTheCountTakePart) {
    auto table = ReadBytes("1,1,a,\n");
    std::snprintf(table->entries[1].name, sizeof table->entries[1].name, "ghost");
    table->entries[1].placeholder = false;
    EXPECT_EQ(SnapshotMatcher(*table).Take("ghost"), nullptr);
}

TEST(SnapshotMatching, EmptyLabelLineRestoresAnIconWithoutALabel) {
    auto table = ReadBytes("10,20,,\n");
    ASSERT_EQ(table->entryCount, 1);
    const SnapshotEntry* entry = SnapshotMatcher(*table).Take("");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->x, 10);
}

}  // namespace
