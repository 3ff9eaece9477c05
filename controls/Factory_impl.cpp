// The factory's life, its object tables, the creators and releasers, and the
// application services it forwards.
#include "controls/Factory_impl.h"

#include "controls/BaseVO_bridge.h"
#include "controls/ControlHandles.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Image.h"
#include "platform/core/FileSystem.h"
#include "timing/ITimeSystem.h"
#include "timing/TimeSystem_impl.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace ControlLibrary {

namespace {
std::atomic<Factory_impl*> gFactory{nullptr};
} // namespace

Factory_impl::Factory_impl(std::unique_ptr<FactoryHost> host, TimeLibrary::ITimeSystem* timeSystem)
    : host_(std::move(host)), timeSystem_(timeSystem)
{
    if (!host_ || !host_->GetWidgetManager())
        throw std::runtime_error("The control factory needs an application with a widget manager");
    if (!timeSystem_)
        throw std::runtime_error("The control factory needs the time system");
    objectIds_.base = 1;
    soundIds_.base = 1;
    timer_ = timeSystem_->CreateTimeObject(this, -1, kPollIntervalMs);
    if (!timer_)
        throw std::runtime_error("The control factory found no free time object");
    timer_->SetEndless(true);
}

Factory_impl::~Factory_impl()
{
    // The poll goes first, so no tick runs into a factory being taken apart.
    timeSystem_->DestroyTimeObject(timer_);
    ReleaseAllFonts();
    ReleaseAllImages();
    // Handles and objects still alive belong to their owners; their tables go.
}

// ---- Singleton ----

IFactory* CreateFactory(std::unique_ptr<FactoryHost> host, TimeLibrary::ITimeSystem* timeSystem)
{
    if (gFactory.load())
        return gFactory.load();
    if (!timeSystem)
        timeSystem = TimeLibrary::GetTimeSystem();
    try {
        gFactory.store(new Factory_impl(std::move(host), timeSystem));
    } catch (...) {
        gFactory.store(nullptr);
    }
    return gFactory.load();
}

IFactory* GetFactory()
{
    return gFactory.load();
}

Factory_impl* GetFactoryImpl()
{
    return gFactory.load();
}

IInputAndPaint* GetInputAndPaint()
{
    return gFactory.load();
}

void DestroyFactory()
{
    delete gFactory.exchange(nullptr);
}

// ---- Object tables ----

size_t Factory_impl::FindById(uint32_t id, const ObjectTable& table) const
{
    for (size_t i = 0; i < table.size(); ++i) {
        if (&table == &layerTable_ && i >= layerCount_)
            break;
        if (&table == &idTable_ && i >= idHighWater_)
            break;
        if (table[i] && table[i]->GetId() == id)
            return i;
    }
    return kObjectSlots;
}

bool Factory_impl::RegisterObject(IBridgeToVO* bridge)
{
    platform::CriticalSectionLock lock(lock_);
    const uint32_t id = bridge->GetId();
    if (idTable_[kObjectSlots - 1] || id >= kObjectSlots || FindById(id, idTable_) != kObjectSlots)
        return false;
    idTable_[id] = bridge;
    idHighWater_ = std::max(idHighWater_, static_cast<size_t>(id) + 1);
    return true;
}

bool Factory_impl::RemoveObject(IBridgeToVO* bridge)
{
    platform::CriticalSectionLock lock(lock_);
    // A shown object leaves its place to be repainted, as a hidden one does;
    // else its picture stays on the screen until something else is drawn
    // there.
    if (FindById(bridge->GetId(), layerTable_) != kObjectSlots) {
        bridge->GetImpl()->SetDirty();
        bridge->CollectDirtyRects(dirtyList_);
    }
    RemoveFromLayerTable(bridge);
    size_t index = kObjectSlots;
    for (size_t i = 0; i < idHighWater_; ++i) {
        if (idTable_[i] == bridge) {
            index = i;
            break;
        }
    }
    if (index == kObjectSlots)
        return false;
    std::copy(idTable_.begin() + static_cast<std::ptrdiff_t>(index) + 1,
              idTable_.begin() + static_cast<std::ptrdiff_t>(idHighWater_),
              idTable_.begin() + static_cast<std::ptrdiff_t>(index));
    idTable_[idHighWater_ - 1] = nullptr;
    --idHighWater_;

    // Nothing the factory or another object remembers may point at it once
    // it is gone.
    VisibleObject_impl* impl = bridge->GetImpl();
    IVisibleObject* self = bridge->GetInterface();
    if (hovered_ == impl) {
        hovered_ = nullptr;
        if (currentToolTip_ == impl->GetToolTip())
            currentToolTip_ = nullptr;
        if (currentCursor_ == impl->GetCursor())
            SetCurrentCursor(nullptr);
    }
    if (focused_ == impl)
        focused_ = nullptr;
    for (size_t i = 0; i < idHighWater_; ++i) {
        IBridgeToVO* other = idTable_[i];
        if (!other)
            continue;
        VisibleObject_impl* otherImpl = other->GetImpl();
        if (otherImpl->GetParent() == self)
            otherImpl->SetParent(nullptr);
        if (auto* dialog = dynamic_cast<DialogVO_impl*>(otherImpl))
            dialog->ForgetChild(self);
    }
    for (auto& list : modalStack_)
        list.erase(std::remove(list.begin(), list.end(), bridge), list.end());
    return true;
}

