// Access to the desktop icon view that lives in the shell's process. Reading
// a label or a position needs a record whose address is valid inside the
// shell, so every exchanged buffer exists twice: a local copy here and a
// block of the same size allocated in the shell's process.
#pragma once

#include "icon_snapshot.h"
#include "label_text.h"
#include "view_geometry.h"

#include <windows.h>

// A shell that is merely slow answers well within this; one that does not
// answer one message in this time is taken to have stopped.
constexpr UINT kShellAnswerLimitMs = 10000;

// How labels are read: through the ANSI code page (LVM_GETITEMA), or as the
// shell holds them, in UTF-16 (LVM_GETITEMW), and then given as UTF-8.
enum class LabelText { Ansi, Unicode };

class ShellViewAccess final : public IconView {
public:
    // Opens the access: finds the view, allocates the copies, opens the
    // shell's process, allocates the blocks there and takes the item count.
    ShellViewAccess(ItemRequest requests, LabelText labels);
    // Frees every copy and block and closes the process handle; blocks that
    // went out in an unanswered request stay with the shell (see SendToView).
    ~ShellViewAccess() override;
    ShellViewAccess(const ShellViewAccess&) = delete;
    ShellViewAccess& operator=(const ShellViewAccess&) = delete;

    // Done when the view can be worked on. Otherwise no request is made:
    // NoDesktopView; ShellNotAccessible when its process could not be
    // opened, has another pointer width than lokari, or a buffer could not be
    // allocated; ShellNotAnswering when the item count did not come back.
    RunOutcome Opened() const { return opened_; }

    int ItemCount() const override { return itemCount_; }
    // False, and the item is to be skipped, when a transfer failed or the
    // view could not give the item (it may have just gone away).
    bool RequestItem(int index, ItemRequest request) override;
    const char* Label() const override;
    const char* ExactAnsiLabel() const override;
    ViewPoint Position() const override { return position_; }
    void SetItemPosition(int index, std::int32_t x, std::int32_t y) override;
    // Whether the item's icon there (LVM_GETITEMRECT with LVIR_ICON) lies
    // wholly within one monitor's work area. Measures the view's place, the
    // icon's offset and size and the work areas at the first call; without
    // the icon's rectangle, the position alone is judged.
    bool PlaceIsShown(ViewPoint place) override;
    // Measured as tornelo measures its view, once.
    bool OriginOnScreen(ViewPoint* origin) override;
    bool Answering() const override { return answering_; }
    HWND View() const { return view_; }

private:
    RunOutcome Open();
    bool AllocateLocalCopies();
    bool OpenShellProcess(HWND view);
    bool AllocateRemoteBlocks();
    bool WriteRecord();
    bool ReadBack(bool withPosition);
    void ConvertWideLabel();
    void MeasurePlacement();
    void MeasureScreens();
    bool MeasureIconBox();
    bool AskGeometry(UINT message, const void* sent, void* answer, std::size_t size);
    // One message to the view, given up after kShellAnswerLimitMs; after the
    // first unanswered one nothing more is sent.
    // The shell still carries out a request it did not answer in time, later:
    // if that request named our blocks, they are left to it, as freeing them
    // would have it write into released pages.
    bool SendToView(UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result);
    bool NamesRemoteBlock(LPARAM lParam) const;

    const bool withPositions_;
    const bool wideLabels_;
    const ItemRecordLayout& layout_;
    HWND view_ = nullptr;
    HANDLE process_ = nullptr;
    RunOutcome opened_ = RunOutcome::NoDesktopView;
    bool answering_ = true;
    bool blocksLentToShell_ = false;
    int itemCount_ = 0;

    unsigned char* localRecord_ = nullptr;
    char* localLabel_ = nullptr;
    unsigned char* localPosition_ = nullptr;
    void* remoteRecord_ = nullptr;
    void* remoteLabel_ = nullptr;
    void* remotePosition_ = nullptr;
    ViewPoint position_ = {0, 0};
    char utf8Label_[kUtf8LabelSize] = {};
    char ansiLabel_[kLabelBlockSize] = {};
    bool fitsAnsi_ = true;

    bool placementMeasured_ = false;
    ViewPlacement placement_ = {{0, 0}, {0, 0}};
    bool screensMeasured_ = false;
    // The monitors' work areas; complete when listing them succeeded,
    // otherwise each place is asked of the system.
    ScreenList screens_;
    bool screensListed_ = false;
    // The icon's rectangle relative to the item's position.
    PixelRect iconBox_ = {0, 0, 1, 1};
};
