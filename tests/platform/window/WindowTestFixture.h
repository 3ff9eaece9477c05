// A scene for the window service's tests: a clean service on the headless
// back end, a window procedure that records what reaches it, and a pump.
#pragma once

#include "platform/core/Clock.h"
#include "platform/core/Testing.h"
#include "platform/window/Desktop.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"
#include "platform/window/WindowTesting.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform::testing {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clean();
        received().clear();
        keepOnClose() = true;
    }
    void TearDown() override { Clean(); }

    static void Clean()
    {
        ResetWindowSystem();
        ResetDesktop();
        ClearFailures();
        ClearScriptedAnswers();
    }

    static std::vector<Received>& received()
    {
        static std::vector<Received> list;
        return list;
    }
    // When set, WM_CLOSE is only recorded (the program decides when to go).
    static bool& keepOnClose()
    {
        static bool keep = true;
        return keep;
    }

    static LRESULT Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        received().push_back({window, message, wParam, lParam});
        if (message == WM_CLOSE && keepOnClose())
            return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    }

    static void Register(const char* name, UINT style)
    {
        WNDCLASSA wc{};
        wc.style = style;
        wc.lpfnWndProc = &Recorder;
        wc.lpszClassName = name;
        ASSERT_NE(RegisterClassA(&wc), 0);
    }

    // A shown window with a 640 x 480 client area at (100, 50) on the screen.
    HWND MakeWindow(const char* className = "MainWindow", UINT classStyle = CS_DBLCLKS, bool show = true)
    {
        Register(className, classStyle);
        HWND window = CreateWindowExA(0, className, "Pellucor", WS_POPUP, 100, 50, 640, 480, nullptr, nullptr,
                                      nullptr, nullptr);
        EXPECT_NE(window, nullptr);
        if (show)
            ShowWindow(window, SW_SHOW);
        received().clear();
        return window;
    }

    // Takes and dispatches every waiting message; returns what was taken.
    static std::vector<MSG> Pump()
    {
        std::vector<MSG> taken;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(msg);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return taken;
    }

    static std::vector<MSG> Only(const std::vector<MSG>& messages, UINT message)
    {
        std::vector<MSG> result;
        for (const MSG& m : messages) {
            if (m.message == message)
                result.push_back(m);
        }
        return result;
    }

    static int CountReceived(UINT message, HWND window = nullptr)
    {
        int n = 0;
        for (const Received& r : received())
            n += r.message == message && (!window || r.window == window);
        return n;
    }
};

} // namespace platform::testing
