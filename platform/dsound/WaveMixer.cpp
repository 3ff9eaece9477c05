#include "platform/dsound/WaveMixer.h"

#include "platform/core/Testing.h"
#include "platform/dsound/AudioOutput.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <set>

namespace platform {

struct MixerObject {
    int unused = 0;
};

namespace {

constexpr DWORD kSpeakersLineId = 0xFFFF0000;
constexpr DWORD kWaveOutLineId = 0x00000000;
constexpr DWORD kVolumeControlId = 1;
constexpr DWORD kFullVolume = 65535;

struct MixerState {
    std::mutex mutex;
    std::set<MixerObject*> open;              // guarded by mutex
    DWORD volume[2] = {kFullVolume, kFullVolume}; // guarded by mutex
};

MixerState& State()
{
    static MixerState* state = new MixerState(); // handles may be closed from exit handlers
    return *state;
}

MMRESULT Injected(const char* operation)
{
    int64_t code = 0;
    if (!testing::ShouldFail(operation, &code))
        return MMSYSERR_NOERROR;
    return code ? static_cast<MMRESULT>(code) : MMSYSERR_ERROR;
}

// A handle from mixerOpen or the device id 0 itself.
bool KnownMixer(MixerState& s, HMIXEROBJ mixer)
{
    return mixer == nullptr || s.open.count(mixer) != 0;
}

void CopyName(char* out, size_t size, const char* text)
{
    std::memset(out, 0, size);
    std::strncpy(out, text, size - 1);
}

void Describe(MIXERLINEA* line, bool speakers)
{
    DWORD size = line->cbStruct;
    uintptr_t user = line->dwUser;
    std::memset(line, 0, sizeof *line);
    line->cbStruct = size;
    line->dwUser = user;
    line->dwDestination = 0;
    line->dwSource = 0;
    line->dwLineID = speakers ? kSpeakersLineId : kWaveOutLineId;
    line->fdwLine = MIXERLINE_LINEF_ACTIVE | (speakers ? 0 : MIXERLINE_LINEF_SOURCE);
    line->dwComponentType = speakers ? MIXERLINE_COMPONENTTYPE_DST_SPEAKERS : MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    line->cChannels = 2;
    line->cConnections = speakers ? 1 : 0;
    line->cControls = speakers ? 0 : 1;
    CopyName(line->szShortName, sizeof line->szShortName, speakers ? "Speakers" : "Wave");
    CopyName(line->szName, sizeof line->szName, speakers ? "Speakers" : "Wave Out");
    CopyName(line->Target.szPname, sizeof line->Target.szPname, "Pellucor mixer");
}

void ApplyGain(const MixerState& s)
{
    dsound::AudioOutput::Instance().SetMasterGain(static_cast<float>(s.volume[0]) / kFullVolume,
                                                  static_cast<float>(s.volume[1]) / kFullVolume);
}

} // namespace

MMRESULT mixerOpen(HMIXER* mixer, UINT deviceId, uintptr_t callback, uintptr_t instance, DWORD flags)
{
    (void)callback;
    (void)instance;
    if (MMRESULT r = Injected("mixerOpen"))
        return r;
    if (!mixer)
        return MMSYSERR_INVALPARAM;
    *mixer = nullptr;
    if ((flags & 0xF0000000u) != MIXER_OBJECTF_MIXER)
        return MMSYSERR_INVALFLAG;
    if (deviceId != 0)
        return MMSYSERR_BADDEVICEID;
    MixerState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto object = std::make_unique<MixerObject>();
    *mixer = object.get();
    s.open.insert(object.release());
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetDevCapsA(uintptr_t deviceId, MIXERCAPSA* caps, UINT capsSize)
{
    if (MMRESULT r = Injected("mixerGetDevCapsA"))
        return r;
    if (!caps || capsSize < sizeof(MIXERCAPSA))
        return MMSYSERR_INVALPARAM;
    MixerState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (deviceId != 0 && !s.open.count(reinterpret_cast<MixerObject*>(deviceId)))
        return MMSYSERR_BADDEVICEID;
    std::memset(caps, 0, sizeof *caps);
    caps->vDriverVersion = 0x0100;
    CopyName(caps->szPname, sizeof caps->szPname, "Pellucor mixer");
    caps->cDestinations = 1;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineInfoA(HMIXEROBJ mixer, MIXERLINEA* line, DWORD flags)
{
    if (MMRESULT r = Injected("mixerGetLineInfoA"))
        return r;
    if (!line || line->cbStruct < sizeof(MIXERLINEA))
        return MMSYSERR_INVALPARAM;
    MixerState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!KnownMixer(s, mixer))
        return MMSYSERR_INVALHANDLE;
    switch (flags & MIXER_GETLINEINFOF_QUERYMASK) {
    case MIXER_GETLINEINFOF_DESTINATION:
        if (line->dwDestination != 0)
            return MMSYSERR_INVALPARAM;
        Describe(line, true);
        return MMSYSERR_NOERROR;
    case MIXER_GETLINEINFOF_SOURCE:
        if (line->dwDestination != 0 || line->dwSource != 0)
            return MMSYSERR_INVALPARAM;
        Describe(line, false);
        return MMSYSERR_NOERROR;
    case MIXER_GETLINEINFOF_LINEID:
        if (line->dwLineID != kSpeakersLineId && line->dwLineID != kWaveOutLineId)
            return MIXERR_INVALLINE;
        Describe(line, line->dwLineID == kSpeakersLineId);
        return MMSYSERR_NOERROR;
    case MIXER_GETLINEINFOF_COMPONENTTYPE:
        if (line->dwComponentType == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS) {
            Describe(line, true);
            return MMSYSERR_NOERROR;
        }
        if (line->dwComponentType == MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT) {
            Describe(line, false);
            return MMSYSERR_NOERROR;
        }
        return MIXERR_INVALLINE;
    default:
        return MMSYSERR_INVALFLAG;
    }
}

MMRESULT mixerGetLineControlsA(HMIXEROBJ mixer, MIXERLINECONTROLSA* controls, DWORD flags)
{
    if (MMRESULT r = Injected("mixerGetLineControlsA"))
        return r;
    if (!controls || controls->cbStruct < sizeof(MIXERLINECONTROLSA) || !controls->pamxctrl ||
        controls->cbmxctrl < sizeof(MIXERCONTROLA))
        return MMSYSERR_INVALPARAM;
    MixerState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!KnownMixer(s, mixer))
        return MMSYSERR_INVALHANDLE;
    switch (flags & MIXER_GETLINECONTROLSF_QUERYMASK) {
    case MIXER_GETLINECONTROLSF_ALL:
        if (controls->dwLineID != kWaveOutLineId)
            return controls->dwLineID == kSpeakersLineId ? MMSYSERR_INVALPARAM : MIXERR_INVALLINE;
        if (controls->cControls != 1)
            return MMSYSERR_INVALPARAM;
        break;
    case MIXER_GETLINECONTROLSF_ONEBYID:
        if (controls->dwControlID != kVolumeControlId)
            return MIXERR_INVALCONTROL;
        break;
    case MIXER_GETLINECONTROLSF_ONEBYTYPE:
        if (controls->dwLineID != kWaveOutLineId)
            return MIXERR_INVALLINE;
        if (controls->dwControlType != MIXERCONTROL_CONTROLTYPE_VOLUME)
            return MIXERR_INVALCONTROL;
        break;
    default:
        return MMSYSERR_INVALFLAG;
    }
    MIXERCONTROLA& c = *controls->pamxctrl;
    std::memset(&c, 0, sizeof c);
    c.cbStruct = sizeof c;
    c.dwControlID = kVolumeControlId;
    c.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    CopyName(c.szShortName, sizeof c.szShortName, "Volume");
    CopyName(c.szName, sizeof c.szName, "Wave Volume");
    c.Bounds.s2.dwMinimum = 0;
    c.Bounds.s2.dwMaximum = kFullVolume;
    c.Metrics.cSteps = kFullVolume + 1;
    controls->dwLineID = kWaveOutLineId;
    return MMSYSERR_NOERROR;
}

namespace {

MMRESULT CheckDetails(MixerState& s, HMIXEROBJ mixer, const MIXERCONTROLDETAILS* details)
{
    if (!details || details->cbStruct < sizeof(MIXERCONTROLDETAILS) || !details->paDetails ||
        details->cbDetails != sizeof(MIXERCONTROLDETAILS_UNSIGNED) || details->cChannels < 1 ||
        details->cChannels > 2 || details->cMultipleItems != 0)
        return MMSYSERR_INVALPARAM;
    if (!KnownMixer(s, mixer))
        return MMSYSERR_INVALHANDLE;
    if (details->dwControlID != kVolumeControlId)
        return MIXERR_INVALCONTROL;
    return MMSYSERR_NOERROR;
}

} // namespace

MMRESULT mixerGetControlDetailsA(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD flags)
{
    if (MMRESULT r = Injected("mixerGetControlDetailsA"))
        return r;
    MixerState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (MMRESULT r = CheckDetails(s, mixer, details))
        return r;
    if ((flags & MIXER_GETCONTROLDETAILSF_QUERYMASK) != MIXER_GETCONTROLDETAILSF_VALUE)
        return MMSYSERR_INVALFLAG;
    auto* values = static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails);
    for (DWORD i = 0; i < details->cChannels; ++i)
        values[i].dwValue = s.volume[i];
    return MMSYSERR_NOERROR;
}

