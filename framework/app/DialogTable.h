// The framework dialogs the application keeps by id: entering one puts it
// into the widget tree (raising the modal barrier when it blocks), closing
// one answers a dialog still waiting with 0, takes it out of the tree and
// queues it for deletion once the loop that closed it has unwound.
//
// The table holds plain pointers: a dialog in it belongs to the table until
// it is closed (with deletion) or the application deletes what is left.
//
// Threads: main thread only (dialogs are widgets); no lock.
#pragma once

#include <functional>
#include <list>
#include <map>

namespace Zolt {

class DeletionQueue;
class Dialog;
class WidgetManager;

class DialogTable {
public:
    // What the application hears when a blocking dialog comes and goes.
    struct ModalHooks {
        std::function<void()> added;
        std::function<void()> removed;
    };

    DialogTable(WidgetManager& widgets, DeletionQueue& deletions, ModalHooks hooks);
    DialogTable(const DialogTable&) = delete;
    DialogTable& operator=(const DialogTable&) = delete;

    // Enters the dialog under the id; the id must be free (the application
    // closes any dialog of that id first). A dialog without a width gets half
    // the screen's, the height its text needs, centred and a fifth of the
    // way down.
    void Insert(int id, Dialog* dialog, int screenWidth, int screenHeight);
    // Takes the dialog of the id out of the table; false when there is none.
    // With either flag it leaves the widget tree; with deleteWidget it is
    // queued for deletion.
    bool Close(int id, bool removeWidget, bool deleteWidget);
    Dialog* Find(int id) const;
    int Count() const { return int(byId_.size()); }
    // The dialogs in the order they were entered.
    const std::list<Dialog*>& InOrder() const { return inOrder_; }
    // Removes every dialog from the tree and deletes it (the application
    // going).
    void DeleteAll();

private:
    WidgetManager& widgets_;
    DeletionQueue& deletions_;
    ModalHooks hooks_;
    std::map<int, Dialog*> byId_;
    std::list<Dialog*> inOrder_;
};

} // namespace Zolt
