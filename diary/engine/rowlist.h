#pragma once
// The rows of a store in stored order, kept in large fixed-size chunks: a row never moves once
// added (the view holds references to rows), and adding one seldom allocates.

#include "diary/engine/volgarow.h"

#include <cstddef>
#include <new>
#include <memory>
#include <vector>

namespace vistelle {

class RowList {
public:
    static constexpr size_t ChunkSize = 4096;

    RowList() = default;
    ~RowList() { clear(); }
    RowList(const RowList&) = delete;
    RowList& operator=(const RowList&) = delete;

    // Constructs the row in place at the end.
    template <typename... Args> TVolgaRow& emplace_back(Args&&... args)
    {
        if (m_size % ChunkSize == 0) m_chunks.push_back(std::unique_ptr<Chunk>(new Chunk)); // left uninitialised
        TVolgaRow* row = new (slot(m_size)) TVolgaRow(std::forward<Args>(args)...);
        ++m_size;
        return *row;
    }

    void clear()
    {
        for (size_t i = 0; i < m_size; ++i) (*this)[i].~TVolgaRow();
        m_size = 0;
        m_chunks.clear();
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    TVolgaRow& operator[](size_t i) { return *std::launder(reinterpret_cast<TVolgaRow*>(slot(i))); }
    const TVolgaRow& operator[](size_t i) const { return *std::launder(reinterpret_cast<const TVolgaRow*>(slot(i))); }

    template <typename List, typename Row> class Iterator {
    public:
        Iterator(List* list, size_t i) : m_list(list), m_i(i) {}
        Row& operator*() const { return (*m_list)[m_i]; }
        Iterator& operator++() { ++m_i; return *this; }
        bool operator!=(const Iterator& other) const { return m_i != other.m_i; }

    private:
        List* m_list;
        size_t m_i;
    };
    Iterator<RowList, TVolgaRow> begin() { return {this, 0}; }
    Iterator<RowList, TVolgaRow> end() { return {this, m_size}; }
    Iterator<const RowList, const TVolgaRow> begin() const { return {this, 0}; }
    Iterator<const RowList, const TVolgaRow> end() const { return {this, m_size}; }

private:
    struct Chunk {
        alignas(TVolgaRow) std::byte bytes[ChunkSize * sizeof(TVolgaRow)];
    };
    std::byte* slot(size_t i) const { return m_chunks[i / ChunkSize]->bytes + (i % ChunkSize) * sizeof(TVolgaRow); }

    std::vector<std::unique_ptr<Chunk>> m_chunks;
    size_t m_size = 0;
};

} // namespace vistelle
