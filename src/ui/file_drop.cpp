#include "ui/file_drop.h"

#include <ole2.h>
#include <shlobj.h>

#include <cstddef>

#include "ui/application.h"

namespace morvane {

namespace {

// Reads the strings that follow one another up to an empty one, never past the block's end.
template <typename Char>
std::vector<std::basic_string<Char>> StringsUpTo(const BYTE* first, const BYTE* end) {
    std::vector<std::basic_string<Char>> strings;
    const auto* at = reinterpret_cast<const Char*>(first);
    // Whole characters only: a block of an odd size must not be read a byte past its end.
    const auto* last = at + (end - first) / static_cast<std::ptrdiff_t>(sizeof(Char));
    while (at < last && *at) {
        const Char* start = at;
        while (at < last && *at) ++at;
        if (at == last) break;  // no terminator inside the block
        strings.emplace_back(start, at);
        ++at;
    }
    return strings;
}

// The paths a drop's memory holds (the shell's DROPFILES), in order, never read past the block's
// end. One pass through: DragQueryFileW would walk from the first path again for every index.
std::vector<std::wstring> DroppedPaths(HDROP drop) {
    const SIZE_T size = drop ? GlobalSize(drop) : 0;
    const auto* block = static_cast<const BYTE*>(drop ? GlobalLock(drop) : nullptr);
    if (!block) return {};
    struct Unlock {
        HDROP drop;
        ~Unlock() { GlobalUnlock(drop); }
    } unlock{drop};
    const auto* header = reinterpret_cast<const DROPFILES*>(block);
    if (size < sizeof(DROPFILES) || header->pFiles < sizeof(DROPFILES) || header->pFiles >= size) return {};
    if (header->fWide) return StringsUpTo<wchar_t>(block + header->pFiles, block + size);
    std::vector<std::wstring> paths;
    for (const std::string& narrow : StringsUpTo<char>(block + header->pFiles, block + size)) {
        const int length =
            MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(length), L'\0');
        MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), wide.data(), length);
        paths.push_back(std::move(wide));
    }
    return paths;
}

// Nothing the drop offers changes the dropped files: the window takes a copy's or a link's
// effect, never a move's, after which the source would delete its files.
DWORD EffectFor(DWORD allowed) {
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
    return DROPEFFECT_NONE;
}

// A data object's file drop, held while this lives; none when the object offers no files (shell
// items that are not of the file system).
class FilesOf {
public:
    explicit FilesOf(IDataObject* data) {
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        held_ = data && SUCCEEDED(data->GetData(&format, &medium_));
    }
    ~FilesOf() {
        if (held_) ReleaseStgMedium(&medium_);
    }
    FilesOf(const FilesOf&) = delete;
    FilesOf& operator=(const FilesOf&) = delete;

    HDROP Drop() const {
        return held_ && medium_.tymed == TYMED_HGLOBAL ? static_cast<HDROP>(medium_.hGlobal) : nullptr;
    }
    std::vector<std::wstring> Paths() const { return DroppedPaths(Drop()); }

private:
    STGMEDIUM medium_{};
    bool held_ = false;
};

// A copy of a drop's memory that the window's classic drop frees; null when there is no memory.
HGLOBAL CopyOf(HDROP drop) {
    const SIZE_T size = GlobalSize(drop);
    const void* from = size ? GlobalLock(drop) : nullptr;
    if (!from) return nullptr;
    const HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (void* to = copy ? GlobalLock(copy) : nullptr) {
        CopyMemory(to, from, size);
        GlobalUnlock(copy);
    }
    GlobalUnlock(drop);
    return copy;
}

}  // namespace

namespace {

// The process token's integrity level (its mandatory label's last sub-authority), or -1.
long long IntegrityOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return -1;
    long long level = -1;
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size && GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) {
        const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
        const UCHAR count = *GetSidSubAuthorityCount(label->Label.Sid);
        if (count > 0) level = *GetSidSubAuthority(label->Label.Sid, count - 1u);
    }
    CloseHandle(token);
    return level;
}

}  // namespace

bool RunsAboveTheShell() {
    DWORD shellProcess = 0;
    if (const HWND shell = GetShellWindow()) GetWindowThreadProcessId(shell, &shellProcess);
    const HANDLE process = shellProcess ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcess) : nullptr;
    const long long shellLevel = process ? IntegrityOf(process) : -1;
    if (process) CloseHandle(process);
    const long long ownLevel = IntegrityOf(GetCurrentProcess());
    // No shell to compare with (another shell, or none): nobody's drags are known to be kept out.
    return shellLevel >= 0 && ownLevel > shellLevel;
}

