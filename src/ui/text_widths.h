#pragma once
// Widths of many texts in one font, worked out from the advance widths of their characters, each
// character measured once: a hundred thousand names are sized in milliseconds, where measuring
// each one would take a second. GDI lays a line out without kerning, so a text's width is the sum
// of its characters' widths.
#include <windows.h>

#include <string_view>
#include <vector>

namespace morvane {

class TextWidths {
public:
    // The font selected into the device context, which must stay so while this is used.
    explicit TextWidths(HDC dc) : dc_(dc) {}

    int Of(std::wstring_view text);
    // The text measured whole by the system.
    int Exact(std::wstring_view text) const;

private:
    HDC dc_;
    std::vector<int> widths_ = std::vector<int>(0x10000, -1);  // per UTF-16 unit; -1 not yet measured
};

}  // namespace morvane
