// Parses arbitrary argument lists (NUL-separated in the input): every refusal says why.
#include "CommandLine.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    std::vector<std::string> arguments;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    arguments.push_back(current);
    std::string error;
    auto line = ParseCommandLine(arguments, error);
    if (!line && error.empty())
        std::abort();
    if (line &&
        (line->width < 320 || line->height < 320 || (line->zoom && (*line->zoom < 0.5 || *line->zoom > 4))))
        std::abort();
    return 0;
}
