// Sections: keys and values; documents; loading; merging; changing and saving.
#include <hostconf/ConfManager.h>
#include <hostconf/RegularFile.h>
#include <hostkernel/AtomicFile.h>
#include <hostkernel/CellText.h>
#include <hostkernel/XmlLimits.h>

#include "XmlText.h"

#include <pugixml.hpp>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace HostConf {

struct ConfManager::Document {
    pugi::xml_document xml;

    Document() = default;
    Document(const Document& other) { xml.reset(other.xml); }
    static std::unique_ptr<Document> Empty() {
        auto document = std::make_unique<Document>();
        document->xml.append_child(kRootName);
        return document;
    }
    std::string Text() const {
        std::ostringstream out;
        xml.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
        return out.str();
    }
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

ConfManager::ConfManager() : m_document(Document::Empty()) {}

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
    Refresh();
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
    Refresh();
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

// ---- documents ------------------------------------------------------------------------------

namespace {

// The text of a key, as GetKey reads it: the element's first child when that is text.
std::optional<std::string> OwnText(const pugi::xml_node& node) {
    pugi::xml_node first = node.first_child();
    if (first && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
        return std::string(first.value());
    return std::nullopt;
}

// Replaces the key's own text; the keys below it stay.
void SetOwnText(pugi::xml_node node, const char* text) {
    for (pugi::xml_node child = node.first_child(); child;) {
        pugi::xml_node next = child.next_sibling();
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            node.remove_child(child);
        child = next;
    }
    if (text != nullptr)
        node.prepend_child(pugi::node_pcdata).set_value(text);
}

// Parses a configuration: its declared encoding, its size and depth, one root element named
// Quenda2. False with the reason and the 1-based line where it was found.
bool ParseDocument(const char* data, std::size_t size, pugi::xml_document& xml, std::string& reason,
                   int& line) {
    line = 1;
    std::string text(data, size);
    if (!DecodeDeclaredEncoding(text, reason) || !HostKernel::XmlTextWithinLimits(text, reason))
        return false;
    pugi::xml_parse_result parsed =
        xml.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        reason = parsed.description();
        line = LineOf(text.data(), text.size(), parsed.offset);
        return false;
    }
    // One root element: a second one would be dropped, or written back as a document no reader
    // accepts, at the next save.
    int roots = 0;
    for (pugi::xml_node node = xml.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element)
            ++roots;
        if (roots > 1) {
            reason = "more than one root element";
            line = LineOf(text.data(), text.size(), node.offset_debug());
            return false;
        }
    }
    if (std::strcmp(xml.document_element().name(), ConfManager::kRootName) != 0) {
        reason = std::string("the root element must be <") + ConfManager::kRootName + ">";
        line = LineOf(text.data(), text.size(), xml.document_element().offset_debug());
        return false;
    }
    return HostKernel::XmlTreeWithinLimits(xml, reason);
}

} // namespace

bool ConfManager::Parse(const char* data, std::size_t size, XStringW& error) {
    error.clear();
    auto fresh = std::make_unique<Document>();
    std::string reason;
    int line = 1;
    if (!ParseDocument(data, size, fresh->xml, reason, line)) {
        error = Utf8("malformed configuration, line " + std::to_string(line) + ": " + reason);
        m_document = Document::Empty();
        return false;
    }
    m_document = std::move(fresh);
    return true;
}

// ---- loading ---------------------------------------------------------------------------------

