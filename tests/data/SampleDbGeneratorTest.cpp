// The sample-database generator: the same seed gives the same content, the data keep the
// invariants the module's pages rely on, and a failed run never leaves a broken file behind.
#include "ModuleStatements.h"

#include "NameParts.h"
#include "SampleDbGenerator.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

namespace {

using TestSupport::Query;

// FNV-1a over the schema and over every cell of every table, with its type, in id order: the tables
// are read from the database itself, so that a table added later is covered too.
std::uint64_t ContentHash(sqlite3* db) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    auto feed = [&](const std::string& bytes) {
        for (unsigned char c : bytes) {
            hash ^= c;
            hash *= 0x100000001b3ull;
        }
    };
    const auto tables = Query(
        db, "select name, sql from sqlite_master where type = 'table' and name like 'tb%' order by name");
    EXPECT_EQ(tables.rows.size(), 20u);
    for (const auto& table : tables.rows) {
        feed(table[0].text + table[1].text);
        // Tables without an id (the importer's cache of kept weeks) in the order of their key.
        const bool hasId =
            Query(db, "select count(*) from pragma_table_info('" + table[0].text + "') where name = 'id'")
                .rows[0][0]
                .real > 0;
        for (const auto& row :
             Query(db, "SELECT * FROM " + table[0].text + (hasId ? " ORDER BY id" : " ORDER BY 1")).rows)
            for (const auto& cell : row)
                feed(std::to_string(cell.type) + ":" + cell.text + "\x1f");
    }
    return hash;
}

TEST(SampleDbGenerator, SameSeedGivesTheSameDatabase) {
    // The rows are made on one thread and inserted on another; however the two are scheduled, the
    // same seed must give the same rows in the same order, the daily history included.
    const TestSupport::GeneratedDb first(SampleDb::Options{120, 6, 42});
    const TestSupport::GeneratedDb second(SampleDb::Options{120, 6, 42});
    const TestSupport::GeneratedDb other(SampleDb::Options{120, 6, 43});
    const SampleDb::SqliteHandle db = first.Open();
    ASSERT_GT(Query(db.get(), "select count(*) from tb_netvaluehistory").rows[0][0].real, 10000.0);
    const std::uint64_t a = ContentHash(db.get());
    EXPECT_EQ(a, ContentHash(second.Open().get()));
    EXPECT_NE(a, ContentHash(other.Open().get()));
}

TEST(SampleDbGenerator, HistoryRowsAreNumberedInTheOrderOfTheirKey) {
    // The history tables are stored in key order; their rows are written in that order, and `id`
    // counts them as written, so it follows the key without gaps.
    const SampleDb::SqliteHandle db = DataTests::SmallGeneratedDb().Open();
    for (const auto& [table, code] : {std::pair<std::string, std::string>{"tb_netvaluehistory", "code"},
                                      {"tb_indexhistory", "exponentcode"}}) {
        const auto rows =
            Query(db.get(), "select id from " + table + " order by " + code + ", date, isdeleted");
        ASSERT_GT(rows.rows.size(), 1000u) << table;
        for (std::size_t k = 0; k < rows.rows.size(); ++k)
            ASSERT_EQ(rows.rows[k][0].real, static_cast<double>(k + 1)) << table << " row " << k;
    }
}