size_t Factory_impl::FindLayerSlot(uint32_t absoluteLayer) const
{
    size_t slot = 0;
    while (slot < layerCount_ && layerTable_[slot]->GetAbsoluteLayer() <= absoluteLayer)
        ++slot;
    return slot;
}

// Refuses an object already in the table, as the toolkit's contract has it;
// its callers only ever add one that is not, and read no answer.
bool Factory_impl::AddToLayerTable(IBridgeToVO* bridge)
{
    platform::CriticalSectionLock lock(lock_);
    if (layerCount_ >= kObjectSlots)
        return false;
    for (size_t i = 0; i < layerCount_; ++i)
        if (layerTable_[i] == bridge)
            return false;
    const size_t slot = FindLayerSlot(bridge->GetAbsoluteLayer());
    std::copy_backward(layerTable_.begin() + static_cast<std::ptrdiff_t>(slot),
                       layerTable_.begin() + layerCount_, layerTable_.begin() + layerCount_ + 1);
    layerTable_[slot] = bridge;
    ++layerCount_;
    NoteSceneMayHaveChanged();
    return true;
}

bool Factory_impl::RemoveFromLayerTable(IBridgeToVO* bridge)
{
    platform::CriticalSectionLock lock(lock_);
    for (size_t i = 0; i < layerCount_; ++i) {
        if (layerTable_[i] != bridge)
            continue;
        std::copy(layerTable_.begin() + static_cast<std::ptrdiff_t>(i) + 1, layerTable_.begin() + layerCount_,
                  layerTable_.begin() + static_cast<std::ptrdiff_t>(i));
        --layerCount_;
        layerTable_[layerCount_] = nullptr;
        NoteSceneMayHaveChanged();
        return true;
    }
    return false;
}

uint32_t Factory_impl::GetHighestLayer()
{
    platform::CriticalSectionLock lock(lock_);
    uint32_t highest = 0;
    for (size_t i = 0; i < layerCount_; ++i)
        highest = std::max(highest, layerTable_[i]->GetAbsoluteLayer());
    return highest;
}

uint16_t Factory_impl::GetLayerCount()
{
    platform::CriticalSectionLock lock(lock_);
    return layerCount_;
}

std::vector<uint32_t> Factory_impl::LayerOrder()
{
    platform::CriticalSectionLock lock(lock_);
    std::vector<uint32_t> ids;
    for (size_t i = 0; i < layerCount_; ++i)
        ids.push_back(layerTable_[i]->GetId());
    return ids;
}

std::vector<IVisibleObject*> Factory_impl::ShownObjects()
{
    platform::CriticalSectionLock lock(lock_);
    std::vector<IVisibleObject*> objects;
    for (size_t i = 0; i < layerCount_; ++i)
        objects.push_back(layerTable_[i]->GetInterface());
    return objects;
}

IVisibleObject* Factory_impl::FindObject(uint32_t id)
{
    platform::CriticalSectionLock lock(lock_);
    const size_t index = FindById(id, idTable_);
    return index == kObjectSlots ? nullptr : idTable_[index]->GetInterface();
}

