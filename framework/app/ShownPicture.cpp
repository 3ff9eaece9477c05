#include "framework/app/ShownPicture.h"

namespace Zolt {

void ShownPicture::NotePaintedPlaces(const std::vector<Rect>& places)
{
    places_.insert(places_.end(), places.begin(), places.end());
}

ShownPicture::Present ShownPicture::Next(bool forced) const
{
    if (forced || !current_ || wholeOwed_)
        return Present::Whole;
    return places_.empty() ? Present::Again : Present::Places;
}

void ShownPicture::NoteShown(bool succeeded)
{
    current_ = succeeded;
    wholeOwed_ = false;
    places_.clear();
}

} // namespace Zolt
