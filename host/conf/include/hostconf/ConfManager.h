// ConfManager: Conf::IConfManager over an XML file of nested elements. The key
// "/Quenda2/UserConfig/FontSize" is the text of <FontSize> inside <UserConfig> inside the root
// element <Quenda2>.
//
// A missing file is a first run: the settings start empty and Save creates the file. A malformed
// file is reported, the settings start empty, and the first Save moves the user's file aside
// (to "<file>.bad") instead of overwriting it. Saving writes a temporary file and renames it over
// the old one, so that a crash never leaves half a file.
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

    // False with the reason for a malformed or unreadable file; the settings are then empty.
    bool Load(const std::string& path, XStringW& error);
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
};

} // namespace HostConf
