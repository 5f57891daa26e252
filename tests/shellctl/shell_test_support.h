#pragma once
// What the browsing components' tests share: the shell's shared state for the whole test, the
// message pump, and lists and paths of real folders.
#include <gtest/gtest.h>

#include <string>

#include "shellctl/idlist.h"
#include "shellctl/shell_folder.h"
#include "ui/application.h"

namespace morvane::test {

// Handles whatever is queued, as the application's message loop would.
inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) App().ProcessMessage(message);
}

// The absolute list of a path, through the desktop folder.
inline IDList ParsePath(const std::wstring& path) {
    IDList list;
    std::wstring text = path;
    if (IShellFolder* desktop = DesktopFolder())
        desktop->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, list.Receive(), nullptr);
    return list;
}

// Every test runs with the shared shell state alive and checks that it leaves no list behind.
class ShellTest : public ::testing::Test {
protected:
    ShellTest() : liveBefore_(IDList::LiveCount()) { App().SetTitle(L"Morvane"); }
    ~ShellTest() override { EXPECT_EQ(IDList::LiveCount(), liveBefore_) << "identifier lists left alive"; }

    ShellScope shell_;

private:
    long liveBefore_;
};

}  // namespace morvane::test
