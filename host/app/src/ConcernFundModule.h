// ConcernFundModule: "mod_ConcernFund", the funds the user follows. Kept in the configuration under
// "/Quenda2/ConcernFund/Codes" as codes separated by ",", in the order followed.
#pragma once

#include <hostconf/ConfManager.h>
#include <hostkernel/RefCounted.h>
#include <sdk/Modules.h>

#include <vector>

class ConcernFundModule final : public HostKernel::RefCounted<IConcernFundModule> {
public:
    static constexpr const char* kId = "mod_ConcernFund";
    static constexpr const char* kConfigKey = "/Quenda2/ConcernFund/Codes";

    // Reads the followed funds from the configuration (which it keeps to save changes).
    explicit ConcernFundModule(HostConf::ConfManager* configuration);

    bool GetInfo(ModuleInfo& info) override;
    int Load(void*, void*) override { return 0; }
    int Initialize(IApp*, XStringW&) override { return 0; }
    void Uninitialize() override {}
    bool IsConcerned(const XStringW& code) override;

    // Follow and unfollow save the configuration at once; false for an empty code, a code holding
    // ",", a code already followed (Follow) or not followed (Unfollow), or a failed save (then
    // with the reason in error and the change undone).
    bool Follow(const XStringW& code, XStringW& error);
    bool Unfollow(const XStringW& code, XStringW& error);
    const std::vector<XStringW>& Codes() const { return m_codes; }

private:
    bool store(XStringW& error);

    XComPtr<HostConf::ConfManager> m_configuration;
    std::vector<XStringW> m_codes;
};
