// The process-wide resource registry: every library's compiled table, looked up per module.
#include "platform/resource_table.h"

#include <map>
#include <vector>

namespace {

struct Table {
    const PLATFORM_RESOURCE* entries;
    size_t count;
};

// Leaked on purpose: libraries unregister from their destructors, which may run after the
// destructors of this library's statics.
std::map<HMODULE, std::vector<Table>>& registry() {
    static auto* tables = new std::map<HMODULE, std::vector<Table>>;
    return *tables;
}

// A resource key as the caller wrote it: an id, or a text (where "#123" means id 123).
struct Key {
    bool isId = false;
    unsigned id = 0;
    const wchar_t* text = nullptr;
};

Key makeKey(LPCWSTR value) {
    Key key;
    if (IS_INTRESOURCE(value)) {
        key.isId = true;
        key.id = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(value));
        return key;
    }
    if (value[0] == L'#') {
        unsigned id = 0;
        const wchar_t* p = value + 1;
        bool digits = *p != L'\0';
        for (; *p != L'\0' && digits; ++p) {
            if (*p < L'0' || *p > L'9' || id > 0xFFFF)
                digits = false;
            else
                id = id * 10 + static_cast<unsigned>(*p - L'0');
        }
        if (digits && id <= 0xFFFF) {
            key.isId = true;
            key.id = id;
            return key;
        }
    }
    key.text = value;
    return key;
}

// Texts are stored upper-cased by the resource compiler; the caller's text may be in any case.
bool matches(const Key& key, const wchar_t* storedText, unsigned storedId) {
    if (key.isId)
        return storedText == nullptr && storedId == key.id;
    if (storedText == nullptr)
        return false;
    const wchar_t* a = key.text;
    const wchar_t* b = storedText;
    for (; *a != L'\0' && *b != L'\0'; ++a, ++b) {
        wchar_t ca = (*a >= L'a' && *a <= L'z') ? static_cast<wchar_t>(*a - L'a' + L'A') : *a;
        if (ca != *b)
            return false;
    }
    return *a == *b;
}

} // namespace

extern "C" {

void WINAPI PlatformRegisterResources(HMODULE module, const PLATFORM_RESOURCE* table, size_t count) {
    if (module == nullptr || table == nullptr)
        return;
    registry()[module].push_back(Table{table, count});
}

void WINAPI PlatformUnregisterResources(HMODULE module, const PLATFORM_RESOURCE* table) {
    auto it = registry().find(module);
    if (it == registry().end())
        return;
    std::erase_if(it->second, [table](const Table& t) { return t.entries == table; });
    if (it->second.empty())
        registry().erase(it);
}

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    if (name == nullptr || type == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (module == nullptr)
        module = GetModuleHandleW(nullptr);
    auto it = registry().find(module);
    if (it == registry().end()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    Key typeKey = makeKey(type);
    Key nameKey = makeKey(name);
    bool typeSeen = false;
    for (const Table& table : it->second) {
        for (size_t i = 0; i < table.count; ++i) {
            const PLATFORM_RESOURCE& entry = table.entries[i];
            if (!matches(typeKey, entry.typeName, entry.typeId))
                continue;
            typeSeen = true;
            if (matches(nameKey, entry.name, entry.nameId))
                return reinterpret_cast<HRSRC>(const_cast<PLATFORM_RESOURCE*>(&entry));
        }
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // The data of a compiled resource lives as long as its library: no copy is needed.
    const auto* entry = reinterpret_cast<const PLATFORM_RESOURCE*>(resource);
    return const_cast<unsigned char*>(entry->data);
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return reinterpret_cast<const PLATFORM_RESOURCE*>(resource)->size;
}

LPVOID WINAPI LockResource(HGLOBAL resourceData) {
    return resourceData;
}

BOOL WINAPI FreeResource(HGLOBAL) {
    return FALSE;
}
}