TEST(SampleDbGenerator, HoldingsRowsAreNumberedAsTheFundsWereMade) {
    // The holdings tables are written in key order, fund by fund in code order, but `id` keeps
    // numbering their rows as they are made: fund after fund in the order of tb_fund, and within a
    // report in the order of the balance sheet, whose total comes right before the net assets.
    const SampleDb::SqliteHandle db = DataTests::SmallGeneratedDb().Open();
    for (const std::string table : {"tb_assetallocation", "tb_investindustry"}) {
        SCOPED_TRACE(table);
        const auto rows = Query(db.get(), "select h.id, f.id, h.date from " + table +
                                              " h join tb_fund f on f.code = h.code order by h.id");
        ASSERT_GT(rows.rows.size(), 1000u);
        for (std::size_t k = 0; k < rows.rows.size(); ++k) {
            ASSERT_EQ(rows.rows[k][0].real, static_cast<double>(k + 1)) << "row " << k;
            if (k == 0)
                continue;
            const auto& previous = rows.rows[k - 1];
            ASSERT_LE(previous[1].real, rows.rows[k][1].real) << "row " << k;
            if (previous[1].real == rows.rows[k][1].real)
                ASSERT_LE(previous[2].text, rows.rows[k][2].text) << "row " << k;
        }
        // Stored in key order: the fund codes come out of a plain read already sorted.
        const auto codes = Query(db.get(), "select code from " + table);
        EXPECT_TRUE(std::is_sorted(codes.rows.begin(), codes.rows.end(),
                                   [](const auto& a, const auto& b) { return a[0].text < b[0].text; }));
        EXPECT_EQ(
            Query(db.get(), "select count(*) from pragma_index_list('" + table + "') where origin = 'pk'")
                .rows[0][0]
                .real,
            1.0);
    }
    const auto totals =
        Query(db.get(), "select count(*), (select count(*) from tb_assetallocation where "
                        "assettype = '资产总计') from tb_assetallocation t"
                        " join tb_assetallocation n on n.code = t.code and n.date = t.date"
                        " and n.assettype = '资产净值' and not n.isdeleted"
                        " where t.assettype = '资产总计' and not t.isdeleted and n.id = t.id + 1");
    EXPECT_GT(totals.rows[0][0].real, 100.0);
    EXPECT_EQ(totals.rows[0][0].real, totals.rows[0][1].real);
}

class GeneratedData : public ::testing::Test {
protected:
    void SetUp() override { m_db = DataTests::SmallGeneratedDb().Open(); }
    TestSupport::Rows Run(const std::string& sql) { return Query(m_db.get(), sql); }
    SampleDb::SqliteHandle m_db;
};

TEST_F(GeneratedData, EveryFundFormAndExclusionIsPresent) {
    std::set<std::string> investtypes, fundtypes;
    for (const auto& row : Run("select distinct investtype, fundtype from tb_fund").rows) {
        investtypes.insert(row[0].text);
        fundtypes.insert(row[1].text);
    }
    for (const char* type : {"股票型", "指数型", "债券型", "混合型", "保本型", "QDII", "现金型"})
        EXPECT_EQ(investtypes.count(type), 1u) << type;
    for (const char* form : {"契约型开放式", "契约型封闭式", "创新型封闭式", "集合理财产品"})
        EXPECT_EQ(fundtypes.count(form), 1u) << form;
    EXPECT_GE(Run("select count(*) from tb_fund where isdeleted").rows[0][0].real, 1.0);
    EXPECT_GE(Run("select count(*) from tb_fund where isdellisting").rows[0][0].real, 1.0);
    EXPECT_EQ(Run("select count(*) from tb_fund").rows[0][0].real, 150.0);
}

