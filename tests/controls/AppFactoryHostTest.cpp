// The factory over the framework's own application object.
#include "controls/AppFactoryHost.h"
#include "controls/Factory_impl.h"
#include "controls/IRectVO.h"
#include "framework/app/ZoltAppBase.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

using namespace ControlLibrary;

TEST(AppFactoryHost, BuildsTheFactoryOverTheApplicationAndItsWidgetManager)
{
    TimeLibrary::TimeSystem_impl time;
    EXPECT_EQ(CreateFactory(static_cast<Zolt::ZoltAppBase*>(nullptr), &time), nullptr);

    Zolt::ZoltAppBase app;
    IFactory* factory = CreateFactory(&app, &time);
    ASSERT_NE(factory, nullptr);
    // An application that has not read its settings has no registry key.
    std::string text;
    EXPECT_FALSE(factory->ReadRegistryString("Name", text));
    IRectVO* rect = factory->CreateRectVO();
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->GetId(), 2u);
    factory->ReleaseVO(rect);
    DestroyFactory();
    EXPECT_EQ(GetFactory(), nullptr);
}
