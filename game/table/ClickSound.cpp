#include "game/table/ClickSound.h"

#include "controls/IFactory.h"
#include "controls/ISound.h"

namespace Gamespace {

ClickSound::ClickSound(ControlLibrary::IFactory* factory, const char* file) : factory_(factory)
{
    if (!factory_)
        return;
    sound_ = factory_->CreateSound(true);
    if (sound_)
        sound_->Load(file);
}

ClickSound::~ClickSound()
{
    if (factory_)
        factory_->ReleaseSound(sound_);
}

void ClickSound::Play()
{
    if (sound_)
        sound_->Play(false);
}

} // namespace Gamespace
