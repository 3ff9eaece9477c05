#include "platform/libs/audio/AudioMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace platform::libs::audio {

namespace {

constexpr int kBlockFrames = 512;

} // namespace

struct Mixer::Channel {
    std::unique_ptr<Decoder> decoder;
    std::shared_ptr<SampleBuffer> sample;
    ChannelState state = ChannelState::Stopped;
    bool looping = false;
    bool atEnd = false;
    float volume = 1.0f;
    float library = 1.0f;
    float boost = 1.0f;
    float pan = 0.0f;
    int rate = 0;
    uint64_t position = 0; // source frames handed to the resampler
    // Source frames as stereo floats, and the read position in them.
    std::vector<float> block = std::vector<float>(size_t(kBlockFrames) * 2);
    int blockFrames = 0;
    int blockAt = 0;
    // Linear interpolation between two source frames.
    bool primed = false;
    bool lastFrame = false;
    float current[2] = {0, 0};
    float next[2] = {0, 0};
    double fraction = 0.0;

    int SourceRate() const { return decoder ? decoder->Rate() : sample->rate; }
    int SourceChannels() const { return decoder ? decoder->Channels() : sample->channels; }
};

Mixer& Mixer::Instance()
{
    // Never destroyed: the output may still mix it while the process exits.
    static Mixer* mixer = new Mixer();
    return *mixer;
}

Mixer::Channel* Mixer::Find(uint32_t channel)
{
    auto it = channels_.find(channel);
    return it == channels_.end() ? nullptr : it->second.get();
}

uint32_t Mixer::AddDecoder(std::unique_ptr<Decoder> decoder)
{
    if (!decoder)
        return 0;
    auto channel = std::make_unique<Channel>();
    channel->decoder = std::move(decoder);
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t handle = nextHandle_++;
    channels_[handle] = std::move(channel);
    return handle;
}

uint32_t Mixer::AddSample(std::shared_ptr<SampleBuffer> sample)
{
    if (!sample || sample->channels < 1 || sample->channels > 2 || (sample->bits != 8 && sample->bits != 16))
        return 0;
    auto channel = std::make_unique<Channel>();
    channel->sample = std::move(sample);
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t handle = nextHandle_++;
    channels_[handle] = std::move(channel);
    return handle;
}

void Mixer::Remove(uint32_t channel)
{
    std::unique_ptr<Channel> gone;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = channels_.find(channel);
        if (it == channels_.end())
            return;
        gone = std::move(it->second);
        channels_.erase(it);
    }
}

void Mixer::ResetResampler(Channel& c)
{
    c.blockFrames = 0;
    c.blockAt = 0;
    c.primed = false;
    c.lastFrame = false;
    c.fraction = 0.0;
}

bool Mixer::Play(uint32_t channel, bool restart)
{
    // Joined before the channel starts, so the output does not mix it from
    // an earlier moment.
    JoinOutput();
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c)
        return false;
    if (restart || c->atEnd) {
        if (c->decoder)
            c->decoder->Seek(0);
        c->position = 0;
        c->atEnd = false;
        ResetResampler(*c);
    }
    c->state = ChannelState::Playing;
    return true;
}

bool Mixer::Stop(uint32_t channel)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c)
        return false;
    c->state = ChannelState::Stopped;
    return true;
}

bool Mixer::Pause(uint32_t channel)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c || c->state != ChannelState::Playing)
        return false;
    c->state = ChannelState::Paused;
    return true;
}

ChannelState Mixer::State(uint32_t channel)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    return c ? c->state : ChannelState::Missing;
}

bool Mixer::SetGain(uint32_t channel, Gain which, float gain)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c)
        return false;
    gain = std::max(0.0f, gain);
    (which == Gain::Volume ? c->volume : which == Gain::Library ? c->library : c->boost) = gain;
    return true;
}

float Mixer::GetGain(uint32_t channel, Gain which)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c)
        return 0.0f;
    return which == Gain::Volume ? c->volume : which == Gain::Library ? c->library : c->boost;
}

bool Mixer::SetPan(uint32_t channel, float pan)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c)
        return false;
    c->pan = std::clamp(pan, -1.0f, 1.0f);
    return true;
}

bool Mixer::SetRate(uint32_t channel, int rate)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c)
        return false;
    c->rate = rate <= 0 ? 0 : std::clamp(rate, 100, 1000000);
    return true;
}

int Mixer::GetRate(uint32_t channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    return c ? (c->rate ? c->rate : c->SourceRate()) : 0;
}

bool Mixer::SetLooping(uint32_t channel, bool loop)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c)
        return false;
    c->looping = loop;
    return true;
}

bool Mixer::IsLooping(uint32_t channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    return c && c->looping;
}

bool Mixer::SetPosition(uint32_t channel, uint64_t frame)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c)
        return false;
    if (c->decoder) {
        if (c->decoder->IsModule() || !c->decoder->Seek(frame))
            return false;
    } else if (frame > c->sample->Frames()) {
        return false;
    }
    c->position = frame;
    c->atEnd = false;
    ResetResampler(*c);
    return true;
}

uint64_t Mixer::Position(uint32_t channel)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    return c ? c->position : 0;
}

uint64_t Mixer::Length(uint32_t channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c)
        return 0;
    return c->decoder ? c->decoder->LengthFrames() : c->sample->Frames();
}

int Mixer::SourceChannels(uint32_t channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    return c ? c->SourceChannels() : 0;
}

bool Mixer::SetOrder(uint32_t channel, int order)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    if (!c || !c->decoder || !c->decoder->SetOrder(order))
        return false;
    c->atEnd = false;
    ResetResampler(*c);
    return true;
}

