-- Projects and who works on them. 数据平台建设 belongs to a department
-- without people and has no members; 内部培训计划 has no department.
CREATE TABLE 项目表 (
    项目编号   INTEGER PRIMARY KEY,
    项目名称   VARCHAR(30) NOT NULL,
    部门编号   INTEGER REFERENCES 部门表 (部门编号),
    开始日期   DATE,
    结束日期   DATE,
    预算       MONEY,
    负责人编号 INTEGER REFERENCES 人员信息表 (编号)
);
INSERT INTO 项目表 VALUES (1, '客户管理系统', 1,    '2022-03-01', '2022-12-31', 500000,  26);
INSERT INTO 项目表 VALUES (2, '移动应用开发', 1,    '2023-01-10', NULL,         800000,  2);
INSERT INTO 项目表 VALUES (3, '华东市场推广', 5,    '2023-04-01', '2023-09-30', 200000,  22);
INSERT INTO 项目表 VALUES (4, '年度审计',     3,    '2023-01-05', '2023-03-31', 80000,   16);
INSERT INTO 项目表 VALUES (5, '招聘系统升级', 4,    '2023-06-01', NULL,         120000,  19);
INSERT INTO 项目表 VALUES (6, '数据平台建设', 6,    '2024-02-01', NULL,         1500000, NULL);
INSERT INTO 项目表 VALUES (7, '新品发布会',   2,    '2024-05-01', '2024-05-20', NULL,    7);
INSERT INTO 项目表 VALUES (8, '内部培训计划', NULL, '2024-03-01', NULL,         50000,   18);

CREATE TABLE 项目成员表 (
    项目编号 INTEGER NOT NULL REFERENCES 项目表 (项目编号),
    人员编号 INTEGER NOT NULL REFERENCES 人员信息表 (编号),
    角色     VARCHAR(10),
    工时     INTEGER,
    PRIMARY KEY (项目编号, 人员编号)
);
INSERT INTO 项目成员表 VALUES (1, 26, '负责人',   420);
INSERT INTO 项目成员表 VALUES (1, 3,  '开发',     380);
INSERT INTO 项目成员表 VALUES (1, 4,  '开发',     350);
INSERT INTO 项目成员表 VALUES (1, 5,  '测试',     200);
INSERT INTO 项目成员表 VALUES (2, 2,  '负责人',   300);
INSERT INTO 项目成员表 VALUES (2, 27, '开发',     280);
INSERT INTO 项目成员表 VALUES (2, 31, '开发',     120);
INSERT INTO 项目成员表 VALUES (2, 4,  '开发',     150);
INSERT INTO 项目成员表 VALUES (2, 32, '实习',     80);
INSERT INTO 项目成员表 VALUES (3, 22, '负责人',   260);
INSERT INTO 项目成员表 VALUES (3, 23, '策划',     240);
INSERT INTO 项目成员表 VALUES (3, 24, '执行',     240);
INSERT INTO 项目成员表 VALUES (3, 7,  '销售支持', 100);
INSERT INTO 项目成员表 VALUES (4, 16, '负责人',   180);
INSERT INTO 项目成员表 VALUES (4, 14, '审计',     160);
INSERT INTO 项目成员表 VALUES (4, 15, '审计',     160);
INSERT INTO 项目成员表 VALUES (4, 30, '助理',     90);
INSERT INTO 项目成员表 VALUES (5, 19, '负责人',   150);
INSERT INTO 项目成员表 VALUES (5, 20, '需求',     100);
INSERT INTO 项目成员表 VALUES (5, 3,  '开发',     60);
INSERT INTO 项目成员表 VALUES (7, 7,  '负责人',   120);
INSERT INTO 项目成员表 VALUES (7, 28, '执行',     110);
INSERT INTO 项目成员表 VALUES (7, 25, '宣传',     90);
INSERT INTO 项目成员表 VALUES (7, 29, '宣传',     90);
INSERT INTO 项目成员表 VALUES (8, 18, '负责人',   40);
INSERT INTO 项目成员表 VALUES (8, 19, '讲师',     60);
INSERT INTO 项目成员表 VALUES (8, 26, '讲师',     30);
