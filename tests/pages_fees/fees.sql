-- Fees and managers for the fee page, loaded after funds.sql and ../pages_growth/growth_history.sql.
--   F001 an A class: subscription tiers by amount ending in a fixed 1000 yuan, redemption by days.
--   F002 a C class: no subscription fee, a sales-service fee, no redemption fee after 30 days.
--   F003 yearly fees only, and low ones: no tiers, so its total is incomplete and never the cheapest.
--   F004 no fee row at all.
-- Withdrawn rows (isdeleted = 1) carry figures that must never show up.
INSERT INTO tb_fundfee (code, shareclass, managementfee, custodyfee, salesfee, minpurchase, isdeleted) VALUES
    ('F001', 'A', 0.015, 0.0025, 0, 1000, 0),
    ('F001', 'A', 0.05, 0.05, 0, 1000, 1),
    ('F002', 'C', 0.012, 0.002, 0.004, 10, 0),
    ('F003', NULL, 0.005, 0.001, NULL, NULL, 0);

INSERT INTO tb_fundfeetier (code, feetype, lower, upper, rate, fixedfee, isdeleted) VALUES
    ('F001', 1, 0, 1000000, 0.015, NULL, 0),
    ('F001', 1, 1000000, 5000000, 0.01, NULL, 0),
    ('F001', 1, 5000000, NULL, NULL, 1000, 0),
    ('F001', 1, 0, 1000000, 0.5, NULL, 1),
    ('F001', 2, 0, 7, 0.015, NULL, 0),
    ('F001', 2, 7, 365, 0.005, NULL, 0),
    ('F001', 2, 365, 730, 0.0025, NULL, 0),
    ('F001', 2, 730, NULL, 0, NULL, 0),
    ('F002', 1, 0, NULL, 0, NULL, 0),
    ('F002', 2, 0, 7, 0.015, NULL, 0),
    ('F002', 2, 7, 30, 0.005, NULL, 0),
    ('F002', 2, 30, NULL, 0, NULL, 0);

-- funds.sql gives F001 张伟 and 李娜 (co-managers, both since before the history) after 王强, and
-- F002 陈静. Here F002 gains a co-manager inside its history, F003 a manager who left and came
-- back, and 张伟 runs F005 too.
INSERT INTO tb_manager (code, name, starttime, terminatetime, isdeleted) VALUES
    ('F002', '周杰', '2010-09-28', NULL, 0),
    ('F003', '孙丽', '2004-01-01', '2006-01-01', 0),
    ('F003', '钱进', '2006-01-01', '2008-01-01', 0),
    ('F003', '孙丽', '2008-01-01', NULL, 0),
    ('F005', '张伟', '2009-01-01', NULL, 0);
