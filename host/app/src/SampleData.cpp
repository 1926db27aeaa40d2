// The sample database as the host treats it.
#include "SampleData.h"

#include <SampleDbGenerator.h>

namespace {

// Reads the first column of the first row as a number; false when the statement fails.
bool firstNumber(Data::IDatabase* database, const wchar_t* sql, double& value) {
    XComPtr<Data::IStatement> statement;
    XStringW error;
    if (database == nullptr || !database->Query(statement.Receive(), sql, error) || statement == nullptr ||
        !statement->Next())
        return false;
    value = statement->GetDouble(0);
    return true;
}

} // namespace

namespace SampleData {

bool IsSample(Data::IDatabase* database) {
    double id = 0;
    return firstNumber(database, L"PRAGMA application_id", id) && id == SampleDb::kApplicationId;
}

std::wstring Title(const std::wstring& programTitle) {
    return programTitle + L" — 示例数据 · 用自己的数据：数据 > 导入数据...";
}

std::wstring Notice() {
    return L"示例数据（公司、基金、经理均为虚构）。用自己的数据：工具栏“数据” > 导入数据...，"
           L"或 数据 > 打开数据库...";
}

std::wstring AddFundHint() {
    return L"添加基金：在“对比分析”页的输入框键入基金代码、拼音首字母或名称，按回车";
}

std::vector<XStringW> ShowcaseFunds(Data::IDatabase* database) {
    std::vector<XStringW> codes;
    if (database == nullptr)
        return codes;
    // The five-year ranking and risk figures need five whole years before the latest report; the
    // allocation pages need holdings at that report.
    for (const wchar_t* type : {L"股票型", L"混合型", L"指数型"}) {
        XStringW sql =
            XStringW(L"select f.code from tb_fund f"
                     L" where f.investtype = '") +
            XStringW(type) +
            XStringW(L"' and f.fundtype = '契约型开放式' and f.isdellisting = 0 and not f.isdeleted"
                     L" and f.createdate > '1000'"
                     L" and f.createdate <= date((select max(date) from tb_investindustry"
                     L" where not isdeleted), '-5 years')"
                     L" and exists (select 1 from tb_investindustry i where i.code = f.code"
                     L" and not i.isdeleted and i.date = (select max(date) from tb_investindustry"
                     L" where not isdeleted))"
                     L" and exists (select 1 from tb_riskevaluation r where r.fundcode = f.code"
                     L" and r.year = 5 and not r.isdeleted)"
                     L" order by f.quotient desc, f.code limit 1");
        XComPtr<Data::IStatement> statement;
        XStringW error;
        if (!database->Query(statement.Receive(), sql.c_str(), error) || statement == nullptr ||
            !statement->Next())
            continue;
        XStringW code;
        statement->GetString(code, 0);
        if (!code.empty())
            codes.push_back(code);
    }
    return codes;
}

} // namespace SampleData
