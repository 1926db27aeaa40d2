-- The fund database read by the fund-comparison module.
--
-- Sections: 1. funds and companies  2. prices, yields and risk  3. report-date holdings
--           4. fund facts (dividends, issue, managers, ratings, trading state)  5. indexes
--           6. daily net-value history (optional)  7. imports (optional)
--
-- Conventions shared by every table:
--   * `code` (or `fundcode`) is the fund's identity; `aliascode` is the code shown to users.
--   * Dates are TEXT in the form YYYY-MM-DD, so that text order is date order and DATE() accepts them.
--   * Returns, yields and shares are fractions (0.125 means 12.5 %); amounts are yuan, shares are units.
--   * Rows are never removed: `isdeleted` = 1 marks a withdrawn row, and every reader filters it out
--     (readers test NOT isdeleted). In the tables whose key holds the flag, a row withdrawn later
--     than another of the same key takes the next number (2, 3, ...), so that both are kept.
--   * The declared type decides the column kind the host gives a result column (TEXT, REAL, INTEGER),
--     so flags and counts are INTEGER and every figure that may carry decimals is REAL.

-- 1. Funds and companies ---------------------------------------------------------------------------

CREATE TABLE IF NOT EXISTS tb_fund (
    id          INTEGER PRIMARY KEY,
    code        TEXT    NOT NULL,
    aliascode   TEXT    NOT NULL,
    name        TEXT    NOT NULL,
    pycode      TEXT,              -- pinyin initials of the name, for typing search
    fundtype    TEXT,              -- legal form: 契约型开放式, 契约型封闭式, 创新型封闭式, 集合理财产品
    investtype  TEXT,              -- 股票型, 指数型, 债券型, 混合型, 保本型, QDII, 现金型
    investstyle TEXT,              -- style within the type, e.g. 成长型, 价值型, 货币型
    companyguid TEXT,              -- tb_investadvisor.guid of the management company
    createdate  TEXT,              -- inception date; 0001-01-01 when unknown
    peoples     INTEGER,           -- number of holders at the latest report
    quotient    REAL,              -- total shares outstanding at the latest report
    isdellisting INTEGER NOT NULL DEFAULT 0, -- 1 once the fund has been wound up or delisted
    isdeleted   INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE IF NOT EXISTS tb_investadvisor (
    id        INTEGER PRIMARY KEY,
    guid      TEXT NOT NULL,
    name      TEXT NOT NULL,
    shortname TEXT,
    isdeleted INTEGER NOT NULL DEFAULT 0
);

-- 2. Prices, yields and risk -----------------------------------------------------------------------

-- The latest net asset value of each fund (one live row per fund).
CREATE TABLE IF NOT EXISTS tb_currvalue (
    id         INTEGER PRIMARY KEY,
    code       TEXT NOT NULL,
    date       TEXT,
    value      REAL,               -- unit net asset value
    totalvalue REAL,               -- accumulated net asset value (dividends added back)
    daymargin  REAL,               -- growth of the unit value on the latest trading day
    isdeleted  INTEGER NOT NULL DEFAULT 0
);

-- Period returns as of `date`; a period longer than the fund's life is NULL. The yearNyear columns
-- are average yearly yields over N years, not cumulative returns.
CREATE TABLE IF NOT EXISTS tb_yield (
    id                INTEGER PRIMARY KEY,
    fundcode          TEXT NOT NULL,
    fundtype          TEXT,        -- copy of tb_fund.fundtype, so that the closed forms drop out early
    date              TEXT,
    lastweek          REAL,
    lastmonth         REAL,
    lastquarter       REAL,
    lasthalfyear      REAL,
    thisyear          REAL,
    yearavgyield1year REAL,
    yearavgyield2year REAL,
    yearavgyield3year REAL,
    yearavgyield5year REAL,
    isdeleted         INTEGER NOT NULL DEFAULT 0
);

-- Historical yields. yieldtype 1: a fund's return over calendar year `year` (week is NULL);
-- yieldtype 4: an index's return over week `week` of `year` (fundcode is NULL, exponentcode names
-- the index, for example sh000001).
CREATE TABLE IF NOT EXISTS tb_yieldhistory (
    id           INTEGER PRIMARY KEY,
    fundcode     TEXT,
    exponentcode TEXT,
    yieldtype    INTEGER NOT NULL,
    year         INTEGER NOT NULL,
    week         INTEGER,
    percentvalue REAL,
    isdeleted    INTEGER NOT NULL DEFAULT 0
);

