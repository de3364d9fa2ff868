// Access to the desktop icon view that lives in the shell's process. Reading
// a label or a position needs a record whose address is valid inside the
// shell, so every exchanged buffer exists twice: a local copy here and a
// block of the same size allocated in the shell's process.
#pragma once

#include "icon_snapshot.h"

#include <windows.h>

class ShellViewAccess final : public IconView {
public:
    // Opens the access: finds the view, allocates the copies, opens the
    // shell's process, allocates the blocks there and takes the item count.
    explicit ShellViewAccess(ItemRequest requests);
    // Frees every copy and block and closes the process handle.
    ~ShellViewAccess() override;
    ShellViewAccess(const ShellViewAccess&) = delete;
    ShellViewAccess& operator=(const ShellViewAccess&) = delete;

    // False when a view was found but cannot be worked on: its process could
    // not be opened, has another pointer width than lokari, or a buffer could
    // not be allocated. No request is made then. With no view at all the
    // access is usable and simply has no items.
    bool Usable() const { return usable_; }

    int ItemCount() const override { return itemCount_; }
    bool RequestItem(int index, ItemRequest request) override;
    const char* Label() const override { return localLabel_ ? localLabel_ : ""; }
    ViewPoint Position() const override { return position_; }
    void SetItemPosition(int index, std::int32_t x, std::int32_t y) override;

private:
    bool Open();
    bool AllocateLocalCopies();
    bool OpenShellProcess(HWND view);
    bool AllocateRemoteBlocks();
    bool WriteRecord();
    bool ReadBack(bool withPosition);

    const bool withPositions_;
    const ItemRecordLayout& layout_;
    HWND view_ = nullptr;
    HANDLE process_ = nullptr;
    bool usable_ = false;
    int itemCount_ = 0;

    unsigned char* localRecord_ = nullptr;
    char* localLabel_ = nullptr;
    unsigned char* localPosition_ = nullptr;
    void* remoteRecord_ = nullptr;
    void* remoteLabel_ = nullptr;
    void* remotePosition_ = nullptr;
    ViewPoint position_ = {0, 0};
};
