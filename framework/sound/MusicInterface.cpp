#include "framework/sound/MusicInterface.h"

namespace Zolt {

MusicInterface::~MusicInterface() = default;

bool MusicInterface::LoadMusicFile(int, const std::string&) { return false; }
void MusicInterface::StartTrack(int, int, bool) {}
void MusicInterface::StartTrackAtVolume(int, double, int, bool) {}
void MusicInterface::HaltTrack(int) {}
void MusicInterface::HoldTrack(int) {}
void MusicInterface::ContinueTrack(int) {}
void MusicInterface::HaltAllTracks() {}
void MusicInterface::DropTrack(int) {}
void MusicInterface::DropAllTracks() {}
void MusicInterface::HoldAllTracks() {}
void MusicInterface::ContinueAllTracks() {}
void MusicInterface::FadeTrackIn(int, int, double, bool) {}
void MusicInterface::FadeTrackOut(int, bool, double) {}
void MusicInterface::FadeAllTracksOut(bool, double) {}
void MusicInterface::SetTrackVolume(int, double) {}
void MusicInterface::SetTrackVolumeCap(int, double) {}
bool MusicInterface::IsTrackPlaying(int) { return false; }
void MusicInterface::SetOverallVolume(double) {}
void MusicInterface::SetTrackBoost(int, double) {}
void MusicInterface::AdvanceFades() {}

} // namespace Zolt
