// FieldSorter ("Data.FieldSorter") and MultiFieldSorter ("Data.MultiFieldSorter"): the keys a
// view sorts by. They only hold keys; a view reads them each time it re-derives.
#pragma once

#include <hostkernel/RefCounted.h>
#include <sdk/Data.h>

#include <string>
#include <utility>
#include <vector>

namespace HostKernel {

class FieldSorter final : public RefCounted<Data::IFieldSorter> {
public:
    int GetKeyCount() override { return m_field.empty() ? 0 : 1; }
    bool GetKey(int index, XStringW& field, bool& ascending) override {
        if (index != 0 || m_field.empty())
            return false;
        field = XStringW(m_field);
        ascending = m_ascending;
        return true;
    }
    void SetField(const wchar_t* name) override { m_field = name != nullptr ? name : L""; }
    void SetAscending(bool ascending) override { m_ascending = ascending; }

private:
    std::wstring m_field;
    bool m_ascending = true;
};

class MultiFieldSorter final : public RefCounted<Data::IMultiFieldSorter> {
public:
    int GetKeyCount() override { return static_cast<int>(m_keys.size()); }
    bool GetKey(int index, XStringW& field, bool& ascending) override {
        if (index < 0 || index >= static_cast<int>(m_keys.size()))
            return false;
        field = XStringW(m_keys[static_cast<std::size_t>(index)].first);
        ascending = m_keys[static_cast<std::size_t>(index)].second;
        return true;
    }
    void AddKey(const wchar_t* name, bool ascending) override {
        if (name != nullptr && *name != 0)
            m_keys.emplace_back(name, ascending);
    }
    void Clear() override { m_keys.clear(); }

private:
    std::vector<std::pair<std::wstring, bool>> m_keys;
};

} // namespace HostKernel
