select a.code, a.aliascode, a.name, a.investtype,
    case when y.buystate = 0 then '暂停' else '开放' end as buystate,
    b1.marketvalue as marketvalue_1, b1.percent as percent_1,
    b3.marketvalue as marketvalue_3, b3.percent as percent_3,
    b4.marketvalue as marketvalue_4, b4.percent as percent_4,
    b6.marketvalue as marketvalue_6, b6.percent as percent_6,
    b7.marketvalue as marketvalue_7, b7.percent as percent_7,
    b8.marketvalue as marketvalue_8, b8.percent as percent_8,
    b9.marketvalue as marketvalue_9, b9.percent as percent_9,
    b10.marketvalue as marketvalue_10, b10.percent as percent_10,
    b11.marketvalue as marketvalue_11, b11.percent as percent_11,
    b12.marketvalue as marketvalue_12, b12.percent as percent_12,
    b13.marketvalue as marketvalue_13, b13.percent as percent_13,
    b14.marketvalue as marketvalue_14, b14.percent as percent_14,
    b15.marketvalue as marketvalue_15, b15.percent as percent_15,
    b16.marketvalue as marketvalue_16, b16.percent as percent_16,
    b17.marketvalue as marketvalue_17, b17.percent as percent_17,
    b18.marketvalue as marketvalue_18, b18.percent as percent_18,
    b19.marketvalue as marketvalue_19, b19.percent as percent_19,
    b20.marketvalue as marketvalue_20, b20.percent as percent_20,
    b21.marketvalue as marketvalue_21, b21.percent as percent_21,
    b22.marketvalue as marketvalue_22, b22.percent as percent_22,
    b23.marketvalue as marketvalue_23, b23.percent as percent_23,
    b24.marketvalue as marketvalue_24, b24.percent as percent_24
from tb_fund a
    left join tb_buyredeemstate y on y.code = a.code and not y.isdeleted
    left join tb_investindustry b1 on b1.code = a.code and b1.date = date('%s') and b1.industryid = 1 and not b1.isdeleted
    left join tb_investindustry b2 on b2.code = a.code and b2.date = date('%s') and b2.industryid = 2 and not b2.isdeleted
    left join tb_investindustry b3 on b3.code = a.code and b3.date = date('%s') and b3.industryid = 3 and not b3.isdeleted
    left join tb_investindustry b4 on b4.code = a.code and b4.date = date('%s') and b4.industryid = 4 and not b4.isdeleted
    left join tb_investindustry b6 on b6.code = a.code and b6.date = date('%s') and b6.industryid = 6 and not b6.isdeleted
    left join tb_investindustry b7 on b7.code = a.code and b7.date = date('%s') and b7.industryid = 7 and not b7.isdeleted
    left join tb_investindustry b8 on b8.code = a.code and b8.date = date('%s') and b8.industryid = 8 and not b8.isdeleted
    left join tb_investindustry b9 on b9.code = a.code and b9.date = date('%s') and b9.industryid = 9 and not b9.isdeleted
    left join tb_investindustry b10 on b10.code = a.code and b10.date = date('%s') and b10.industryid = 10 and not b10.isdeleted
    left join tb_investindustry b11 on b11.code = a.code and b11.date = date('%s') and b11.industryid = 11 and not b11.isdeleted
    left join tb_investindustry b12 on b12.code = a.code and b12.date = date('%s') and b12.industryid = 12 and not b12.isdeleted
    left join tb_investindustry b13 on b13.code = a.code and b13.date = date('%s') and b13.industryid = 13 and not b13.isdeleted
    left join tb_investindustry b14 on b14.code = a.code and b14.date = date('%s') and b14.industryid = 14 and not b14.isdeleted
    left join tb_investindustry b15 on b15.code = a.code and b15.date = date('%s') and b15.industryid = 15 and not b15.isdeleted
    left join tb_investindustry b16 on b16.code = a.code and b16.date = date('%s') and b16.industryid = 16 and not b16.isdeleted
    left join tb_investindustry b17 on b17.code = a.code and b17.date = date('%s') and b17.industryid = 17 and not b17.isdeleted
    left join tb_investindustry b18 on b18.code = a.code and b18.date = date('%s') and b18.industryid = 18 and not b18.isdeleted
    left join tb_investindustry b19 on b19.code = a.code and b19.date = date('%s') and b19.industryid = 19 and not b19.isdeleted
    left join tb_investindustry b20 on b20.code = a.code and b20.date = date('%s') and b20.industryid = 20 and not b20.isdeleted
    left join tb_investindustry b21 on b21.code = a.code and b21.date = date('%s') and b21.industryid = 21 and not b21.isdeleted
    left join tb_investindustry b22 on b22.code = a.code and b22.date = date('%s') and b22.industryid = 22 and not b22.isdeleted
    left join tb_investindustry b23 on b23.code = a.code and b23.date = date('%s') and b23.industryid = 23 and not b23.isdeleted
    left join tb_investindustry b24 on b24.code = a.code and b24.date = date('%s') and b24.industryid = 24 and not b24.isdeleted
