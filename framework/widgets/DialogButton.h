// A button drawn from a component image: either the whole image as a
// stretched frame, or one of its state rectangles. Wants the hand cursor;
// the face and label shift by the pressed offset while it is pressed.
// Main thread only; the component image is not owned.
#pragma once

#include "framework/widgets/ButtonWidget.h"

namespace Zolt {

class DialogButton : public ButtonWidget {
public:
    DialogButton(Image* componentImage, int id, ButtonListener* listener);

    void Paint(Graphics* g) override;

    Image* GetComponentImage() const { return componentImage_; }

    Point pressedOffset{1, 1};
    Point labelOffset{0, 0};

private:
    Image* componentImage_;
};

} // namespace Zolt
