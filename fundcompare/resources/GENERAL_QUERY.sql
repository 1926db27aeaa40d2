SELECT [fnd].*, [com].[name] AS company, [cval].[value],[cval].[totalvalue],
    [tot_ass].[marketvalue] AS total_marketvalue, [net_ass].[marketvalue] AS net_marketvalue,
    [bonus].[bonus_times],[bonus].[bonus], [issue].[issueshares], [state].[buystate],[state].[redeemstate],
    GROUP_CONCAT([mgr].[name], ',') AS manager,
    [rate2].[star] AS star2, [rate3].[star] AS star3, [rate5].[star] AS star5
FROM tb_fund fnd
    LEFT JOIN tb_investadvisor com ON [fnd].[companyguid]=[com].[guid] AND NOT [com].[isdeleted]
    LEFT JOIN tb_currvalue cval ON [fnd].[code]=[cval].[code] AND NOT [cval].[isdeleted]
    LEFT JOIN tb_assetallocation tot_ass ON [fnd].[code]=[tot_ass].[code] AND [tot_ass].[assettype]='资产总计' AND [tot_ass].[date]=DATE('%s') AND NOT [tot_ass].[isdeleted]
    LEFT JOIN tb_assetallocation net_ass ON [fnd].[code]=[net_ass].[code] AND [net_ass].[assettype]='资产净值' AND [net_ass].[date]=DATE('%s') AND NOT [net_ass].[isdeleted]
    LEFT JOIN (SELECT code,COUNT(code) AS bonus_times,SUM(bonus) AS bonus FROM tb_bonus WHERE type=0 AND NOT isdeleted GROUP BY code) bonus ON [fnd].[code]=[bonus].[code]
    LEFT JOIN tb_issueandlisting issue ON [fnd].[code]=[issue].[code] AND NOT [issue].[isdeleted]
    LEFT JOIN tb_buyredeemstate state ON [fnd].[code]=[state].[code] AND NOT [state].[isdeleted]
    LEFT JOIN tb_manager mgr ON [fnd].[code]=[mgr].[code] AND NOT [mgr].[isdeleted] AND [mgr].[terminatetime] IS NULL
    -- 两年评级
    LEFT JOIN (SELECT * FROM tb_analyticalindex WHERE reportdate=(SELECT reportdate FROM tb_analyticalindex WHERE NOT isdeleted ORDER BY reportdate DESC LIMIT 1) AND year=2 AND NOT isdeleted) rate2 ON [fnd].[code] = [rate2].[code]
    -- 三年评级
    LEFT JOIN (SELECT * FROM tb_analyticalindex WHERE reportdate=(SELECT reportdate FROM tb_analyticalindex WHERE NOT isdeleted ORDER BY reportdate DESC LIMIT 1) AND year=3 AND NOT isdeleted) rate3 ON [fnd].[code] = [rate3].[code]
    -- 五年评级
    LEFT JOIN (SELECT * FROM tb_analyticalindex WHERE reportdate=(SELECT reportdate FROM tb_analyticalindex WHERE NOT isdeleted ORDER BY reportdate DESC LIMIT 1) AND year=5 AND NOT isdeleted) rate5 ON [fnd].[code] = [rate5].[code]
WHERE NOT [fnd].[isdellisting] AND NOT [fnd].[isdeleted] AND [fnd].[code] IN (%s)
GROUP BY [fnd].[code]
