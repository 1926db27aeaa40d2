// Fee files: a tier per row under Chinese headers, a fund's tiers as text under English ones, the
// checks that a fund's tiers cover every amount or period once, a second import replacing the
// tiers, the readers of ranges and fees on their own, and the fees of the generated database.
#include "FeeTierText.h"
#include "FundImporter.h"
#include "ModuleStatements.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

using TestSupport::Query;
namespace fs = std::filesystem;

class FeeImport : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder =
            fs::temp_directory_path() / ("fc-fees-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_db = (m_folder / "my.db").string();
        m_funds = Write("funds.csv", "基金代码,基金简称,基金类型,基金管理人,成立日期\n"
                                     "000082,明远成长混合,混合型-偏股,明远基金管理有限公司,2019-03-01\n"
                                     "000083,青川债券C,债券型,青川基金管理有限公司,2019-01-02\n");
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    FundImport::Result Run(const std::vector<std::string>& inputs) {
        return FundImport::Import(m_db, inputs, {});
    }
    std::string Rows(const std::string& sql) {
        const SampleDb::SqliteHandle db = TestSupport::OpenReadOnly(m_db);
        std::string text;
        for (const auto& row : Query(db.get(), sql).rows) {
            for (const auto& cell : row)
                text += cell.text + "|";
            text += "\n";
        }
        return text;
    }
    static std::string Reasons(const FundImport::Result& result) {
        std::string text;
        for (const auto& problem : result.problems)
            text += problem.Text() + "\n";
        return text;
    }

    fs::path m_folder;
    std::string m_db;
    std::string m_funds;
};

const char kChineseTiers[] =
    "基金代码,份额类别,管理费率,托管费率,销售服务费率,最低申购金额,费用类型,区间,费率\n"
    "000082,A,1.5%,0.25%,0,1000,申购,金额<100万,1.5%\n"
    "000082,,,,,,申购,100万≤金额<500万,1.0%\n"
    "000082,,,,,,申购,金额≥500万,1000元/笔\n"
    "000082,,,,,,赎回,持有<7天,1.5%\n"
    "000082,,,,,,赎回,7天-1年,0.5%\n"
    "000082,,,,,,赎回,持有≥1年,0\n";

TEST_F(FeeImport, TiersByRowUnderChineseHeadersAndAsTextUnderEnglishOnes) {
    const std::string english =
        Write("fees_en.csv", "code,class,managementfee,custodyfee,salesfee,minpurchase,"
                             "purchasefee,redemptionfee\n"
                             "000083,C,0.003,0.001,0.004,10,\"不限: 0\","
                             "\"<7天: 1.5%; 7天-30天: 0.1%; ≥30天: 0\"\n");
    const FundImport::Result result = Run({m_funds, Write("fees.csv", kChineseTiers), english});
    ASSERT_TRUE(result.written) << Reasons(result) << result.error;
    EXPECT_EQ(Rows("select code, shareclass, managementfee, custodyfee, salesfee, minpurchase from tb_fundfee"
                   " where not isdeleted order by code"),
              "000082|A|0.015|0.0025|0.0|1000.0|\n000083|C|0.003|0.001|0.004|10.0|\n");
    EXPECT_EQ(Rows("select feetype, lower, upper, rate, fixedfee from tb_fundfeetier where code = '000082'"
                   " and not isdeleted order by feetype, lower"),
              "1|0.0|1000000.0|0.015||\n1|1000000.0|5000000.0|0.01||\n1|5000000.0|||1000.0|\n"
              "2|0.0|7.0|0.015||\n2|7.0|365.0|0.005||\n2|365.0||0.0||\n");
    EXPECT_EQ(Rows("select feetype, lower, upper, rate from tb_fundfeetier where code = '000083' order by "
                   "feetype, lower"),
              "1|0.0||0.0|\n2|0.0|7.0|0.015|\n2|7.0|30.0|0.001|\n2|30.0||0.0|\n");
}

TEST_F(FeeImport, TiersThatLeaveAGapOverlapOrChargeAFixedRedemptionAreRefused) {
    const char* cases[][2] = {
        {"000082,申购,金额<100万,1.5%\n000082,申购,金额≥200万,1000元/笔\n", "gap"},
        {"000082,申购,金额<100万,1.5%\n000082,申购,50万-500万,1%\n000082,申购,金额≥500万,0\n", "overlap"},
        {"000082,赎回,持有<7天,1.5%\n000082,赎回,持有≥7天,5元/笔\n", "fixed redemption"},
        {"000082,申购,金额<100万,1.5%\n", "no open end"},
        {"000082,申购,金额≤100万,1.5%\n000082,申购,金额>100万,1%\n", "bound read two ways"},
        {"000082,申购,金额<100万,150%\n000082,申购,金额≥100万,1%\n", "rate beyond 100 %"},
    };
    for (const auto& [body, what] : cases) {
        fs::remove(m_db);
        const FundImport::Result result =
            Run({m_funds, Write("bad.csv", std::string("基金代码,费用类型,区间,费率\n") + body)});
        EXPECT_FALSE(result.written) << what;
        EXPECT_FALSE(result.problems.empty()) << what;
    }
}

