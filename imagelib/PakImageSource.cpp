// The archive-layer side of ImageSource: every image file is read through
// the PakFile* functions, so images may lie in the archives or on disk.
#include "imagelib/ImageSource.h"

#include "imagelib/ImageDecoders.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakInterface.h"

#include <cstdio>

namespace ImageLib {

namespace {

using Handle = PakFileHandle*;
Handle Open(const char* name) { return PakFileOpen(name, "rb"); }
void Close(Handle h) { PakFileClose(h); }
size_t ReadBytes(void* buffer, size_t count, Handle h) { return PakFileRead(buffer, 1, count, h); }
int SeekTo(Handle h, long offset, int origin) { return PakFileSeek(h, offset, origin); }
long TellOf(Handle h) { return PakFileTell(h); }

Handle AsHandle(void* p) { return static_cast<Handle>(p); }

} // namespace

std::unique_ptr<PakImageSource> PakImageSource::Open(const std::string& name)
{
    Handle h = ImageLib::Open(name.c_str());
    if (!h)
        return nullptr;
    return std::unique_ptr<PakImageSource>(new PakImageSource(static_cast<void*>(h), name));
}

PakImageSource::~PakImageSource()
{
    Close(AsHandle(mHandle));
}

size_t PakImageSource::Read(void* buffer, size_t count)
{
    if (count == 0)
        return 0;
    return ReadBytes(buffer, count, AsHandle(mHandle));
}

bool PakImageSource::Seek(int64_t offset)
{
    if (offset < 0 || offset > 0x7FFFFFFF)
        return false;
    // Archive members clamp a seek instead of failing, so confirm where we
    // ended up.
    if (SeekTo(AsHandle(mHandle), static_cast<long>(offset), 0) != 0)
        return false;
    return TellOf(AsHandle(mHandle)) == offset;
}

int64_t PakImageSource::Tell()
{
    return TellOf(AsHandle(mHandle));
}

std::string PakImageSource::Name() const
{
    const Handle h = AsHandle(mHandle);
    if (h->entry && h->entry->archive)
        return mName + " in " + h->entry->archive->fileName;
    return mName;
}

int64_t PakImageSource::Size()
{
    if (mSize != -2)
        return mSize;
    Handle h = AsHandle(mHandle);
    const long here = TellOf(h);
    mSize = -1;
    if (here >= 0 && SeekTo(h, 0, 2) == 0) {
        const long end = TellOf(h);
        if (end >= 0)
            mSize = end;
    }
    SeekTo(h, here < 0 ? 0 : here, 0);
    return mSize;
}

std::unique_ptr<Image> DecodeFile(const std::string& fileName, Decoder decode, const char* format)
{
    auto source = PakImageSource::Open(fileName);
    if (!source)
        return nullptr;
    std::unique_ptr<Image> image = decode(*source);
    // A file that is there and does not decode is a damaged one (an archive
    // member, most often): whoever made it needs to know which.
    if (!image) {
        const std::string& why = source->Failure();
        const std::string line = source->Name() + ": not a readable " + format + " image" +
                                 (why.empty() ? std::string() : " (" + why + ")") + "\n";
        std::fputs(line.c_str(), stderr);
    }
    return image;
}

} // namespace ImageLib
