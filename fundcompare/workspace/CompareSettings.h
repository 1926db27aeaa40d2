// CompareSettings: what the comparison remembers between runs, and the user's named comparison
// sets, kept in the host's configuration under the node "/Quenda2/FundCompare" (nothing else of
// the configuration is touched, and a configuration without the node reads as the defaults).
//
//   Session/Funds          the compared codes, joined with ","
//   Session/Page           the page shown (0 general ... )
//   Session/Horizon        the risk-return horizon box's position
//   Session/RiskFit        "1" when the risk-return map fits its axes to the stars (default "0")
//   Session/AssetDate      the report date of the asset page, YYYY-MM-DD
//   Session/IndustryDate   the report date of the industry page
//   Session/Sort/<Page>    "field<TAB>asc" or "field<TAB>desc"
//   Session/Filter/<Page>  the ticked filter values, joined with TAB
//   Sets/S<n>/Name, Sets/S<n>/Funds   the named comparison sets, in the order they were saved
//
// Every write is saved at once through the host's configuration manager, which replaces the file
// safely; without a writable configuration (an old host, a test) everything reads as the defaults
// and writes do nothing.
#pragma once

#include <sdk/App.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

class CompareSettings {
public:
    static constexpr const char* kRoot = "/Quenda2/FundCompare";

    struct Session {
        std::optional<std::vector<XStringW>> funds; // empty optional: never saved
        int page = 0;
        int horizon = 0;
        bool riskFit = false;
        XStringW assetDate;
        XStringW industryDate;
        std::map<std::string, std::pair<XStringW, bool>> sorts; // page -> (field, ascending)
        std::map<std::string, std::vector<XStringW>> filters;   // page -> ticked values
    };
    struct NamedSet {
        std::string key; // the node under Sets
        XStringW name;
        std::vector<XStringW> funds;
    };

    // Finds the host's writable configuration; null app leaves the settings unavailable.
    void Attach(IApp* app);
    void Detach() { m_store = nullptr; }
    bool Available() const { return m_store != nullptr; }

    Session LoadSession() const;
    // Writes the compared set alone (it changes far more often than the rest) and saves.
    bool SaveFunds(const std::vector<XStringW>& funds, XStringW& error);
    // Writes the page, horizon, dates, sorts and filters (not the funds) and saves.
    bool SaveSession(const Session& session, XStringW& error);

    std::vector<NamedSet> Sets() const;
    // Saves a set under a name; a set of that name is replaced. The name is looked for, and a new
    // set's key chosen, while the configuration is locked for saving, so that programs saving sets
    // at once never take the same key.
    bool SaveSet(const XStringW& name, const std::vector<XStringW>& funds, XStringW& error);
    bool RenameSet(const std::string& key, const XStringW& name, XStringW& error);
    bool DeleteSet(const std::string& key, XStringW& error);

    // The codes of a "," list, and the list of codes (empty codes left out).
    static std::vector<XStringW> SplitCodes(const XStringW& text);
    static XStringW JoinCodes(const std::vector<XStringW>& codes);

private:
    std::optional<XStringW> Read(const std::string& path) const;
    static std::optional<XStringW> ReadFrom(Conf::IConfStore& store, const std::string& path);
    // The key of the set of that name in the store, else the first free "S<n>".
    static std::string SetKeyFor(Conf::IConfStore& store, const XStringW& name);
    bool Write(const std::string& path, const XStringW& value);
    bool Save(XStringW& error);

    XComPtr<Conf::IConfStore> m_store;
};
