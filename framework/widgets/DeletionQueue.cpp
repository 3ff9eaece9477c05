#include "framework/widgets/DeletionQueue.h"

#include <algorithm>

namespace Zolt {

DeletionQueue::~DeletionQueue()
{
    // Destructors may queue more; keep going until nothing is left.
    while (!entries_.empty()) {
        std::vector<Entry> doomed;
        doomed.swap(entries_);
        doomed.clear();
    }
}

void DeletionQueue::DeleteDue()
{
    for (;;) {
        // Taken out of the list before any destructor runs, so that a
        // destructor that queues another object never disturbs the walk.
        auto firstDue = std::stable_partition(entries_.begin(), entries_.end(),
                                              [this](const Entry& e) { return e.depth < depth_; });
        if (firstDue == entries_.end())
            return;
        std::vector<Entry> due(std::make_move_iterator(firstDue), std::make_move_iterator(entries_.end()));
        entries_.erase(firstDue, entries_.end());
        due.clear();
    }
}

} // namespace Zolt
