// What the game's bridge widget asks of the control toolkit: each frame,
// whether the scene wants a repaint and the paint of the scene into the
// framework's drawing context; the framework's notice that the whole window
// must be repainted; and the window's mouse and keyboard input. The control
// factory implements it; the bridge knows the toolkit only through it.
//
// Threads: main thread (the widget manager's hooks). The repaint request is
// raised by the toolkit's dirty poll, which runs when the request is taken,
// and by changes of the scene on any thread.
#pragma once

#include <cstdint>
#include <vector>

namespace Zolt {
class Graphics;
struct Rect;
} // namespace Zolt

namespace ControlLibrary {

class IInputAndPaint {
public:
    virtual ~IInputAndPaint() = default;

    // True (and the request cleared) when the toolkit wants a repaint: a
    // visible object is dirty, or the scene changed since the last call.
    virtual bool TakeRepaintRequest() = 0;
    // The next paint draws the whole scene, not only what changed.
    virtual void NotifyFullRepaint() = 0;
    // Paints the scene (what changed, or everything) into `g`.
    virtual void DrawAll(Zolt::Graphics* g) = 0;
    // As DrawAll, into a `g` that still holds what the toolkit's last paint
    // left in it: only the places where this pass draws differently are
    // drawn, and appended to `changed` in g's destination pixels. False when
    // the whole scene was drawn instead (a full pass was asked for, or there
    // is no last paint to compare with); `changed` is then left alone.
    virtual bool DrawChanges(Zolt::Graphics* g, std::vector<Zolt::Rect>& changed) = 0;

    // Input in window coordinates. A release from the framework comes with
    // button 0 and its click code in the count's place.
    virtual void DispatchMouseMove(int32_t x, int32_t y) = 0;
    virtual void DispatchMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks) = 0;
    virtual void DispatchMouseUp(int32_t x, int32_t y, int32_t button, int32_t clicks) = 0;
    virtual void DispatchChar(char character) = 0;
    virtual void DispatchKeyDown(uint32_t key) = 0;
    virtual void DispatchKeyUp(uint32_t key) = 0;
};

// The toolkit's, while the control factory exists; null before and after.
IInputAndPaint* GetInputAndPaint();

} // namespace ControlLibrary
