// Plays arbitrary bytes as a demo file through every reader of the demo
// player: the file itself, the screen-mode command, the input commands
// applied update by update, the recorded registry reads and writes, relayed
// values, whole-file reads and network transfer results. However the
// commands are damaged, each reader takes only what is there, gives no more
// bytes than its caller's buffer holds, and the play comes to an end.
#include "framework/app/DemoRecorder.h"
#include "framework/app/HTTPTransfer.h"
#include "framework/app/HTTPTransferDemoLink.h"
#include "framework/base/Buffer.h"
#include "tests/fuzz/FuzzSupport.h"

#include <string>

namespace {

// Takes every command as the application would, and checks its values.
class Input : public Zolt::DemoInput {
public:
    bool IsStopped() override { return closed_; }
    void MouseMove(int, int) override {}
    void MouseButton(int, int, int code, bool) override
    {
        if (code < -4 || code > 3)
            __builtin_trap();
    }
    void MouseEnter() override {}
    void MouseLeave(int, int) override {}
    void Wheel(int) override {}
    void Key(int key, bool) override
    {
        if (key < 0 || key > 255)
            __builtin_trap();
    }
    void Char(int) override {}
    void Activate(bool) override {}
    void Minimize(bool) override {}
    void Close() override { closed_ = true; }
    void ScreenMode(bool, int) override {}

private:
    bool closed_ = false;
};

// The readers that take a recorded value when one is pending.
void ReplayValues(Zolt::DemoRecorder& recorder, Zolt::HTTPTransfer& transfer)
{
    uint8_t buffer[64];
    uint32_t type = 0;
    uint32_t length = sizeof buffer;
    if (recorder.ReplayRegistryRead(&type, buffer, &length) && length > sizeof buffer)
        __builtin_trap();
    recorder.ReplayRegistryWrite();
    Zolt::Buffer relayed;
    recorder.RelayBuffer(relayed);
    bool flag = false;
    recorder.RelayFlag(flag);
    std::string text;
    recorder.RelayText(text);
    Zolt::Buffer file;
    recorder.LoadFileIntoBuffer("data/none.txt", file, false);
    transfer.Outcome();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz_support::WriteScratchFile("played.dmo", data, size);
    if (path.empty())
        return 0;
    int update = 0;
    Zolt::DemoRecorder recorder([&update] { return update; });
    recorder.SetFileName(path);
    recorder.StartPlaying();
    uint32_t seed = 0;
    std::string error;
    if (!recorder.ReadFile("fuzz", seed, error)) {
        if (error.empty())
            __builtin_trap(); // a refusal says why
        return 0;
    }
    Zolt::SetHTTPTransferDemoLink(&recorder.TransferLink());
    Zolt::HTTPTransfer transfer;
    transfer.Submit("http://127.0.0.1:9/fuzz", "GET /fuzz HTTP/1.0\r\n\r\n");
    bool windowed = false;
    int refresh = 0;
    recorder.ReadScreenModeCommand(windowed, refresh);
    Input input;
    Zolt::DemoStream& stream = recorder.Stream();
    for (int step = 0; step < 100000 && !recorder.HasEnded() && !input.IsStopped(); ++step) {
        ReplayValues(recorder, transfer);
        recorder.PlayDueCommands(input);
        // On to the next update that holds a command.
        const int next = stream.ReadHeaderIfNeeded() ? stream.PendingUpdate() : update + 1;
        update = next > update ? next : update + 1;
    }
    transfer.Recycle();
    Zolt::SetHTTPTransferDemoLink(nullptr);
    return 0;
}
