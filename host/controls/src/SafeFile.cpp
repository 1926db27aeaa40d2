// Control::SafeFile over the host kernel's AtomicFile.
#include <sdk/ControlSafeFile.h>

#include <hostkernel/AtomicFile.h>

namespace Control {

struct SafeFile::Impl {
    HostKernel::AtomicFile file;
};

SafeFile::SafeFile() : m_impl(std::make_unique<Impl>()) {}

SafeFile::~SafeFile() = default;

bool SafeFile::Open(const std::string& target, XStringW& error) {
    std::string reason;
    if (m_impl->file.Open(target, reason))
        return true;
    error = XStringW::FromUtf8(reason);
    return false;
}

bool SafeFile::Write(std::string_view data) {
    return m_impl->file.Write(data);
}

bool SafeFile::Commit(XStringW& error) {
    std::string reason;
    if (m_impl->file.Commit(reason))
        return true;
    error = XStringW::FromUtf8(reason);
    return false;
}

void SafeFile::Abandon() {
    m_impl->file.Abandon();
}

bool SafeFile::WriteWhole(const std::string& target, std::string_view data, XStringW& error) {
    SafeFile file;
    if (!file.Open(target, error))
        return false;
    file.Write(data);
    return file.Commit(error);
}

} // namespace Control
