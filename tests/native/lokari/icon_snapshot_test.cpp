#include "icon_snapshot.h"
#include "label_text.h"
#include "view_geometry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct FakeIcon {
    std::string label;  // as the view gives it: UTF-8 for a label that does not fit ANSI
    std::int32_t x;
    std::int32_t y;
    bool readable = true;
    bool fitsAnsi = true;  // the ANSI form is then the label itself
};

struct Move {
    int index;
    std::int32_t x;
    std::int32_t y;
    bool operator==(const Move& other) const {
        return std::tie(index, x, y) == std::tie(other.index, other.x, other.y);
    }
};

std::ostream& operator<<(std::ostream& out, const Move& move) {
    return out << "#" << move.index << " to (" << move.x << ", " << move.y << ")";
}

// A desktop view in memory. Like the real one, a failed read leaves the
// previous item's label and position in the copies, and a view that stopped
// answering refuses every later request.
class FakeIconView final : public IconView {
public:
    explicit FakeIconView(std::vector<FakeIcon> icons) : icons_(std::move(icons)) {}

    int ItemCount() const override { return static_cast<int>(icons_.size()); }
    bool RequestItem(int index, ItemRequest request) override {
        requests.emplace_back(index, request);
        if (!Answer()) return false;
        const FakeIcon& icon = icons_.at(index);
        if (!icon.readable) return false;
        label_ = icon.label.substr(0, kLabelBlockSize - 1);
        fitsAnsi_ = icon.fitsAnsi;
        if (request == ItemRequest::LabelAndPosition) position_ = {icon.x, icon.y};
        return true;
    }
    const char* Label() const override { return label_.c_str(); }
    const char* ExactAnsiLabel() const override { return fitsAnsi_ ? label_.c_str() : nullptr; }
    ViewPoint Position() const override { return position_; }
    void SetItemPosition(int index, std::int32_t x, std::int32_t y) override {
        if (!Answer()) return;
        moves.push_back({index, x, y});
        icons_.at(index).x = x;
        icons_.at(index).y = y;
    }

    // Places from (0, 0) up to that corner are on a screen; by default every place is.
    void ScreenEndsAt(std::int32_t right, std::int32_t bottom) { screenEnd_ = {right, bottom}; }
    bool PlaceIsShown(ViewPoint place) override {
        return screenEnd_.x < 0 || (place.x >= 0 && place.y >= 0 && place.x < screenEnd_.x && place.y < screenEnd_.y);
    }

    const FakeIcon& Icon(int index) const { return icons_.at(index); }
    void MoveEverythingTo(std::int32_t x, std::int32_t y) {
        for (FakeIcon& icon : icons_) icon.x = x, icon.y = y;
    }

    // The view's (0, 0) on the screen; by default the view cannot tell it.
    void OriginAt(std::int32_t x, std::int32_t y) { origin_ = {x, y}, hasOrigin_ = true; }
    bool OriginOnScreen(ViewPoint* origin) override {
        *origin = origin_;
        return hasOrigin_;
    }

    bool Answering() const override { return !stopped_; }
    // The view answers that many more messages, then none.
    void StopAnsweringAfter(int messages) { answersLeft_ = messages; }

    std::vector<std::pair<int, ItemRequest>> requests;
    std::vector<Move> moves;

private:
    bool Answer() {
        stopped_ = stopped_ || answersLeft_ == 0;
        if (answersLeft_ > 0) --answersLeft_;
        return !stopped_;
    }

    int answersLeft_ = -1;  // -1: always
    bool stopped_ = false;
    std::vector<FakeIcon> icons_;
    std::string label_;
    bool fitsAnsi_ = true;
    ViewPoint position_ = {0, 0};
    ViewPoint screenEnd_ = {-1, -1};
    ViewPoint origin_ = {0, 0};
    bool hasOrigin_ = false;
};

std::string Snapshot(FakeIconView& view, RunOutcome expected = RunOutcome::Done) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    EXPECT_EQ(WriteSnapshot(view, file), expected);
    std::rewind(file);
    std::string bytes;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) bytes.push_back(static_cast<char>(c));
    std::fclose(file);
    return bytes;
}

