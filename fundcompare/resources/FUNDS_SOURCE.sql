select code,aliascode, name, pycode, investtype,replace(createdate,'0001-01-01','--') as createdate
    from tb_fund
    where fundtype <> '契约型封闭式' and fundtype <> '创新型封闭式' and fundtype <> '集合理财产品'
        and isdellisting = 0 and not isdeleted
