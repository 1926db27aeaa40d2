// IStream over a global memory block (CreateStreamOnHGlobal).
#include "platform/objidl.h"
#include "platform/winbase.h"

#include <algorithm>
#include <atomic>
#include <cstring>

extern "C" const IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
extern "C" const IID IID_ISequentialStream = {
    0x0c733a30, 0x2a1c, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
extern "C" const IID IID_IStream = {
    0x0000000c, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

class HGlobalStream final : public IStream {
public:
    HGlobalStream(HGLOBAL memory, bool deleteOnRelease)
        : m_memory(memory), m_deleteOnRelease(deleteOnRelease) {
        m_size = GlobalSize(memory);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_references;
        if (left == 0) {
            if (m_deleteOnRelease)
                GlobalFree(m_memory);
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG bytes, ULONG* read) override {
        if (buffer == nullptr && bytes > 0)
            return STG_E_INVALIDPOINTER;
        ULONGLONG available = m_position < m_size ? m_size - m_position : 0;
        auto count = static_cast<ULONG>(std::min<ULONGLONG>(bytes, available));
        if (count > 0) {
            auto* data = static_cast<const unsigned char*>(GlobalLock(m_memory));
            if (data == nullptr)
                return E_FAIL;
            std::memcpy(buffer, data + m_position, count);
            GlobalUnlock(m_memory);
            m_position += count;
        }
        if (read != nullptr)
            *read = count;
        // Reading less than asked is not an error for a memory stream; the count tells.
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG bytes, ULONG* written) override {
        if (written != nullptr)
            *written = 0;
        if (buffer == nullptr && bytes > 0)
            return STG_E_INVALIDPOINTER;
        if (bytes == 0)
            return S_OK;
        ULONGLONG end = m_position + bytes;
        if (end > m_size) {
            ULARGE_INTEGER size;
            size.QuadPart = end;
            HRESULT hr = SetSize(size);
            if (FAILED(hr))
                return hr;
        }
        auto* data = static_cast<unsigned char*>(GlobalLock(m_memory));
        if (data == nullptr)
            return E_FAIL;
        std::memcpy(data + m_position, buffer, bytes);
        GlobalUnlock(m_memory);
        m_position = end;
        if (written != nullptr)
            *written = bytes;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
        long long base;
        switch (origin) {
        case STREAM_SEEK_SET:
            base = 0;
            break;
        case STREAM_SEEK_CUR:
            base = static_cast<long long>(m_position);
            break;
        case STREAM_SEEK_END:
            base = static_cast<long long>(m_size);
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        long long target;
        if (__builtin_add_overflow(base, move.QuadPart, &target) || target < 0)
            return STG_E_INVALIDFUNCTION;
        m_position = static_cast<ULONGLONG>(target);
        if (newPosition != nullptr)
            newPosition->QuadPart = m_position;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override {
        if (newSize.QuadPart > 0x7FFFFFFF)
            return STG_E_MEDIUMFULL;
        auto bytes = static_cast<SIZE_T>(newSize.QuadPart);
        if (bytes > GlobalSize(m_memory)) {
            HGLOBAL grown = GlobalReAlloc(m_memory, bytes, GMEM_ZEROINIT);
            // A fixed block cannot move under its handle, so it cannot grow.
            if (grown == nullptr || grown != m_memory)
                return STG_E_MEDIUMFULL;
        }
        m_size = bytes;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER bytes, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override {
        if (target == nullptr)
            return STG_E_INVALIDPOINTER;
        ULONGLONG available = m_position < m_size ? m_size - m_position : 0;
        auto count = static_cast<ULONG>(std::min<ULONGLONG>({bytes.QuadPart, available, 0x7FFFFFFF}));
        auto* data = static_cast<const unsigned char*>(GlobalLock(m_memory));
        if (data == nullptr)
            return E_FAIL;
        ULONG done = 0;
        HRESULT hr = target->Write(data + m_position, count, &done);
        GlobalUnlock(m_memory);
        m_position += count;
        if (read != nullptr)
            read->QuadPart = count;
        if (written != nullptr)
            written->QuadPart = done;
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        if (stat == nullptr)
            return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = m_size;
        return S_OK;
    }

    // Clones share the memory (never its ownership) and start at the same position.
    HRESULT STDMETHODCALLTYPE Clone(IStream** stream) override {
        if (stream == nullptr)
            return STG_E_INVALIDPOINTER;
        auto* clone = new HGlobalStream(m_memory, false);
        clone->m_size = m_size;
        clone->m_position = m_position;
        *stream = clone;
        return S_OK;
    }

    HGLOBAL Memory() const { return m_memory; }

private:
    ~HGlobalStream() = default;

    HGLOBAL m_memory;
    bool m_deleteOnRelease;
    std::atomic<ULONG> m_references{1};
    ULONGLONG m_size = 0;
    ULONGLONG m_position = 0;
};

} // namespace

extern "C" {

HRESULT WINAPI CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream) {
    if (stream == nullptr)
        return E_INVALIDARG;
    *stream = nullptr;
    if (memory == nullptr) {
        memory = GlobalAlloc(GMEM_MOVEABLE, 0);
        if (memory == nullptr)
            return E_OUTOFMEMORY;
    } else {
        // GlobalSize of a foreign handle fails; such a handle cannot back a stream.
        SetLastError(ERROR_SUCCESS);
        if (GlobalSize(memory) == 0 && GetLastError() == ERROR_INVALID_HANDLE)
            return E_INVALIDARG;
    }
    *stream = new HGlobalStream(memory, deleteOnRelease != FALSE);
    return S_OK;
}

HRESULT WINAPI GetHGlobalFromStream(LPSTREAM stream, HGLOBAL* memory) {
    auto* ours = dynamic_cast<HGlobalStream*>(stream);
    if (ours == nullptr || memory == nullptr)
        return E_INVALIDARG;
    *memory = ours->Memory();
    return S_OK;
}

} // extern "C"
