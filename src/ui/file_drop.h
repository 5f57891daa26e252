#pragma once
// Files dragged from the shell and dropped on a window. The window takes both kinds of drop: the
// classic one (WM_DROPFILES, which its window procedure hands to DropFiles) and an OLE drop through
// a drop target registered for it, which is handed on as a classic drop posted to the window: the
// drag's source waits until the OLE drop returns, and must not wait for what the window does with
// the files. Both end in OnDrop with the dropped paths in the shell's order. A disabled window (a
// modal dialog stands over it) takes no drop. While a drag is over the window, the shell draws its
// drag image there.
//
// Run as administrator (elevated through UAC), the window gets no OLE drop from the user's
// non-elevated Explorer: the system keeps that from crossing the integrity levels. Such a window
// registers no drop target, so that Explorer falls back to the classic drop, and lets the classic
// drop's messages in from lower integrity levels.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace morvane {

// Whether this process runs at a higher integrity level than the shell (Explorer, the owner of the
// shell's desktop window): run as administrator by a user whose Explorer is not. Drops from
// Explorer can then only be classic ones. Without a shell window to compare with, false.
bool RunsAboveTheShell();

class FileDrop {
public:
    enum class Drops { OleAndClassic, ClassicOnly };

    // The OLE drop needs OLE started on this thread; without it the classic drop still works.
    explicit FileDrop(HWND window, Drops drops = RunsAboveTheShell() ? Drops::ClassicOnly : Drops::OleAndClassic);
    ~FileDrop();
    FileDrop(const FileDrop&) = delete;
    FileDrop& operator=(const FileDrop&) = delete;

    // Whether the window takes these paths (none set: any). A drop it would not take is refused
    // while it is dragged, so the pointer tells the user before the button is let go.
    std::function<bool(const std::vector<std::wstring>&)> Accepts;
    std::function<void(const std::vector<std::wstring>&)> OnDrop;

    // The window's WM_DROPFILES. The drop's memory is freed whatever happens.
    void DropFiles(HDROP drop);

private:
    class Target;
    // Posts a copy of the drop to the window as a classic drop; false when it cannot.
    bool Post(HDROP drop);
    bool Takes(const std::vector<std::wstring>& paths) const;
    void Drop(const std::vector<std::wstring>& paths);

    HWND window_;
    Target* target_ = nullptr;  // registered with OLE, which holds references of its own
};

}  // namespace morvane
