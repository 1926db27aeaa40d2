// The table of kinds and column names, and the recognition of a header row.
#include "ColumnTable.h"

#include "CellText.h"

#include <algorithm>
#include <cstring>

namespace FundImport {
namespace {

struct ColumnNames {
    Column column;
    std::vector<const char*> names; // normalised: lower case, no blanks; the first is the caption
    bool percent = false;           // Chinese headers of this column show percentages
};

struct KindColumns {
    Kind kind;
    std::vector<std::vector<Column>> signatures; // any one of these sets identifies the kind
    std::vector<Column> required;
    std::vector<ColumnNames> columns;
};

const ColumnNames kCode{Column::Code, {"基金代码", "代码", "code", "fundcode", "基金编码"}};
const ColumnNames kDate{Column::Date, {"净值日期", "日期", "交易日期", "date", "day"}};
const ColumnNames kReportDate{Column::ReportDate,
                              {"报告期", "报告日期", "截止日期", "reportdate", "date", "日期"}};
const ColumnNames kBuy{Column::BuyState, {"申购状态", "buystate"}};
const ColumnNames kRedeem{Column::RedeemState, {"赎回状态", "redeemstate"}};
const ColumnNames kMarketValue{Column::MarketValue, {"市值", "金额", "持仓市值", "marketvalue"}};

const std::vector<KindColumns>& Table() {
    static const std::vector<KindColumns> table = {
        {Kind::History,
         {{Column::Date, Column::Value}},
         {Column::Date, Column::Value},
         {kCode,
          kDate,
          {Column::Value, {"单位净值", "净值", "value", "nav", "unitvalue"}},
          {Column::TotalValue, {"累计净值", "totalvalue", "accumulatedvalue", "accnav"}},
          {Column::Growth, {"日增长率", "日涨幅", "增长率", "growth", "daymargin"}, true},
          kBuy,
          kRedeem,
          {Column::DividendText, {"分红送配", "分红", "dividend"}}}},
        {Kind::Index,
         {{Column::Close}},
         {Column::Code, Column::Date, Column::Close},
         {{Column::Code, {"指数代码", "代码", "code", "exponentcode", "indexcode"}},
          kDate,
          {Column::Close, {"收盘价", "收盘", "收盘点位", "close", "closevalue"}}}},
        {Kind::Holdings,
         {{Column::StockCode}},
         {Column::Code, Column::ReportDate, Column::StockCode},
         {kCode,
          kReportDate,
          {Column::StockCode, {"股票代码", "证券代码", "stockcode"}},
          {Column::StockName, {"股票名称", "股票简称", "证券名称", "证券简称", "stockname"}},
          {Column::StockShares, {"持股数", "持股数量", "持仓股数", "数量", "shares"}},
          {Column::MarketValue, {"持仓市值", "市值", "金额", "marketvalue"}},
          {Column::Percent, {"占净值比例", "占比", "比例", "percent"}, true},
          {Column::Rank, {"序号", "排名", "rank"}},
          {Column::Industry, {"所属行业", "行业名称", "行业", "industry"}}}},
        {Kind::Assets,
         {{Column::AssetType}},
         {Column::Code, Column::ReportDate, Column::AssetType},
         {kCode,
          kReportDate,
          {Column::AssetType, {"资产类型", "资产项目", "项目", "assettype"}},
          kMarketValue,
          {Column::Percent, {"占总资产比例", "占比", "比例", "percent"}, true}}},
        {Kind::Industries,
         {{Column::Industry}, {Column::IndustryId}},
         {Column::Code, Column::ReportDate},
         {kCode,
          kReportDate,
          {Column::Industry, {"行业名称", "行业", "行业类别", "industry", "industryname"}},
          {Column::IndustryId, {"行业代码", "行业编号", "industryid"}},
          kMarketValue,
          {Column::Percent, {"占净值比例", "占比", "比例", "percent"}, true}}},
        {Kind::Ratings,
         {{Column::Stars}, {Column::Stars2}, {Column::Stars3}, {Column::Stars5}},
         {Column::Code, Column::ReportDate},
         {kCode,
          {Column::ReportDate, {"评级日期", "报告期", "日期", "reportdate", "date"}},
          {Column::Years, {"评级期限", "期限", "years", "year"}},
          {Column::Stars, {"星级", "评级", "star", "stars"}},
          {Column::Stars2, {"两年评级", "二年评级", "star2"}},
          {Column::Stars3, {"三年评级", "star3"}},
          {Column::Stars5, {"五年评级", "star5"}}}},
        {Kind::Managers,
         {{Column::ManagerName, Column::Start}},
         {Column::Code, Column::ManagerName},
         {kCode,
          {Column::ManagerName, {"基金经理", "姓名", "经理", "name", "manager"}},
          {Column::Start, {"任职日期", "任职开始日期", "上任日期", "starttime", "start"}},
          {Column::End, {"离任日期", "任职结束日期", "terminatetime", "end"}}}},
        {Kind::Dividends,
         {{Column::Amount}, {Column::DividendText, Column::Date}},
         {Column::Code, Column::Date},
         {kCode,
          {Column::Date, {"除息日", "除权除息日", "权益登记日", "分红日期", "日期", "date"}},
          {Column::PayoutType, {"分红类型", "类型", "type"}},
          {Column::Amount, {"每份分红", "每份派息", "分红金额", "拆分比例", "折算比例", "bonus", "amount"}},
          {Column::DividendText, {"分红送配", "分红方案", "分红", "dividend"}}}},
        {Kind::Funds,
         {{Column::Code, Column::Name}, {Column::Code, Column::InvestType}},
         {Column::Code},
         {kCode,
          {Column::AliasCode, {"交易代码", "aliascode"}},
          {Column::Name, {"基金简称", "基金名称", "简称", "名称", "name", "fundname"}},
          {Column::Pycode, {"拼音缩写", "拼音简称", "拼音", "pycode"}},
          {Column::InvestType, {"基金类型", "投资类型", "类型", "investtype", "type"}},
          {Column::FundType, {"运作方式", "基金形式", "法律形式", "fundtype", "form"}},
          {Column::Style, {"投资风格", "风格", "investstyle", "style"}},
          {Column::Company,
           {"基金公司", "基金管理人", "管理人", "基金管理公司", "company", "manager company"}},
          {Column::Inception, {"成立日期", "成立日", "createdate", "inception"}},
          {Column::Managers, {"基金经理", "managers", "manager"}},
          {Column::Holders, {"持有人户数", "peoples", "holders"}},
          {Column::Shares, {"总份额", "基金份额", "份额", "quotient", "shares"}},
          {Column::IssueShares, {"成立规模", "募集份额", "发行份额", "issueshares"}},
          {Column::IssueDate, {"发行日期", "issuedate"}},
          {Column::ListingDate, {"上市日期", "listingdate"}},
          {Column::Status, {"状态", "基金状态", "status", "isdellisting"}},
          kBuy,
          kRedeem}},
    };
    return table;
}

} // namespace

const std::vector<KindInfo>& Kinds() {
    static const std::vector<KindInfo> kinds = {
        {Kind::Funds, "funds", "fund list (基金列表)"},
        {Kind::History, "history", "net-value history (历史净值)"},
        {Kind::Index, "index", "index closes (指数行情)"},
        {Kind::Assets, "assets", "asset allocation (资产配置)"},
        {Kind::Industries, "industries", "industry allocation (行业配置)"},
        {Kind::Holdings, "holdings", "stock holdings (股票持仓)"},
        {Kind::Dividends, "dividends", "dividends and splits (分红送配)"},
        {Kind::Ratings, "ratings", "ratings (基金评级)"},
        {Kind::Managers, "managers", "managers (基金经理)"},
    };
    return kinds;
}

const char* KindName(Kind kind) {
    for (const KindInfo& info : Kinds())
        if (info.kind == kind)
            return info.name;
    return "auto";
}

bool ParseKind(std::string_view name, Kind& kind) {
    if (name == "auto") {
        kind = Kind::Auto;
        return true;
    }
    for (const KindInfo& info : Kinds())
        if (name == info.name) {
            kind = info.kind;
            return true;
        }
    return false;
}

int Header::Find(Column column) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == column)
            return static_cast<int>(i);
    return -1;
}