TEST_F(GeneratedData, CodesAndSearchInitialsAreWellFormed) {
    EXPECT_EQ(Run("select count(distinct code) from tb_fund").rows[0][0].real, 150.0);
    for (const auto& row : Run("select code, pycode, name from tb_fund").rows) {
        EXPECT_EQ(row[0].text.size(), 6u) << row[0].text;
        EXPECT_EQ(row[0].text.find_first_not_of("0123456789"), std::string::npos) << row[0].text;
        EXPECT_FALSE(row[1].text.empty()) << row[2].text;
        EXPECT_EQ(row[1].text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"), std::string::npos)
            << row[1].text;
    }
    EXPECT_EQ(Run("select count(*) from (select name from tb_fund group by name having count(*) > 1)")
                  .rows[0][0]
                  .real,
              0.0);
}

TEST_F(GeneratedData, BalanceSheetsAddUpAtEveryQuarterEnd) {
    // The six parts add up to total assets, to the fen; net assets never exceed them.
    const auto sums =
        Run("select code, date,"
            " sum(case when assettype in ('股票','债券','银行存款','买入返售证券','其它资产','权证')"
            "     then marketvalue else 0 end),"
            " sum(case when assettype = '资产总计' then marketvalue end),"
            " sum(case when assettype = '资产净值' then marketvalue end),"
            " count(case when assettype = '资产总计' then 1 end)"
            " from tb_assetallocation where not isdeleted group by code, date");
    ASSERT_GT(sums.rows.size(), 100u);
    for (const auto& row : sums.rows) {
        SCOPED_TRACE(row[0].text + " " + row[1].text);
        ASSERT_FALSE(row[3].IsNull());
        ASSERT_FALSE(row[4].IsNull());
        EXPECT_EQ(row[5].real, 1.0);
        EXPECT_NEAR(row[2].real, row[3].real, 0.011);
        EXPECT_LE(row[4].real, row[3].real + 0.001);
        const std::string monthDay = row[1].text.substr(5);
        EXPECT_TRUE(monthDay == "03-31" || monthDay == "06-30" || monthDay == "09-30" || monthDay == "12-31");
    }
    // Once a fund reports, it reports every quarter up to the latest one.
    for (const auto& row :
         Run("select code, count(distinct date), min(date), max(date) from tb_assetallocation"
             " where not isdeleted group by code")
             .rows) {
        const int firstYear = std::stoi(row[2].text.substr(0, 4));
        const int firstQuarter = std::stoi(row[2].text.substr(5, 2)) / 3;
        EXPECT_EQ(row[3].text, "2010-12-31") << row[0].text;
        EXPECT_EQ(row[1].real, (2010 - firstYear) * 4 + (4 - firstQuarter) + 1) << row[0].text;
    }
}

TEST_F(GeneratedData, IndustryHoldingsMatchStockAndCategories) {
    std::set<int> ids;
    for (const auto& row : Run("select id from tb_industryname").rows)
        ids.insert(static_cast<int>(row[0].real));
    std::set<int> expected;
    for (int id = 1; id <= 24; ++id)
        if (id != 5)
            expected.insert(id);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(Run("select name from tb_industryname where id = 2").rows[0][0].text, "制造业");

    // Leaves add up to the stock position; manufacturing (2) is the sum of its sub-industries.
    const auto check =
        Run("select i.code, i.date, sum(case when i.industryid <> 2 then i.marketvalue else 0 end),"
            " sum(case when i.industryid = 2 then i.marketvalue else 0 end),"
            " sum(case when i.industryid in (4,6,7,8,9,10,11,12,13,14) then i.marketvalue else 0 end),"
            " (select marketvalue from tb_assetallocation s where s.code = i.code and s.date = i.date"
            "  and s.assettype = '股票' and not s.isdeleted)"
            " from tb_investindustry i where not i.isdeleted group by i.code, i.date");
    ASSERT_GT(check.rows.size(), 100u);
    for (const auto& row : check.rows) {
        SCOPED_TRACE(row[0].text + " " + row[1].text);
        EXPECT_NEAR(row[2].real, row[5].real, 0.011);
        EXPECT_NEAR(row[3].real, row[4].real, 0.011);
    }
    EXPECT_EQ(
        Run("select count(*) from tb_investindustry where industryid = 5 or industryid > 24").rows[0][0].real,
        0.0);
}

TEST_F(GeneratedData, PerformanceFiguresAgreeAcrossTables) {
    // The one-year yield of the period table is the one-year return of the risk table.
    const auto pairs =
        Run("select y.yearavgyield1year, r.increasepercent from tb_yield y join tb_riskevaluation r"
            " on r.fundcode = y.fundcode and r.year = 1 and not r.isdeleted where not y.isdeleted");
    ASSERT_GT(pairs.rows.size(), 50u);
    for (const auto& row : pairs.rows)
        EXPECT_DOUBLE_EQ(row[0].real, row[1].real);
    std::set<int> years;
    for (const auto& row : Run("select distinct year from tb_riskevaluation").rows)
        years.insert(static_cast<int>(row[0].real));
    EXPECT_EQ(years, (std::set<int>{1, 2, 3, 5}));
    // Yearly yields for every reported year, and money-market funds never lose money.
    EXPECT_EQ(Run("select min(year), max(year) from tb_yieldhistory where yieldtype = 1").rows[0][0].text,
              "2005");
    EXPECT_EQ(Run("select count(*) from tb_yield y join tb_fund f on f.code = y.fundcode"
                  " where f.investtype = '现金型' and (y.lastweek < 0 or y.thisyear < 0)")
                  .rows[0][0]
                  .real,
              0.0);
    // Volatility is ordered by type the way investors expect: equity above bond above money.
    auto meanRisk = [&](const char* type) {
        return Run(std::string(
                       "select avg(r.standard) from tb_riskevaluation r join tb_fund f on f.code = r.fundcode"
                       " where r.year = 1 and f.investtype = '") +
                   type + "'")
            .rows[0][0]
            .real;
    };
    EXPECT_GT(meanRisk("股票型"), meanRisk("债券型"));
    EXPECT_GT(meanRisk("债券型"), meanRisk("现金型"));
}

TEST_F(GeneratedData, RatingsManagersAndStatesArePlausible) {
    const auto stars = Run("select min(star), max(star), count(distinct reportdate), count(distinct year)"
                           " from tb_analyticalindex where not isdeleted");
    EXPECT_GE(stars.rows[0][0].real, 1.0);
    EXPECT_LE(stars.rows[0][1].real, 5.0);
    EXPECT_GE(stars.rows[0][2].real, 2.0);
    EXPECT_EQ(stars.rows[0][3].real, 3.0);
    // Every live fund has a current manager.
    EXPECT_EQ(
        Run("select count(*) from tb_fund f where not f.isdeleted and not exists (select 1 from tb_manager m"
            " where m.code = f.code and m.terminatetime is null and not m.isdeleted)")
            .rows[0][0]
            .real,
        0.0);
    EXPECT_GE(Run("select count(*) from tb_manager where terminatetime is not null").rows[0][0].real, 1.0);
    EXPECT_EQ(Run("select count(*) from tb_buyredeemstate where buystate not in (0, 1, 2)").rows[0][0].real,
              0.0);
}

// Invented names ---------------------------------------------------------------------------------

// Names of real fund companies, securities firms, first-generation closed-end funds and well-known
// fund managers. The sample's figures are made up, so none of these may appear next to them.
const char* const kRealCompanies[] = {
    "华夏",     "嘉实",     "易方达",   "南方",       "博时",         "广发",           "大成",
    "富国",     "华安",     "鹏华",     "银华",       "融通",         "长盛",           "国泰",
    "招商",     "景顺长城", "工银瑞信", "交银施罗德", "上投摩根",     "摩根",           "汇添富",
    "兴业全球", "兴全",     "兴证全球", "光大保德信", "诺安",         "长城",           "华宝",
    "国投瑞银", "海富通",   "中银",     "建信",       "申万菱信",     "申万巴黎",       "信达澳银",
    "信澳",     "东方",     "天弘",     "宝盈",       "万家",         "泰达宏利",       "宏利",
    "农银汇理", "民生加银", "中海",     "银河",       "长信",         "金鹰",           "国联安",
    "华富",     "东吴",     "新华",     "中邮",       "浦银安盛",     "汇丰晋信",       "诺德",
    "华泰柏瑞", "益民",     "泰信",     "天治",       "国海富兰克林", "摩根士丹利华鑫", "中欧",
    "兴业",     "前海开源", "永赢",     "平安",       "华商",         "红土创新",       "安信",
    "圆信永丰", "鑫元",     "财通",     "方正富邦",   "德邦",         "英大",           "华润元大",
    "中加",     "西部利得", "九泰",     "中融",       "国金",         "浙商",           "北信瑞丰",
    "东海",     "江信",     "泓德",     "金信",       "新沃",         "国寿安保",       "上银",
    "创金合信", "太平",     "长安",     "华宸未来",   "中信保诚",     "信诚",           "嘉合",
    "富荣",     "恒生前海", "格林",     "博道",       "明亚",         "先锋",           "惠升",
    "中航",     "凯石",     "百嘉",     "人保",       "鹏扬",         "国融",           "华融",
    "中金",     "湘财",     "朱雀",     "达诚",       "睿远",         "蜂巢",           "汇泉",
    "同泰",     "淳厚",     "东兴",     "南华",       "中庚",         "弘毅远方",       "尚正",
    "博远",     "兴银",     "前海联合", "汇安",       "华泰保兴",     "泰康",           "中科沃土",
    "金元顺安", "易米",     "贝莱德",   "富达",       "路博迈",       "施罗德",         "联博",
    "瑞银",     "中信",     "国泰君安", "光大",       "华泰",         "海通",           "申银万国",
    "申万宏源", "国信",     "长江",     "方正",       "国元",         "西南",           "华西",
    "中泰",     "东北",     "天风",     "太平洋",     "国海",         "华林",           "红塔",
    "南京",     "华鑫",     "中原",     "东莞",       "首创",         "华创",           "信达",
    "民生",     "第一创业", "万联",     "开源",       "国盛",         "中山",           "财达",
    "国联",     "渤海",     "山西",     "中信建投"};
const char* const kRealClosedEnd[] = {
    "开元", "泰和", "安信", "汉盛", "裕阳", "普惠", "同益", "景宏", "裕隆", "金泰", "兴华", "安顺",
    "汉兴", "普丰", "同盛", "景福", "科瑞", "金鑫", "兴和", "久嘉", "通乾", "裕元", "鸿阳", "丰和",
    "银丰", "科汇", "久富", "融鑫", "景业", "汉鼎", "天元", "金盛", "兴安", "汉博", "安久", "天华",
    "同智", "景阳", "普润", "裕泽", "兴科", "金元", "鸿飞", "融华", "景博", "安瑞", "同德", "丰华"};
const char* const kRealManagers[] = {
    "张坤",   "葛兰",   "萧楠",   "刘彦春", "朱少醒", "谢治宇", "傅鹏博", "董承非", "周蔚文", "刘格菘",
    "蔡嵩松", "冯明远", "赵诣",   "邱杰",   "袁芳",   "丘栋荣", "曹名长", "王亚伟", "胡昕炜", "焦巍",
    "王宗合", "陈皓",   "李晓星", "周应波", "杨锐文", "归凯",   "杨金金", "韩创",   "崔宸龙", "何帅",
    "刘畅畅", "张宇帆", "林英睿", "杨东",   "邬传雁", "陈光明", "王崇",   "曲扬",   "劳杰男", "朱璘",
    "余广",   "孙伟",   "姜诚",   "金梓才", "谭丽",   "郑澄然", "鄢耀",   "朱红裕", "徐彦",   "侯昊",
    "李少君", "王培",   "李巍",   "乔迁",   "梁浩",   "杨宇"};

bool StartsWithRealCompany(const std::string& name) {
    for (const char* company : kRealCompanies)
        if (name.rfind(company, 0) == 0)
            return true;
    return false;
}

TEST(SampleNames, NoRealCompanyFundOrManagerNameIsUsed) {
    // Every piece a name is made from, whatever the seed picks.
    for (const auto& company : SampleDb::kFundCompanies)
        EXPECT_FALSE(StartsWithRealCompany(company.shortName)) << company.shortName;
    for (const auto& broker : SampleDb::kBrokers)
        EXPECT_FALSE(StartsWithRealCompany(broker.shortName)) << broker.shortName;
    for (const auto& part : SampleDb::kClosedEndNames)
        for (const char* real : kRealClosedEnd)
            EXPECT_NE(std::string(part.text), real);
    std::set<std::string> managers;
    for (const char* surname : SampleDb::kSurnames)
        for (const char* given : SampleDb::kGivenNames)
            managers.insert(std::string(surname) + given);
    for (const char* real : kRealManagers)
        EXPECT_EQ(managers.count(real), 0u) << real;
}

TEST_F(GeneratedData, NamesInTheDatabaseAreInventedAndTheFileSaysItIsASample) {
    // Also the names that the generator writes other than from the lists (a former company name).
    for (const auto& row : Run("select name, shortname from tb_investadvisor").rows) {
        EXPECT_FALSE(StartsWithRealCompany(row[0].text)) << row[0].text;
        EXPECT_FALSE(StartsWithRealCompany(row[1].text)) << row[1].text;
    }
    for (const auto& row : Run("select name from tb_fund").rows) {
        EXPECT_FALSE(StartsWithRealCompany(row[0].text)) << row[0].text;
        for (const char* real : kRealClosedEnd)
            EXPECT_NE(row[0].text, std::string("基金") + real);
    }
    for (const auto& row : Run("select distinct name from tb_manager").rows)
        for (const char* real : kRealManagers)
            EXPECT_NE(row[0].text, real);
    EXPECT_EQ(Run("PRAGMA application_id").rows[0][0].real, SampleDb::kApplicationId);
}

// Failures ---------------------------------------------------------------------------------------

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SampleDbGeneratorFailures, BadOptionsAreRefusedAndTheOldFileKept) {
    TestSupport::TempDbFile file("options");
    std::ofstream(file.Path()) << "previous";
    for (const SampleDb::Options& options :
         {SampleDb::Options{0, 6, 1}, SampleDb::Options{-5, 6, 1}, SampleDb::Options{10, 0, 1},
          SampleDb::Options{10, SampleDb::kMaxYears + 1, 1},
          SampleDb::Options{SampleDb::kMaxFunds + 1, 6, 1}}) {
        EXPECT_FALSE(SampleDb::Generate(file.Path(), options).empty());
        EXPECT_EQ(FileText(file.Path()), "previous");
    }
    EXPECT_FALSE(SampleDb::Generate("", SampleDb::Options{}).empty());
}

