// ManPage: from --help text to roff.
//
// Sections: escaping; reading the help text; writing the page.
#include "ManPage.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace ManPage {
namespace {

// ---- Escaping -------------------------------------------------------------------------------------

// Escapes text inside a line (no rule for the line's first character).
std::string escapeInline(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

std::string bold(const std::string& text) {
    return "\\fB" + escapeInline(text) + "\\fR";
}

std::string italic(const std::string& text) {
    return "\\fI" + escapeInline(text) + "\\fR";
}

std::string trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

size_t indentOf(const std::string& line) {
    size_t n = line.find_first_not_of(" \t");
    return n == std::string::npos ? line.size() : n;
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

// An option's name and arguments ("--db FILE"): the option in bold, its arguments in italics.
std::string optionTerm(const std::string& term) {
    std::string out;
    std::vector<std::string> parts = words(term);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += ' ';
        out += parts[i][0] == '-' ? bold(parts[i]) : italic(parts[i]);
    }
    return out;
}

// The synopsis after "usage:": the program in bold, each bracketed group as an option term.
std::string synopsis(const std::string& text) {
    std::string out;
    size_t i = 0;
    bool first = true;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (!out.empty())
            out += ' ';
        if (text[i] == '[') {
            size_t close = text.find(']', i);
            if (close == std::string::npos)
                close = text.size();
            out += "[" + optionTerm(text.substr(i + 1, close - i - 1)) + "]";
            i = close + 1;
        } else {
            size_t end = text.find(' ', i);
            if (end == std::string::npos)
                end = text.size();
            std::string word = text.substr(i, end - i);
            out += first || word[0] == '-' ? bold(word) : italic(word);
            i = end;
        }
        first = false;
    }
    return out;
}

// ---- Reading the help text ------------------------------------------------------------------------

struct Entry {
    std::string term;
    std::string text;
};

// A run of entries or a paragraph, in the order of the help text.
struct Block {
    bool paragraph = false;
    std::string text; // of a paragraph
    Entry entry;      // otherwise
};

struct Section {
    std::string title;
    std::vector<Block> blocks;
};

struct Help {
    std::string synopsis;
    std::vector<std::string> paragraphs; // description before the options
    std::vector<Entry> options;
    std::vector<Section> sections;
};

// Splits "  --db FILE       the fund database" at the first run of two or more blanks.
Entry splitEntry(const std::string& line) {
    std::string body = trim(line);
    size_t gap = body.find("  ");
    if (gap == std::string::npos)
        return Entry{body, {}};
    return Entry{body.substr(0, gap), trim(body.substr(gap))};
}

void append(std::string& text, const std::string& more) {
    if (more.empty())
        return;
    if (!text.empty())
        text += ' ';
    text += more;
}

bool isSectionTitle(const std::string& line) {
    return !line.empty() && !std::isspace(static_cast<unsigned char>(line[0])) && trim(line).back() == ':' &&
           line.rfind("usage:", 0) != 0 && line.rfind("Usage:", 0) != 0;
}

Help read(const std::string& text) {
    Help help;
    std::istringstream in(text);
    enum class Last { Nothing, Synopsis, Option, Paragraph, Entry } last = Last::Nothing;
    size_t lastIndent = 0;
    Section* section = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string body = trim(line);
        const size_t indent = indentOf(line);
        if (body.empty()) {
            last = Last::Nothing;
            continue;
        }
        if (line.rfind("usage:", 0) == 0 || line.rfind("Usage:", 0) == 0) {
            append(help.synopsis, trim(line.substr(6)));
            last = Last::Synopsis;
            continue;
        }
        if (isSectionTitle(line)) {
            std::string title = body.substr(0, body.size() - 1);
            for (char& c : title)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            help.sections.push_back(Section{title, {}});
            section = &help.sections.back();
            last = Last::Nothing;
            continue;
        }
        // A deeper line continues what came just before it.
        if (indent > 0 && indent > lastIndent && (last == Last::Option || last == Last::Entry) &&
            body[0] != '-') {
            std::string& target =
                last == Last::Option ? help.options.back().text : section->blocks.back().entry.text;
            append(target, body);
            continue;
        }
        if (last == Last::Synopsis && indent > 0 && body[0] != '-') {
            append(help.synopsis, body);
            continue;
        }
        if (section == nullptr && indent > 0 && body[0] == '-') {
            help.options.push_back(splitEntry(line));
            last = Last::Option;
            lastIndent = indent;
            continue;
        }
        if (section != nullptr && indent > 0 && body.find("  ") != std::string::npos) {
            section->blocks.push_back(Block{false, {}, splitEntry(line)});
            last = Last::Entry;
            lastIndent = indent;
            continue;
        }
        // Running text: a paragraph, continued by the lines that follow it.
        if (section == nullptr) {
            if (last == Last::Paragraph)
                append(help.paragraphs.back(), body);
            else
                help.paragraphs.push_back(body);
        } else {
            if (last == Last::Paragraph)
                append(section->blocks.back().text, body);
            else
                section->blocks.push_back(Block{true, body, {}});
        }
        last = Last::Paragraph;
    }
    return help;
}

// ---- Writing the page -----------------------------------------------------------------------------

void paragraphs(std::ostringstream& out, const std::string& text) {
    std::istringstream in(text);
    std::string paragraph;
    auto flush = [&] {
        if (!paragraph.empty())
            out << ".PP\n" << Escape(paragraph) << "\n";
        paragraph.clear();
    };
    for (std::string line; std::getline(in, line);) {
        if (trim(line).empty())
            flush();
        else
            append(paragraph, trim(line));
    }
    flush();
}

std::string upper(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string Escape(const std::string& text) {
    std::string out = escapeInline(text);
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string FromHelp(const std::string& helpText, const PageInfo& info) {
    const Help help = read(helpText);
    std::ostringstream out;
    out << ".\\\" Made from the output of " << info.name << " --help; edit the program, not this page.\n";
    out << ".TH " << upper(info.name) << " " << info.section << " \"\" \"" << escapeInline(info.version)
        << "\" \"User Commands\"\n";
    out << ".SH NAME\n" << escapeInline(info.name) << " \\- " << escapeInline(info.summary) << "\n";
    out << ".SH SYNOPSIS\n";
    if (help.synopsis.empty())
        out << bold(info.name) << "\n";
    else
        out << synopsis(help.synopsis) << "\n";
    if (!info.description.empty() || !help.paragraphs.empty()) {
        out << ".SH DESCRIPTION\n";
        paragraphs(out, info.description);
        for (const std::string& paragraph : help.paragraphs)
            out << ".PP\n" << Escape(paragraph) << "\n";
    }
    if (!help.options.empty()) {
        out << ".SH OPTIONS\n";
        for (const Entry& option : help.options) {
            out << ".TP\n" << optionTerm(option.term) << "\n";
            if (!option.text.empty())
                out << Escape(option.text) << "\n";
        }
    }
    for (const Section& section : help.sections) {
        out << ".SH " << escapeInline(section.title) << "\n";
        for (const Block& block : section.blocks) {
            if (block.paragraph)
                out << ".PP\n" << Escape(block.text) << "\n";
            else if (block.entry.text.empty())
                out << ".TP\n" << bold(block.entry.term) << "\n";
            else
                out << ".TP\n" << bold(block.entry.term) << "\n" << Escape(block.entry.text) << "\n";
        }
    }
    return out.str();
}

} // namespace ManPage
