-- Net-value history for the growth page, loaded after funds.sql: nine trading days from Monday
-- 2010-09-20 to Thursday 2010-09-30 (25 to 26 September is a weekend).
--   F001 pays a cash dividend of 0.10 on 2010-09-24: its unit value drops from 1.03 to 0.93 while
--        the accumulated value goes on from 2.02 to 2.03.
--   F002 starts on 2010-09-27, after the range's first day.
--   F004 has no history at all.
-- Every withdrawn row (isdeleted = 1) carries a figure that must never show up.
INSERT INTO tb_netvaluehistory (code, date, value, totalvalue, isdeleted) VALUES
    ('F001', '2010-09-20', 1.00, 2.00, 0),
    ('F001', '2010-09-21', 1.01, 2.01, 0),
    ('F001', '2010-09-22', 1.00, 2.00, 0),
    ('F001', '2010-09-23', 1.02, 2.02, 0),
    ('F001', '2010-09-24', 0.93, 2.03, 0),
    ('F001', '2010-09-27', 0.92, 2.02, 0),
    ('F001', '2010-09-27', 9.90, 9.90, 1),
    ('F001', '2010-09-28', 0.94, 2.04, 0),
    ('F001', '2010-09-29', 0.95, 2.05, 0),
    ('F001', '2010-09-30', 0.96, 2.06, 0),
    ('F002', '2010-09-27', 1.00, 1.00, 0),
    ('F002', '2010-09-28', 1.05, 1.05, 0),
    ('F002', '2010-09-29', 1.00, 1.00, 0),
    ('F002', '2010-09-30', 1.10, 1.10, 0);

INSERT INTO tb_indexhistory (exponentcode, date, closevalue, isdeleted) VALUES
    ('sh000001', '2010-09-20', 3000, 0),
    ('sh000001', '2010-09-21', 3030, 0),
    ('sh000001', '2010-09-22', 3000, 0),
    ('sh000001', '2010-09-23', 3060, 0),
    ('sh000001', '2010-09-24', 3090, 0),
    ('sh000001', '2010-09-27', 3060, 0),
    ('sh000001', '2010-09-28', 3120, 0),
    ('sh000001', '2010-09-29', 3150, 0),
    ('sh000001', '2010-09-30', 3180, 0),
    ('sh000001', '2010-09-30', 9999, 1),
    ('sz399001', '2010-09-30', 12000, 0);
