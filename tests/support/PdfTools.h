// A second reader of the PDF documents the program writes: poppler's command-line tools (a test-only
// package), run on a file, so that a test sees what any PDF viewer sees — the text a search finds,
// the images a page carries, and the page as a picture.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace TestSupport {

// Quotes a path for the shell.
inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// What a command prints on its standard output; empty when it cannot be started.
inline std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The document's text in reading order (pdftotext), UTF-8.
inline std::string PdfText(const std::string& pdf) {
    return CommandOutput("pdftotext -enc UTF-8 " + ShellQuoted(pdf) + " - 2>/dev/null");
}

// pdfinfo's "Pages:" and pdfimages' list of the images on every page.
inline std::string PdfInfo(const std::string& pdf) {
    return CommandOutput("pdfinfo " + ShellQuoted(pdf) + " 2>/dev/null");
}
inline std::string PdfImages(const std::string& pdf) {
    return CommandOutput("pdfimages -list " + ShellQuoted(pdf) + " 2>/dev/null");
}

// Renders one page as a PNG at `dpi` (pdftoppm); the file written is `prefix` + ".png".
inline bool RenderPdfPage(const std::string& pdf, int page, int dpi, const std::string& prefix) {
    const std::string command = "pdftoppm -png -singlefile -r " + std::to_string(dpi) + " -f " +
                                std::to_string(page) + " -l " + std::to_string(page) + " " +
                                ShellQuoted(pdf) + " " + ShellQuoted(prefix) + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// Text with every blank and line break taken out, for finding a cell's text whatever way the reader
// spaced the words.
inline std::string WithoutBlanks(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t' && c != '\f')
            out += c;
    return out;
}

} // namespace TestSupport
