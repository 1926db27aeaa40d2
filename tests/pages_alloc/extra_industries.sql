-- Two industry names more than the industry query has value pairs for.
INSERT INTO tb_industryname (id, name, parentid) VALUES (25, '新兴产业', NULL), (26, '其他行业', NULL);
