// The way generated rows travel from the thread that makes them to the thread that inserts them:
// the batch keeps every value as it was given, the pipe keeps their order and lets either side give
// up without leaving the other one waiting, and the loader stores each value with its own type.
#include "RowBatch.h"
#include "RowLoader.h"
#include "RowPipe.h"
#include "Sqlite.h"

#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using SampleDb::Null;
using SampleDb::RowBatch;
using SampleDb::RowPipe;

TEST(RowBatch, EveryValueComesBackAsItWasAdded) {
    RowBatch batch;
    const std::string withZero("a\0b", 3);
    batch.BeginRow(3, 9);
    batch.Add(std::numeric_limits<std::int64_t>::min());
    batch.Add(-1);
    batch.Add(-0.0);
    batch.Add(std::numeric_limits<double>::quiet_NaN());
    batch.Add(std::string());
    batch.Add(withZero);
    batch.Add("股票型");
    batch.Add(Null{});
    batch.Add(std::optional<double>());
    batch.BeginRow(0, 1);
    batch.Add(std::optional<double>(2.5));
    EXPECT_EQ(batch.Rows(), 2);

    RowBatch::Reader reader(batch);
    int table = -1, values = -1;
    ASSERT_TRUE(reader.NextRow(table, values));
    EXPECT_EQ(table, 3);
    EXPECT_EQ(values, 9);
    auto value = reader.NextValue();
    EXPECT_EQ(value.tag, RowBatch::Tag::Integer);
    EXPECT_EQ(value.integer, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(reader.NextValue().integer, -1);
    value = reader.NextValue();
    EXPECT_EQ(value.tag, RowBatch::Tag::Real);
    EXPECT_TRUE(std::signbit(value.real));
    EXPECT_TRUE(std::isnan(reader.NextValue().real));
    value = reader.NextValue();
    EXPECT_EQ(value.tag, RowBatch::Tag::Text);
    EXPECT_TRUE(value.text.empty());
    EXPECT_EQ(reader.NextValue().text, withZero);
    EXPECT_EQ(reader.NextValue().text, "股票型");
    EXPECT_EQ(reader.NextValue().tag, RowBatch::Tag::Null);
    EXPECT_EQ(reader.NextValue().tag, RowBatch::Tag::Null);
    ASSERT_TRUE(reader.NextRow(table, values));
    EXPECT_EQ(table, 0);
    EXPECT_EQ(reader.NextValue().real, 2.5);
    EXPECT_FALSE(reader.NextRow(table, values));
    // Reading past the last value is a fault of the caller, reported rather than read out of bounds.
    EXPECT_THROW(reader.NextValue(), std::runtime_error);

    batch.Clear();
    EXPECT_TRUE(batch.Empty());
    EXPECT_EQ(batch.Rows(), 0);
    RowBatch::Reader empty(batch);
    EXPECT_FALSE(empty.NextRow(table, values));
}

TEST(RowPipe, BatchesArriveInOrderThroughASmallPipe) {
    RowPipe pipe(1);
    constexpr int kBatches = 500;
    std::thread producer([&] {
        for (int k = 0; k < kBatches; ++k) {
            RowBatch batch = pipe.TakeEmpty();
            EXPECT_TRUE(batch.Empty());
            batch.BeginRow(0, 1);
            batch.Add(k);
            if (!pipe.Send(std::move(batch)))
                break;
        }
        pipe.Finish();
    });
    int expected = 0;
    RowBatch batch;
    while (pipe.Receive(batch)) {
        RowBatch::Reader reader(batch);
        int table = 0, values = 0;
        ASSERT_TRUE(reader.NextRow(table, values));
        EXPECT_EQ(reader.NextValue().integer, expected++);
        pipe.Return(std::move(batch));
    }
    producer.join();
    EXPECT_EQ(expected, kBatches);
}

TEST(RowPipe, AStoppedConsumerReleasesAWaitingProducer) {
    RowPipe pipe(1);
    int sent = 0;
    bool refused = false;
    std::thread producer([&] {
        // The pipe takes one batch; the second Send waits until Stop, then reports the refusal.
        while (pipe.Send(RowBatch()))
            ++sent;
        refused = true;
        pipe.Finish();
    });
    RowBatch batch;
    ASSERT_TRUE(pipe.Receive(batch));
    pipe.Stop();
    producer.join();
    EXPECT_TRUE(refused);
    EXPECT_GE(sent, 1);
    EXPECT_FALSE(pipe.Send(RowBatch()));
}

TEST(RowPipe, TheProducersFailureReachesTheConsumer) {
    RowPipe pipe(4);
    ASSERT_TRUE(pipe.Send(RowBatch()));
    pipe.Finish(std::make_exception_ptr(std::runtime_error("out of names")));
    RowBatch batch;
    // The failure wins over the batch still waiting: the rows of a failed build are of no use.
    try {
        pipe.Receive(batch);
        FAIL() << "the failure was not passed on";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "out of names");
    }

    RowPipe finished(4);
    ASSERT_TRUE(finished.Send(RowBatch()));
    finished.Finish();
    EXPECT_TRUE(finished.Receive(batch));
    EXPECT_FALSE(finished.Receive(batch));
}

