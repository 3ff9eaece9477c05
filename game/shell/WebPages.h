// Where the start screen's version and news pages are fetched from, and how
// long each step of a fetch may wait. The game fetches them from the maker's
// server; tests and test scripts point them at a server of their own on the
// loopback (or at a port where nothing listens), so that no test reaches an
// outside address.
//
// Threads: set on the main thread before the game starts; read by the news
// worker afterwards.
#pragma once

#include "game/shell/HttpGet.h"
#include "game/shell/ProgramInfo.h"

#include <string>

namespace Gamespace {

struct WebPages {
    std::string versionPage;
    std::string newsPage;
    HttpTimeouts timeouts;

    // The two pages at their paths on `server` ("http://host[:port]").
    static WebPages On(const std::string& server)
    {
        WebPages pages;
        pages.versionPage = server + kVersionPagePath;
        pages.newsPage = server + kNewsPagePath;
        return pages;
    }
};

// The environment variable with which a test script names another server.
inline constexpr char kWebServerVariable[] = "PELLUCOR_WEB_SERVER";

} // namespace Gamespace
