#include "Lane_Collection.h"

#include "VbError.h"

Cls_lane& Lane_Mark_Collection::Add(std::shared_ptr<Cls_lane> lane) {
    if (!lane) vb::Raise(vb::errObjectNotSet);
    m_Items.push_back(std::move(lane));
    return *m_Items.back();
}

size_t Lane_Mark_Collection::index(int32_t position) const {
    if (position < 1 || position > Count()) vb::Raise(vb::errInvalidProcedureCall);
    return static_cast<size_t>(position - 1);
}

Cls_lane& Lane_Mark_Collection::Item(int32_t position) const {
    return *m_Items[index(position)];
}

std::shared_ptr<Cls_lane> Lane_Mark_Collection::Item_Ref(int32_t position) const {
    return m_Items[index(position)];
}

void Lane_Mark_Collection::Remove(int32_t position) {
    m_Items.erase(m_Items.begin() + static_cast<std::ptrdiff_t>(index(position)));
}

Lane_Mark_Collection& Lane_Collection() {
    static Lane_Mark_Collection collection;
    return collection;
}