TEST_F(FeeImport, ASecondImportReplacesAFundsTiersAndKeepsTheOldOnesWithdrawn) {
    ASSERT_TRUE(Run({m_funds, Write("fees.csv", kChineseTiers)}).written);
    const FundImport::Result second = Run({Write("cut.csv", "基金代码,管理费率,费用类型,区间,费率\n"
                                                            "000082,1.2%,申购,不限,0.15%\n")});
    ASSERT_TRUE(second.written) << Reasons(second);
    EXPECT_EQ(Rows("select managementfee, custodyfee from tb_fundfee where not isdeleted"),
              "0.012|0.0025|\n");
    EXPECT_EQ(Rows("select lower, upper, rate from tb_fundfeetier where feetype = 1 and not isdeleted"),
              "0.0||0.0015|\n");
    EXPECT_EQ(Rows("select count(*) from tb_fundfeetier where feetype = 1 and isdeleted"), "3|\n");
    // The redemption tiers were not in the file: they stay.
    EXPECT_EQ(Rows("select count(*) from tb_fundfeetier where feetype = 2 and not isdeleted"), "3|\n");
}

TEST(FeeTierText, RangesFeesAndBoundsAsFeeSchedulesWriteThem) {
    using namespace FundImport;
    const auto range = [](const char* text, TierKind kind) { return ReadTierRange(text, kind); };
    EXPECT_EQ(range("100万≤金额<500万", TierKind::Purchase).lower, 1e6);
    EXPECT_EQ(range("100万≤金额<500万", TierKind::Purchase).upper, 5e6);
    EXPECT_EQ(range("100万-500万", TierKind::Purchase).upper, 5e6);
    EXPECT_EQ(range("≥500万", TierKind::Purchase).lower, 5e6);
    EXPECT_TRUE(std::isinf(range("≥500万", TierKind::Purchase).upper));
    EXPECT_EQ(range("7天-1年", TierKind::Redemption).upper, 365);
    EXPECT_EQ(range("持有<6个月", TierKind::Redemption).upper, 180);
    EXPECT_TRUE(range("不限", TierKind::Purchase).ok);
    // Bounds in the other sense, empty ranges and words are refused, not guessed.
    for (const char* bad : {"金额≤100万", "100万<金额", "500万-100万", "金额<0", "很多"})
        EXPECT_FALSE(range(bad, TierKind::Purchase).ok) << bad;

    EXPECT_TRUE(ReadTierFee("1000元/笔", false).fixed);
    EXPECT_EQ(ReadTierFee("1000元/笔", false).value, 1000);
    EXPECT_DOUBLE_EQ(ReadTierFee("1.5%", false).value, 0.015);
    EXPECT_DOUBLE_EQ(ReadTierFee("1.5", true).value, 0.015); // under a Chinese header, a percentage
    EXPECT_DOUBLE_EQ(ReadTierFee("0.015", false).value, 0.015);
    EXPECT_TRUE(ReadTierFee("", false).missing);
    EXPECT_FALSE(ReadTierFee("100%", false).ok);
    EXPECT_FALSE(ReadTierFee("-1%", false).ok);
}

// The fees the generator invents are ones the page can read: one live row per fund, and every
// fund's tiers of each type starting at 0, following each other and ending open, fixed fees only
// on subscriptions, and C classes with no subscription fee but a sales-service fee.
TEST(GeneratedFees, EveryFundsTiersCoverEveryAmountAndPeriodOnce) {
    const SampleDb::SqliteHandle db = DataTests::SmallGeneratedDb().Open();
    const auto live =
        Query(db.get(), "select code, count(*) from tb_fundfee where not isdeleted group by code").rows;
    ASSERT_GT(live.size(), 100u);
    for (const auto& row : live)
        EXPECT_EQ(row[1].text, "1") << row[0].text;
    std::map<std::pair<std::string, std::string>, std::vector<std::vector<std::string>>> tiers;
    for (const auto& row :
         Query(db.get(), "select code, feetype, lower, upper, rate, fixedfee from tb_fundfeetier"
                         " where not isdeleted order by code, feetype, lower")
             .rows)
        tiers[{row[0].text, row[1].text}].push_back({row[2].text, row[3].text, row[4].text, row[5].text});
    ASSERT_GT(tiers.size(), 100u);
    for (const auto& [key, list] : tiers) {
        const std::string name = key.first + "/" + key.second;
        EXPECT_EQ(std::stod(list.front()[0]), 0.0) << name;
        EXPECT_TRUE(list.back()[1].empty()) << name;
        for (size_t k = 0; k + 1 < list.size(); ++k)
            EXPECT_EQ(list[k][1], list[k + 1][0]) << name;
        for (const auto& tier : list) {
            EXPECT_NE(tier[2].empty(), tier[3].empty()) << name; // a rate or a fixed fee
            if (key.second == "2")
                EXPECT_TRUE(tier[3].empty()) << name;
        }
    }
    for (const auto& row : Query(db.get(), "select code, salesfee from tb_fundfee where shareclass = 'C'"
                                           " and not isdeleted")
                               .rows) {
        EXPECT_GT(std::stod(row[1].text), 0.0) << row[0].text;
        const auto& purchase = tiers[{row[0].text, "1"}];
        ASSERT_EQ(purchase.size(), 1u) << row[0].text;
        EXPECT_EQ(std::stod(purchase[0][2]), 0.0);
    }
    // Types differ as they do on the market: equity funds charge more a year than cash (money-market) funds.
    const auto average = [&](const char* type) {
        return Query(db.get(),
                     std::string("select avg(e.managementfee) from tb_fundfee e join tb_fund f on f.code ="
                                 " e.code where not e.isdeleted and f.investtype like '") +
                         type + "%'")
            .rows[0][0]
            .text;
    };
    EXPECT_GT(std::stod(average("股票")), 2 * std::stod(average("现金")));
}

} // namespace
