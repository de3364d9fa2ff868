// The two halves of lokari's work that do not depend on how the desktop view
// is reached: writing a snapshot of every icon, and moving icons back from a
// snapshot table. Portable: the view is an interface.
#pragma once

#include "item_record.h"
#include "snapshot_file.h"

#include <cstdint>
#include <cstdio>

enum class ItemRequest { LabelOnly, LabelAndPosition };

// The desktop icon view as lokari sees it: a fixed item count taken when the
// view was opened, item reads into one label and one position copy, and moves.
class IconView {
public:
    virtual ~IconView() = default;
    virtual int ItemCount() const = 0;
    // Reads the label (and the position) of one item into the copies below;
    // false when the transfer failed, and the item is then skipped.
    virtual bool RequestItem(int index, ItemRequest request) = 0;
    virtual const char* Label() const = 0;
    virtual ViewPoint Position() const = 0;
    virtual void SetItemPosition(int index, std::int32_t x, std::int32_t y) = 0;
};

// One line per item, index 0 first.
void WriteSnapshot(IconView& view, std::FILE* file);

// Moves each item whose label has an entry to that entry's position, in the
// view's item order.
void RestoreFromSnapshot(const SnapshotTable& table, IconView& view);

// Resets the table and reads the snapshot named by the argument (double
// quotes removed) into it; a file that cannot be opened leaves it empty.
// False when the argument is too long to be a path: nothing is read then.
bool LoadSnapshotFile(const char* argument, SnapshotTable& table);
