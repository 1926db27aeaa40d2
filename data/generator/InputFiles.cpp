// Writing the sample's facts as import files: text through iconv for GBK, workbooks through
// libxlsxwriter.
#include "InputFiles.h"

#include "Sqlite.h"

#include <iconv.h>
#include <xlsxwriter.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace SampleDb {
namespace {

// A text cell of a row read back: SQL NULL is empty.
std::string TextOf(sqlite3_stmt* statement, int column) {
    const auto* text = sqlite3_column_text(statement, column);
    return text == nullptr ? std::string() : reinterpret_cast<const char*>(text);
}

// Numbers as the shortest text that reads back as the same double.
std::string Exact(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    for (int digits = 6; digits < 17; ++digits) {
        char shorter[64];
        std::snprintf(shorter, sizeof shorter, "%.*g", digits, value);
        if (std::strtod(shorter, nullptr) == value)
            return shorter;
    }
    return text;
}

std::string NumberOf(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return {};
    if (sqlite3_column_type(statement, column) == SQLITE_INTEGER)
        return std::to_string(sqlite3_column_int64(statement, column));
    return Exact(sqlite3_column_double(statement, column));
}

// A CSV or TSV file in UTF-8 (with a byte-order mark, as spreadsheets save it) or GBK.
class TextFile {
public:
    TextFile(const std::filesystem::path& path, bool gbk, char separator, bool crlf)
        : m_out(path, std::ios::binary), m_gbk(gbk), m_separator(separator), m_crlf(crlf) {
        if (!m_out)
            throw SqliteError("cannot write " + path.string());
        if (!gbk)
            m_out << "\xEF\xBB\xBF";
    }
    void Row(const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t k = 0; k < cells.size(); ++k) {
            if (k > 0)
                line.push_back(m_separator);
            const std::string& cell = cells[k];
            if (cell.find_first_of(",\"\t\r\n") != std::string::npos) {
                line.push_back('"');
                for (char c : cell) {
                    if (c == '"')
                        line.push_back('"');
                    line.push_back(c);
                }
                line.push_back('"');
            } else {
                line += cell;
            }
        }
        line += m_crlf ? "\r\n" : "\n";
        m_out << (m_gbk ? Gbk(line) : line);
    }

private:
    static std::string Gbk(const std::string& text) {
        iconv_t convert = iconv_open("GBK", "UTF-8");
        std::string out(text.size() * 2 + 4, '\0');
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* to = out.data();
        std::size_t toLeft = out.size();
        const std::size_t rc = iconv(convert, &in, &inLeft, &to, &toLeft);
        iconv_close(convert);
        if (rc == static_cast<std::size_t>(-1))
            throw SqliteError("a text has no GBK form: " + text);
        out.resize(out.size() - toLeft);
        return out;
    }

    std::ofstream m_out;
    bool m_gbk;
    char m_separator;
    bool m_crlf;
};

// A workbook of one or more sheets, each with a header row.
class Workbook {
public:
    explicit Workbook(const std::filesystem::path& path) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(path.string().c_str(), &options);
        if (m_book == nullptr)
            throw SqliteError("cannot write " + path.string());
    }
    ~Workbook() {
        if (m_book != nullptr)
            workbook_close(m_book);
    }
    void Sheet(const std::string& name, const std::vector<std::string>& header) {
        m_sheet = workbook_add_worksheet(m_book, name.c_str());
        m_row = 0;
        Row({}, header);
    }
    // Cells whose index is in `numbers` are written as numbers, the rest as text.
    void Row(const std::set<std::size_t>& numbers, const std::vector<std::string>& cells) {
        for (std::size_t k = 0; k < cells.size(); ++k) {
            if (cells[k].empty())
                continue;
            if (numbers.count(k) != 0)
                worksheet_write_number(m_sheet, m_row, static_cast<lxw_col_t>(k),
                                       std::strtod(cells[k].c_str(), nullptr), nullptr);
            else
                worksheet_write_string(m_sheet, m_row, static_cast<lxw_col_t>(k), cells[k].c_str(), nullptr);
        }
        ++m_row;
    }
    void Close() {
        const lxw_error error = workbook_close(m_book);
        m_book = nullptr;
        if (error != LXW_NO_ERROR)
            throw SqliteError(std::string("cannot write a workbook: ") + lxw_strerror(error));
    }

private:
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_row_t m_row = 0;
};

const char* StateText(const std::string& state, bool buy) {
    if (state == "0")
        return buy ? "暂停申购" : "暂停赎回";
    if (state == "2")
        return "限制大额申购";
    if (state == "1")
        return buy ? "开放申购" : "开放赎回";
    return "";
}

} // namespace

