// Sections: keys and values; loading; changing and saving.
#include <hostconf/ConfManager.h>
#include <hostconf/RegularFile.h>
#include <hostkernel/CellText.h>

#include "XmlText.h"

#include <pugixml.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace HostConf {

struct ConfManager::Document {
    pugi::xml_document xml;
};

// ---- keys and values -------------------------------------------------------------------------

namespace {

// Values are copied when a key is looked up, so a key held by a module stays valid whatever
// the host later changes or reloads.
class ConfValue final : public HostKernel::RefCounted<Conf::IConfValue> {
public:
    explicit ConfValue(std::wstring text) : m_text(std::move(text)) {}
    double AsDouble() override {
        double value = 0;
        return HostKernel::ParseReal(m_text, value) ? value : 0;
    }
    void AsString(XStringW& text) override { text = XStringW(m_text); }

private:
    std::wstring m_text;
};

class ConfKey final : public HostKernel::RefCounted<Conf::IConfKey> {
public:
    ConfKey(bool hasValue, std::wstring text) : m_hasValue(hasValue), m_text(std::move(text)) {}
    bool GetValue(Conf::IConfValue** value) override {
        if (value == nullptr)
            return false;
        *value = m_hasValue ? new ConfValue(m_text) : nullptr;
        return m_hasValue;
    }

private:
    bool m_hasValue;
    std::wstring m_text;
};

bool IsXmlName(const std::string& name) {
    if (name.empty())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!letter && !(i > 0 && other))
            return false;
    }
    return true;
}

// The names of a slash path; empty when the path is not one.
std::vector<std::string> SplitPath(const char* path) {
    std::vector<std::string> names;
    if (path == nullptr || *path != '/')
        return names;
    std::string current;
    for (const char* p = path + 1;; ++p) {
        if (*p == '/' || *p == 0) {
            if (!IsXmlName(current))
                return {};
            names.push_back(current);
            current.clear();
            if (*p == 0)
                break;
        } else {
            current += *p;
        }
    }
    return names;
}

} // namespace

ConfManager::ConfManager() : m_document(new Document) {
    m_document->xml.append_child(kRootName);
}

ConfManager::~ConfManager() = default;

namespace {

// The element of a slash path, or an empty node when the path names none.
pugi::xml_node FindNode(pugi::xml_document& xml, const char* path) {
    std::vector<std::string> names = SplitPath(path);
    pugi::xml_node node = xml.document_element();
    if (names.empty() || names[0] != node.name())
        return pugi::xml_node();
    for (std::size_t i = 1; i < names.size() && node; ++i)
        node = node.child(names[i].c_str());
    return node;
}

} // namespace

bool ConfManager::RemoveKey(const char* path) {
    pugi::xml_node node = FindNode(m_document->xml, path);
    // The root holds every setting: it is never removed.
    if (!node || node == m_document->xml.document_element())
        return false;
    return node.parent().remove_child(node);
}

bool ConfManager::GetChildren(const char* path, std::vector<std::string>& names) {
    names.clear();
    pugi::xml_node node = FindNode(m_document->xml, path);
    if (!node)
        return false;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            names.emplace_back(child.name());
    return true;
}

bool ConfManager::GetKey(Conf::IConfKey** key, const char* path) {
    if (key == nullptr)
        return false;
    *key = nullptr;
    std::vector<std::string> names = SplitPath(path);
    if (names.empty())
        return false;
    pugi::xml_node node = m_document->xml.document_element();
    if (names[0] != node.name())
        return false;
    for (std::size_t i = 1; i < names.size() && node; ++i)
        node = node.child(names[i].c_str());
    if (!node)
        return false;
    // A key holds a value when it has text of its own; an element of elements only groups keys.
    pugi::xml_node text = node.first_child();
    bool hasValue = text && (text.type() == pugi::node_pcdata || text.type() == pugi::node_cdata);
    *key = new ConfKey(hasValue, hasValue ? Utf8(text.value()).str() : std::wstring());
    return true;
}

// ---- loading ---------------------------------------------------------------------------------

bool ConfManager::Parse(const char* data, std::size_t size, XStringW& error) {
    error.clear();
    auto fresh = std::make_unique<Document>();
    pugi::xml_parse_result parsed =
        fresh->xml.load_buffer(data, size, pugi::parse_default, pugi::encoding_utf8);
    std::string reason;
    std::ptrdiff_t at = parsed.offset;
    if (!parsed) {
        reason = parsed.description();
    } else if (std::strcmp(fresh->xml.document_element().name(), kRootName) != 0) {
        reason = std::string("the root element must be <") + kRootName + ">";
        at = fresh->xml.document_element().offset_debug();
    }
    if (!reason.empty()) {
        error =
            Utf8("malformed configuration, line " + std::to_string(LineOf(data, size, at)) + ": " + reason);
        m_document = std::make_unique<Document>();
        m_document->xml.append_child(kRootName);
        return false;
    }
    m_document = std::move(fresh);
    return true;
}

