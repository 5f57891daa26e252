#include "ui/text_widths.h"

namespace morvane {

int TextWidths::Exact(std::wstring_view text) const {
    SIZE extent{};
    if (!text.empty()) GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &extent);
    return static_cast<int>(extent.cx);
}

int TextWidths::Of(std::wstring_view text) {
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t unit = text[i];
        if (IS_HIGH_SURROGATE(unit) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1])) {
            width += Exact(text.substr(i, 2));  // a character outside the basic plane: measured as it comes
            ++i;
            continue;
        }
        int& known = widths_[unit];
        if (known < 0) known = Exact(text.substr(i, 1));
        width += known;
    }
    return width;
}

}  // namespace morvane
