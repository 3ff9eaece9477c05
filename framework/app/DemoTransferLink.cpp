#include "framework/app/DemoTransferLink.h"

#include "framework/app/DemoRecorder.h"

namespace Zolt {

bool DemoTransferLink::IsRecordingDemo() const { return demo_.IsRecording(); }

bool DemoTransferLink::IsPlayingDemo() const { return demo_.IsFeeding() && !demo_.HasEnded(); }

Buffer& DemoTransferLink::BeginDemoCommand()
{
    demo_.Stream().WriteTime(demo_.CurrentUpdate());
    return demo_.Stream().Data();
}

Buffer* DemoTransferLink::PendingDemoCommand(int longId)
{
    DemoStream& in = demo_.Stream();
    if (!IsPlayingDemo() || !in.ReadHeaderIfNeeded())
        return nullptr;
    if (!in.PendingIs(false, longId) || in.PendingUpdate() > demo_.CurrentUpdate())
        return nullptr;
    return &in.Data();
}

void DemoTransferLink::RestoreDemoReadPosition(int bitPosition) { demo_.Stream().SeekRead(bitPosition); }

void DemoTransferLink::ConsumeDemoCommand() { demo_.Stream().Consume(); }

} // namespace Zolt