TEST(SampleDbGeneratorFailures, AFailedRunLeavesNoFileBehind) {
    // The target is a folder, so the final rename fails after a complete build.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("fc-gen-folder-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "target");
    const std::string error = SampleDb::Generate((folder / "target").string(), SampleDb::Options{12, 1, 1});
    EXPECT_FALSE(error.empty());
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 1u) << "a temporary file was left beside the target";
    EXPECT_TRUE(std::filesystem::is_directory(folder / "target"));
    std::filesystem::remove_all(folder);

    EXPECT_FALSE(SampleDb::Generate("/nonexistent-folder/x/sample.db", SampleDb::Options{12, 1, 1}).empty());
}

TEST(SampleDbGeneratorFailures, RegeneratingReplacesAnExistingDatabase) {
    TestSupport::TempDbFile file("replace");
    std::ofstream(file.Path()) << "not a database";
    SampleDb::Summary summary;
    ASSERT_EQ(SampleDb::Generate(file.Path(), SampleDb::Options{12, 1, 5}, &summary), "");
    EXPECT_EQ(summary.funds, 12);
    SampleDb::SqliteHandle db = TestSupport::OpenReadOnly(file.Path());
    EXPECT_EQ(Query(db.get(), "select count(*) from tb_fund").rows[0][0].real, 12.0);
    // One year of reports still carries five years of index weeks for the risk page.
    EXPECT_GE(Query(db.get(), "select count(*) from tb_yieldhistory where exponentcode = 'sh000001'"
                              " and yieldtype = 4 and not isdeleted")
                  .rows[0][0]
                  .real,
              260.0);
}

