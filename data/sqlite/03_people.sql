-- The practice table shown on the first page: invented people. Salaries and
-- ratings tie on purpose; interns, a consultant and the general manager have
-- no department; three people have left (在职 0).
CREATE TABLE 人员信息表 (
    编号     INTEGER PRIMARY KEY,
    姓名     VARCHAR(20) NOT NULL,
    性别     VARCHAR(2),
    出生日期 DATE,
    工资     MONEY,
    身高     REAL,
    绩效     NUMERIC(6,2),
    在职     BIT,
    备注     VARCHAR(100),
    部门编号 INTEGER REFERENCES 部门表 (部门编号),
    上级编号 INTEGER
);
INSERT INTO 人员信息表 VALUES (1,  '张伟',     '男', '1982-03-14', 15000, 1.76, 92.5,  1, '部门经理',         1,    36);
INSERT INTO 人员信息表 VALUES (2,  '王芳',     '女', '1990-07-02', 8500,  1.62, 88.25, 1, '技术骨干',         1,    1);
INSERT INTO 人员信息表 VALUES (3,  '李强',     '男', '1988-11-23', 9800,  1.80, 85,    1, NULL,               1,    1);
INSERT INTO 人员信息表 VALUES (4,  '刘洋',     '男', '1995-05-09', 7200,  1.72, 79.5,  1, NULL,               1,    1);
INSERT INTO 人员信息表 VALUES (5,  '陈静',     '女', '1993-01-30', 7600,  1.65, 90,    1, NULL,               1,    1);
INSERT INTO 人员信息表 VALUES (6,  '杨帆',     '男', '1979-09-18', 12000, 1.78, 86.75, 1, '部门经理',         2,    36);
INSERT INTO 人员信息表 VALUES (7,  '黄敏',     '女', '1991-04-12', 8500,  1.60, 94,    1, '2023年度优秀员工', 2,    6);
INSERT INTO 人员信息表 VALUES (8,  '赵勇',     '男', '1987-12-05', 7000,  1.74, 72.5,  1, NULL,               2,    6);
INSERT INTO 人员信息表 VALUES (9,  '吴婷',     '女', '1996-08-21', 5800,  1.58, 81,    1, NULL,               2,    6);
INSERT INTO 人员信息表 VALUES (10, '周涛',     '男', '1994-02-27', 6000,  1.83, 76,    1, NULL,               2,    6);
INSERT INTO 人员信息表 VALUES (11, '徐丽娟',   '女', '1989-06-16', 7300,  1.66, 88.25, 1, NULL,               2,    6);
INSERT INTO 人员信息表 VALUES (12, '孙浩',     '男', '1992-10-08', 6500,  1.77, 65,    0, '已离职',           2,    6);
INSERT INTO 人员信息表 VALUES (13, '胡雪',     '女', '1977-12-25', 12000, 1.63, 91,    1, '部门经理',         3,    36);
INSERT INTO 人员信息表 VALUES (14, '朱明',     '男', '1985-03-03', 8500,  1.70, 84.5,  1, NULL,               3,    13);
INSERT INTO 人员信息表 VALUES (15, '高洁',     '女', '1990-09-09', 6800,  1.61, 87,    1, NULL,               3,    13);
INSERT INTO 人员信息表 VALUES (16, '林峰',     '男', '1983-07-19', 9200,  1.75, 80,    1, '注册会计师',       3,    13);
INSERT INTO 人员信息表 VALUES (17, '何静',     '女', '1998-04-01', 5200,  1.57, 78.5,  1, NULL,               3,    13);
INSERT INTO 人员信息表 VALUES (18, '郭芳',     '女', '1980-05-20', 11000, 1.64, 89,    1, '部门经理',         4,    36);
INSERT INTO 人员信息表 VALUES (19, '马超',     '男', '1991-11-11', 6000,  1.81, 75,    1, '兼任培训讲师',     4,    18);
INSERT INTO 人员信息表 VALUES (20, '罗琳',     '女', '1997-03-08', 5500,  1.59, 82,    1, NULL,               4,    18);
INSERT INTO 人员信息表 VALUES (21, '梁晓东',   '男', '1986-08-15', 7000,  1.73, 70,    0, '已离职',           4,    18);
INSERT INTO 人员信息表 VALUES (22, '宋佳',     '女', '1984-02-14', 11500, 1.67, 93.5,  1, '部门经理',         5,    36);
INSERT INTO 人员信息表 VALUES (23, '郑伟',     '男', '1992-06-30', 8500,  1.79, 86,    1, NULL,               5,    22);
INSERT INTO 人员信息表 VALUES (24, '谢婷婷',   '女', '1995-12-12', 6200,  1.62, 83,    1, NULL,               5,    22);
INSERT INTO 人员信息表 VALUES (25, '韩冰',     '女', '1999-07-07', 6000,  1.68, 79,    1, NULL,               5,    22);
INSERT INTO 人员信息表 VALUES (26, '赵磊',     '男', '1990-01-15', 10500, 1.85, 95,    1, '技术骨干',         1,    1);
INSERT INTO 人员信息表 VALUES (27, '孙丽',     '女', '1994-10-20', 8200,  1.63, 88.25, 1, NULL,               1,    1);
INSERT INTO 人员信息表 VALUES (28, '唐欣',     '女', '1993-05-05', 6000,  1.65, 80.5,  1, NULL,               2,    6);
INSERT INTO 人员信息表 VALUES (29, '冯凯',     '男', '1988-09-28', 7800,  1.76, 77,    1, NULL,               5,    22);
INSERT INTO 人员信息表 VALUES (30, '董雪',     '女', '1996-02-29', 6300,  1.60, 85,    1, NULL,               3,    13);
INSERT INTO 人员信息表 VALUES (31, '周杰',     '男', '2000-11-30', 6800,  1.74, NULL,  1, '  待转正  ',       1,    1);
INSERT INTO 人员信息表 VALUES (32, '曹阳',     '男', '2002-04-18', 3000,  1.78, NULL,  1, '实习生',           NULL, NULL);
INSERT INTO 人员信息表 VALUES (33, '许诺',     '女', '2001-08-08', 3000,  1.62, NULL,  1, '实习生',           NULL, NULL);
INSERT INTO 人员信息表 VALUES (34, '欧阳明月', '女', '1975-06-06', 20000, 1.66, 90,    1, '外聘顾问',         NULL, 36);
INSERT INTO 人员信息表 VALUES (35, '司马光',   '男', '1970-01-01', 9000,  1.71, 68,    0, '已离职',           NULL, NULL);
INSERT INTO 人员信息表 VALUES (36, '王建国',   '男', '1968-10-01', 30000, 1.75, 96,    1, '总经理',           NULL, NULL);