int Mixer::CurrentOrder(uint32_t channel)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    return c && c->decoder ? c->decoder->CurrentOrder() : 0;
}

int Mixer::OrderCount(uint32_t channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    return c && c->decoder ? c->decoder->OrderCount() : 0;
}

bool Mixer::IsModule(uint32_t channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Channel* c = Find(channel);
    return c && c->decoder && c->decoder->IsModule();
}

// Refills the channel's block of source frames; 0 at the end of the source.
int Mixer::FillBlock(Channel& c)
{
    c.blockAt = 0;
    c.blockFrames = 0;
    float* out = c.block.data();
    if (c.decoder) {
        int16_t raw[kBlockFrames * 2];
        int got = c.decoder->Read(raw, kBlockFrames);
        if (got <= 0 && c.looping && c.decoder->Seek(0)) {
            c.position = 0;
            got = c.decoder->Read(raw, kBlockFrames);
        }
        if (got <= 0)
            return 0;
        const bool mono = c.decoder->Channels() == 1;
        for (int i = 0; i < got; ++i) {
            out[2 * i] = raw[mono ? i : 2 * i];
            out[2 * i + 1] = raw[mono ? i : 2 * i + 1];
        }
        c.blockFrames = got;
        return got;
    }
    const SampleBuffer& s = *c.sample;
    const uint64_t frames = s.Frames();
    const uint64_t loopEnd = std::min(s.loopEnd ? s.loopEnd + 1 : frames, frames);
    const uint64_t loopStart = std::min(s.loopStart, loopEnd);
    int got = 0;
    while (got < kBlockFrames) {
        if (c.looping && c.position >= loopEnd && loopEnd > loopStart)
            c.position = loopStart;
        if (c.position >= (c.looping ? loopEnd : frames))
            break;
        const uint64_t stop = c.looping ? loopEnd : frames;
        const int n = int(std::min<uint64_t>(uint64_t(kBlockFrames - got), stop - c.position));
        for (int i = 0; i < n; ++i) {
            const size_t frame = size_t(c.position) + size_t(i);
            for (int ch = 0; ch < 2; ++ch) {
                const size_t index = frame * size_t(s.channels) + size_t(s.channels == 1 ? 0 : ch);
                float v = 0.0f;
                if (s.locks == 0)
                    v = s.bits == 8 ? float((int(s.pcm[index]) - 128) << 8)
                                    : float(int16_t(uint16_t(s.pcm[2 * index] | s.pcm[2 * index + 1] << 8)));
                out[2 * (got + i) + ch] = v;
            }
        }
        got += n;
        c.position += uint64_t(n);
    }
    c.blockFrames = got;
    return got;
}

bool Mixer::FetchFrame(Channel& c, float frame[2])
{
    if (c.blockAt >= c.blockFrames && FillBlock(c) == 0)
        return false;
    frame[0] = c.block[size_t(c.blockAt) * 2];
    frame[1] = c.block[size_t(c.blockAt) * 2 + 1];
    ++c.blockAt;
    if (c.decoder)
        ++c.position;
    return true;
}

void Mixer::MixInto(float* accumulator, int frames, int rate)
{
    std::lock_guard<std::mutex> lock(mutex_);
    MixLocked(accumulator, frames, rate);
}

void Mixer::MixLocked(float* accumulator, int frames, int rate)
{
    for (auto& [handle, channel] : channels_) {
        Channel& c = *channel;
        if (c.state != ChannelState::Playing)
            continue;
        const double step = double(c.rate ? c.rate : c.SourceRate()) / double(rate);
        const float gain = c.volume * c.library * c.boost;
        const float left = gain * (c.pan > 0 ? 1.0f - c.pan : 1.0f);
        const float right = gain * (c.pan < 0 ? 1.0f + c.pan : 1.0f);
        for (int i = 0; i < frames; ++i) {
            if (!c.primed) {
                if (!FetchFrame(c, c.current)) {
                    c.state = ChannelState::Stopped;
                    c.atEnd = true;
                    break;
                }
                c.lastFrame = !FetchFrame(c, c.next);
                if (c.lastFrame)
                    c.next[0] = c.next[1] = 0.0f;
                c.primed = true;
            }
            const float t = float(c.fraction);
            accumulator[2 * i] += (c.current[0] + (c.next[0] - c.current[0]) * t) * left;
            accumulator[2 * i + 1] += (c.current[1] + (c.next[1] - c.current[1]) * t) * right;
            c.fraction += step;
            bool ended = false;
            while (c.fraction >= 1.0) {
                c.fraction -= 1.0;
                if (c.lastFrame) {
                    ended = true;
                    break;
                }
                c.current[0] = c.next[0];
                c.current[1] = c.next[1];
                c.lastFrame = !FetchFrame(c, c.next);
                if (c.lastFrame)
                    c.next[0] = c.next[1] = 0.0f;
            }
            if (ended) {
                c.state = ChannelState::Stopped;
                c.atEnd = true;
                c.primed = false;
                break;
            }
        }
    }
}

void Mixer::JoinOutput()
{
    if (joined_.load(std::memory_order_acquire))
        return;
    // With no device the output cannot take us; try again at the next play.
    if (platform::dsound::AudioOutput::Instance().AddSource(this))
        joined_.store(true, std::memory_order_release);
}

void Mixer::CatchUp()
{
    if (joined_.load(std::memory_order_acquire))
        platform::dsound::AudioOutput::Instance().CatchUp();
}

std::unique_lock<std::mutex> Mixer::Guard()
{
    CatchUp();
    return std::unique_lock<std::mutex>(mutex_);
}

size_t Mixer::ChannelCount()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return channels_.size();
}

} // namespace platform::libs::audio
