#pragma once
// The hand and the eyes of a user in front of Morvane: the program started as a process of its
// own, its windows found by their classes and read from outside (their places, texts, list items),
// and real mouse and keyboard input sent to the places read from them. Used by the end-to-end runs
// and by the start-up benchmark.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace morvane::e2e {

// Polls until the condition holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// A path given relative to the folder of the running program (a test or a benchmark), made full.
std::wstring PathFromThisProgram(const std::wstring& relative);

// A program started for a run. The process is ended when this object goes (if it still runs), and
// also when the process that started it dies: no run leaves a program behind.
class Program {
public:
    // The arguments are the command line after the program's name, as typed (quotes included).
    Program(const std::wstring& executable, const std::wstring& arguments);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD Id() const { return process_.dwProcessId; }
    HANDLE Handle() const { return process_.hProcess; }
    bool Running() const;
    bool WaitForExit(DWORD timeoutMs);
    DWORD ExitCode() const;
    // Ends the process now (this one only) and waits for it.
    void Kill();

    // A visible top-level window of this process with this window class, or null.
    HWND Window(const wchar_t* className) const;
    HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs = 10000) const;
    // Every visible top-level window of the process (to tell what is open).
    std::vector<HWND> VisibleWindows() const;

    // Runs when this object goes, before a process still running is ended.
    std::function<void()> BeforeEnd;

private:
    PROCESS_INFORMATION process_{};
    HANDLE job_ = nullptr;
};

// ---- Windows read from outside ----

std::wstring ClassName(HWND window);
// The text as the window itself answers WM_GETTEXT (an edit field's contents).
std::wstring Text(HWND window);
RECT ScreenRect(HWND window);
// A rectangle given in a window's client coordinates, on the screen.
RECT ClientToScreenRect(HWND window, RECT rect);
POINT Center(const RECT& rect);
// Every descendant with the class, in the order of the window tree.
std::vector<HWND> Descendants(HWND window, const wchar_t* className);
// The one descendant with the class and the text; null when there is none.
HWND DescendantWithText(HWND window, const wchar_t* className, const std::wstring& text);
// Returns once the thread of the window has finished what it was doing and looks for messages
// again (a round trip of an empty message through it).
void Settle(HWND window);
// Has the window and its children paint what is pending, and returns once they have.
void PaintNow(HWND window);

// A list-view control of another process.
int ListCount(HWND list);
std::wstring ListItemText(HWND list, int item, int column = 0);
std::vector<std::wstring> ListItemNames(HWND list);
int ListFind(HWND list, const std::wstring& name);
RECT ListItemScreenRect(HWND list, int item);
std::vector<int> ListSelection(HWND list);
// The view style bits (LVS_ICON, LVS_REPORT, ...).
DWORD ListViewStyle(HWND list);

// A tree-view control of another process.
HTREEITEM TreeSelection(HWND tree);
std::wstring TreeItemText(HWND tree, HTREEITEM item);
HTREEITEM TreeChild(HWND tree, HTREEITEM parent, const std::wstring& text);
RECT TreeItemScreenRect(HWND tree, HTREEITEM item);

// A status bar's panel text.
std::wstring StatusText(HWND bar, int panel);

// A list box of another process.
int ListBoxCount(HWND list);
std::wstring ListBoxText(HWND list, int item);
RECT ListBoxItemScreenRect(HWND list, int item);
int ListBoxSelection(HWND list);

// The entries of another process's list as a screen reader reads them: the children of the
// window's accessible object, each with its name and whether it is checked.
struct AccessibleEntry {
    std::wstring Name;
    bool Checked = false;
    bool operator==(const AccessibleEntry&) const = default;
};
std::vector<AccessibleEntry> AccessibleEntries(HWND list);
std::vector<std::wstring> AccessibleNames(HWND list);

// Saves what the screen shows now as a 24-bit bitmap file (a run's record of what went wrong).
bool SaveScreenshot(const std::wstring& path);
// The pixels the screen shows in the rectangle, row by row.
std::vector<COLORREF> ScreenPixels(const RECT& rect);

// ---- The user's hand ----

void MoveTo(POINT point);
void Click(POINT point);
// The press and release alone, for a pointer that MoveTo has already brought there (a benchmark
// times the click from here).
void PressAndRelease(POINT point);
void RightClick(POINT point);
void DoubleClick(POINT point);
// Drags a file or folder as Explorer does and lets go over a point: the button goes down on a small
// window of this process standing for the shell's, OLE's drag loop runs here with the shell's own
// data object for the item while the hand moves to the point and lets go. The effect the drop
// target reported (DROPEFFECT_NONE when it refused the drop).
DWORD DragShellItem(const std::wstring& path, POINT from, POINT to);
// A key pressed and released, with Ctrl, Shift or Alt held when asked.
void PressKey(WORD key, bool control = false, bool shift = false, bool alt = false);
// Types text as keys: letters and digits as their keys, anything else as the character itself.
void TypeText(const std::wstring& text);

}  // namespace morvane::e2e
