// Parsing of host scripts.
#include "Script.h"

#include <cerrno>
#include <cstdlib>
#include <map>

namespace {

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool parseInt(const std::string& text, long minimum, long maximum, int& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < minimum || v > maximum)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool isDate(const std::string& s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-')
        return false;
    for (size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

} // namespace

std::optional<std::vector<ScriptAction>> ParseScript(const std::string& utf8, std::string& error) {
    using Kind = ScriptAction::Kind;
    static const std::map<std::string, Kind> kWords = {
        {"add", Kind::Add},
        {"remove", Kind::Remove},
        {"clear", Kind::Clear},
        {"tab", Kind::Tab},
        {"date", Kind::Date},
        {"filter", Kind::Filter},
        {"sort", Kind::Sort},
        {"horizon", Kind::Horizon},
        {"follow", Kind::Follow},
        {"theme", Kind::Theme},
        {"click", Kind::Click},
        {"move", Kind::Move},
        {"key", Kind::Key},
        {"type", Kind::Type},
        {"wait", Kind::Wait},
        {"screenshot", Kind::Screenshot},
        {"dump", Kind::Dump},
        {"expect-message", Kind::ExpectMessage},
        {"export", Kind::Export},
        {"report", Kind::Report},
        {"save-as", Kind::SaveAs},
        {"clipboard", Kind::Clipboard},
        {"pick", Kind::Pick},
        {"press", Kind::Press},
        {"expect-status", Kind::ExpectStatus},
        {"range", Kind::Range},
        {"view", Kind::View},
        {"benchmark", Kind::Benchmark},
        {"opendb", Kind::OpenDatabase},
        {"import", Kind::Import},
    };

    std::string text = utf8;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::vector<ScriptAction> actions;
    size_t start = 0;
    int lineNo = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string raw = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() + 1 : end + 1;
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        std::string line = trim(raw);
        if (line.empty() || line[0] == '#')
            continue;

        auto fail = [&](const std::string& reason) {
            error = "line " + std::to_string(lineNo) + ": " + reason;
            return std::nullopt;
        };
        size_t space = line.find_first_of(" \t");
        std::string word = line.substr(0, space);
        std::string rest = space == std::string::npos ? std::string() : trim(line.substr(space));
        auto known = kWords.find(word);
        if (known == kWords.end())
            return fail("unknown action '" + word + "'");

        ScriptAction action;
        action.kind = known->second;
        action.line = lineNo;
        action.text = XStringW::FromUtf8(rest);
        switch (action.kind) {
        case Kind::Clear:
            if (!rest.empty())
                return fail("clear takes nothing after it");
            break;
        case Kind::Add:
        case Kind::Remove:
        case Kind::Follow:
            if (rest.empty() || rest.find_first_of(" \t") != std::string::npos)
                return fail(word + " wants one fund code");
            break;
        case Kind::Tab:
        case Kind::Filter:
        case Kind::Key:
        case Kind::Type:
        case Kind::Screenshot:
        case Kind::Dump:
        case Kind::ExpectMessage:
        case Kind::Export:
        case Kind::Report:
        case Kind::SaveAs:
        case Kind::Clipboard:
        case Kind::Pick:
        case Kind::Press:
        case Kind::ExpectStatus:
        case Kind::OpenDatabase:
        case Kind::Import:
            if (rest.empty())
                return fail(word + " wants a value");
            break;
        case Kind::Theme:
            if (rest != "dark" && rest != "light")
                return fail("theme wants dark or light");
            break;
        case Kind::Date:
            if (!isDate(rest))
                return fail("date wants YYYY-MM-DD, not '" + rest + "'");
            break;
        case Kind::Sort: {
            size_t gap = rest.find_first_of(" \t");
            std::string direction = gap == std::string::npos ? std::string() : trim(rest.substr(gap));
            if (gap == std::string::npos || (direction != "asc" && direction != "desc"))
                return fail("sort wants FIELD asc|desc");
            action.text = XStringW::FromUtf8(rest.substr(0, gap));
            action.ascending = direction == "asc";
            break;
        }
        case Kind::Range: {
            static const char* const kRanges[] = {"1m", "3m", "6m", "1y", "3y", "5y", "all"};
            bool known = false;
            for (const char* range : kRanges)
                known = known || rest == range;
            const size_t colon = rest.find(':');
            if (!known && (colon == std::string::npos || !isDate(rest.substr(0, colon)) ||
                           !isDate(rest.substr(colon + 1))))
                return fail("range wants 1m, 3m, 6m, 1y, 3y, 5y, all or FROM:TO (YYYY-MM-DD), not '" + rest +
                            "'");
            break;
        }
        case Kind::View:
            if (rest != "figures" && rest != "matrix")
                return fail("view wants figures or matrix");
            break;
        case Kind::Benchmark:
            if (rest.empty() || rest.find_first_of(" \t") != std::string::npos)
                return fail("benchmark wants one index code");
            break;
        case Kind::Horizon:
            if (!parseInt(rest, 1, 5, action.number) || action.number == 4)
                return fail("horizon wants 1, 2, 3 or 5 years");
            break;
        case Kind::Wait:
            if (!parseInt(rest, 0, 600000, action.number))
                return fail("wait wants milliseconds, 0 to 600000");
            break;
        case Kind::Click:
        case Kind::Move: {
            size_t gap = rest.find_first_of(" \t");
            if (gap == std::string::npos || !parseInt(rest.substr(0, gap), 0, 100000, action.x) ||
                !parseInt(trim(rest.substr(gap)), 0, 100000, action.y))
                return fail(word + " wants X Y");
            break;
        }
        }
        actions.push_back(std::move(action));
    }
    return actions;
}