std::size_t EntriesIn(const std::filesystem::path& folder) {
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    return entries;
}

// While it lives, writing a file past `bytes` fails in this process, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_handler = std::signal(SIGXFSZ, SIG_IGN); // a failed write instead of a killed process
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

TEST(SampleDbGeneratorFailures, AFullDiskStopsTheBuildAndKeepsTheOldFile) {
    // Large enough that SQLite writes pages while rows are still being made, so the inserting side
    // fails first and must stop the generating thread rather than wait for it forever.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("fc-gen-full-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string target = (folder / "sample.db").string();
    std::ofstream(target) << "previous";
    std::string error;
    {
        FileSizeLimit limit(8 << 20);
        error = SampleDb::Generate(target, SampleDb::Options{1200, 6, 9});
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(FileText(target), "previous");
    EXPECT_EQ(EntriesIn(folder), 1u) << "a temporary file was left beside the target";
    std::filesystem::remove_all(folder);
}

TEST(SampleDbGeneratorFailures, TwoBuildsOfOneTargetDoNotShareTheirFile) {
    // Each build writes its own temporary file; the target ends up as one of the two, whole.
    TestSupport::TempDbFile file("twice");
    std::string first, second;
    std::thread a([&] { first = SampleDb::Generate(file.Path(), SampleDb::Options{40, 2, 1}); });
    std::thread b([&] { second = SampleDb::Generate(file.Path(), SampleDb::Options{30, 2, 2}); });
    a.join();
    b.join();
    EXPECT_EQ(first, "");
    EXPECT_EQ(second, "");
    SampleDb::SqliteHandle db = TestSupport::OpenReadOnly(file.Path());
    EXPECT_EQ(Query(db.get(), "pragma integrity_check").rows[0][0].text, "ok");
    const double funds = Query(db.get(), "select count(*) from tb_fund").rows[0][0].real;
    EXPECT_TRUE(funds == 40.0 || funds == 30.0) << funds;
    const std::filesystem::path target(file.Path());
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path()))
        EXPECT_NE(entry.path().filename().string().rfind(target.filename().string() + ".tmp.", 0), 0u)
            << entry.path() << " was left behind";
}

} // namespace
