#include "pictures/tlmdgraphiclist.h"

#include "core/error.h"

#include <algorithm>

namespace vistelle {

namespace {
[[noreturn]] void outOfBounds(int index) { raise(fmt(QStringLiteral("List index out of bounds (%d)"), index)); }
} // namespace

int TLMDGraphicListItem::Index() const { return m_collection->indexOf(this); }

void TLMDGraphicListItem::setIndex(int index)
{
    const int current = Index();
    if (current != index) m_collection->move(current, index);
}

TLMDGraphicListItem& TLMDGraphicListItems::at(int index)
{
    if (index < 0 || index >= count()) outOfBounds(index);
    return *m_items[size_t(index)];
}

const TLMDGraphicListItem& TLMDGraphicListItems::at(int index) const
{
    if (index < 0 || index >= count()) outOfBounds(index);
    return *m_items[size_t(index)];
}

TLMDGraphicListItem& TLMDGraphicListItems::add()
{
    m_items.push_back(std::make_unique<TLMDGraphicListItem>(this));
    return *m_items.back();
}

void TLMDGraphicListItems::assign(const TLMDGraphicListItems& other)
{
    if (&other == this) return;
    m_items.clear();
    for (const auto& from : other.m_items) {
        TLMDGraphicListItem& item = add();
        item.setName(from->Name());
        item.setPicture(from->Picture());
    }
}

int TLMDGraphicListItems::indexOf(const TLMDGraphicListItem* item) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == item) return int(i);
    return -1;
}

void TLMDGraphicListItems::move(int from, int to)
{
    if (from < 0 || from >= count()) outOfBounds(from);
    if (to < 0 || to >= count()) outOfBounds(to);
    auto item = std::move(m_items[size_t(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(item));
}

void TLMDGraphicList::assign(const TLMDGraphicList& other)
{
    setObjectName(other.objectName());
    m_graphics.assign(other.m_graphics);
    m_left = other.m_left;
    m_top = other.m_top;
    m_tag = other.m_tag;
}

} // namespace vistelle
