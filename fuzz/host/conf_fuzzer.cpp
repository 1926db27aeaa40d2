// Parses arbitrary bytes as a configuration file, reads a key, writes one, and checks that the
// document the manager would save reads back with the written value.
#include <hostconf/ConfManager.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 1 << 16)
        return 0;
    XComPtr<HostConf::ConfManager> conf;
    conf.Attach(new HostConf::ConfManager());
    XStringW error;
    bool ok = conf->Parse(reinterpret_cast<const char*>(data), size, error);
    if (ok != error.empty())
        std::abort();
    XComPtr<Conf::IConfKey> key;
    if (conf->GetKey(key.Receive(), "/Quenda2/UserConfig/FontSize")) {
        XComPtr<Conf::IConfValue> value;
        if (key->GetValue(value.Receive()))
            value->AsDouble();
    }
    // Writing a key always works on whatever was loaded (or on the empty settings after an error).
    if (!conf->SetValue("/Quenda2/UserConfig/FontSize", L"1.5"))
        std::abort();
    if (!conf->GetKey(key.Receive(), "/Quenda2/UserConfig/FontSize"))
        std::abort();
    XComPtr<Conf::IConfValue> value;
    if (!key->GetValue(value.Receive()) || value->AsDouble() != 1.5)
        std::abort();
    return 0;
}
