// Reading the workbook package: workbook, relationships, shared strings and sheets.
#include "XlsxBook.h"

#include <minizip/ioapi.h>
#include <minizip/unzip.h>
#include <pugixml.hpp>

#include <charconv>
#include <cstring>

namespace FundImport {
namespace {

// minizip reads through these functions from a block of memory (the fuzz target's input).
struct MemoryFile {
    const std::string* bytes = nullptr;
    std::size_t at = 0;
};

voidpf OpenMemory(voidpf opaque, const char*, int) {
    auto* file = new MemoryFile{static_cast<const std::string*>(opaque), 0};
    return file;
}
uLong ReadMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* file = static_cast<MemoryFile*>(stream);
    const std::size_t left = file->bytes->size() - std::min(file->at, file->bytes->size());
    const std::size_t take = std::min<std::size_t>(size, left);
    std::memcpy(buffer, file->bytes->data() + file->at, take);
    file->at += take;
    return static_cast<uLong>(take);
}
uLong WriteMemory(voidpf, voidpf, const void*, uLong) {
    return 0;
}
long TellMemory(voidpf, voidpf stream) {
    return static_cast<long>(static_cast<MemoryFile*>(stream)->at);
}
long SeekMemory(voidpf, voidpf stream, uLong offset, int origin) {
    auto* file = static_cast<MemoryFile*>(stream);
    std::size_t base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = file->at;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = file->bytes->size();
    const std::size_t target = base + offset;
    if (target > file->bytes->size())
        return -1;
    file->at = target;
    return 0;
}
int CloseMemory(voidpf, voidpf stream) {
    delete static_cast<MemoryFile*>(stream);
    return 0;
}
int ErrorMemory(voidpf, voidpf) {
    return 0;
}

// "BC12" -> column 54 (0-based), row 12; false when the reference is not one.
bool CellReference(const char* text, int& column, std::int64_t& row) {
    column = 0;
    int letters = 0;
    while (*text >= 'A' && *text <= 'Z') {
        column = column * 26 + (*text - 'A' + 1);
        ++text;
        if (++letters > 3)
            return false;
    }
    if (letters == 0)
        return false;
    --column;
    row = 0;
    int digits = 0;
    while (*text >= '0' && *text <= '9') {
        row = row * 10 + (*text - '0');
        ++text;
        if (++digits > 7)
            return false;
    }
    return digits > 0 && *text == '\0';
}

std::string ShortestText(double value) {
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    if (error != std::errc())
        return {};
    return std::string(text, end);
}

// The text of a shared or inline string: its own <t>, or the runs' <t> joined.
std::string StringItem(const pugi::xml_node& item) {
    if (pugi::xml_node t = item.child("t"))
        return t.text().get();
    std::string text;
    for (pugi::xml_node run : item.children("r"))
        text += run.child("t").text().get();
    return text;
}

} // namespace

struct XlsxBook::Zip {
    unzFile file = nullptr;
    std::string bytes;
    zlib_filefunc_def functions{};
    ~Zip() {
        if (file != nullptr)
            unzClose(file);
    }
};

XlsxBook::XlsxBook() = default;
XlsxBook::~XlsxBook() = default;

bool XlsxBook::Open(const std::string& path) {
    m_zip = std::make_unique<Zip>();
    m_zip->file = unzOpen(path.c_str());
    if (m_zip->file == nullptr) {
        m_error = "not an Excel workbook (.xlsx)";
        return false;
    }
    return Load();
}

bool XlsxBook::OpenBytes(std::string bytes) {
    m_zip = std::make_unique<Zip>();
    m_zip->bytes = std::move(bytes);
    zlib_filefunc_def& f = m_zip->functions;
    f.zopen_file = OpenMemory;
    f.zread_file = ReadMemory;
    f.zwrite_file = WriteMemory;
    f.ztell_file = TellMemory;
    f.zseek_file = SeekMemory;
    f.zclose_file = CloseMemory;
    f.zerror_file = ErrorMemory;
    f.opaque = &m_zip->bytes;
    m_zip->file = unzOpen2("memory", &f);
    if (m_zip->file == nullptr) {
        m_error = "not an Excel workbook (.xlsx)";
        return false;
    }
    return Load();
}

