#include "platform/core/DataFileReader.h"

#include "platform/core/FileSystem.h"

#include <atomic>

namespace platform {
namespace {

bool ReadFromDisk(const std::string& name, size_t maxBytes, std::vector<uint8_t>& out)
{
    out.clear();
    const std::optional<uint64_t> size = FileSize(name);
    std::string contents;
    if (!size || *size == 0 || *size > maxBytes || !ReadWholeFile(name, &contents) || contents.size() != *size)
        return false;
    out.assign(contents.begin(), contents.end());
    return true;
}

constinit std::atomic<DataFileReader> gReader{nullptr};

} // namespace

DataFileReader SetDataFileReader(DataFileReader reader)
{
    return gReader.exchange(reader, std::memory_order_acq_rel);
}

bool ReadDataFile(const std::string& name, size_t maxBytes, std::vector<uint8_t>& out)
{
    if (DataFileReader reader = gReader.load(std::memory_order_acquire))
        return reader(name, maxBytes, out);
    return ReadFromDisk(name, maxBytes, out);
}

} // namespace platform