bool ConfManager::Load(const std::string& path, XStringW& error) {
    error.clear();
    m_path = path;
    m_userFileMalformed = false;
    m_refused = false;
    m_document = std::make_unique<Document>();
    m_document->xml.append_child(kRootName);
    const std::string target = ResolveLinks(path);
    FileKind kind = KindOfPath(target);
    if (kind == FileKind::Missing)
        return true; // a first run
    if (kind != FileKind::Regular) {
        m_refused = true;
        error = Utf8("the configuration '" + path + "' is " + DescribeKind(kind) +
                     ", not a file; it is neither read nor changed");
        return false;
    }
    std::string data, reason;
    if (!ReadRegularFile(target, data, reason)) {
        // A file that cannot be read is kept from being replaced as if it were malformed; one
        // that turned into something else in the meantime is refused.
        m_refused = KindOfPath(target) != FileKind::Regular;
        m_userFileMalformed = true;
        error = Utf8("cannot read the configuration file: " + reason);
        return false;
    }
    if (!Parse(data.data(), data.size(), error)) {
        m_userFileMalformed = true;
        error = Utf8(path + ": ") + error;
        return false;
    }
    return true;
}

// ---- changing and saving ---------------------------------------------------------------------

bool ConfManager::SetValue(const char* path, const XStringW& value) {
    std::vector<std::string> names = SplitPath(path);
    pugi::xml_node node = m_document->xml.document_element();
    if (names.size() < 2 || names[0] != node.name())
        return false;
    for (std::size_t i = 1; i < names.size(); ++i) {
        pugi::xml_node child = node.child(names[i].c_str());
        node = child ? child : node.append_child(names[i].c_str());
    }
    // The key's own text replaces whatever it held; keys below it are kept.
    for (pugi::xml_node child = node.first_child(); child;) {
        pugi::xml_node next = child.next_sibling();
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            node.remove_child(child);
        child = next;
    }
    node.prepend_child(pugi::node_pcdata).set_value(value.ToUtf8().c_str());
    return true;
}

namespace {

// Writes all of data to a new file beside `target`, flushed to the disk. Returns its path, or
// empty with the reason. Nothing else is touched, so a failure here leaves the old file as it was.
std::string WriteTemporary(const std::string& target, const std::string& data, std::string& reason) {
    std::string temporary = target + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        reason = std::strerror(errno);
        return {};
    }
    int failure = 0;
    auto fail = [&failure] {
        if (failure == 0)
            failure = errno != 0 ? errno : EIO;
    };
    // The replacement keeps the permissions of the file it replaces; a new file gets the usual.
    struct stat old {};
    mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0)
        fail();
    std::size_t written = 0;
    while (failure == 0 && written < data.size()) {
        errno = 0;
        ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail();
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (failure == 0 && ::fsync(fd) != 0)
        fail();
    if (::close(fd) != 0)
        fail();
    if (failure != 0) {
        reason = std::strerror(failure);
        std::remove(temporary.c_str());
        return {};
    }
    return temporary;
}

// A free name beside the file for keeping a malformed configuration; empty when ten are taken.
std::string BackupName(const std::string& target) {
    std::error_code ec;
    for (int i = 0; i < 10; ++i) {
        std::string candidate = target + ".bad" + (i == 0 ? "" : "." + std::to_string(i));
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, ec)))
            return candidate;
    }
    return {};
}

} // namespace

bool ConfManager::Save(XStringW& error) {
    error.clear();
    if (m_path.empty()) {
        error = L"the configuration has no file";
        return false;
    }
    // The link is followed at every save, so that the file written is the one the link names now.
    const std::string target = ResolveLinks(m_path);
    FileKind kind = KindOfPath(target);
    if (m_refused || (kind != FileKind::Regular && kind != FileKind::Missing)) {
        error =
            Utf8("the configuration '" + m_path + "' is " + DescribeKind(kind) + ", not a file; not saved");
        return false;
    }

    std::ostringstream out;
    m_document->xml.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    std::string reason;
    std::string temporary = WriteTemporary(target, out.str(), reason);
    if (temporary.empty()) {
        error = Utf8("cannot save the configuration '" + m_path + "': " + reason);
        return false;
    }
    if (m_userFileMalformed && kind == FileKind::Regular) {
        // Keep what the user wrote: it may hold settings worth repairing by hand.
        std::string backup = BackupName(target);
        if (backup.empty() || std::rename(target.c_str(), backup.c_str()) != 0) {
            std::remove(temporary.c_str());
            error = Utf8("cannot move the malformed configuration '" + m_path + "' aside; not saved");
            return false;
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = Utf8("cannot save the configuration '" + m_path + "': " + std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    m_userFileMalformed = false;
    return true;
}

} // namespace HostConf