std::string NormaliseName(std::string_view name, bool& percent) {
    percent = false;
    std::string text(Trim(name));
    // Full-width brackets and percent signs as their ASCII forms.
    for (auto [wide, narrow] : {std::pair<const char*, const char*>{"（", "("}, {"）", ")"}, {"％", "%"}}) {
        for (std::size_t at; (at = text.find(wide)) != std::string::npos;)
            text.replace(at, std::strlen(wide), narrow);
    }
    // A unit in brackets at the end: "(%)", "(元)", "(份)", "(亿元)".
    if (!text.empty() && text.back() == ')') {
        const std::size_t open = text.rfind('(');
        if (open != std::string::npos) {
            const std::string unit = text.substr(open + 1, text.size() - open - 2);
            percent = unit.find('%') != std::string::npos;
            text.erase(open);
        }
    }
    if (!text.empty() && text.back() == '%') {
        percent = true;
        text.pop_back();
    }
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '_' || c == '"' || c == '\'' || c == '-')
            continue;
        out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    }
    return out;
}

const char* ColumnCaption(Column column, Kind within) {
    for (const KindColumns& kind : Table())
        if (kind.kind == within)
            for (const ColumnNames& names : kind.columns)
                if (names.column == column)
                    return names.names.front();
    for (const KindColumns& kind : Table())
        for (const ColumnNames& names : kind.columns)
            if (names.column == column)
                return names.names.front();
    return "?";
}

