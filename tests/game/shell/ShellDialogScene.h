// The control factory of the kernel as the shell's dialogs find it
// (KernelLibrary::GetFactory), made over a test host: every picture of the
// game is there at its size, a pattern whose pixels all differ (a test
// registers solid pictures of its own over them), fonts are block fonts,
// sounds go to a recording music interface. Input goes in through the factory's dispatch, as the
// kernel's bridge hands it over.
#pragma once

#include "controls/ButtonFace_impl.h"
#include "controls/Factory_impl.h"
#include "controls/IBridgeToVO.h"
#include "controls/IVisibleObject.h"
#include "tests/support/ControlTestHost.h"
#include "timing/TimeSystem_impl.h"
#include "tools/assetgen/AssetCatalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

class ShellDialogScene : public ::testing::Test {
protected:
    ShellDialogScene()
    {
        auto host = std::make_unique<testing_support::ControlTestHost>();
        host_ = host.get();
        for (const assetgen::ImageAsset& image : assetgen::GetCatalog().images)
            host_->AddPatternImage(image.path, image.width, image.height);
        ControlLibrary::CreateFactory(std::move(host), &time_);
    }
    ~ShellDialogScene() override { ControlLibrary::DestroyFactory(); }

    static ControlLibrary::Factory_impl& Factory() { return *ControlLibrary::GetFactoryImpl(); }

    void PressKey(uint32_t key)
    {
        Factory().DispatchKeyDown(key);
        Factory().DispatchKeyUp(key);
    }

    // A click in the middle of the object with this id, through the hit test.
    void ClickOn(uint32_t id)
    {
        ControlLibrary::IVisibleObject* object = Factory().FindObject(id);
        ASSERT_NE(object, nullptr);
        const ControlLibrary::Rect area = object->GetScreenRect();
        const int32_t x = area.x + area.w / 2;
        const int32_t y = area.y + area.h / 2;
        Factory().DispatchMouseMove(x, y);
        Factory().DispatchMouseDown(x, y, 1, 1);
        Factory().DispatchMouseUp(x, y, 0, 1);
    }

    bool Shown(uint32_t id)
    {
        const std::vector<uint32_t> order = Factory().LayerOrder();
        return std::find(order.begin(), order.end(), id) != order.end();
    }

    // Whether a button draws its face under its caption (or its caption alone).
    static bool DrawsItsFace(ControlLibrary::IVisibleObject& button)
    {
        auto* bridge = dynamic_cast<ControlLibrary::IBridgeToVO*>(&button);
        auto* face = bridge ? dynamic_cast<ControlLibrary::ButtonFace_impl*>(bridge->GetImpl()) : nullptr;
        return face && !face->IsFaceHidden();
    }

    // How often the click sound started.
    size_t Clicks() const { return host_->music.starts.size(); }

    TimeLibrary::TimeSystem_impl time_;
    testing_support::ControlTestHost* host_;
};