std::unique_ptr<SnapshotTable> TableFrom(const std::string& bytes) {
    auto table = std::make_unique<SnapshotTable>();
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    ReadSnapshot(file, *table);
    std::fclose(file);
    return table;
}

// ---- Save -------------------------------------------------------------------

TEST(WriteSnapshot, OneLinePerIconInItemOrder) {
    FakeIconView view({{"notes.txt", 12, 345}, {"My Computer", -20, 70000}, {"a,b \"c\"", 5, 6}, {"", 7, 8}});
    EXPECT_EQ(Snapshot(view), "12,345,notes.txt,\n-20,70000,My Computer,\n5,6,a,b \"c\",\n7,8,,\n");
    ASSERT_EQ(view.requests.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(view.requests[i].first, i);
        EXPECT_EQ(view.requests[i].second, ItemRequest::LabelAndPosition);
    }
}

TEST(WriteSnapshot, NoIconsGiveAnEmptyFile) {
    FakeIconView view({});
    EXPECT_EQ(Snapshot(view), "");
}

TEST(WriteSnapshot, ItemThatCannotBeReadIsLeftOut) {
    // Writing it anyway would repeat the previous item's label and position.
    FakeIconView view({{"a", 1, 1}, {"b", 2, 2, false}, {"c", 3, 3}});
    EXPECT_EQ(Snapshot(view), "1,1,a,\n3,3,c,\n");
}

TEST(WriteSnapshot, ViewThatStopsAnsweringEndsTheWalk) {
    FakeIconView view({{"a", 1, 1}, {"b", 2, 2}, {"c", 3, 3}});
    view.StopAnsweringAfter(2);
    EXPECT_EQ(Snapshot(view, RunOutcome::ShellNotAnswering), "1,1,a,\n2,2,b,\n");
    EXPECT_EQ(view.requests.size(), 3u);
}

TEST(WriteSnapshot, FileThatCannotBeWrittenEndsTheWalk) {
    const std::string path = testing::TempDir() + "lokari read-only snapshot";
    std::ofstream(path).put('x');
    std::FILE* readOnly = std::fopen(path.c_str(), "r");
    ASSERT_NE(readOnly, nullptr);
    FakeIconView view({{"a", 1, 1}, {"b", 2, 2}});
    EXPECT_EQ(WriteSnapshot(view, readOnly), RunOutcome::SnapshotNotWritten);
    EXPECT_EQ(view.requests.size(), 1u);
    std::fclose(readOnly);
    std::remove(path.c_str());
}

TEST(WriteSnapshot, FinalFlushThatFailsIsAFailedSave) {
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    FakeIconView view({{"a", 1, 1}});
    EXPECT_EQ(WriteSnapshot(view, full), RunOutcome::SnapshotNotWritten);
    std::fclose(full);
}

TEST(WriteSnapshot, LabelCutTo259BytesStillFitsTheLine) {
    FakeIconView view({{std::string(400, 'L'), -32768, -32768}});
    EXPECT_EQ(Snapshot(view), "-32768,-32768," + std::string(259, 'L') + ",\n");
}

// ANSI, byte for byte as always, while every label fits; one that does not
// makes the whole file UTF-8 behind the mark, wherever it comes. The origin
// line comes last, in either text.
TEST(WriteSnapshot, FileIsAnsiWhenEveryLabelFitsElseUtf8WithTheMark) {
    const std::string korean = "\xED\x95\x9C";  // 한
    const struct { std::vector<FakeIcon> icons; std::string bytes; } rows[] = {
        {{{"a", 1, 2}, {"b", 3, 4}}, "1,2,a,\n3,4,b,\norigin -300 5\n"},
        {{{"a", 1, 2}, {korean, 3, 4, true, false}}, "\xEF\xBB\xBF" "1,2,a,\n3,4," + korean + ",\norigin -300 5\n"},
        {{{korean, 1, 2, true, false}, {"b", 3, 4}}, "\xEF\xBB\xBF" "1,2," + korean + ",\n3,4,b,\norigin -300 5\n"},
        {{{"a", 1, 2}, {"b", 3, 4}, {"c", 5, 6, true, false}}, "\xEF\xBB\xBF" "1,2,a,\n3,4,b,\n5,6,c,\norigin -300 5\n"},
        {{}, "origin -300 5\n"},
    };
    for (const auto& row : rows) {
        FakeIconView view(row.icons);
        view.OriginAt(-300, 5);
        EXPECT_EQ(Snapshot(view), row.bytes);
    }
}

