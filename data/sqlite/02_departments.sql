-- Departments. 研发中心 and 法务部 have nobody in them yet, so outer joins
-- and NOT EXISTS have something to find.
CREATE TABLE 部门表 (
    部门编号 INTEGER PRIMARY KEY,
    部门名称 VARCHAR(20) NOT NULL UNIQUE,
    地点     VARCHAR(20),
    经理编号 INTEGER,
    成立日期 DATE,
    预算     MONEY
);
INSERT INTO 部门表 VALUES (1, '技术部',   '北京', 1,    '2005-03-01', 800000);
INSERT INTO 部门表 VALUES (2, '销售部',   '上海', 6,    '2006-07-15', 600000);
INSERT INTO 部门表 VALUES (3, '财务部',   '北京', 13,   '2005-03-01', 300000);
INSERT INTO 部门表 VALUES (4, '人事部',   '广州', 18,   '2008-01-10', 200000);
INSERT INTO 部门表 VALUES (5, '市场部',   '上海', 22,   '2010-09-01', 450000);
INSERT INTO 部门表 VALUES (6, '研发中心', '深圳', NULL, '2023-06-01', 1000000);
INSERT INTO 部门表 VALUES (7, '法务部',   NULL,   NULL, '2024-01-02', NULL);
