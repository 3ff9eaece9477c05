#include "framework/app/DemoTransferLink.h"

#include "framework/app/ZoltAppBase.h"

namespace Zolt {

bool DemoTransferLink::IsRecordingDemo() const { return app_.recording_; }

bool DemoTransferLink::IsPlayingDemo() const
{
    return app_.playing_ && !app_.closedDuringPlayback_ && !app_.demo_.stream.Ended();
}

Buffer& DemoTransferLink::BeginDemoCommand()
{
    app_.demo_.stream.WriteTime(app_.updateCount_);
    return app_.demo_.stream.Data();
}

Buffer* DemoTransferLink::PendingDemoCommand(int longId)
{
    DemoStream& in = app_.demo_.stream;
    if (!IsPlayingDemo() || !in.ReadHeaderIfNeeded())
        return nullptr;
    if (!in.PendingIs(false, longId) || in.PendingUpdate() > app_.updateCount_)
        return nullptr;
    return &in.Data();
}

void DemoTransferLink::RestoreDemoReadPosition(int bitPosition) { app_.demo_.stream.SeekRead(bitPosition); }

void DemoTransferLink::ConsumeDemoCommand() { app_.demo_.stream.Consume(); }

} // namespace Zolt