namespace {

std::string FolderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// An advisory lock on the configuration's folder, held while the file is read again and
// replaced, so that two programs saving at once take turns. The lock is on the folder, not the
// file, because every save replaces the file with a new one.
class FolderLock {
public:
    FolderLock(const std::string& folder, std::chrono::milliseconds patience) {
        m_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_fd < 0)
            return; // a folder that cannot be opened cannot take a new file either
        auto deadline = std::chrono::steady_clock::now() + patience;
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return;
            if (std::chrono::steady_clock::now() >= deadline) {
                m_contended = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ~FolderLock() {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    // Another program held the lock for longer than this one would wait.
    bool Contended() const { return m_contended; }

private:
    int m_fd = -1;
    bool m_contended = false;
};

bool IsAlnum(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Earlier versions named the temporary "<file>.XXXXXX" with random letters. A name of that form
// is taken for one only when it mixes capitals into lower case the way random letters do (a
// person's "config.xml.backup" or "config.xml.Backup" stays) and holds the beginning of a saved
// configuration or nothing at all.
bool IsOldTemporary(const std::string& base, const std::string& name, const std::string& path) {
    if (name.size() != base.size() + 7 || name.compare(0, base.size() + 1, base + ".") != 0)
        return false;
    std::string tail = name.substr(base.size() + 1);
    bool lower = false, innerCapital = false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        if (!IsAlnum(tail[i]))
            return false;
        lower = lower || (tail[i] >= 'a' && tail[i] <= 'z');
        innerCapital = innerCapital || (i > 0 && tail[i] >= 'A' && tail[i] <= 'Z');
    }
    if (!lower || !innerCapital)
        return false;
    std::string start, ignored;
    static const std::string kSaved = "<?xml version=\"1.0\"?>";
    return ReadRegularFileStart(path, kSaved.size(), start, ignored) && (start.empty() || start == kSaved);
}

// Removes temporaries that a program killed while saving left beside the configuration. Only
// this user's regular files of the temporaries' own naming are touched, and only while no other
// program is saving (one saving now holds the folder's lock and its temporary is not stale).
void RemoveStaleTemporaries(const std::string& target) {
    std::string folder = FolderOf(target);
    FolderLock lock(folder, std::chrono::milliseconds(0));
    if (lock.Contended())
        return;
    std::string base = std::filesystem::path(target).filename().string();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::string name = entry.path().filename().string();
        std::string path = entry.path().string();
        if (!HostKernel::AtomicFile::IsTemporaryName(base, name) && !IsOldTemporary(base, name, path))
            continue;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            ::unlink(path.c_str());
    }
}

bool Writable(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

} // namespace

bool ConfManager::ReadFile(const std::string& target, Document& into, Stamp& stamp, bool& malformed,
                           std::string& reason) const {
    malformed = false;
    // The stamp is taken before the bytes: a file replaced in between is read again next time.
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    stamp = Stamp{info.st_dev, info.st_ino, info.st_size,
                  static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
    std::string data;
    ReadFailure failure = ReadFailure::None;
    if (!ReadRegularFile(target, data, reason, &failure)) {
        // A file too large to be a configuration is a malformed one: it is kept aside, never
        // written over.
        malformed = failure == ReadFailure::TooLarge;
        return false;
    }
    int line = 1;
    if (!ParseDocument(data.data(), data.size(), into.xml, reason, line)) {
        reason = "malformed configuration, line " + std::to_string(line) + ": " + reason;
        malformed = true;
        return false;
    }
    return true;
}

void ConfManager::MarkSynced(const Stamp& stamp) {
    m_synced = std::make_unique<Document>(*m_document);
    m_stamp = stamp;
}

bool ConfManager::Load(const std::string& path, XStringW& error) {
    error.clear();
    m_path = path;
    m_userFileMalformed = false;
    m_refused = false;
    m_readOnly = false;
    m_document = Document::Empty();
    m_synced.reset();
    m_stamp = Stamp();
    const std::string target = HostKernel::AtomicFile::ResolveLinks(path);
    FileKind kind = KindOfPath(target);
    if (kind != FileKind::Regular && kind != FileKind::Missing) {
        m_refused = true;
        error = Utf8("the configuration '" + path + "' is " + DescribeKind(kind) +
                     ", not a file; it is neither read nor changed");
        return false;
    }
    RemoveStaleTemporaries(target);
    if (kind == FileKind::Missing)
        return true; // a first run

    auto fresh = std::make_unique<Document>();
    Stamp stamp;
    bool malformed = false;
    std::string reason;
    if (!ReadFile(target, *fresh, stamp, malformed, reason)) {
        m_stamp = stamp;
        if (malformed) {
            m_userFileMalformed = true;
            error = Utf8(path + ": " + reason);
            return false;
        }
        // A file that cannot be read may hold settings worth having: it is neither moved aside
        // nor replaced, and the program says so instead of starting without them.
        m_refused = true;
        error = Utf8("cannot read the configuration: " + reason +
                     "; it is left as it is (make it readable, or start with --config FILE)");
        return false;
    }
    m_document = std::move(fresh);
    MarkSynced(stamp);
    m_readOnly = !Writable(target) || !Writable(FolderOf(target));
    return true;
}

// ---- merging ---------------------------------------------------------------------------------

namespace {

// One change this program made to the settings, by the names of the elements from the root.
struct Change {
    enum class Kind { Set, Make, Remove, ClearText };
    Kind kind;
    std::vector<std::string> path;
    std::string text;
};

// The changes that turn `base` into `current`: keys whose text differs, keys made, keys removed.
// A key is its element's first child of that name, as the keys read.
void Diff(const pugi::xml_node& base, const pugi::xml_node& current, std::vector<std::string>& path,
          std::vector<Change>& changes) {
    std::optional<std::string> before = base ? OwnText(base) : std::nullopt;
    std::optional<std::string> after = OwnText(current);
    if (after != before)
        changes.push_back(after ? Change{Change::Kind::Set, path, *after}
                                : Change{Change::Kind::ClearText, path, {}});
    else if (!base)
        changes.push_back(Change{Change::Kind::Make, path, {}});
    std::set<std::string> seen;
    for (pugi::xml_node child = current.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element || !seen.insert(child.name()).second)
            continue;
        path.emplace_back(child.name());
        Diff(base ? base.child(child.name()) : pugi::xml_node(), child, path, changes);
        path.pop_back();
    }
    if (!base)
        return;
    seen.clear();
    for (pugi::xml_node child = base.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element || !seen.insert(child.name()).second)
            continue;
        if (!current.child(child.name())) {
            path.emplace_back(child.name());
            changes.push_back(Change{Change::Kind::Remove, path, {}});
            path.pop_back();
        }
    }
}

void Apply(const std::vector<Change>& changes, const pugi::xml_node& root) {
    for (const Change& change : changes) {
        pugi::xml_node node = root;
        bool make = change.kind == Change::Kind::Set || change.kind == Change::Kind::Make;
        for (std::size_t i = 0; i < change.path.size() && node; ++i) {
            pugi::xml_node child = node.child(change.path[i].c_str());
            node = child || !make ? child : node.append_child(change.path[i].c_str());
        }
        if (!node)
            continue;
        switch (change.kind) {
        case Change::Kind::Set:
            SetOwnText(node, change.text.c_str());
            break;
        case Change::Kind::ClearText:
            SetOwnText(node, nullptr);
            break;
        case Change::Kind::Remove:
            if (node != root)
                node.parent().remove_child(node);
            break;
        case Change::Kind::Make:
            break;
        }
    }
}

} // namespace

void ConfManager::Refresh() {
    if (m_path.empty() || m_refused || m_changing)
        return;
    const std::string target = HostKernel::AtomicFile::ResolveLinks(m_path);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0)
        return;
    Stamp now{info.st_dev, info.st_ino, info.st_size,
              static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
    if (now == m_stamp)
        return;
    auto fresh = std::make_unique<Document>();
    Stamp stamp;
    bool malformed = false;
    std::string reason;
    bool read = ReadFile(target, *fresh, stamp, malformed, reason);
    m_stamp = stamp;
    if (!read)
        return; // what this program holds stays; a save reports the file's trouble
    std::vector<Change> changes;
    std::vector<std::string> path;
    auto empty = Document::Empty();
    Diff((m_synced ? *m_synced : *empty).xml.document_element(), m_document->xml.document_element(), path,
         changes);
    m_synced = std::make_unique<Document>(*fresh);
    Apply(changes, fresh->xml.document_element());
    m_document = std::move(fresh);
    m_userFileMalformed = false; // the file reads well now: nothing of it needs keeping aside
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
    SetOwnText(node, value.ToUtf8().c_str());
    return true;
}

namespace {

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
    bool refused = false;
    return SaveWith(nullptr, refused, error);
}

bool ConfManager::SaveChanging(const ChangeFn& change, XStringW& error) {
    bool refused = false;
    if (SaveWith(&change, refused, error))
        return true;
    if (!refused) {
        XStringW ignored;
        std::unique_ptr<Document> document = std::move(m_document);
        RunChange(change, document, ignored);
        m_document = std::move(document);
    }
    return false;
}

bool ConfManager::RunChange(const ChangeFn& change, std::unique_ptr<Document>& document, XStringW& error) {
    auto before = std::make_unique<Document>(*document);
    std::swap(m_document, document);
    m_changing = true;
    const bool made = change(*this, error);
    m_changing = false;
    std::swap(m_document, document);
    if (!made)
        document = std::move(before);
    return made;
}

bool ConfManager::SaveWith(const ChangeFn* change, bool& refused, XStringW& error) {
    error.clear();
    refused = false;
    if (m_path.empty()) {
        error = L"the configuration has no file";
        return false;
    }
    // The link is followed at every save, so that the file written is the one the link names now.
    const std::string target = HostKernel::AtomicFile::ResolveLinks(m_path);
    FileKind kind = KindOfPath(target);
    if (m_refused || (kind != FileKind::Regular && kind != FileKind::Missing)) {
        error =
            Utf8("the configuration '" + m_path + "' is " + DescribeKind(kind) + ", not a file; not saved");
        return false;
    }
    if (m_readOnly) {
        error = Utf8("the configuration '" + m_path +
                     "' is read-only: the settings are kept for this session and not saved");
        return false;
    }
    FolderLock lock(FolderOf(target), std::chrono::seconds(5));
    if (lock.Contended()) {
        error = Utf8("another program is saving the configuration '" + m_path + "'; not saved");
        return false;
    }

    // What the file holds now, with this program's changes since it last read or wrote it.
    std::unique_ptr<Document> merged;
    Stamp stamp;
    bool moveAside = false;
    std::string reason;
    if (kind == FileKind::Regular) {
        auto fresh = std::make_unique<Document>();
        bool malformed = false;
        if (ReadFile(target, *fresh, stamp, malformed, reason)) {
            std::vector<Change> changes;
            std::vector<std::string> path;
            auto empty = Document::Empty();
            Diff((m_synced ? *m_synced : *empty).xml.document_element(), m_document->xml.document_element(),
                 path, changes);
            Apply(changes, fresh->xml.document_element());
            merged = std::move(fresh);
        } else if (malformed) {
            // Keep what the user wrote: it may hold settings worth repairing by hand.
            moveAside = true;
        } else {
            error = Utf8("cannot save the configuration '" + m_path + "': " + reason);
            return false;
        }
    }
    if (!merged)
        merged = std::make_unique<Document>(*m_document);
    if (change != nullptr && !RunChange(*change, merged, error)) {
        refused = true;
        return false;
    }

    HostKernel::AtomicFile file;
    HostKernel::AtomicFile::Options options;
    options.newMode = 0600; // settings are the user's own business
    options.keepMode = !moveAside;
    // The new file is whole on the disk before the old one is moved aside or replaced.
    if (!file.Open(target, options, reason) || (file.Write(merged->Text()), !file.Flush(reason))) {
        error = Utf8("cannot save the configuration '" + m_path + "': " + file.Reason());
        return false;
    }
    if (moveAside) {
        std::string backup = BackupName(target);
        if (backup.empty() || std::rename(target.c_str(), backup.c_str()) != 0) {
            error = Utf8("cannot move the malformed configuration '" + m_path + "' aside; not saved");
            return false;
        }
    }
    if (!file.Commit(reason)) {
        error = Utf8("cannot save the configuration '" + m_path + "': " + file.Reason());
        return false;
    }
    m_document = std::move(merged);
    struct stat info {};
    Stamp written;
    if (::stat(target.c_str(), &info) == 0)
        written = Stamp{info.st_dev, info.st_ino, info.st_size,
                        static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
    MarkSynced(written);
    m_userFileMalformed = false;
    return true;
}

} // namespace HostConf