-- Annualised return and standard deviation over the last `year` years (1, 2, 3 or 5).
CREATE TABLE IF NOT EXISTS tb_riskevaluation (
    id              INTEGER PRIMARY KEY,
    fundcode        TEXT NOT NULL,
    year            INTEGER NOT NULL,
    reportdate      TEXT,
    increasepercent REAL,
    standard        REAL,
    isdeleted       INTEGER NOT NULL DEFAULT 0
);

-- 3. Report-date holdings --------------------------------------------------------------------------

-- The holdings tables are the largest after the daily history, and every reader reaches them one
-- fund and report date at a time, so they are stored in the order of that read, like the history
-- tables (section 6): the primary key is the fund, the date, the asset type (industry, line) and the
-- withdrawn flag, and the tables are kept WITHOUT ROWID, so that no separate index repeats them. A
-- line has at most one live row and one withdrawn row per report. `id` numbers the rows as they were
-- made, fund after fund; it is not a key. A database written before this layout has rowid tables
-- with an index on the same columns (ix_assetallocation_fund, ix_investindustry_fund); the readers'
-- statements are the same for both.

-- Quarter-end balance sheet: one row per asset type (股票, 债券, 银行存款, 买入返售证券, 其它资产, 权证)
-- plus the totals 资产总计 (total assets, the sum of the six) and 资产净值 (net assets).
CREATE TABLE IF NOT EXISTS tb_assetallocation (
    id          INTEGER,
    code        TEXT NOT NULL,
    date        TEXT NOT NULL,
    assettype   TEXT NOT NULL,
    marketvalue REAL,
    percent     REAL,              -- share of total assets
    isdeleted   INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (code, date, assettype, isdeleted)
) WITHOUT ROWID;

-- Quarter-end stock holdings by industry; industry 2 (manufacturing) is the sum of its sub-industries.
CREATE TABLE IF NOT EXISTS tb_investindustry (
    id          INTEGER,
    code        TEXT NOT NULL,
    date        TEXT NOT NULL,
    industryid  INTEGER NOT NULL,
    marketvalue REAL,
    percent     REAL,              -- share of net assets
    isdeleted   INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (code, date, industryid, isdeleted)
) WITHOUT ROWID;

CREATE TABLE IF NOT EXISTS tb_industryname (
    id       INTEGER PRIMARY KEY,
    name     TEXT NOT NULL,
    parentid INTEGER               -- the parent category, NULL at the top level
);

-- Stock holdings at a report date, one row per line of the report: a quarterly report lists the top
-- ten, a half-year or annual report usually every holding, and every line a report gives is kept.
-- `rank` is the line's place in the report (1 the largest), which keeps two lines of one stock (a
-- report that lists an index part and an active part) apart. Like the two tables above it is read
-- one fund and report date at a time, so it is kept in the order of that read: the fund, the date,
-- the line and the withdrawn flag, WITHOUT ROWID and with no other per-fund index. A database may
-- lack this table and tb_stock; the pages that need them then say that there are no holdings.
CREATE TABLE IF NOT EXISTS tb_stockholding (
    id          INTEGER,
    code        TEXT NOT NULL,     -- the fund
    date        TEXT NOT NULL,     -- the report date
    rank        INTEGER NOT NULL,  -- the line of the report, from 1
    -- Always given, but not declared NOT NULL: SQLite 3.40's integrity_check misreads a NOT NULL
    -- column outside the key of a WITHOUT ROWID table as NULL, and would fail a sound database.
    stockcode   TEXT,
    stockname   TEXT,              -- the stock's name as the report gives it
    shares      REAL,              -- shares held
    marketvalue REAL,              -- yuan
    percent     REAL,              -- share of the fund's net assets
    isdeleted   INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (code, date, rank, isdeleted)
) WITHOUT ROWID;

