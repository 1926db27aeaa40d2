-- The funds without their balance sheets, so that the asset query cannot be prepared.
DROP TABLE tb_assetallocation;
