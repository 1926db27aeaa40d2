// FundTables: the tables of the fund database that the program reads, and in each the columns its
// statements read (the module's pages and the host's own lists). A database without one of the
// required tables, or a table without one of its columns, is some other database: the program
// refuses it at start and names what is missing, instead of showing pages that stay empty. The
// optional tables (the daily history) may be missing; when present their columns are checked too.
//
// A test prepares every statement of the module with SQLite's authorizer and checks that each
// column read is listed here.
#pragma once

namespace FundTables {

struct Table {
    const char* name;
    bool optional;
    const char* columns; // separated by blanks
};

inline constexpr Table kTables[] = {
    {"tb_fund", false,
     "id code aliascode name pycode fundtype investtype investstyle companyguid createdate peoples "
     "quotient isdellisting isdeleted"},
    {"tb_yield", false,
     "fundcode fundtype lastweek lastmonth lastquarter lasthalfyear thisyear yearavgyield1year "
     "yearavgyield2year yearavgyield3year yearavgyield5year isdeleted"},
    {"tb_yieldhistory", false, "fundcode exponentcode yieldtype year week percentvalue isdeleted"},
    {"tb_currvalue", false, "code value totalvalue daymargin isdeleted"},
    {"tb_buyredeemstate", false, "code buystate redeemstate isdeleted"},
    {"tb_assetallocation", false, "code date assettype marketvalue isdeleted"},
    {"tb_investindustry", false, "code date industryid marketvalue percent isdeleted"},
    {"tb_industryname", false, "id name"},
    {"tb_riskevaluation", false, "fundcode year standard increasepercent isdeleted"},
    {"tb_investadvisor", false, "guid name isdeleted"},
    {"tb_bonus", false, "code type bonus isdeleted"},
    {"tb_issueandlisting", false, "code issueshares isdeleted"},
    {"tb_manager", false, "code name terminatetime isdeleted"},
    {"tb_analyticalindex", false, "id code year reportdate star isdeleted"},
    {"tb_netvaluehistory", true, "code date value totalvalue isdeleted"},
    {"tb_indexhistory", true, "exponentcode date closevalue isdeleted"},
};

} // namespace FundTables
