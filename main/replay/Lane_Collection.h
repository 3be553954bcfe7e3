#pragma once
// The lane marks in use, shared by the replay window and the live preview:
// an ordered collection of Cls_lane, positions counted from 1. Its count is
// the number of lanes in use (sixteen once a loader has filled it).
#include "Cls_lane.h"

#include <cstdint>
#include <memory>
#include <vector>

class Lane_Mark_Collection {
public:
    // Appends a mark at the end and returns it.
    Cls_lane& Add(std::shared_ptr<Cls_lane> lane);
    int32_t Count() const { return static_cast<int32_t>(m_Items.size()); }
    // The mark at a position from 1; any other position raises 5 (invalid
    // procedure call or argument), as a collection's bad index does.
    Cls_lane& Item(int32_t position) const;
    std::shared_ptr<Cls_lane> Item_Ref(int32_t position) const;
    void Remove(int32_t position);
    // Removes every mark.
    void Clear() { m_Items.clear(); }

    auto begin() const { return m_Items.begin(); }
    auto end() const { return m_Items.end(); }

private:
    size_t index(int32_t position) const;
    std::vector<std::shared_ptr<Cls_lane>> m_Items;
};

// The program-wide lane marks, created empty at first use.
Lane_Mark_Collection& Lane_Collection();
