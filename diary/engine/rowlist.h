#pragma once
// The rows of a store in stored order, kept in large chunks: a row never moves once added
// (the view holds references to rows), and adding one seldom allocates. The first rows
// live in a chunk of 4096; a store that grows beyond it goes on in chunks of 2 MB.

#include "diary/engine/volgarow.h"

#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>

namespace vistelle {

class RowList {
public:
    static constexpr size_t FirstChunkRows = 4096;
    static constexpr size_t ChunkBytes = size_t(2) << 20;
    static constexpr size_t ChunkRows = ChunkBytes / sizeof(TVolgaRow);
    static_assert(sizeof(TVolgaRow) <= 64, "a 100-year diary should fit the first chunk and one more");

    RowList() = default;
    ~RowList() { clear(); }
    RowList(const RowList&) = delete;
    RowList& operator=(const RowList&) = delete;

    // Constructs the row in place at the end.
    template <typename... Args> TVolgaRow& emplace_back(Args&&... args)
    {
        if (m_size == m_capacity) addChunk(); // left uninitialised
        TVolgaRow* row = new (slot(m_size)) TVolgaRow(std::forward<Args>(args)...);
        ++m_size;
        return *row;
    }

    void clear()
    {
        for (size_t i = 0; i < m_size; ++i) (*this)[i].~TVolgaRow();
        m_size = 0;
        for (std::byte* chunk : m_chunks) std::free(chunk);
        m_chunks.clear();
        m_capacity = 0;
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
    static_assert(alignof(TVolgaRow) <= alignof(std::max_align_t));

    void addChunk()
    {
        const size_t rows = m_chunks.empty() ? FirstChunkRows : ChunkRows;
        auto* chunk = static_cast<std::byte*>(std::malloc(rows * sizeof(TVolgaRow)));
        if (!chunk) throw std::bad_alloc();
        m_chunks.push_back(chunk);
        m_capacity += rows;
    }

    std::byte* slot(size_t i) const
    {
        if (i < FirstChunkRows) return m_chunks[0] + i * sizeof(TVolgaRow);
        const size_t j = i - FirstChunkRows;
        return m_chunks[1 + j / ChunkRows] + (j % ChunkRows) * sizeof(TVolgaRow);
    }

    std::vector<std::byte*> m_chunks;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace vistelle
