#include "icon_snapshot.h"
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
    std::string label;
    std::int32_t x;
    std::int32_t y;
    bool readable = true;
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
        if (request == ItemRequest::LabelAndPosition) position_ = {icon.x, icon.y};
        return true;
    }
    const char* Label() const override { return label_.c_str(); }
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
    ViewPoint position_ = {0, 0};
    ViewPoint screenEnd_ = {-1, -1};
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

TEST_F(LoadSnapshotFileTest, LongestArgumentThatFitsIsTaken) {
    std::string argument = Path();
    argument.insert(argument.begin(), 499 - argument.size(), '"');
    ASSERT_EQ(LoadSnapshotFile(argument.c_str(), *table_), RunOutcome::Done);
    EXPECT_EQ(table_->entryCount, 2);
}

}  // namespace