class Loader : public ::testing::Test {
protected:
    void SetUp() override {
        m_db = SampleDb::OpenDatabase(":memory:", true, true);
        SampleDb::Exec(m_db.get(), "CREATE TABLE a (x, y TEXT NOT NULL); CREATE TABLE b (z REAL)");
    }
    SampleDb::SqliteHandle m_db;
    const std::vector<std::string_view> m_inserts = {"INSERT INTO a (x, y) VALUES (?, ?)",
                                                     "INSERT INTO b (z) VALUES (?)"};
};

TEST_F(Loader, StoresEveryValueWithItsType) {
    SampleDb::RowLoader loader(m_db.get(), m_inserts);
    RowBatch batch;
    batch.BeginRow(0, 2);
    batch.Add(7);
    batch.Add("seven");
    batch.BeginRow(1, 1);
    batch.Add(0.5);
    batch.BeginRow(0, 2);
    batch.Add(Null{});
    batch.Add(std::string());
    batch.BeginRow(0, 2);
    batch.Add(1.0); // a whole real stays real
    batch.Add("x");
    loader.Load(batch);
    EXPECT_EQ(loader.Rows(), 4);
    const auto rows =
        TestSupport::Query(m_db.get(), "select typeof(x), x, typeof(y), y from a order by rowid").rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0].text, "integer");
    EXPECT_EQ(rows[0][3].text, "seven");
    EXPECT_EQ(rows[1][0].text, "null");
    EXPECT_EQ(rows[1][2].text, "text");
    EXPECT_EQ(rows[2][0].text, "real");
    EXPECT_EQ(TestSupport::Query(m_db.get(), "select z from b").rows.at(0).at(0).real, 0.5);
}

TEST_F(Loader, RefusesRowsThatDoNotFitAndReportsSqliteErrors) {
    SampleDb::RowLoader loader(m_db.get(), m_inserts);
    RowBatch unknownTable;
    unknownTable.BeginRow(2, 1);
    unknownTable.Add(1);
    EXPECT_THROW(loader.Load(unknownTable), SampleDb::SqliteError);

    RowBatch shortRow;
    shortRow.BeginRow(0, 1);
    shortRow.Add(1);
    EXPECT_THROW(loader.Load(shortRow), SampleDb::SqliteError);

    RowBatch nullName;
    nullName.BeginRow(0, 2);
    nullName.Add(1);
    nullName.Add(Null{});
    try {
        loader.Load(nullName);
        FAIL() << "a NOT NULL column took a NULL";
    } catch (const SampleDb::SqliteError& error) {
        EXPECT_NE(std::string(error.what()).find("NOT NULL"), std::string::npos) << error.what();
    }
    EXPECT_EQ(TestSupport::Query(m_db.get(), "select count(*) from a").rows[0][0].real, 0.0);

    // The statement is usable again after a failed row.
    RowBatch good;
    good.BeginRow(0, 2);
    good.Add(1);
    good.Add("one");
    loader.Load(good);
    EXPECT_EQ(TestSupport::Query(m_db.get(), "select count(*) from a").rows[0][0].real, 1.0);
}

} // namespace