// WideCharToMultiByte into code page 1252, as far as these labels need it:
// "é" has a byte of its own, "ā" only the look-alike "a" (best fit), "한"
// nothing but the default character "?".
int FakeCodePage1252(unsigned flags, const char16_t* text, char* out, int outSize, bool* usedDefault) {
    for (int written = 0; written < outSize; ++text) {
        const bool ownByte = *text <= 0xFF, bestFit = *text == u'\u0101' && !(flags & kNoBestFitChars);
        *usedDefault = *usedDefault || (!ownByte && !bestFit);
        out[written++] = ownByte ? static_cast<char>(*text) : bestFit ? 'a' : '?';
        if (*text == u'\0') return written;
    }
    return 0;
}

TEST(LabelText, ExactAnsiOnlyWithoutLookAlikeOrDefaultCharacter) {
    const struct { std::u16string label; bool exact; std::string ansi; } rows[] = {
        {u"caf\u00E9", true, "caf\xE9"},       // fits
        {u"\u0101bc", false, ""},               // best fit: would read "abc"
        {u"\uD55C.txt", false, ""},             // default character
        {std::u16string(259, u'x'), true, std::string(259, 'x')},
        {std::u16string(260, u'x'), false, ""},  // no room for the NUL
    };
    for (const auto& row : rows) {
        char ansi[kLabelBlockSize];
        EXPECT_EQ(ConvertToExactAnsi(row.label.c_str(), FakeCodePage1252, ansi), row.exact) << row.ansi;
        EXPECT_EQ(row.exact ? std::string(ansi) : row.ansi, row.ansi);
    }
}

TEST(LabelText, Utf8OfUtf16) {
    const struct { std::u16string label; std::string utf8; } rows[] = {
        {u"icon 01", "icon 01"},
        {u"caf\u00E9", "caf\xC3\xA9"},
        {u"\uD55C\uAD6D", "\xED\x95\x9C\xEA\xB5\xAD"},               // 한국
        {u"\U0001F600!", "\xF0\x9F\x98\x80!"},                          // an emoji: a surrogate pair
        {std::u16string{u'a', 0xD800, u'b'}, "a\xEF\xBF\xBD" "b"},                             // unpaired: U+FFFD
        {std::u16string(258, u'x') + u"\U0001F600", std::string(258, 'x') + "\xEF\xBF\xBD"},  // pair cut at 259
    };
    for (const auto& row : rows) {
        char utf8[kUtf8LabelSize];
        ConvertToUtf8(row.label.c_str(), utf8);
        EXPECT_EQ(std::string(utf8), row.utf8);
    }
}

// ---- Restore ----------------------------------------------------------------

TEST(RestoreFromSnapshot, MovesEachMatchedIconToAnEntryOfItsOwn) {
    auto table = TableFrom("10,11,b,\n20,21,a,\n30,31,b,\n40,41,gone,\n");
    FakeIconView view({{"a", 0, 0}, {"b", 0, 0}, {"c", 0, 0}, {"b", 0, 0}, {"A", 0, 0}});
    EXPECT_EQ(RestoreFromSnapshot(*table, view), RunOutcome::Done);
    const std::vector<Move> expected = {{0, 20, 21}, {1, 10, 11}, {3, 30, 31}};
    EXPECT_EQ(view.moves, expected);
    ASSERT_EQ(view.requests.size(), 5u);
    for (const auto& request : view.requests) EXPECT_EQ(request.second, ItemRequest::LabelOnly);
}