void Factory_impl::OnVisibilityChanged(uint32_t id, bool visible)
{
    platform::CriticalSectionLock lock(lock_);
    const size_t index = FindById(id, idTable_);
    if (index == kObjectSlots)
        return;
    IBridgeToVO* bridge = idTable_[index];
    if (visible) {
        AddToLayerTable(bridge);
    } else if (FindById(id, layerTable_) != kObjectSlots) {
        bridge->CollectDirtyRects(dirtyList_);
        RemoveFromLayerTable(bridge);
    }
}

void Factory_impl::OnLayerChanged(uint32_t id)
{
    platform::CriticalSectionLock lock(lock_);
    const size_t slot = FindById(id, layerTable_);
    if (slot == kObjectSlots)
        return;
    IBridgeToVO* bridge = layerTable_[slot];
    bridge->CollectDirtyRects(dirtyList_);
    RemoveFromLayerTable(bridge);
    AddToLayerTable(bridge);
}

// ---- Creating and releasing visible objects ----

template <class Bridge, class Impl, class Interface>
Interface* Factory_impl::CreateObject()
{
    const uint32_t id = objectIds_.Allocate();
    if (id == 0)
        return nullptr;
    if (id >= kObjectSlots) {
        // Beyond the table: refused. The number goes back so that a run that
        // keeps asking does not grow the allocator; it is refused again.
        objectIds_.Release(id);
        return nullptr;
    }
    // Built outside the lock: an edit box makes its caret timer here.
    auto bridge = std::make_unique<Bridge>(std::make_unique<Impl>(*this, id));
    if (!RegisterObject(bridge.get()))
        return nullptr;
    return static_cast<Interface*>(bridge.release());
}

IRectVO* Factory_impl::CreateRectVO()
{
    return CreateObject<RectVO_bridge, RectVO_impl, IRectVO>();
}
IImageVO* Factory_impl::CreateImageVO()
{
    return CreateObject<ImageVO_bridge, ImageVO_impl, IImageVO>();
}
IStringVO* Factory_impl::CreateStringVO()
{
    return CreateObject<StringVO_Bridge, StringVO_impl, IStringVO>();
}
ILinkVO* Factory_impl::CreateLinkVO()
{
    return CreateObject<LinkVO_Bridge, LinkVO_impl, ILinkVO>();
}
IButtonVO* Factory_impl::CreateButtonVO()
{
    return CreateObject<ButtonVO_bridge, ButtonVO_impl, IButtonVO>();
}
ICheckBoxVO* Factory_impl::CreateCheckBoxVO()
{
    return CreateObject<CheckBoxVO_bridge, CheckBoxVO_impl, ICheckBoxVO>();
}
IEditBoxVO* Factory_impl::CreateEditBoxVO()
{
    return CreateObject<EditBoxVO_bridge, EditBoxVO_impl, IEditBoxVO>();
}
ITextBoxVO* Factory_impl::CreateTextBoxVO()
{
    return CreateObject<TextBoxVO_bridge, TextBoxVO_impl, ITextBoxVO>();
}
IDialogVO* Factory_impl::CreateDialogVO()
{
    return CreateObject<DialogVO_bridge, DialogVO_impl, IDialogVO>();
}

IBridgeToVO* Factory_impl::FindBridge(IVisibleObject* object)
{
    // Found by identity among the registered objects: a pointer that is not
    // (or no longer) registered is never read.
    platform::CriticalSectionLock lock(lock_);
    for (size_t i = 0; i < idHighWater_; ++i)
        if (idTable_[i] && idTable_[i]->GetInterface() == object)
            return idTable_[i];
    return nullptr;
}

void Factory_impl::ReleaseObject(IVisibleObject* object)
{
    if (!object)
        return;
    if (IBridgeToVO* bridge = FindBridge(object))
        ReleaseBridge(bridge);
}

void Factory_impl::ReleaseBridge(IBridgeToVO* bridge)
{
    {
        platform::CriticalSectionLock lock(lock_);
        if (bridge->Release() > 0)
            return;
        if (!RemoveObject(bridge))
            return;
        if (std::find(pinned_.begin(), pinned_.end(), bridge) != pinned_.end()) {
            // An input callback is running on it: it goes when that returns.
            releasedWhilePinned_.push_back(bridge);
            return;
        }
    }
    DeleteBridge(bridge);
}

void Factory_impl::DeleteBridge(IBridgeToVO* bridge)
{
    delete bridge;
}

