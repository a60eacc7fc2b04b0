// Ordered list of strings, the unit in which paths are handed around.
#pragma once

#include <string>
#include <vector>

class CStringArray {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    const std::wstring& GetAt(int index) const { return m_items.at(static_cast<size_t>(index)); }
    const std::wstring& operator[](int index) const { return GetAt(index); }
    void SetAt(int index, const std::wstring& item) { m_items.at(static_cast<size_t>(index)) = item; }
    void Add(const std::wstring& item) { m_items.push_back(item); }
    void RemoveAll() { m_items.clear(); }
    void Append(const CStringArray& other) { m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end()); }

private:
    std::vector<std::wstring> m_items;
};