TEST(RestoreFromSnapshot, EmptyTableMovesNothingButReadsEveryLabel) {
    auto table = TableFrom("");
    FakeIconView view({{"a", 0, 0}, {"", 0, 0}});
    EXPECT_EQ(RestoreFromSnapshot(*table, view), RunOutcome::Done);
    EXPECT_TRUE(view.moves.empty());
    EXPECT_EQ(view.requests.size(), 2u);
}

TEST(RestoreFromSnapshot, IconWithEmptyLabelIsNotSentToThePlaceholder) {
    auto table = TableFrom("\nmalformed\n1,2,a,\n");
    FakeIconView view({{"", 50, 60}, {"a", 0, 0}});
    RestoreFromSnapshot(*table, view);
    const std::vector<Move> expected = {{1, 1, 2}};
    EXPECT_EQ(view.moves, expected);
}

TEST(RestoreFromSnapshot, ItemThatCannotBeReadIsNotMovedByTheStaleLabel) {
    auto table = TableFrom("1,1,a,\n2,2,a,\n");
    FakeIconView view({{"a", 0, 0}, {"a", 0, 0, false}, {"a", 0, 0}});
    RestoreFromSnapshot(*table, view);
    const std::vector<Move> expected = {{0, 1, 1}, {2, 2, 2}};
    EXPECT_EQ(view.moves, expected);
}

TEST(RestoreFromSnapshot, ViewThatStopsAnsweringEndsTheRestore) {
    auto table = TableFrom("1,1,a,\n2,2,b,\n3,3,c,\n");
    for (int answers : {0, 1, 2, 3}) {  // it stops at a label (0, 2) or at a move (1, 3)
        FakeIconView view({{"a", 0, 0}, {"b", 0, 0}, {"c", 0, 0}});
        view.StopAnsweringAfter(answers);
        EXPECT_EQ(RestoreFromSnapshot(*table, view), RunOutcome::ShellNotAnswering) << answers;
        EXPECT_EQ(view.moves.size(), answers >= 2 ? 1u : 0u) << answers;
        EXPECT_EQ(view.requests.size(), answers >= 2 ? 2u : 1u) << answers;
    }
}

TEST(RestoreFromSnapshot, PositionsOutsideThe16BitRangeArePassedOnWhole) {
    // The cut to 16 bits happens where the message is packed.
    auto table = TableFrom("70000,-70000,far,\n");
    FakeIconView view({{"far", 0, 0}});
    RestoreFromSnapshot(*table, view);
    const std::vector<Move> expected = {{0, 70000, -70000}};
    EXPECT_EQ(view.moves, expected);
}

// Saved with the view's (0, 0) at screen (-300, 0): an icon saved at x 400 was
// at screen x 100, so with today's (0, 0) at screen (0, 0) it goes to x 100.
TEST(RestoreFromSnapshot, EntriesKeepTheScreenSpotOfTheSave) {
    const struct { std::string originLine; bool viewTellsOrigin; ViewPoint today; Move expected; } rows[] = {
        {"origin -300 0\n", true, {0, 0}, {0, 100, 50}},      // 400 - 300 + 0
        {"origin 0 0\n", true, {-300, 0}, {0, 700, 50}},      // 400 + 0 + 300
        {"origin 10 -20\n", true, {-5, 30}, {0, 415, 0}},     // 400 + 10 + 5, 50 - 20 - 30
        {"", true, {-300, 0}, {0, 400, 50}},                  // no origin saved: as always
        {"origin -300 0\n", false, {0, 0}, {0, 400, 50}},     // today's unknown
        {"origin 2147483647 0\n", true, {-2147483647 - 1, 0}, {0, INT32_MAX, 50}},  // saturates
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.originLine);
        auto table = TableFrom("400,50,a,\n" + row.originLine);
        FakeIconView view({{"a", 0, 0}});
        if (row.viewTellsOrigin) view.OriginAt(row.today.x, row.today.y);
        EXPECT_EQ(RestoreFromSnapshot(*table, view), RunOutcome::Done);
        EXPECT_EQ(view.moves, std::vector<Move>{row.expected});
    }
}

