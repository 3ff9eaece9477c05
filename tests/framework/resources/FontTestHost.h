// An application stand-in for the font tests: shared images come from
// images the test registers by path (or, for other paths, from image files
// on disk), and error boxes are recorded instead of shown.
#pragma once

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/FontHost.h"
#include "imagelib/ImageLib.h"

#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

namespace Zolt::testing {

class FontTestHost : public FontHost {
public:
    ~FontTestHost() override
    {
        for (auto& [path, record] : records)
            delete record->image;
    }

    // Serves the pixels (row after row) under the path.
    MemoryImage* AddImage(const std::string& path, int w, int h, std::vector<uint32_t> pixels)
    {
        auto record = std::make_unique<SharedImage>();
        record->image = new MemoryImage(nullptr);
        pixels.resize(size_t(w) * h);
        record->image->AssignBits(pixels.data(), w, h, true);
        MemoryImage* image = record->image;
        records[path] = std::move(record);
        return image;
    }

    SharedImageHandle AcquireSharedImage(const std::string& fileName, const std::string& variant,
                                         bool* created) override
    {
        requests.push_back(fileName);
        (void)variant;
        bool isNew = false;
        auto it = records.find(fileName);
        if (it == records.end()) {
            std::unique_ptr<ImageLib::Image> loaded(ImageLib::LoadImageFile(fileName, true));
            if (!loaded)
                return SharedImageHandle();
            AddImage(fileName, loaded->GetWidth(), loaded->GetHeight(),
                     std::vector<uint32_t>(loaded->GetBits(),
                                           loaded->GetBits() + size_t(loaded->GetWidth()) * loaded->GetHeight()));
            it = records.find(fileName);
            isNew = true;
        } else {
            isNew = firstUse.insert(fileName).second;
        }
        if (created)
            *created = isNew;
        return SharedImageHandle(it->second.get());
    }

    void ShowError(const std::string& text) override { errors.push_back(text); }
    int FontLogicalDpi() override { return dpi; }

    std::map<std::string, std::unique_ptr<SharedImage>> records;
    std::set<std::string> firstUse;
    std::vector<std::string> requests;
    std::vector<std::string> errors;
    int dpi = 96;
};

} // namespace Zolt::testing
