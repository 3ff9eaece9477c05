#include "framework/app/DialogTable.h"

#include "framework/widgets/DeletionQueue.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"

#include <utility>

namespace Zolt {

DialogTable::DialogTable(WidgetManager& widgets, DeletionQueue& deletions, ModalHooks hooks)
    : widgets_(widgets), deletions_(deletions), hooks_(std::move(hooks))
{
}

void DialogTable::Insert(int id, Dialog* dialog, int screenWidth, int screenHeight)
{
    if (dialog->Width() == 0) {
        const int w = screenWidth / 2;
        const int h = dialog->MeasureHeightForWidth(w);
        dialog->SetBounds((screenWidth - w) / 2, screenHeight / 5, w, h);
    }
    byId_[id] = dialog;
    inOrder_.push_back(dialog);
    widgets_.AddChild(dialog);
    if (dialog->IsBlocking()) {
        widgets_.PushModalBarrier(dialog);
        if (hooks_.added)
            hooks_.added();
    }
}

bool DialogTable::Close(int id, bool removeWidget, bool deleteWidget)
{
    auto it = byId_.find(id);
    if (it == byId_.end())
        return false;
    Dialog* dialog = it->second;
    byId_.erase(it);
    inOrder_.remove(dialog);
    // A modal wait on it ends with 0.
    if (!dialog->HasAnswer())
        dialog->SetAnswer(0);
    if (dialog->IsBlocking()) {
        if (hooks_.removed)
            hooks_.removed();
        widgets_.PopModalBarrier(dialog);
    }
    if (removeWidget || deleteWidget)
        widgets_.RemoveChild(dialog);
    if (deleteWidget)
        deletions_.QueueForDeletion(dialog);
    return true;
}

Dialog* DialogTable::Find(int id) const
{
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

void DialogTable::DeleteAll()
{
    for (auto& [id, dialog] : byId_) {
        (void)id;
        widgets_.RemoveChild(dialog);
        delete dialog;
    }
    byId_.clear();
    inOrder_.clear();
}

} // namespace Zolt
