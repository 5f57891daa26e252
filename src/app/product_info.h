#pragma once
// What the program says about itself and its maker, in one place: the about box shows these, and
// "Homepage" opens the address.
namespace morvane {

inline constexpr wchar_t kProductName[] = L"Morvane";
inline constexpr wchar_t kProductSubtitle[] = L"拡張子一括変更ツール";
// The version, padded with blanks to the width the label was laid out for.
inline constexpr wchar_t kVersionLabel[] = L"Version 2.00         ";
inline constexpr wchar_t kCopyrightNotice[] = L"Copyright (C) 2026 Halvik";
inline constexpr wchar_t kHomepageAddress[] = L"https://halvik.example/";
inline constexpr wchar_t kMakerMailAddress[] = L"morvane@halvik.example";

}  // namespace morvane