Header RecogniseHeader(const std::vector<std::string>& names, Kind forced) {
    std::vector<std::string> normal(names.size());
    std::vector<bool> unitPercent(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        bool percent = false;
        normal[i] = NormaliseName(names[i], percent);
        unitPercent[i] = percent;
    }
    auto map = [&](const KindColumns& kind, Header& header) {
        header.kind = kind.kind;
        header.columns.assign(names.size(), Column::None);
        header.percent.assign(names.size(), false);
        header.ignored.clear();
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (normal[i].empty())
                continue;
            for (const ColumnNames& column : kind.columns) {
                if (std::find(column.names.begin(), column.names.end(), normal[i]) == column.names.end())
                    continue;
                if (header.Find(column.column) >= 0)
                    continue; // a second column of the same meaning is left unused
                header.columns[i] = column.column;
                // A Chinese header shows percentages as the downloads do; an English one holds
                // fractions, as the database stores them; a "(%)" unit says percent either way.
                const bool chinese = static_cast<unsigned char>(normal[i][0]) >= 0x80;
                header.percent[i] = unitPercent[i] || (column.percent && chinese);
                break;
            }
            if (header.columns[i] == Column::None)
                header.ignored.push_back(names[i]);
        }
    };
    Header header;
    for (const KindColumns& kind : Table()) {
        if (forced != Kind::Auto && kind.kind != forced)
            continue;
        Header candidate;
        map(kind, candidate);
        const bool signed_ =
            forced != Kind::Auto ||
            std::any_of(kind.signatures.begin(), kind.signatures.end(), [&](const auto& set) {
                return std::all_of(set.begin(), set.end(), [&](Column c) { return candidate.Find(c) >= 0; });
            });
        if (!signed_)
            continue;
        for (Column required : kind.required)
            if (required != Column::Code && candidate.Find(required) < 0) {
                candidate.error = std::string("a ") + KindName(kind.kind) + " file needs a column " +
                                  ColumnCaption(required, kind.kind);
                return candidate;
            }
        return candidate;
    }
    header.error = forced == Kind::Auto ? "the header names no known kind of fund data"
                                        : std::string("not a ") + KindName(forced) + " file";
    return header;
}

} // namespace FundImport
