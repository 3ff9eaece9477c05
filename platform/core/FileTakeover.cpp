#include "platform/core/FileTakeover.h"

#include "platform/core/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Puts the file at `source` (holding `bytes`) at `target`, where nothing is:
// renamed when it can be, else (another file system) written there whole
// and then removed. A link is carried over as a link to the file it points
// to, so that file (a copy kept in step elsewhere) goes on being the one the
// game saves. False (with `error`) when nothing reached `target`; `source`
// is then untouched.
bool Place(const std::string& source, const std::string& bytes, bool link, const std::string& target,
           FileError* error)
{
    if (link) {
        char* real = realpath(source.c_str(), nullptr);
        if (real == nullptr) {
            *error = FileError{FileStep::FollowLink, source, errno, {}};
            return false;
        }
        const std::string pointedTo = real;
        std::free(real);
        if (symlink(pointedTo.c_str(), target.c_str()) != 0) {
            *error = FileError{FileStep::MakeLink, target, errno, {}};
            return false;
        }
        DeleteFile(source);
        return true;
    }
    if (MoveFile(source, target, false))
        return true;
    if (errno != EXDEV) {
        *error = FileError{FileStep::Move, source, errno, {}};
        return false;
    }
    if (!WriteFileAtomic(target, bytes, error))
        return false;
    // An old file that cannot be removed is found again, with its bytes at
    // the new place, next time.
    DeleteFile(source);
    return true;
}

bool HoldsBytes(const std::string& path, const std::string& bytes)
{
    std::string there;
    return ReadWholeFile(path, &there) && there == bytes;
}

} // namespace

TakeOver TakeOverFile(std::string_view from, std::string_view to)
{
    TakeOver result;
    const std::string source = ResolvePath(from);
    struct stat st;
    if (source.empty() || stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return result;
    struct stat own;
    const bool link = lstat(source.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
    auto fail = [&result](const FileError& error) {
        result.outcome = TakeOver::Outcome::Failed;
        result.error = error;
        return result;
    };
    std::string bytes;
    if (!ReadWholeFile(source, &bytes))
        return fail(FileError{FileStep::Read, source, errno, {}});
    const std::string target = ResolvePath(to);
    const std::string folder = FolderOf(target);
    FileError error;
    if (!folder.empty() && !MakeDirectories(folder, &error))
        return fail(error);

    if (!FileExists(target)) {
        if (!Place(source, bytes, link, target, &error))
            return fail(error);
        result.outcome = TakeOver::Outcome::Moved;
        return result;
    }
    if (HoldsBytes(target, bytes)) {
        DeleteFile(source);
        result.outcome = TakeOver::Outcome::AlreadyThere;
        return result;
    }
    for (int n = 0; n < 1000; ++n) {
        const std::string beside = target + ".earlier" + (n > 0 ? std::to_string(n) : std::string());
        if (FileExists(beside)) {
            if (!HoldsBytes(beside, bytes))
                continue;
            DeleteFile(source);
            result.outcome = TakeOver::Outcome::AlreadyThere;
            return result;
        }
        if (!Place(source, bytes, link, beside, &error))
            return fail(error);
        result.outcome = TakeOver::Outcome::KeptBeside;
        result.keptAs = beside;
        return result;
    }
    return fail(FileError{FileStep::KeepCopyBeside, target, EEXIST, "every name for a copy is taken"});
}

std::vector<TakenFile> TakeOverFolder(std::string_view from, std::string_view to, std::string_view names)
{
    std::vector<TakenFile> taken;
    if (!DirectoryExists(from))
        return taken;
    RemoveInterruptedWrites(from);
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    auto join = [](const std::string& folder, const std::string& name) {
        return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
    };
    for (const FindData& found : FindFiles(join(source, std::string(names)))) {
        if (found.isDirectory)
            continue;
        TakeOver result = TakeOverFile(join(source, found.name), join(target, found.name));
        if (result.outcome != TakeOver::Outcome::NothingThere)
            taken.push_back({found.name, std::move(result)});
    }
    // Only an empty folder goes.
    RemoveDirectory(source);
    return taken;
}

} // namespace platform
