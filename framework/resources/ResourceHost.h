// What the resource manager needs of the application: shared and plain image
// loading, the display's 3D mode, the font host for font descriptors, and
// the few operations of the sound manager that load and free sounds by id.
// The application base implements it and hands itself to the manager it
// constructs. The sound operations have defaults that behave as an
// application without a sound manager (no free id, so sound records fail
// with a message); an application that has one forwards them to it.
//
// Called on the thread that reads and realises resources (main or loading).
#pragma once

#include "framework/graphics/SharedImage.h"
#include "framework/resources/FontHost.h"

#include <string>

namespace Zolt {

class MemoryImage;

class ResourceHost {
public:
    virtual ~ResourceHost() = default;

    // The image shared by file name and variant, loaded on first use
    // (created is set then); an empty handle when the file cannot be read.
    virtual SharedImageHandle AcquireSharedImage(const std::string& fileName, const std::string& variant,
                                                 bool* created) = 0;
    // A new image of the file owned by the caller, or null when it cannot
    // be read. May throw; the manager takes a throw as a failed load.
    virtual MemoryImage* LoadImageFile(const std::string& fileName, bool lookForAlpha) = 0;
    // True while the display draws through Direct3D.
    virtual bool IsIn3DMode() = 0;
    // The host through which font descriptors load their layer images and
    // report their errors.
    virtual FontHost* GetFontHostForResources() { return GetFontHost(); }

    // The sound manager's operations on sound ids (0 to 255).
    virtual int FirstFreeSoundId() { return -1; }
    virtual bool LoadSoundFile(int id, const std::string& name)
    {
        (void)id, (void)name;
        return false;
    }
    virtual bool SetDefaultVolume(int id, double volume)
    {
        (void)id, (void)volume;
        return false;
    }
    virtual bool SetDefaultPan(int id, int pan)
    {
        (void)id, (void)pan;
        return false;
    }
    virtual void FreeSound(int id) { (void)id; }
};

} // namespace Zolt
