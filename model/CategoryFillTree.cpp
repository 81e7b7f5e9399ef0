#include "Category.h"

#include <utility>
#include <vector>

void CCategory::FillTree(ICategoryTreeSink& sink, void* hParent)
{
    // Pre-order with an explicit stack: children are pushed last to first so
    // that they come off first to last, each after its parent's item exists.
    std::vector<std::pair<CCategory*, void*>> pending{{this, hParent}};
    while (!pending.empty()) {
        auto [pCategory, hItemParent] = pending.back();
        pending.pop_back();
        void* hItem = sink.InsertItem(hItemParent, *pCategory);
        for (auto it = pCategory->m_children.rbegin(); it != pCategory->m_children.rend(); ++it)
            pending.emplace_back(it->get(), hItem);
    }
}
