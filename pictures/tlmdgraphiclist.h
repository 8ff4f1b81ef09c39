#pragma once
// A picture list: a component (QObject, its objectName the component name, its parent
// the owner window) with the collection Graphics of named pictures and its design
// position Left, Top. Set files store one list each (setfilereader.h, setfilewriter.h).

#include "pictures/picture.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace vistelle {

class TLMDGraphicListItems;

class TLMDGraphicListItem {
public:
    explicit TLMDGraphicListItem(TLMDGraphicListItems* collection) : m_collection(collection) {}

    const QString& Name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    const vistelle::Picture& Picture() const { return m_picture; }
    // The item keeps a copy; changing the source later does not change the item.
    void setPicture(const vistelle::Picture& picture) { m_picture = picture; }

    // The item's position in the collection; assigning it moves the item there.
    int Index() const;
    void setIndex(int index);

private:
    TLMDGraphicListItems* m_collection;
    QString m_name;
    vistelle::Picture m_picture;
};

class TLMDGraphicListItems {
public:
    TLMDGraphicListItems() = default;
    TLMDGraphicListItems(const TLMDGraphicListItems&) = delete;
    TLMDGraphicListItems& operator=(const TLMDGraphicListItems&) = delete;

    int count() const { return int(m_items.size()); }
    // "List index out of bounds (<index>)" outside 0 … count − 1.
    TLMDGraphicListItem& at(int index);
    const TLMDGraphicListItem& at(int index) const;
    TLMDGraphicListItem& operator[](int index) { return at(index); }
    const TLMDGraphicListItem& operator[](int index) const { return at(index); }

    TLMDGraphicListItem& add();
    void clear() { m_items.clear(); }
    // Makes the items copies of the other collection's (names and pictures).
    void assign(const TLMDGraphicListItems& other);
    int indexOf(const TLMDGraphicListItem* item) const;
    // Moves the item at `from` to `to`; "List index out of bounds (<to>)" when `to` is
    // no position of the collection.
    void move(int from, int to);

private:
    std::vector<std::unique_ptr<TLMDGraphicListItem>> m_items;
};

class TLMDGraphicList : public QObject {
    Q_OBJECT
public:
    explicit TLMDGraphicList(QObject* owner = nullptr) : QObject(owner) {}

    TLMDGraphicListItems& Graphics() { return m_graphics; }
    const TLMDGraphicListItems& Graphics() const { return m_graphics; }

    quint16 Left() const { return m_left; }
    void setLeft(quint16 left) { m_left = left; }
    quint16 Top() const { return m_top; }
    void setTop(quint16 top) { m_top = top; }
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // Takes the other list's component name, items, design position and tag.
    void assign(const TLMDGraphicList& other);

private:
    TLMDGraphicListItems m_graphics;
    quint16 m_left = 0;
    quint16 m_top = 0;
    int m_tag = 0;
};

} // namespace vistelle
