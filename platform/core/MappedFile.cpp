#include "platform/core/MappedFile.h"

#include <cerrno>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/FileSystem.h"

namespace platform {

std::unique_ptr<MappedFile> MappedFile::Open(const std::string& path, std::string* error)
{
    auto fail = [&](const char* what, int err) {
        if (error)
            *error = path + ": " + what + " (" + DescribeOpenError(err) + ")";
        return nullptr;
    };
    // A pipe at the path would hold the start-up until someone wrote to it.
    int fd = OpenRegularFileForReading(path);
    if (fd < 0)
        return fail("cannot open the file", errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return fail("cannot read the file's size", err);
    }
    std::unique_ptr<MappedFile> file(new MappedFile);
    file->size_ = static_cast<uint64_t>(st.st_size);
    if (file->size_ > 0) {
        void* view = ::mmap(nullptr, file->size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (view == MAP_FAILED) {
            int err = errno;
            ::close(fd);
            return fail("cannot map the file", err);
        }
        file->data_ = static_cast<const uint8_t*>(view);
    }
    ::close(fd); // the mapping keeps the file
    return file;
}

MappedFile::~MappedFile()
{
    if (data_)
        ::munmap(const_cast<uint8_t*>(data_), size_);
}

} // namespace platform
