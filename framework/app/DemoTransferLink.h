// The demo stream as seen by HTTP transfers: recording hands out the stream
// after the time part of a header, playback offers the pending command when
// it is a due transfer result. Registered while the application records or
// plays a demo.
//
// Threads: main thread only (as the transfers' status queries are).
#pragma once

#include "framework/app/HTTPTransferDemoLink.h"

namespace Zolt {

class DemoRecorder;

class DemoTransferLink : public HTTPTransferDemoLink {
public:
    explicit DemoTransferLink(DemoRecorder& demo) : demo_(demo) {}

    bool IsRecordingDemo() const override;
    bool IsPlayingDemo() const override;
    Buffer& BeginDemoCommand() override;
    Buffer* PendingDemoCommand(int longId) override;
    void RestoreDemoReadPosition(int bitPosition) override;
    void ConsumeDemoCommand() override;

private:
    DemoRecorder& demo_;
};

} // namespace Zolt
