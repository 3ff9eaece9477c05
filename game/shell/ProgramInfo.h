// The program's fixed names and addresses: what the window, the registry and
// the version check call it, and where its web pages are.
#pragma once

namespace Gamespace {

inline constexpr char kProductName[] = "Pellucor";
inline constexpr char kProductVersion[] = "1.5";
// Below "SOFTWARE\": maker and product.
inline constexpr char kRegistryKey[] = "Tovrelly\\Pellucor";
inline constexpr char kHomePageAddress[] = "http://www.tovrelly.com/";
inline constexpr char kVersionPageAddress[] = "http://www.tovrelly.com/games/pellucor/version.html";
inline constexpr char kNewsPageAddress[] = "http://www.tovrelly.com/game_news.html";

} // namespace Gamespace