std::string WriteInputFiles(const std::string& database, const std::string& folder) {
    try {
        namespace fs = std::filesystem;
        const fs::path root(folder);
        fs::create_directories(root / "净值");
        SqliteHandle db = OpenDatabase(database, false);
        // Only live funds are listed: a withdrawn fund row is the database's own history.
        std::set<std::string> live;
        {
            TextFile funds(root / "基金列表.csv", true, ',', true);
            funds.Row({"基金代码", "基金简称", "拼音缩写", "基金类型", "运作方式", "投资风格", "基金管理人",
                       "成立日期", "持有人户数", "总份额", "成立规模", "发行日期", "上市日期", "状态",
                       "申购状态", "赎回状态"});
            StatementHandle rows = Prepare(
                db.get(), "select f.code, f.name, f.pycode, f.investtype, f.fundtype, f.investstyle, c.name, "
                          "f.createdate, f.peoples, f.quotient, i.issueshares, i.issuedate, i.listingdate, "
                          "f.isdellisting, s.buystate, s.redeemstate from tb_fund f"
                          " left join tb_investadvisor c on c.guid = f.companyguid and not c.isdeleted"
                          " left join tb_issueandlisting i on i.code = f.code and not i.isdeleted"
                          " left join tb_buyredeemstate s on s.code = f.code and not s.isdeleted"
                          " where not f.isdeleted order by f.id");
            while (sqlite3_step(rows.get()) == SQLITE_ROW) {
                live.insert(TextOf(rows.get(), 0));
                funds.Row({TextOf(rows.get(), 0), TextOf(rows.get(), 1), TextOf(rows.get(), 2),
                           TextOf(rows.get(), 3), TextOf(rows.get(), 4), TextOf(rows.get(), 5),
                           TextOf(rows.get(), 6), TextOf(rows.get(), 7), NumberOf(rows.get(), 8),
                           NumberOf(rows.get(), 9), NumberOf(rows.get(), 10), TextOf(rows.get(), 11),
                           TextOf(rows.get(), 12), sqlite3_column_int(rows.get(), 13) != 0 ? "终止" : "正常",
                           StateText(TextOf(rows.get(), 14), true),
                           StateText(TextOf(rows.get(), 15), false)});
            }
        }
        // Daily net values: four ways, by the fund's place in code order.
        {
            StatementHandle rows =
                Prepare(db.get(), "select code, date, value, totalvalue from tb_netvaluehistory"
                                  " where not isdeleted order by code, date");
            TextFile longFile(root / "净值" / "all-funds.tsv", false, '\t', false);
            longFile.Row({"code", "date", "value", "totalvalue"});
            std::string code;
            std::vector<std::vector<std::string>> days;
            int place = 0;
            auto flush = [&]() {
                if (code.empty() || live.count(code) == 0) {
                    days.clear();
                    return;
                }
                const int way = place++ % 4;
                if (way == 3) {
                    for (const auto& day : days)
                        longFile.Row({code, day[0], day[1], day[2]});
                } else if (way == 2) {
                    Workbook book(root / "净值" / (code + "_历史净值.xlsx"));
                    book.Sheet("历史净值", {"净值日期", "单位净值", "累计净值"});
                    for (const auto& day : days)
                        book.Row({1, 2}, {day[0], day[1], day[2]});
                    book.Close();
                } else {
                    // GBK, CRLF and newest first as a download saves it; or UTF-8 oldest first.
                    const bool gbk = way == 0;
                    TextFile file(root / "净值" / (code + "_历史净值.csv"), gbk, ',', gbk);
                    file.Row({"净值日期", "单位净值", "累计净值", "申购状态", "赎回状态"});
                    if (gbk)
                        for (auto it = days.rbegin(); it != days.rend(); ++it)
                            file.Row({(*it)[0], (*it)[1], (*it)[2], "", ""});
                    else
                        for (const auto& day : days)
                            file.Row({day[0], day[1], day[2], "", ""});
                }
                days.clear();
            };
            while (sqlite3_step(rows.get()) == SQLITE_ROW) {
                const std::string rowCode = TextOf(rows.get(), 0);
                if (rowCode != code) {
                    flush();
                    code = rowCode;
                }
                days.push_back({TextOf(rows.get(), 1), NumberOf(rows.get(), 2), NumberOf(rows.get(), 3)});
            }
            flush();
        }
        {
            TextFile index(root / "指数行情.csv", false, ',', false);
            index.Row({"指数代码", "日期", "收盘价"});
            StatementHandle rows =
                Prepare(db.get(), "select exponentcode, date, closevalue from tb_indexhistory"
                                  " where not isdeleted order by exponentcode, date");
            while (sqlite3_step(rows.get()) == SQLITE_ROW)
                index.Row({TextOf(rows.get(), 0), TextOf(rows.get(), 1), NumberOf(rows.get(), 2)});
        }
        {
            // Asset allocation in a workbook with a sheet per report year and English headers.
            Workbook book(root / "资产配置.xlsx");
            StatementHandle rows =
                Prepare(db.get(), "select code, date, assettype, marketvalue, percent from "
                                  "tb_assetallocation where not isdeleted order by date, code, id");
            std::string year;
            while (sqlite3_step(rows.get()) == SQLITE_ROW) {
                const std::string code = TextOf(rows.get(), 0);
                if (live.count(code) == 0)
                    continue;
                const std::string date = TextOf(rows.get(), 1);
                if (date.substr(0, 4) != year) {
                    year = date.substr(0, 4);
                    book.Sheet(year, {"code", "date", "assettype", "marketvalue", "percent"});
                }
                book.Row({3, 4}, {code, date, TextOf(rows.get(), 2), NumberOf(rows.get(), 3),
                                  NumberOf(rows.get(), 4)});
            }
            book.Close();
        }
        {
            TextFile industries(root / "行业配置.csv", true, ',', true);
            industries.Row({"基金代码", "报告期", "行业代码", "市值(元)", "占净值比例(%)"});
            StatementHandle rows =
                Prepare(db.get(), "select code, date, industryid, marketvalue, percent from "
                                  "tb_investindustry where not isdeleted order by code, date, id");
            while (sqlite3_step(rows.get()) == SQLITE_ROW) {
                if (live.count(TextOf(rows.get(), 0)) == 0)
                    continue;
                industries.Row({TextOf(rows.get(), 0), TextOf(rows.get(), 1), NumberOf(rows.get(), 2),
                                NumberOf(rows.get(), 3),
                                sqlite3_column_type(rows.get(), 4) == SQLITE_NULL
                                    ? std::string()
                                    : Exact(sqlite3_column_double(rows.get(), 4) * 100.0)});
            }
        }
        {
            // Stock holdings in UTF-8 with the industry of each stock, the way a data terminal
            // exports a fund's report lines.
            TextFile holdings(root / "股票持仓.csv", false, ',', false);
            holdings.Row({"基金代码", "报告期", "序号", "股票代码", "股票名称", "所属行业", "持股数",
                          "持仓市值(元)", "占净值比例(%)"});
            StatementHandle rows = Prepare(
                db.get(),
                "select h.code, h.date, h.rank, h.stockcode, h.stockname, (select s.industryid from "
                "tb_stock s where s.code = h.stockcode and not s.isdeleted), h.shares, h.marketvalue, "
                "h.percent from tb_stockholding h where not h.isdeleted order by h.code, h.date, h.rank");
            while (sqlite3_step(rows.get()) == SQLITE_ROW) {
                if (live.count(TextOf(rows.get(), 0)) == 0)
                    continue;
                holdings.Row({TextOf(rows.get(), 0), TextOf(rows.get(), 1), NumberOf(rows.get(), 2),
                              TextOf(rows.get(), 3), TextOf(rows.get(), 4), NumberOf(rows.get(), 5),
                              NumberOf(rows.get(), 6), NumberOf(rows.get(), 7),
                              sqlite3_column_type(rows.get(), 8) == SQLITE_NULL
                                  ? std::string()
                                  : Exact(sqlite3_column_double(rows.get(), 8) * 100.0)});
            }
        }
        {
            TextFile dividends(root / "分红送配.csv", false, ',', false);
            dividends.Row({"基金代码", "除息日", "分红类型", "每份分红"});
            StatementHandle rows =
                Prepare(db.get(), "select code, date, type, bonus from tb_bonus where not isdeleted"
                                  " order by code, id");
            while (sqlite3_step(rows.get()) == SQLITE_ROW)
                if (live.count(TextOf(rows.get(), 0)) != 0)
                    dividends.Row({TextOf(rows.get(), 0), TextOf(rows.get(), 1),
                                   sqlite3_column_int(rows.get(), 2) == 1 ? "拆分" : "分红",
                                   NumberOf(rows.get(), 3)});
        }
        {
            Workbook book(root / "基金评级.xlsx");
            book.Sheet("评级", {"基金代码", "评级日期", "两年评级", "三年评级", "五年评级"});
            StatementHandle rows = Prepare(
                db.get(),
                "select code, reportdate, max(case when year = 2 then star end), max(case when year = 3 then "
                "star end), max(case when year = 5 then star end) from tb_analyticalindex where not "
                "isdeleted group by code, reportdate order by code, reportdate");
            auto stars = [](sqlite3_stmt* statement, int column) {
                std::string text;
                for (int k = 0; k < sqlite3_column_int(statement, column); ++k)
                    text += "★";
                return text;
            };
            while (sqlite3_step(rows.get()) == SQLITE_ROW)
                if (live.count(TextOf(rows.get(), 0)) != 0)
                    book.Row({}, {TextOf(rows.get(), 0), TextOf(rows.get(), 1), stars(rows.get(), 2),
                                  stars(rows.get(), 3), stars(rows.get(), 4)});
            book.Close();
        }
        {
            TextFile managers(root / "基金经理.csv", false, ',', false);
            managers.Row({"基金代码", "基金经理", "任职日期", "离任日期"});
            StatementHandle rows =
                Prepare(db.get(), "select code, name, starttime, terminatetime from tb_manager"
                                  " where not isdeleted order by code, id");
            while (sqlite3_step(rows.get()) == SQLITE_ROW)
                if (live.count(TextOf(rows.get(), 0)) != 0)
                    managers.Row({TextOf(rows.get(), 0), TextOf(rows.get(), 1), TextOf(rows.get(), 2),
                                  TextOf(rows.get(), 3)});
        }
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return {};
}

} // namespace SampleDb
