// What the widget tree needs of the application that owns it: the cursor,
// the display's 3D mode and screen lock, the main loop for modal waits, the
// dialog register, the listener of framework dialogs and system fonts.
// The application base implements it; the widget manager holds it as a plain
// pointer that may be null (tests and tools run widgets without an
// application, and then these services are simply absent: no cursor change,
// no fonts, a modal wait returns at once).
//
// Called on the main thread only. The loop flags that end a modal wait
// (quit, leave-nested-loops, quit requested by another thread) belong to
// the implementation, which must keep them atomic.
#pragma once

#include "framework/graphics/Font.h"

#include <memory>
#include <string>

namespace Zolt {

class DialogListener;
class Image;

class WidgetHost {
public:
    virtual ~WidgetHost() = default;

    // Stores the cursor number (0 arrow, 1 hand, 2 dragging, ...) and
    // applies it.
    virtual void SetCursorIndex(int index) { (void)index; }
    // True while the display draws through Direct3D.
    virtual bool IsIn3DMode() { return false; }
    // Called around each draw pass; Begin returns true when it took a lock
    // on the screen image that End must release.
    virtual bool BeginScreenPaint(Image* screen)
    {
        (void)screen;
        return false;
    }
    virtual void EndScreenPaint(Image* screen) { (void)screen; }
    // One pass of the main loop for a modal wait; false when the wait must
    // end (the application is quitting).
    virtual bool RunLoopIteration() { return false; }
    // Closes (removes and queues for deletion) the dialog with that id;
    // false when there was none.
    virtual bool CloseDialog(int id)
    {
        (void)id;
        return false;
    }
    // The listener framework dialogs report to by default.
    virtual DialogListener* GetDialogListener() { return nullptr; }
    // A system font, or null when none can be made.
    virtual std::unique_ptr<Font> MakeSystemFont(const std::string& face, int points, int charset, bool bold,
                                                 bool italic, bool underline)
    {
        (void)face, (void)points, (void)charset, (void)bold, (void)italic, (void)underline;
        return nullptr;
    }
};

// The process-wide application, as widgets see it before they are attached
// (a dialog takes its listener from it when made). Null when there is none.
WidgetHost* GetWidgetHost();
void SetWidgetHost(WidgetHost* host);

} // namespace Zolt
