// ConfManager: Conf::IConfManager over an XML file of nested elements. The key
// "/Quenda2/UserConfig/FontSize" is the text of <FontSize> inside <UserConfig> inside the root
// element <Quenda2>.
//
// A missing file is a first run: the settings start empty and Save creates the file (mode 0600).
// A malformed file (not XML, another root, two roots, nested or sized beyond any real one, an
// encoding that cannot be read, too large) is reported, the settings start empty, and the first
// Save moves the user's file aside (to "<file>.bad") instead of overwriting it. A file declared in
// another encoding than UTF-8 is read in it and saved back as UTF-8.
//
// Several programs may share the file. Saving takes an advisory lock on the file's folder, reads
// the file again and writes back only what this manager changed since it last read or wrote it —
// keys set, keys removed — over what the file holds now, so that two programs never undo each
// other's settings; a key that another program changed is seen at the next read of any key.
// Saving writes a temporary file and renames it over the old one (HostKernel::AtomicFile), so
// that a crash or a full disk never leaves half a file; temporaries left by a killed program are
// removed at the next load.
//
// Only a regular file, or a path where nothing is yet, is ever read, moved aside or replaced. A
// path naming a directory, a device, a pipe or a socket, and a file that cannot be read, are
// refused: the settings start empty and every save fails, so that nothing at that path is
// changed. A file that cannot be written (read-only) keeps its settings for the session: they
// read and change in memory, and every save says they cannot be saved. A configuration reached
// through a symbolic link is read and written at the link's target; the link stays.
//
// Sections of the source: keys and values; documents; loading; merging; changing and saving.
#pragma once

#include <hostkernel/RefCounted.h>
#include <sdk/Conf.h>
#include <sdk/XComPtr.h>

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

namespace HostConf {

class ConfManager final : public HostKernel::RefCounted<Conf::IConfStore> {
public:
    static constexpr const char* kRootName = "Quenda2";

    ConfManager();

    // False with the reason for a malformed or unreadable file, or a path that is not a file; the
    // settings are then empty.
    bool Load(const std::string& path, XStringW& error);
    // False when the path given to Load names something other than a readable file, which saving
    // must never replace.
    bool Usable() const { return !m_refused; }
    // True when the file exists but may not be written: settings then last for the session only.
    bool ReadOnly() const { return m_readOnly; }
    // Parses a document held in memory; false with the reason when it is malformed.
    bool Parse(const char* data, std::size_t size, XStringW& error);

    bool GetKey(Conf::IConfKey** key, const char* path) override;

    // Sets the text of a key, creating its elements. False for a path that is not a slash path
    // of XML names under the root.
    bool SetValue(const char* path, const XStringW& value) override;
    bool RemoveKey(const char* path) override;
    bool GetChildren(const char* path, std::vector<std::string>& names) override;
    bool Save(XStringW& error) override;
    // A change that fails to be saved is still made on the settings in memory, as keys set before
    // a failed Save stay set; one that `change` itself refuses is dropped.
    bool SaveChanging(const std::function<bool(Conf::IConfStore&, XStringW&)>& change,
                      XStringW& error) override;
    const std::string& Path() const { return m_path; }

private:
    ~ConfManager() override;

    struct Document;
    // What identifies one version of the file: a save replaces the file, so its inode changes.
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        long long modified = 0; // nanoseconds
        bool operator==(const Stamp&) const = default;
    };

    using ChangeFn = std::function<bool(Conf::IConfStore&, XStringW&)>;
    // Saves, first letting `change` (when not null) change the merged settings under the lock.
    // `refused` tells a change that answered false from a save that failed.
    bool SaveWith(const ChangeFn* change, bool& refused, XStringW& error);
    // Runs `change` with `document` standing for the settings; on refusal the document is left as
    // it was.
    bool RunChange(const ChangeFn& change, std::unique_ptr<Document>& document, XStringW& error);
    // Takes in what another program saved since this one last read or wrote the file.
    void Refresh();
    // Reads and parses the file; false when it is missing, unreadable or malformed (`malformed`
    // says which of the last two).
    bool ReadFile(const std::string& target, Document& into, Stamp& stamp, bool& malformed,
                  std::string& reason) const;
    void MarkSynced(const Stamp& stamp);

    std::unique_ptr<Document> m_document; // the settings as this program sees them
    std::unique_ptr<Document> m_synced;   // the file as last read or written; null when unknown
    Stamp m_stamp;
    std::string m_path;
    bool m_userFileMalformed = false;
    bool m_refused = false;
    bool m_readOnly = false;
    bool m_changing = false; // a change runs over the file as read under the lock: no refresh
};

} // namespace HostConf