-- The stocks that holdings name, with the industry of each (tb_industryname.id of a leaf industry,
-- never the parent 2; NULL when not known). A reclassified or renamed stock's old row is withdrawn.
CREATE TABLE IF NOT EXISTS tb_stock (
    id         INTEGER PRIMARY KEY,
    code       TEXT NOT NULL,
    name       TEXT,
    industryid INTEGER,
    isdeleted  INTEGER NOT NULL DEFAULT 0
);

-- 4. Fund facts ------------------------------------------------------------------------------------

-- Dividends: type 0 is a cash dividend of `bonus` yuan per unit; type 1 a unit split (ratio in bonus).
CREATE TABLE IF NOT EXISTS tb_bonus (
    id        INTEGER PRIMARY KEY,
    code      TEXT NOT NULL,
    type      INTEGER NOT NULL,
    bonus     REAL,
    date      TEXT,
    isdeleted INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE IF NOT EXISTS tb_issueandlisting (
    id          INTEGER PRIMARY KEY,
    code        TEXT NOT NULL,
    issuedate   TEXT,
    issueshares REAL,              -- units raised at issue
    listingdate TEXT,
    isdeleted   INTEGER NOT NULL DEFAULT 0
);

-- Managers: a row whose terminatetime is NULL is a current manager.
CREATE TABLE IF NOT EXISTS tb_manager (
    id            INTEGER PRIMARY KEY,
    code          TEXT NOT NULL,
    name          TEXT NOT NULL,
    starttime     TEXT,
    terminatetime TEXT,
    isdeleted     INTEGER NOT NULL DEFAULT 0
);

-- Star ratings (1 to 5) over `year` years (2, 3 or 5) published at `reportdate`.
CREATE TABLE IF NOT EXISTS tb_analyticalindex (
    id         INTEGER PRIMARY KEY,
    code       TEXT NOT NULL,
    reportdate TEXT NOT NULL,
    year       INTEGER NOT NULL,
    star       INTEGER,
    isdeleted  INTEGER NOT NULL DEFAULT 0
);

-- Subscription and redemption: 1 open, 0 suspended, 2 open with a limit on large purchases.
CREATE TABLE IF NOT EXISTS tb_buyredeemstate (
    id          INTEGER PRIMARY KEY,
    code        TEXT NOT NULL,
    buystate    INTEGER,
    redeemstate INTEGER,
    isdeleted   INTEGER NOT NULL DEFAULT 0
);

-- 5. Indexes ---------------------------------------------------------------------------------------
-- Every statement of the module either reads a whole table once (the fund lists, the ranking
-- universe) or joins per fund; each per-fund join and each filter below has an index whose leading
-- columns are the join's equality terms (for the holdings and history tables, their primary key), so
-- that no statement walks a large table row by row.

CREATE INDEX IF NOT EXISTS ix_fund_code ON tb_fund (code);
CREATE INDEX IF NOT EXISTS ix_investadvisor_guid ON tb_investadvisor (guid);
CREATE INDEX IF NOT EXISTS ix_currvalue_code ON tb_currvalue (code);
CREATE INDEX IF NOT EXISTS ix_yield_fundcode ON tb_yield (fundcode);
-- A fund's calendar-year yields, and the latest year of them.
CREATE INDEX IF NOT EXISTS ix_yieldhistory_fund ON tb_yieldhistory (fundcode, yieldtype, year);
CREATE INDEX IF NOT EXISTS ix_yieldhistory_type_year ON tb_yieldhistory (yieldtype, year);
-- An index's weekly series, already in the order the risk page reads it.
CREATE INDEX IF NOT EXISTS ix_yieldhistory_index ON tb_yieldhistory (exponentcode, yieldtype, year, week);
CREATE INDEX IF NOT EXISTS ix_riskevaluation_fund ON tb_riskevaluation (fundcode, year);
-- The earliest and latest report dates are read over live rows only; a partial index on the date
-- answers them without visiting the table.
CREATE INDEX IF NOT EXISTS ix_assetallocation_date ON tb_assetallocation (date) WHERE NOT isdeleted;
CREATE INDEX IF NOT EXISTS ix_investindustry_date ON tb_investindustry (date) WHERE NOT isdeleted;
CREATE INDEX IF NOT EXISTS ix_stockholding_date ON tb_stockholding (date) WHERE NOT isdeleted;
-- The industry of each stock a fund holds is found by the stock's code.
CREATE INDEX IF NOT EXISTS ix_stock_code ON tb_stock (code);
CREATE INDEX IF NOT EXISTS ix_bonus_code ON tb_bonus (code, type);
CREATE INDEX IF NOT EXISTS ix_issueandlisting_code ON tb_issueandlisting (code);
CREATE INDEX IF NOT EXISTS ix_manager_code ON tb_manager (code);
CREATE INDEX IF NOT EXISTS ix_analyticalindex_fund ON tb_analyticalindex (code, year, reportdate);
CREATE INDEX IF NOT EXISTS ix_analyticalindex_report ON tb_analyticalindex (reportdate) WHERE NOT isdeleted;
CREATE INDEX IF NOT EXISTS ix_buyredeemstate_code ON tb_buyredeemstate (code);

-- 6. Daily net-value history (optional) -------------------------------------------------------------
-- A database may lack these two tables; readers check for them first and then say that there is no
-- history, instead of failing a statement.
--
-- Both tables are read one fund (or index) at a time in date order, and they are by far the largest
-- in the database, so each is stored in the order of that read: its primary key is the code, the day
-- and the withdrawn flag, and the table is kept WITHOUT ROWID, so that one fund's days lie together
-- and no separate index repeats them. A day has at most one live row and one withdrawn row. `id`
-- numbers the rows in the order they were written; it is not a key.

-- One row per fund and trading day (Monday to Friday), from the fund's first day to the latest.
-- `value` is the unit net value. `totalvalue` is the accumulated net value: on every day it grows by
-- the unit value of the day before times the day's total return, so a cash dividend leaves it where
-- it was while the unit value drops by the payment (it is the unit value plus the dividends paid),
-- and a unit split leaves it where it was while the unit value is divided by the ratio. The return
-- of a day with dividends reinvested on their ex-dividend day is therefore
--   (totalvalue[d] - totalvalue[d-1]) / value[d-1].
-- Money-market funds keep a unit value of 1 and pay their income as a daily dividend, which the
-- accumulated value carries.
CREATE TABLE IF NOT EXISTS tb_netvaluehistory (
    id         INTEGER,
    code       TEXT NOT NULL,
    date       TEXT NOT NULL,
    value      REAL,               -- unit net value
    totalvalue REAL,               -- accumulated net value
    isdeleted  INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (code, date, isdeleted)
) WITHOUT ROWID;

-- The daily close of an index (for example sh000001) on the same trading days.
CREATE TABLE IF NOT EXISTS tb_indexhistory (
    id           INTEGER,
    exponentcode TEXT NOT NULL,
    date         TEXT NOT NULL,
    closevalue   REAL,
    isdeleted    INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (exponentcode, date, isdeleted)
) WITHOUT ROWID;

-- 7. Imports (optional) ----------------------------------------------------------------------------
-- One row per run of fund-import that wrote to the database: when, how much, and the last `id`
-- given to a row of each table whose `id` is not a key, so that the next import goes on numbering
-- without reading those large tables through.
CREATE TABLE IF NOT EXISTS tb_import (
    id          INTEGER PRIMARY KEY,
    date        TEXT NOT NULL,     -- when the import was committed, UTC, YYYY-MM-DD HH:MM:SS
    files       INTEGER,
    rowsadded   INTEGER,
    rowsreplaced INTEGER,
    historyid   INTEGER,
    indexid     INTEGER,
    assetid     INTEGER,
    industryid  INTEGER,
    stockid     INTEGER            -- tb_stockholding; a table made before it lacks the column
);

-- The importer's note of each fund's recent weeks (the growth at each week's last close over five
-- years, and the latest day), so that a new day is added without reading the fund's history again.
-- Only a cache: a fund without a row, or with a row of another layout or of another latest day, is
-- derived from its history and gets a new row.
CREATE TABLE IF NOT EXISTS tb_importstate (
    code  TEXT PRIMARY KEY,
    state BLOB NOT NULL
) WITHOUT ROWID;
