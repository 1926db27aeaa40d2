// ConfManager: Conf::IConfManager over an XML file of nested elements. The key
// "/Quenda2/UserConfig/FontSize" is the text of <FontSize> inside <UserConfig> inside the root
// element <Quenda2>.
//
// A missing file is a first run: the settings start empty and Save creates the file. A malformed
// file is reported, the settings start empty, and the first Save moves the user's file aside
// (to "<file>.bad") instead of overwriting it. Saving writes a temporary file and renames it over
// the old one, so that a crash or a full disk never leaves half a file: a save that fails leaves
// the old file as it was.
//
// Only a regular file, or a path where nothing is yet, is ever read, moved aside or replaced. A
// path naming a directory, a device, a pipe or a socket is refused: the settings start empty and
// every save fails, so that nothing at that path is changed. A configuration reached through a
// symbolic link is read and written at the link's target; the link stays.
#pragma once

#include <hostkernel/RefCounted.h>
#include <sdk/Conf.h>
#include <sdk/XComPtr.h>

#include <memory>
#include <string>

namespace HostConf {

class ConfManager final : public HostKernel::RefCounted<Conf::IConfStore> {
public:
    static constexpr const char* kRootName = "Quenda2";

    ConfManager();

    // False with the reason for a malformed or unreadable file, or a path that is not a file; the
    // settings are then empty.
    bool Load(const std::string& path, XStringW& error);
    // False when the path given to Load names something other than a file, which saving must
    // never replace.
    bool Usable() const { return !m_refused; }
    // Parses a document held in memory; false with the reason when it is malformed.
    bool Parse(const char* data, std::size_t size, XStringW& error);

    bool GetKey(Conf::IConfKey** key, const char* path) override;

    // Sets the text of a key, creating its elements. False for a path that is not a slash path
    // of XML names under the root.
    bool SetValue(const char* path, const XStringW& value) override;
    bool RemoveKey(const char* path) override;
    bool GetChildren(const char* path, std::vector<std::string>& names) override;
    bool Save(XStringW& error) override;
    const std::string& Path() const { return m_path; }

private:
    ~ConfManager() override;

    struct Document;
    std::unique_ptr<Document> m_document;
    std::string m_path;
    bool m_userFileMalformed = false;
    bool m_refused = false;
};

} // namespace HostConf
