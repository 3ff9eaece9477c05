#include "pak/PakFolderPacker.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/core/FileSystem.h"

namespace {

// Deep enough for any asset tree; stops a link that points back up.
constexpr int kMaxDepth = 32;

bool Walk(const std::string& folder, const std::string& prefix, int depth, uint64_t fileTime,
          std::vector<PakMemberSource>* members, std::string* error)
{
    if (depth > kMaxDepth) {
        *error = folder + ": folders nested too deeply (a link loop?)";
        return false;
    }
    for (const platform::FindData& f : platform::FindFiles(folder + "/*")) {
        if (f.name == "." || f.name == "..")
            continue;
        std::string path = folder + "/" + f.name;
        std::string name = prefix.empty() ? f.name : prefix + "\\" + f.name;
        if (f.isDirectory) {
            if (!Walk(path, name, depth + 1, fileTime, members, error))
                return false;
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            *error = path + ": cannot be read";
            return false;
        }
        PakMemberSource m;
        m.name = name;
        m.fileTime = fileTime;
        m.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            *error = path + ": read error";
            return false;
        }
        members->push_back(std::move(m));
    }
    return true;
}

} // namespace

bool CollectPakMembers(const std::string& folder, uint64_t fileTime, std::vector<PakMemberSource>* members,
                       std::string* error)
{
    members->clear();
    std::string root = folder;
    while (root.size() > 1 && (root.back() == '/' || root.back() == '\\'))
        root.pop_back();
    if (!platform::DirectoryExists(root)) {
        *error = folder + ": not a readable folder";
        return false;
    }
    if (!Walk(root, "", 0, fileTime, members, error))
        return false;
    std::sort(members->begin(), members->end(),
              [](const PakMemberSource& a, const PakMemberSource& b) { return a.name < b.name; });
    return true;
}
