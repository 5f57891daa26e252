#include "e2e/driver.h"

#include <oleacc.h>

#include <ole2.h>
#include <shlobj.h>

#include <stdexcept>
#include <thread>

namespace morvane::e2e {

namespace {

// A buffer inside the process that owns a window: the common controls take pointers into their
// own process, which a message from outside cannot give them otherwise.
class RemoteMemory {
public:
    RemoteMemory(HWND window, size_t size) : size_(size) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process_)
            address_ = static_cast<BYTE*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!address_) throw std::runtime_error("cannot reach the memory of the program's process");
    }
    ~RemoteMemory() {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    BYTE* At(size_t offset) const { return address_ + offset; }
    LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(At(offset)); }
    void Write(size_t offset, const void* data, size_t size) const {
        if (offset + size > size_ || !WriteProcessMemory(process_, At(offset), data, size, nullptr))
            throw std::runtime_error("cannot write into the program's process");
    }
    void Read(size_t offset, void* data, size_t size) const {
        if (offset + size > size_ || !ReadProcessMemory(process_, At(offset), data, size, nullptr))
            throw std::runtime_error("cannot read from the program's process");
    }
    std::wstring ReadText(size_t offset, size_t characters) const {
        std::wstring text(characters, L'\0');
        Read(offset, text.data(), characters * sizeof(wchar_t));
        text.resize(wcsnlen(text.c_str(), characters));
        return text;
    }

private:
    HANDLE process_ = nullptr;
    BYTE* address_ = nullptr;
    size_t size_;
};

constexpr size_t kTextChars = 1024;
// Messages to another process's window wait at most this long for its answer.
constexpr UINT kAnswerTimeoutMs = 5000;

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs, &result))
        throw std::runtime_error("the program's window did not answer");
    return static_cast<LRESULT>(result);
}

// Class names compare without case, as the system compares them ("EDIT" is "Edit").
bool SameClass(HWND window, const wchar_t* className) {
    return _wcsicmp(ClassName(window).c_str(), className) == 0;
}

struct WindowSearch {
    DWORD ProcessId;
    const wchar_t* ClassName;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    if (id == search->ProcessId && IsWindowVisible(window) &&
        (!search->ClassName || SameClass(window, search->ClassName)))
        search->Found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectDescendant(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    if (SameClass(window, search->ClassName)) search->Found.push_back(window);
    return TRUE;
}

INPUT MouseInput(DWORD flags, POINT point = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        // Normalised coordinates that map back onto exactly this pixel.
        const LONG width = GetSystemMetrics(SM_CXSCREEN);
        const LONG height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(point.x) * 65536 + width - 1) / width);
        input.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(point.y) * 65536 + height - 1) / height);
    }
    return input;
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// A hand is not faster than the program reading it: each gesture gets a moment to arrive.
constexpr DWORD kGestureMs = 30;

void SendNow(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Send(std::vector<INPUT> inputs) {
    SendNow(std::move(inputs));
    Sleep(kGestureMs);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(10);
    }
}

std::wstring PathFromThisProgram(const std::wstring& relative) {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    wchar_t full[MAX_PATH];
    GetFullPathNameW((folder + relative).c_str(), MAX_PATH, full, nullptr);
    return full;
}

// ---- Program ----

Program::Program(const std::wstring& executable, const std::wstring& arguments) {
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    std::wstring commandLine = L"\"" + executable + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    const std::wstring folder = executable.substr(0, executable.find_last_of(L'\\'));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder.c_str(), &startup, &process_))
        throw std::runtime_error("cannot start the program");
    if (job_) AssignProcessToJobObject(job_, process_.hProcess);
    ResumeThread(process_.hThread);
}

Program::~Program() {
    if (BeforeEnd) BeforeEnd();
    if (Running()) Kill();
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    if (job_) CloseHandle(job_);
}

bool Program::Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

bool Program::WaitForExit(DWORD timeoutMs) { return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0; }

DWORD Program::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

void Program::Kill() {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 10000);
}

HWND Program::Window(const wchar_t* className) const {
    WindowSearch search{process_.dwProcessId, className, {}};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found.empty() ? nullptr : search.Found.front();
}