MMRESULT mixerSetControlDetails(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD flags)
{
    if (MMRESULT r = Injected("mixerSetControlDetails"))
        return r;
    MixerState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (MMRESULT r = CheckDetails(s, mixer, details))
        return r;
    if ((flags & MIXER_GETCONTROLDETAILSF_QUERYMASK) != MIXER_SETCONTROLDETAILSF_VALUE)
        return MMSYSERR_INVALFLAG;
    const auto* values = static_cast<const MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails);
    auto clampValue = [](DWORD v) { return v > kFullVolume ? kFullVolume : v; };
    if (details->cChannels == 1) {
        s.volume[0] = s.volume[1] = clampValue(values[0].dwValue);
    } else {
        s.volume[0] = clampValue(values[0].dwValue);
        s.volume[1] = clampValue(values[1].dwValue);
    }
    ApplyGain(s);
    return MMSYSERR_NOERROR;
}

MMRESULT mixerClose(HMIXER mixer)
{
    if (MMRESULT r = Injected("mixerClose"))
        return r;
    MixerState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.open.find(mixer);
    if (it == s.open.end())
        return MMSYSERR_INVALHANDLE;
    delete *it;
    s.open.erase(it);
    return MMSYSERR_NOERROR;
}

namespace testing {

void ResetWaveOutVolume()
{
    MixerState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.volume[0] = s.volume[1] = kFullVolume;
    ApplyGain(s);
}

DWORD WaveOutVolume(int channel)
{
    MixerState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.volume[channel == 1 ? 1 : 0];
}

} // namespace testing
} // namespace platform