// The window's OLE drop target. OLE and a drag in progress may hold it after the window's
// FileDrop is gone; from then on it refuses everything.
class FileDrop::Target final : public IDropTarget {
public:
    explicit Target(FileDrop* owner) : owner_(owner) {
        // The shell's drag image follows the pointer over the window; without the helper, none.
        if (FAILED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTargetHelper,
                                    reinterpret_cast<void**>(&images_))))
            images_ = nullptr;
    }
    ~Target() {
        if (images_) images_->Release();
    }
    void Detach() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
        const HRESULT result = Guarded(effect, [&] {
            taken_ = owner_ && owner_->Takes(FilesOf(data).Paths());
            return Effect(*effect);
        });
        if (images_ && owner_) {
            POINT at{point.x, point.y};
            images_->DragEnter(owner_->window_, data, &at, *effect);
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL point, DWORD* effect) override {
        const HRESULT result = Guarded(effect, [&] { return Effect(*effect); });
        if (images_) {
            POINT at{point.x, point.y};
            images_->DragOver(&at, *effect);
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        taken_ = false;
        if (images_) images_->DragLeave();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
        taken_ = false;
        const HRESULT result = Guarded(effect, [&] {
            const FilesOf files(data);
            if (!owner_ || EffectFor(*effect) == DROPEFFECT_NONE || !owner_->Takes(files.Paths()))
                return DWORD{DROPEFFECT_NONE};
            return owner_->Post(files.Drop()) ? EffectFor(*effect) : DWORD{DROPEFFECT_NONE};
        });
        if (images_) {
            POINT at{point.x, point.y};
            images_->Drop(data, &at, *effect);
        }
        return result;
    }

private:
    DWORD Effect(DWORD allowed) const {
        return taken_ && owner_ && IsWindowEnabled(owner_->window_) ? EffectFor(allowed) : DROPEFFECT_NONE;
    }
    // OLE calls in from its drag loop: no exception may go back through it.
    template <typename Step>
    static HRESULT Guarded(DWORD* effect, Step step) {
        if (!effect) return E_INVALIDARG;
        try {
            *effect = step();
            return S_OK;
        } catch (...) {
            *effect = DROPEFFECT_NONE;
            App().HandleException();
            return E_UNEXPECTED;
        }
    }

    LONG references_ = 1;
    FileDrop* owner_;
    bool taken_ = false;
    IDropTargetHelper* images_ = nullptr;
};

FileDrop::FileDrop(HWND window, Drops drops) : window_(window) {
    DragAcceptFiles(window_, TRUE);
    if (drops == Drops::ClassicOnly) {
        // Explorer drops on a window that has no drop target with WM_DROPFILES, whose data the
        // system carries with WM_COPYGLOBALDATA; both are let in from lower integrity levels.
        constexpr UINT kCopyGlobalData = 0x0049;
        for (const UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, kCopyGlobalData})
            ChangeWindowMessageFilterEx(window_, message, MSGFLT_ALLOW, nullptr);
        return;
    }
    target_ = new Target(this);
    if (FAILED(RegisterDragDrop(window_, target_))) {
        target_->Release();
        target_ = nullptr;
    }
}

FileDrop::~FileDrop() {
    if (target_) {
        RevokeDragDrop(window_);
        target_->Detach();
        target_->Release();
    }
    if (IsWindow(window_)) DragAcceptFiles(window_, FALSE);
}

void FileDrop::DropFiles(HDROP drop) {
    struct Finish {
        HDROP drop;
        ~Finish() { DragFinish(drop); }
    } finish{drop};
    Drop(DroppedPaths(drop));
}

bool FileDrop::Post(HDROP drop) {
    const HGLOBAL copy = CopyOf(drop);
    if (!copy) return false;
    if (PostMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(copy), 0)) return true;
    GlobalFree(copy);
    return false;
}

bool FileDrop::Takes(const std::vector<std::wstring>& paths) const {
    return !paths.empty() && IsWindowEnabled(window_) && (!Accepts || Accepts(paths));
}

void FileDrop::Drop(const std::vector<std::wstring>& paths) {
    if (Takes(paths) && OnDrop) OnDrop(paths);
}

}  // namespace morvane
