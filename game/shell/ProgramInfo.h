// The program's fixed names and addresses: what the window, the registry and
// the version check call it, and where its web pages are.
#pragma once

namespace Gamespace {

inline constexpr char kProductName[] = "Pellucor";
inline constexpr char kProductVersion[] = "1.5";
// Below "SOFTWARE\": maker and product.
inline constexpr char kRegistryKey[] = "Tovrelly\\Pellucor";
inline constexpr char kHomePageAddress[] = "http://www.tovrelly.com/";
// Where the version note sends the player for the newer version.
inline constexpr char kDownloadPageAddress[] = "http://www.tovrelly.com/games/pellucor/";
// The server the version and news pages are fetched from, and their paths.
inline constexpr char kWebServer[] = "http://www.tovrelly.com";
inline constexpr char kVersionPagePath[] = "/games/pellucor/version.html";
inline constexpr char kNewsPagePath[] = "/game_news.html";

} // namespace Gamespace
