select a.code, a.aliascode, a.name, s.assettype,
    s.marketvalue as stock_marketvalue, s.marketvalue * 1.0 / t.marketvalue as stock_percent,
    b.marketvalue as bond_marketvalue, b.marketvalue * 1.0 / t.marketvalue as bond_percent,
    c.marketvalue as cash_marketvalue, c.marketvalue * 1.0 / t.marketvalue as cash_percent,
    r.marketvalue as resale_marketvalue, r.marketvalue * 1.0 / t.marketvalue as resale_percent,
    o.marketvalue as other_marketvalue, o.marketvalue * 1.0 / t.marketvalue as other_percent,
    q.marketvalue as quanzheng_marketvalue, q.marketvalue * 1.0 / t.marketvalue as quanzheng_percent,
    case when y.buystate = 0 then '暂停' else '开放' end as buystate,
    a.investtype
from tb_fund a
    left join tb_assetallocation s on s.code = a.code and s.date = date('%s') and s.assettype = '股票' and not s.isdeleted
    left join tb_assetallocation b on b.code = a.code and b.date = date('%s') and b.assettype = '债券' and not b.isdeleted
    left join tb_assetallocation c on c.code = a.code and c.date = date('%s') and c.assettype = '银行存款' and not c.isdeleted
    left join tb_assetallocation r on r.code = a.code and r.date = date('%s') and r.assettype = '买入返售证券' and not r.isdeleted
    left join tb_assetallocation o on o.code = a.code and o.date = date('%s') and o.assettype = '其它资产' and not o.isdeleted
    left join tb_assetallocation q on q.code = a.code and q.date = date('%s') and q.assettype = '权证' and not q.isdeleted
    left join tb_assetallocation t on t.code = a.code and t.date = date('%s') and t.assettype = '资产总计' and not t.isdeleted
    left join tb_buyredeemstate y on y.code = a.code and not y.isdeleted
