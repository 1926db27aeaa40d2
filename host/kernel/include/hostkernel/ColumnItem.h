// ColumnItem: a column's name, kind and tag, shared by the table and every view over it.
#pragma once

#include <hostkernel/RefCounted.h>
#include <sdk/Data.h>

#include <string>

namespace HostKernel {

class ColumnItem final : public RefCounted<Data::IColumnItem> {
public:
    ColumnItem(std::wstring name, int kind) : m_name(std::move(name)), m_kind(kind) {}

    void* GetTag() override { return m_tag; }
    void SetTag(void* tag) override { m_tag = tag; }
    void GetName(XStringW& name) override { name = XStringW(m_name); }
    int GetKind() override { return m_kind; }

    const std::wstring& Name() const { return m_name; }
    void SetKind(int kind) { m_kind = kind; }

private:
    std::wstring m_name;
    int m_kind;
    void* m_tag = nullptr;
};

} // namespace HostKernel
