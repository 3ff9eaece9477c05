// A draggable message box: a header line, word-wrapped body lines, a footer
// line and up to two buttons (ids 1000 and 1001) that report to a dialog
// listener and set the dialog's answer. The buttons live next to the dialog
// as top-level widgets of the manager, kept just in front of it.
//
// Main thread only. The dialog owns its buttons and fonts; its images and
// its listener are not owned. A modal wait (WaitForAnswer) survives the
// dialog being closed and deleted by the loop it runs.
#pragma once

#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Zolt {

class DialogListener;
class Font;

class Dialog : public Widget, public ButtonListener {
public:
    static constexpr int kFirstButtonId = 1000;
    static constexpr int kSecondButtonId = 1001;
    static constexpr int kNoAnswer = 0x7FFFFFFF;
    // Button modes.
    enum { kYesNo = 1, kOkCancel = 2, kFooterButton = 3 };
    enum ColorIndex {
        kHeader = 0,
        kLines = 1,
        kFooter = 2,
        kButtonLabel = 3,
        kButtonLabelOver = 4,
        kBoxFace = 5,
        kBoxOutline = 6
    };

    Dialog(Image* componentImage, Image* buttonImage, int dialogId, bool modal, const std::string& header,
           const std::string& lines, const std::string& footer, int buttonMode);
    ~Dialog() override;

    void Paint(Graphics* g) override;
    void SetColorAt(int index, const Color& color) override;
    void SetBounds(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void OnReordered() override;
    void OnAttached(WidgetManager* manager) override;
    void OnDetached(WidgetManager* manager) override;
    void OnMouseButtonDown(int x, int y, int button, int clickCount) override;
    void OnMouseButtonUp(int x, int y, int button, int clickCount) override;
    void OnMouseDrag(int x, int y) override;

    using ButtonListener::OnButtonDown;
    void OnButtonDown(int id) override;
    void OnButtonClicked(int id) override;

    virtual void ApplyButtonFont(Font* font);
    virtual void SetTitleFont(Font* font);
    virtual void SetBodyFont(Font* font);
    virtual int MeasureHeightForWidth(int width);
    virtual bool IsBlocking();
    // Runs the application's loop until a button answers, the dialog is
    // detached or the loop ends; then, with removeWhenDone, has the
    // application close it. The answer, kNoAnswer when there was none.
    virtual int WaitForAnswer(bool removeWhenDone);

    int GetDialogId() const { return dialogId_; }
    int GetAnswer() const { return wait_->answer; }
    bool HasAnswer() const { return wait_->answer != kNoAnswer; }
    // The application answers 0 for a dialog it closes unanswered.
    void SetAnswer(int answer) { wait_->answer = answer; }
    DialogListener* GetDialogListener() const { return dialogListener_; }
    void SetDialogListener(DialogListener* listener) { dialogListener_ = listener; }
    DialogButton* GetFirstButton() const { return firstButton_.get(); }
    DialogButton* GetSecondButton() const { return secondButton_.get(); }
    bool IsDragging() const { return dragging_; }
    int GetButtonMode() const { return buttonMode_; }

    int linesJustification = 0;
    int extraLineSpacing = 0;
    int buttonHeight = 24;
    Margins backgroundMargins;
    Margins contentMargins{24, 24, 24, 24};
    int spacing = 10;
    int buttonGap = 8;
    int buttonSideInset = 0;

private:
    // Outlives the dialog for a modal wait that the dialog's deletion ends.
    struct WaitState {
        bool alive = true;
        int answer = kNoAnswer;
    };

    void EnsureFonts();
    void LayoutButtons();
    void SetCursor(int index);
    bool HasFooterLine() const { return !footer_.empty() && buttonMode_ != kFooterButton; }

    DialogListener* dialogListener_;
    Image* componentImage_;
    std::unique_ptr<DialogButton> firstButton_;
    std::unique_ptr<DialogButton> secondButton_;
    std::string header_;
    std::string footer_;
    std::string lines_;
    int buttonMode_;
    std::unique_ptr<Font> headerFont_;
    std::unique_ptr<Font> linesFont_;
    bool dragging_ = false;
    Point dragPoint_;
    int dialogId_;
    bool modal_;
    std::shared_ptr<WaitState> wait_ = std::make_shared<WaitState>();
};

} // namespace Zolt
