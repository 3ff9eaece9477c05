// Tracker modules through libxmp, rendered in 16-bit stereo at kModuleRate.
// The player renders one tick at a time; what a tick gives beyond the
// frames asked for waits in pending_ for the next Read. The module counts as
// ended when the player has come round to its loop point once: the mixer
// decides whether to start it again.
#include "platform/libs/audio/AudioDecoder.h"

#include <xmp.h>

#include <algorithm>
#include <cstring>

namespace platform::libs::audio {

namespace {

class ModuleDecoder final : public Decoder {
public:
    ModuleDecoder() : context_(xmp_create_context()), info_(std::make_unique<xmp_frame_info>()) {}
    ~ModuleDecoder() override
    {
        if (started_)
            xmp_end_player(context_);
        if (loaded_)
            xmp_release_module(context_);
        if (context_)
            xmp_free_context(context_);
    }

    bool Open(const Bytes& bytes)
    {
        if (!context_ || bytes.empty())
            return false;
        // Format detection first: the loader is meant for files that are
        // modules, and the test is cheap and strict.
        xmp_test_info test{};
        if (xmp_test_module_from_memory(bytes.data(), long(bytes.size()), &test) != 0)
            return false;
        if (xmp_load_module_from_memory(context_, bytes.data(), long(bytes.size())) != 0)
            return false;
        loaded_ = true;
        xmp_module_info module{};
        xmp_get_module_info(context_, &module);
        orders_ = module.mod ? module.mod->len : 0;
        channels_ = 2;
        rate_ = kModuleRate;
        return Restart();
    }

    int Read(int16_t* out, int frames) override
    {
        int done = 0;
        while (done < frames && !ended_) {
            if (pendingAt_ >= pending_.size()) {
                pending_.clear();
                pendingAt_ = 0;
                if (xmp_play_frame(context_) != 0) {
                    ended_ = true;
                    break;
                }
                xmp_get_frame_info(context_, info_.get());
                if (info_->loop_count > 0) {
                    ended_ = true;
                    break;
                }
                current_ = info_->pos;
                const size_t samples = size_t(std::max(info_->buffer_size, 0)) / 2;
                const auto* samplesIn = static_cast<const int16_t*>(info_->buffer);
                pending_.assign(samplesIn, samplesIn + samples - samples % 2);
                continue;
            }
            const size_t frameCount = std::min<size_t>(size_t(frames - done), (pending_.size() - pendingAt_) / 2);
            std::memcpy(out + size_t(done) * 2, pending_.data() + pendingAt_, frameCount * 2 * sizeof(int16_t));
            pendingAt_ += frameCount * 2;
            done += int(frameCount);
        }
        return done;
    }

    bool Seek(uint64_t frame) override
    {
        // Only the beginning can be found in a module; positions are orders.
        return frame == 0 && Restart();
    }

    uint64_t LengthFrames() const override { return 0; }

    bool SetOrder(int order) override
    {
        if (order < 0 || order >= orders_)
            return false;
        if (ended_ && !Restart())
            return false;
        if (xmp_set_position(context_, order) < 0)
            return false;
        pending_.clear();
        pendingAt_ = 0;
        current_ = order;
        return true;
    }

    int OrderCount() const override { return orders_; }
    int CurrentOrder() const override { return current_; }
    bool IsModule() const override { return true; }

private:
    bool Restart()
    {
        if (started_)
            xmp_end_player(context_);
        started_ = xmp_start_player(context_, kModuleRate, 0) == 0;
        pending_.clear();
        pendingAt_ = 0;
        ended_ = !started_;
        current_ = 0;
        return started_;
    }

    xmp_context context_ = nullptr;
    std::unique_ptr<xmp_frame_info> info_;
    bool loaded_ = false;
    bool started_ = false;
    bool ended_ = false;
    int orders_ = 0;
    int current_ = 0;
    std::vector<int16_t> pending_;
    size_t pendingAt_ = 0;
};

} // namespace

std::unique_ptr<Decoder> OpenModule(const Bytes& bytes)
{
    auto decoder = std::make_unique<ModuleDecoder>();
    if (!decoder->Open(bytes))
        return nullptr;
    return decoder;
}

} // namespace platform::libs::audio
