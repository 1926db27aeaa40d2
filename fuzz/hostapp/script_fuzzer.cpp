// Parses arbitrary scripts: a script either parses or names a line that exists.
#include "Script.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 1 << 16)
        return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto actions = ParseScript(text, error);
    if (!actions && error.rfind("line ", 0) != 0)
        std::abort();
    if (actions)
        for (const ScriptAction& a : *actions)
            if (a.line < 1)
                std::abort();
    return 0;
}