TEST(RestoreFromSnapshot, PlaceNoScreenShowsIsNotAppliedAndEndsWith6) {
    auto table = TableFrom("10,10,a,\n2000,10,b,\n65636,20,c,\n-5,5,d,\n30,30,e,\n");
    FakeIconView view({{"a", 0, 0}, {"b", 0, 0}, {"c", 0, 0}, {"d", 0, 0}, {"b", 0, 0}});
    view.ScreenEndsAt(1024, 768);
    EXPECT_EQ(RestoreFromSnapshot(*table, view), RunOutcome::SomePlacesOffScreen);
    // c lands at x 100, where a screen shows it; b's entry is used up by the first b.
    const std::vector<Move> expected = {{0, 10, 10}, {2, 65636, 20}};
    EXPECT_EQ(view.moves, expected);
}

// A cell is shown when it shares a pixel with a screen: two screens side by
// side, the second one taller, a cell one pixel on either side of each edge.
TEST(ScreenList, ACellIsShownWhenItSharesAPixelWithAScreen) {
    ScreenList list;
    list.Add({0, 0, 1024, 768});
    list.Add({1024, -200, 2304, 824});
    const struct {
        PixelRect cell;
        bool shown;
    } rows[] = {
        {{-75, 10, 0, 85}, false},        {{-74, 10, 1, 85}, true},       {{10, 768, 85, 843}, false},
        {{1100, 768, 1175, 843}, true},   {{1100, -275, 1175, -200}, false}, {{2304, 0, 2379, 75}, false},
        {{1000, 700, 1075, 775}, true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(list.Shows(row.cell), row.shown) << row.cell.left << "," << row.cell.top;
    EXPECT_FALSE(ScreenList{}.Shows({0, 0, 75, 75}));
    for (int i = 0; i < ScreenList::kLimit; ++i) list.Add({0, 0, 1, 1});
    EXPECT_TRUE(list.overflowed);
}

// ---- Save, then restore -----------------------------------------------------

TEST(SaveThenRestore, PutsEveryIconBack) {
    std::vector<FakeIcon> icons;
    for (int i = 0; i < 300; ++i) icons.push_back({"icon " + std::to_string(i), 75 * (i % 13), -40 * i});
    FakeIconView view(icons);
    auto table = TableFrom(Snapshot(view));
    view.MoveEverythingTo(500, 500);
    RestoreFromSnapshot(*table, view);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(view.Icon(i).x, icons[i].x) << i;
        EXPECT_EQ(view.Icon(i).y, icons[i].y) << i;
    }
}

TEST(SaveThenRestore, LabelsWithCommasBlanksQuotesOrNothingComeBackWhole) {
    FakeIconView view({{"Smith, John.docx", 1, 1}, {"Smith", 2, 2}, {"1,2,3.txt", 3, 3}, {",notes", 4, 4},
                       {"", 5, 5}, {" spaced ", 6, 6}, {"\"q\"", 7, 7}, {"a,", 8, 8}});
    auto table = TableFrom(Snapshot(view));
    view.MoveEverythingTo(9, 9);
    EXPECT_EQ(RestoreFromSnapshot(*table, view), RunOutcome::Done);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(view.Icon(i).x, i + 1) << view.Icon(i).label;
}

// ---- Loading by path --------------------------------------------------------

class LoadSnapshotFileTest : public testing::Test {
protected:
    void SetUp() override {
        base_ = testing::TempDir() + "lokari load " + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::remove(Path().c_str());
        std::ofstream(Path(), std::ios::binary) << "1,2,a,\n3,4,b,\n";
    }
    void TearDown() override { std::remove(Path().c_str()); }
    std::string Path() const { return base_ + ".dat"; }

    std::unique_ptr<SnapshotTable> table_ = std::make_unique<SnapshotTable>();
    std::string base_;
};

TEST_F(LoadSnapshotFileTest, ReadsThePathAsGiven) {
    ASSERT_EQ(LoadSnapshotFile(Path().c_str(), *table_), RunOutcome::Done);
    EXPECT_EQ(table_->entryCount, 2);
}

TEST_F(LoadSnapshotFileTest, QuotedPathWithBlanksOpens) {
    const std::string quoted = "\"" + Path() + "\"";
    ASSERT_EQ(LoadSnapshotFile(quoted.c_str(), *table_), RunOutcome::Done);
    EXPECT_EQ(table_->entryCount, 2);
    EXPECT_STREQ(table_->entries[1].name, "b");
}

TEST_F(LoadSnapshotFileTest, QuotesInsideThePathAreRemovedToo) {
    std::string path = Path();
    path.insert(path.size() - 4, "\"\"");
    ASSERT_EQ(LoadSnapshotFile(path.c_str(), *table_), RunOutcome::Done);
    EXPECT_EQ(table_->entryCount, 2);
}

TEST_F(LoadSnapshotFileTest, FolderOpensButIsNotReadable) {
    EXPECT_EQ(LoadSnapshotFile(testing::TempDir().c_str(), *table_), RunOutcome::SnapshotNotReadable);
}

TEST_F(LoadSnapshotFileTest, MissingFileIsNotReadableAndGivesNoEntries) {
    const std::string missing = Path() + ".missing";
    EXPECT_EQ(LoadSnapshotFile(missing.c_str(), *table_), RunOutcome::SnapshotNotReadable);
    EXPECT_EQ(table_->entryCount, 0);
    std::ifstream created(missing);
    EXPECT_FALSE(created.good());
}

TEST_F(LoadSnapshotFileTest, TooLongArgumentIsRefusedAndReadsNothing) {
    // The leading quotes would be removed: only the length refuses this path.
    std::string argument = Path();
    argument.insert(argument.begin(), 500 - argument.size(), '"');
    ASSERT_EQ(argument.size(), 500u);
    table_->entryCount = 5;
    EXPECT_EQ(LoadSnapshotFile(argument.c_str(), *table_), RunOutcome::SnapshotNotReadable);
    EXPECT_EQ(table_->entryCount, 0);
}

// Refused before it is read: larger than 16 MiB, or UTF-16.
TEST_F(LoadSnapshotFileTest, FileThatIsNoSnapshotIsNotReadableAndGivesNoEntries) {
    const struct {
        std::string start;
        long size;  // zero bytes after the start up to it
        RunOutcome outcome;
        int entries;
    } rows[] = {
        // Read: the line, then one line of zero bytes, too long to be one.
        {"1,2,a,\n", 16L * 1024 * 1024, RunOutcome::Done, 1},
        {"1,2,a,\n", 16L * 1024 * 1024 + 1, RunOutcome::SnapshotNotReadable, 0},
        {std::string("\xFF\xFE" "1\0,\0" "2\0,\0" "a\0,\0\n\0", 16), 16, RunOutcome::SnapshotNotReadable, 0},
        {std::string("\xFE\xFF\0" "1\0,\0" "2\0,\0" "a\0,\0\n", 16), 16, RunOutcome::SnapshotNotReadable, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        std::ofstream(Path(), std::ios::binary | std::ios::trunc) << row.start;
        std::ofstream(Path(), std::ios::binary | std::ios::in).seekp(row.size - 1).put('\0');
        table_->entryCount = 5;
        EXPECT_EQ(LoadSnapshotFile(Path().c_str(), *table_), row.outcome);
        EXPECT_EQ(table_->entryCount, row.entries);
    }
}

TEST_F(LoadSnapshotFileTest, LongestArgumentThatFitsIsTaken) {
    std::string argument = Path();
    argument.insert(argument.begin(), 499 - argument.size(), '"');
    ASSERT_EQ(LoadSnapshotFile(argument.c_str(), *table_), RunOutcome::Done);
    EXPECT_EQ(table_->entryCount, 2);
}

}  // namespace