bool XlsxBook::ReadPart(const std::string& name, std::string& out, bool required) {
    out.clear();
    if (unzLocateFile(m_zip->file, name.c_str(), 0) != UNZ_OK) {
        if (required)
            m_error = "the workbook has no part " + name;
        return !required;
    }
    unz_file_info info{};
    if (unzGetCurrentFileInfo(m_zip->file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(m_zip->file) != UNZ_OK) {
        m_error = "cannot read the workbook's part " + name;
        return false;
    }
    char buffer[1 << 16];
    int got = 0;
    while ((got = unzReadCurrentFile(m_zip->file, buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<std::size_t>(got));
        if (out.size() > kMaxPart) {
            unzCloseCurrentFile(m_zip->file);
            m_error = "the sheet is too large to read from a workbook; save it as CSV";
            return false;
        }
    }
    const bool crcOk = unzCloseCurrentFile(m_zip->file) == UNZ_OK;
    if (got < 0 || !crcOk) {
        m_error = "the workbook's part " + name + " is damaged";
        return false;
    }
    return true;
}

bool XlsxBook::Load() {
    std::string text;
    if (!ReadPart("xl/workbook.xml", text, true))
        return false;
    pugi::xml_document workbook;
    if (!workbook.load_buffer(text.data(), text.size())) {
        m_error = "the workbook's list of sheets cannot be read";
        return false;
    }
    if (!ReadPart("xl/_rels/workbook.xml.rels", text, true))
        return false;
    pugi::xml_document rels;
    if (!rels.load_buffer(text.data(), text.size())) {
        m_error = "the workbook's relationships cannot be read";
        return false;
    }
    for (pugi::xml_node sheet : workbook.child("workbook").child("sheets").children("sheet")) {
        const std::string id = sheet.attribute("r:id").value();
        std::string target;
        for (pugi::xml_node rel : rels.child("Relationships").children("Relationship"))
            if (id == rel.attribute("Id").value())
                target = rel.attribute("Target").value();
        if (target.empty())
            continue;
        // Targets are relative to xl/, or absolute from the package root.
        if (target[0] == '/')
            target.erase(0, 1);
        else
            target = "xl/" + target;
        m_names.emplace_back(sheet.attribute("name").value());
        m_parts.push_back(target);
    }
    if (m_names.empty()) {
        m_error = "the workbook has no sheet";
        return false;
    }
    if (!ReadPart("xl/sharedStrings.xml", text, false))
        return false;
    if (!text.empty()) {
        pugi::xml_document shared;
        if (!shared.load_buffer(text.data(), text.size())) {
            m_error = "the workbook's shared strings cannot be read";
            return false;
        }
        for (pugi::xml_node item : shared.child("sst").children("si"))
            m_shared.push_back(StringItem(item));
    }
    return true;
}

bool XlsxBook::ReadSheet(std::size_t index, std::vector<XlsxRow>& rows) {
    rows.clear();
    if (index >= m_parts.size()) {
        m_error = "no such sheet";
        return false;
    }
    std::string text;
    if (!ReadPart(m_parts[index], text, true))
        return false;
    pugi::xml_document sheet;
    if (!sheet.load_buffer_inplace(text.data(), text.size())) {
        m_error = "sheet " + m_names[index] + " cannot be read";
        return false;
    }
    std::int64_t nextRow = 1;
    for (pugi::xml_node row : sheet.child("worksheet").child("sheetData").children("row")) {
        XlsxRow out;
        out.line = row.attribute("r").as_llong(nextRow);
        if (out.line < nextRow || out.line > 2000000) {
            m_error = "sheet " + m_names[index] + " has rows out of order";
            return false;
        }
        nextRow = out.line + 1;
        int nextColumn = 0;
        for (pugi::xml_node c : row.children("c")) {
            int column = nextColumn;
            std::int64_t cellRow = out.line;
            if (const char* ref = c.attribute("r").value(); *ref != '\0') {
                if (!CellReference(ref, column, cellRow) || cellRow != out.line || column < nextColumn) {
                    m_error = "sheet " + m_names[index] + " has a bad cell reference " + ref;
                    return false;
                }
            }
            if (column > 1000)
                continue; // far beyond any column of a fund table
            nextColumn = column + 1;
            out.cells.resize(static_cast<std::size_t>(column) + 1);
            XlsxCell& cell = out.cells.back();
            const std::string type = c.attribute("t").value();
            const char* value = c.child("v").text().get();
            if (type == "s") {
                const long k = std::strtol(value, nullptr, 10);
                if (k < 0 || static_cast<std::size_t>(k) >= m_shared.size()) {
                    m_error = "sheet " + m_names[index] + " names a missing shared string";
                    return false;
                }
                cell.text = m_shared[static_cast<std::size_t>(k)];
            } else if (type == "inlineStr") {
                cell.text = StringItem(c.child("is"));
            } else if (type == "str" || type == "e" || type == "d") {
                cell.text = value;
            } else if (type == "b") {
                cell.text = std::strcmp(value, "1") == 0 ? "TRUE" : "FALSE";
            } else if (*value != '\0') {
                double number = 0.0;
                const char* end = value + std::strlen(value);
                const auto [stop, error] = std::from_chars(value, end, number);
                if (error != std::errc() || stop != end) {
                    cell.text = value;
                } else {
                    cell.number = true;
                    cell.value = number;
                    cell.text = ShortestText(number);
                }
            }
        }
        rows.push_back(std::move(out));
    }
    return true;
}

} // namespace FundImport
