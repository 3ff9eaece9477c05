#include "pak/PakFileFunctions.h"

#include <cstdio>
#include <string>
#include <vector>

#include "pak/PakInterface.h"
#include "platform/core/DataFileReader.h"
#include "platform/core/FileSystem.h"

// Created during static initialisation, before main, and never destroyed, so
// that files can still be read by static destructors of other units.
static PakInterface* const gProcessPakInterface = new PakInterface;

PakInterface* GetProcessPakInterface()
{
    return gProcessPakInterface;
}

PakFileHandle* PakFileOpen(const char* name, const char* mode)
{
    if (PakInterfaceBase* layer = GetSharedPakInterface())
        return layer->OpenFile(name, mode);
    if (!name || !mode)
        return nullptr;
    FILE* f = platform::OpenFile(name, mode);
    if (!f)
        return nullptr;
    auto* handle = new PakFileHandle;
    handle->file = f;
    return handle;
}

int PakFileClose(PakFileHandle* handle)
{
    if (PakInterfaceBase* layer = GetSharedPakInterface())
        return layer->CloseFile(handle);
    if (!handle)
        return EOF;
    int result = handle->file ? std::fclose(handle->file) : 0;
    delete handle;
    return result;
}

// Without a layer no member handle can exist, so the handle's file is used.
int PakFileSeek(PakFileHandle* handle, long offset, int origin)
{
    if (PakInterfaceBase* layer = GetSharedPakInterface())
        return layer->SeekFile(handle, offset, origin);
    return handle && handle->file ? std::fseek(handle->file, offset, origin) : -1;
}

long PakFileTell(PakFileHandle* handle)
{
    if (PakInterfaceBase* layer = GetSharedPakInterface())
        return layer->TellFile(handle);
    return handle && handle->file ? std::ftell(handle->file) : -1;
}

size_t PakFileRead(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle)
{
    if (PakInterfaceBase* layer = GetSharedPakInterface())
        return layer->ReadFile(buffer, elementSize, count, handle);
    return handle && handle->file && buffer ? std::fread(buffer, elementSize, count, handle->file) : 0;
}

int PakFileGetChar(PakFileHandle* handle)
{
    if (PakInterfaceBase* layer = GetSharedPakInterface())
        return layer->ReadChar(handle);
    return handle && handle->file ? std::fgetc(handle->file) : EOF;
}

int PakFileAtEnd(PakFileHandle* handle)
{
    if (PakInterfaceBase* layer = GetSharedPakInterface())
        return layer->AtEnd(handle);
    return handle && handle->file ? std::feof(handle->file) : 1;
}

size_t PakFileWrite(PakFileHandle* handle, const void* buffer, size_t elementSize, size_t count)
{
    if (!handle || !handle->file || handle->entry || !buffer)
        return 0;
    return std::fwrite(buffer, elementSize, count, handle->file);
}

namespace {

// The platform's audio libraries lie below this layer and cannot call it;
// this reader, registered with the platform, lets them find their sounds and
// music in the archives like every other reader of data files.
bool ReadDataFileThroughArchives(const std::string& name, size_t maxBytes, std::vector<uint8_t>& out)
{
    out.clear();
    PakFileHandle* file = PakFileOpen(name.c_str(), "rb");
    if (!file)
        return false;
    bool ok = false;
    if (PakFileSeek(file, 0, SEEK_END) == 0) {
        const long size = PakFileTell(file);
        if (size > 0 && size_t(size) <= maxBytes && PakFileSeek(file, 0, SEEK_SET) == 0) {
            out.resize(size_t(size));
            ok = PakFileRead(out.data(), 1, out.size(), file) == out.size();
        }
    }
    PakFileClose(file);
    if (!ok)
        out.clear();
    return ok;
}

[[maybe_unused]] const bool gDataFileReaderRegistered =
    (platform::SetDataFileReader(&ReadDataFileThroughArchives), true);

} // namespace
