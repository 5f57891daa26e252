#pragma once
// Files dragged from the shell and dropped on a window. The window takes both kinds of drop: the
// classic one (WM_DROPFILES, which its window procedure hands to DropFiles) and an OLE drop through
// a drop target registered for it, which is handed on as a classic drop posted to the window: the
// drag's source waits until the OLE drop returns, and must not wait for what the window does with
// the files. Both end in OnDrop with the dropped paths in the shell's order. A disabled window (a
// modal dialog stands over it) takes no drop.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace morvane {

class FileDrop {
public:
    // The OLE drop needs OLE started on this thread; without it the classic drop still works.
    explicit FileDrop(HWND window);
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