HWND Program::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = Window(className)) != nullptr; }, timeoutMs);
    return found;
}

std::vector<HWND> Program::VisibleWindows() const {
    WindowSearch search{process_.dwProcessId, nullptr, {}};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// ---- Windows read from outside ----

std::wstring ClassName(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

std::wstring Text(HWND window) {
    std::wstring text(kTextChars, L'\0');
    const LRESULT length = Ask(window, WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientToScreenRect(HWND window, RECT rect) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT Center(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

std::vector<HWND> Descendants(HWND window, const wchar_t* className) {
    WindowSearch search{0, className, {}};
    EnumChildWindows(window, CollectDescendant, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND DescendantWithText(HWND window, const wchar_t* className, const std::wstring& text) {
    for (HWND child : Descendants(window, className))
        if (Text(child) == text) return child;
    return nullptr;
}

void Settle(HWND window) { Ask(window, WM_NULL); }

void PaintNow(HWND window) {
    // The painting happens in the program's thread; this returns once it is done.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// ---- List view ----

int ListCount(HWND list) { return static_cast<int>(Ask(list, LVM_GETITEMCOUNT)); }

std::wstring ListItemText(HWND list, int item, int column) {
    RemoteMemory memory(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = reinterpret_cast<LPWSTR>(memory.At(sizeof(LVITEMW)));
    request.cchTextMax = kTextChars;
    memory.Write(0, &request, sizeof request);
    const LRESULT length = Ask(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), memory.Param());
    return memory.ReadText(sizeof(LVITEMW), static_cast<size_t>(length));
}

std::vector<std::wstring> ListItemNames(HWND list) {
    std::vector<std::wstring> names;
    const int count = ListCount(list);
    for (int i = 0; i < count; ++i) names.push_back(ListItemText(list, i));
    return names;
}

int ListFind(HWND list, const std::wstring& name) {
    const int count = ListCount(list);
    for (int i = 0; i < count; ++i)
        if (ListItemText(list, i) == name) return i;
    return -1;
}

RECT ListItemScreenRect(HWND list, int item) {
    RemoteMemory memory(list, sizeof(RECT));
    RECT rect{};
    rect.left = LVIR_LABEL;
    memory.Write(0, &rect, sizeof rect);
    if (!Ask(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), memory.Param()))
        throw std::runtime_error("the list has no such item");
    memory.Read(0, &rect, sizeof rect);
    return ClientToScreenRect(list, rect);
}

std::vector<int> ListSelection(HWND list) {
    std::vector<int> selected;
    for (int item = -1; (item = static_cast<int>(Ask(list, LVM_GETNEXTITEM, static_cast<WPARAM>(item),
                                                     LVNI_SELECTED))) >= 0;)
        selected.push_back(item);
    return selected;
}

DWORD ListViewStyle(HWND list) { return static_cast<DWORD>(GetWindowLongW(list, GWL_STYLE)) & LVS_TYPEMASK; }

// ---- Tree view ----

HTREEITEM TreeSelection(HWND tree) {
    return reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

std::wstring TreeItemText(HWND tree, HTREEITEM item) {
    RemoteMemory memory(tree, sizeof(TVITEMW) + kTextChars * sizeof(wchar_t));
    TVITEMW request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = reinterpret_cast<LPWSTR>(memory.At(sizeof(TVITEMW)));
    request.cchTextMax = kTextChars;
    memory.Write(0, &request, sizeof request);
    if (!Ask(tree, TVM_GETITEMW, 0, memory.Param())) return L"";
    return memory.ReadText(sizeof(TVITEMW), kTextChars);
}

HTREEITEM TreeChild(HWND tree, HTREEITEM parent, const std::wstring& text) {
    for (auto child = reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
         child; child = reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
        if (TreeItemText(tree, child) == text) return child;
    return nullptr;
}

RECT TreeItemScreenRect(HWND tree, HTREEITEM item) {
    RemoteMemory memory(tree, sizeof(RECT));
    // The item goes in where the rectangle comes back.
    memory.Write(0, &item, sizeof item);
    RECT rect{};
    if (!Ask(tree, TVM_GETITEMRECT, TRUE, memory.Param())) throw std::runtime_error("the tree item is not shown");
    memory.Read(0, &rect, sizeof rect);
    return ClientToScreenRect(tree, rect);
}

// ---- Status bar ----

std::wstring StatusText(HWND bar, int panel) {
    const auto length = LOWORD(Ask(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel)));
    RemoteMemory memory(bar, (length + 1) * sizeof(wchar_t));
    Ask(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), memory.Param());
    return memory.ReadText(0, length);
}

// ---- List box: the system carries these messages' data between processes itself ----

int ListBoxCount(HWND list) { return static_cast<int>(Ask(list, LB_GETCOUNT)); }

std::wstring ListBoxText(HWND list, int item) {
    const LRESULT length = Ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(item));
    if (length == LB_ERR) return L"";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    Ask(list, LB_GETTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

RECT ListBoxItemScreenRect(HWND list, int item) {
    RECT rect{};
    if (Ask(list, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
        throw std::runtime_error("the list box has no such item");
    return ClientToScreenRect(list, rect);
}

int ListBoxSelection(HWND list) { return static_cast<int>(Ask(list, LB_GETCURSEL)); }

// ---- Accessible objects: what a screen reader reads, across processes ----

std::vector<AccessibleEntry> AccessibleEntries(HWND list) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct Uninitialize {
        HRESULT com;
        ~Uninitialize() {
            if (SUCCEEDED(com)) CoUninitialize();
        }
    } uninitialize{com};
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(list, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))) ||
        !object)
        throw std::runtime_error("the window serves no accessible object");
    struct Release {
        IAccessible* object;
        ~Release() { object->Release(); }
    } release{object};
    long count = 0;
    if (FAILED(object->get_accChildCount(&count))) throw std::runtime_error("the object has no child count");
    std::vector<AccessibleEntry> entries;
    for (long id = 1; id <= count; ++id) {
        VARIANT child;
        child.vt = VT_I4;
        child.lVal = id;
        AccessibleEntry entry;
        BSTR name = nullptr;
        if (object->get_accName(child, &name) == S_OK && name) entry.Name = name;
        SysFreeString(name);
        VARIANT state;
        VariantInit(&state);
        if (object->get_accState(child, &state) == S_OK && state.vt == VT_I4)
            entry.Checked = (state.lVal & STATE_SYSTEM_CHECKED) != 0;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::wstring> AccessibleNames(HWND list) {
    std::vector<std::wstring> names;
    for (const AccessibleEntry& entry : AccessibleEntries(list)) names.push_back(entry.Name);
    return names;
}

std::vector<COLORREF> ScreenPixels(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::vector<COLORREF> pixels;
    if (width <= 0 || height <= 0) return pixels;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
        GdiFlush();
        const auto* words = static_cast<const DWORD*>(bits);
        pixels.assign(words, words + static_cast<size_t>(width) * static_cast<size_t>(height));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool SaveScreenshot(const std::wstring& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != FALSE;
    SelectObject(memory, old);
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageSize;
    bool written = false;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (copied && file != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        written = WriteFile(file, &header, sizeof header, &done, nullptr) &&
                  WriteFile(file, &info.bmiHeader, sizeof info.bmiHeader, &done, nullptr) &&
                  WriteFile(file, bits, imageSize, &done, nullptr);
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

// ---- The user's hand ----

// The pointer first goes to its place, and the press follows only once the whole system agrees
// on that place: under Wine the X server's pointer follows the input late, and each crossing it
// reports is injected again as a move to where it saw the pointer. Such a stale move between a
// press and its release reads as a drag (a tree starts dragging its node instead of selecting it).
// Every event also carries its place, so no late move can shift the press itself.
void MoveTo(POINT point) {
    Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, point)});
    int agreeing = 0;
    WaitUntil(
        [&] {
            POINT now{};
            GetCursorPos(&now);
            agreeing = (now.x == point.x && now.y == point.y) ? agreeing + 1 : 0;
            return agreeing >= 3;
        },
        1000);
}

namespace {

std::vector<INPUT> Buttons(POINT point, DWORD down, DWORD up, int clicks) {
    std::vector<INPUT> inputs;
    for (int i = 0; i < clicks; ++i) {
        inputs.push_back(MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | down, point));
        inputs.push_back(MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | up, point));
    }
    return inputs;
}

}  // namespace

void PressAndRelease(POINT point) { SendNow(Buttons(point, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 1)); }

void Click(POINT point) {
    MoveTo(point);
    Send(Buttons(point, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 1));
}

void RightClick(POINT point) {
    MoveTo(point);
    Send(Buttons(point, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 1));
}

void DoubleClick(POINT point) {
    MoveTo(point);
    Send(Buttons(point, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 2));
}

namespace {

// The drag source of a user's hand: the drop comes when the button is let go. It tells when OLE's
// drag loop asks it first, so the hand moves only once the loop is there to follow it.
class HandDragSource final : public IDropSource {
public:
    HandDragSource() : looping_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~HandDragSource() { CloseHandle(looping_); }
    HANDLE Looping() const { return looping_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropSource)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the caller's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        SetEvent(looping_);
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    HANDLE looping_;
};

LRESULT CALLBACK SourceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

void PumpOwnMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

DWORD DragShellItem(const std::wstring& path, POINT from, POINT to) {
    const HRESULT ole = OleInitialize(nullptr);
    DWORD effect = DROPEFFECT_NONE;
    LPITEMIDLIST item = nullptr;
    IShellFolder* parent = nullptr;
    IDataObject* data = nullptr;
    LPCITEMIDLIST child = nullptr;
    if (SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr)) &&
        SUCCEEDED(SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child)) &&
        SUCCEEDED(parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr,
                                        reinterpret_cast<void**>(&data)))) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = SourceWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        windowClass.lpszClassName = L"MorvaneE2eDragSource";
        RegisterClassW(&windowClass);
        const HWND source = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"",
                                            WS_POPUP | WS_BORDER | WS_VISIBLE, from.x - 40, from.y - 20, 80, 40,
                                            nullptr, nullptr, windowClass.hInstance, nullptr);
        PumpOwnMessages();
        MoveTo(from);
        SendNow({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, from)});
        Sleep(kGestureMs);
        PumpOwnMessages();

        HandDragSource hand;
        std::thread move([&] {
            if (WaitForSingleObject(hand.Looping(), 5000) == WAIT_OBJECT_0) {
                // On its way in steps, as a hand goes; a while over the target; then let go.
                for (int step = 1; step <= 8; ++step) {
                    const POINT at{from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8};
                    SendNow({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at)});
                    Sleep(60);
                }
                Sleep(300);
            }
            SendNow({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, to)});
        });
        DoDragDrop(data, &hand, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
        move.join();
        DestroyWindow(source);
        PumpOwnMessages();
    }
    if (data) data->Release();
    if (parent) parent->Release();
    CoTaskMemFree(item);
    if (SUCCEEDED(ole)) OleUninitialize();
    return effect;
}

void PressKey(WORD key, bool control, bool shift, bool alt) {
    std::vector<INPUT> inputs;
    if (control) inputs.push_back(KeyInput(VK_CONTROL, false));
    if (shift) inputs.push_back(KeyInput(VK_SHIFT, false));
    if (alt) inputs.push_back(KeyInput(VK_MENU, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    if (alt) inputs.push_back(KeyInput(VK_MENU, true));
    if (shift) inputs.push_back(KeyInput(VK_SHIFT, true));
    if (control) inputs.push_back(KeyInput(VK_CONTROL, true));
    Send(inputs);
}

void TypeText(const std::wstring& text) {
    for (const wchar_t c : text) {
        if (c >= L'a' && c <= L'z') {
            PressKey(static_cast<WORD>(c - L'a' + 'A'));
        } else if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) {
            PressKey(static_cast<WORD>(c), false, c >= L'A');
        } else {
            INPUT down{}, up{};
            down.type = up.type = INPUT_KEYBOARD;
            down.ki.wScan = up.ki.wScan = c;
            down.ki.dwFlags = KEYEVENTF_UNICODE;
            up.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
            Send({down, up});
        }
    }
}

}  // namespace morvane::e2e