void Factory_impl::ReleaseVO(IDialogVO* object)
{
    ReleaseObject(object);
}
void Factory_impl::ReleaseVO(ITextBoxVO* object)
{
    ReleaseObject(object);
}
void Factory_impl::ReleaseVO(IEditBoxVO* object)
{
    ReleaseObject(object);
}
void Factory_impl::ReleaseVO(ICheckBoxVO* object)
{
    ReleaseObject(object);
}
void Factory_impl::ReleaseVO(IButtonVO* object)
{
    ReleaseObject(object);
}
void Factory_impl::ReleaseVO(ILinkVO* object)
{
    ReleaseObject(object);
}
void Factory_impl::ReleaseVO(IStringVO* object)
{
    ReleaseObject(object);
}
void Factory_impl::ReleaseVO(IImageVO* object)
{
    ReleaseObject(object);
}
void Factory_impl::ReleaseVO(IRectVO* object)
{
    ReleaseObject(object);
}

// ---- Application services ----

void Factory_impl::AddPakArchive(uint32_t, const std::string& archivePath)
{
    const std::string directory = platform::GetCurrentDirectory();
    if (!host_->OnChangeDirectory(directory))
        platform::SetCurrentDirectory(directory);
    host_->AddArchive(archivePath);
}

std::string Factory_impl::GetAppDataFolder()
{
    return host_->GetAppDataFolder();
}

void Factory_impl::ToggleScreenMode()
{
    host_->ChangeDisplayMode(!host_->IsWindowed(), host_->IsIn3DMode(), false);
}

void Factory_impl::AddSysObserver(KeybdSysMessageObserver* observer)
{
    platform::CriticalSectionLock lock(lock_);
    if (std::find(sysObservers_.begin(), sysObservers_.end(), observer) == sysObservers_.end())
        sysObservers_.push_back(observer);
}

void Factory_impl::RemoveSysObserver(KeybdSysMessageObserver* observer)
{
    platform::CriticalSectionLock lock(lock_);
    auto it = std::find(sysObservers_.begin(), sysObservers_.end(), observer);
    if (it != sysObservers_.end())
        sysObservers_.erase(it);
}

bool Factory_impl::ReadRegistryString(const std::string& valueName, std::string& out)
{
    return host_->RegReadText(valueName, out);
}

bool Factory_impl::ReadRegistryInteger(const std::string& valueName, uint32_t& out)
{
    int value = 0;
    if (!host_->RegReadNumber(valueName, value))
        return false;
    out = static_cast<uint32_t>(value);
    return true;
}

bool Factory_impl::ReadRegistryBool(const std::string& valueName, bool& out)
{
    return host_->RegReadFlag(valueName, out);
}

bool Factory_impl::WriteRegistryString(const std::string& valueName, const std::string& value)
{
    return host_->RegWriteText(valueName, value);
}

bool Factory_impl::WriteRegistryInteger(const std::string& valueName, uint32_t value)
{
    return host_->RegWriteNumber(valueName, static_cast<int>(value));
}

bool Factory_impl::WriteRegistryBool(const std::string& valueName, bool value)
{
    return host_->RegWriteFlag(valueName, value);
}

// ---- The dirty poll ----

bool Factory_impl::TakeRepaintRequest()
{
    OnTimerTick(timer_->GetId());
    // Looked at before it is cleared: a still scene's poll writes nothing.
    return needsRepaint_.load() && needsRepaint_.exchange(false);
}

void Factory_impl::OnTimerTick(uint32_t)
{
    if (needsRepaint_.load())
        return;
    // A pending full redraw needs a pass as much as a dirty object does.
    if (invalidateAll_.load() || fullRedraw_.load()) {
        needsRepaint_.store(true);
        return;
    }
    // Cleared before the scan: whatever becomes dirty during it or after
    // sets it again, for the next poll.
    if (!sceneMayHaveChanged_.load() || !sceneMayHaveChanged_.exchange(false))
        return;
    platform::CriticalSectionLock lock(lock_);
    ++layerScans_;
    // Areas left by hidden objects need a pass too.
    bool dirty = !dirtyList_.empty();
    for (size_t i = 0; i < layerCount_ && !dirty; ++i)
        dirty = layerTable_[i]->GetImpl()->IsDirty();
    if (dirty) {
        // Until a scan finds the scene clean, every poll looks again.
        sceneMayHaveChanged_.store(true);
        needsRepaint_.store(true);
    }
}

} // namespace ControlLibrary
