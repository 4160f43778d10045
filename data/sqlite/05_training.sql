-- Training courses and exam scores. 数据分析 has no scores yet; a NULL
-- score means the person missed the exam; several scores tie.
CREATE TABLE 课程表 (
    课程编号 INTEGER PRIMARY KEY,
    课程名称 VARCHAR(20) NOT NULL UNIQUE,
    学时     INTEGER,
    类别     VARCHAR(10)
);
INSERT INTO 课程表 VALUES (1, 'SQL入门',  16, '技术');
INSERT INTO 课程表 VALUES (2, '沟通技巧', 8,  '通用');
INSERT INTO 课程表 VALUES (3, '财务基础', 12, '财务');
INSERT INTO 课程表 VALUES (4, '项目管理', 24, '管理');
INSERT INTO 课程表 VALUES (5, '商务英语', 32, '通用');
INSERT INTO 课程表 VALUES (6, '数据分析', 20, '技术');

CREATE TABLE 培训成绩表 (
    人员编号 INTEGER NOT NULL REFERENCES 人员信息表 (编号),
    课程编号 INTEGER NOT NULL REFERENCES 课程表 (课程编号),
    成绩     NUMERIC(5,1),
    考试日期 DATE,
    PRIMARY KEY (人员编号, 课程编号)
);
INSERT INTO 培训成绩表 VALUES (2,  1, 92,   '2023-04-15');
INSERT INTO 培训成绩表 VALUES (3,  1, 85,   '2023-04-15');
INSERT INTO 培训成绩表 VALUES (4,  1, 78,   '2023-04-15');
INSERT INTO 培训成绩表 VALUES (5,  1, 92,   '2023-04-15');
INSERT INTO 培训成绩表 VALUES (26, 1, 96,   '2023-04-15');
INSERT INTO 培训成绩表 VALUES (27, 1, 85,   '2023-04-15');
INSERT INTO 培训成绩表 VALUES (31, 1, 66.5, '2023-04-15');
INSERT INTO 培训成绩表 VALUES (32, 1, NULL, '2023-04-15');
INSERT INTO 培训成绩表 VALUES (14, 1, 71,   '2023-04-15');
INSERT INTO 培训成绩表 VALUES (24, 1, 58,   '2023-04-15');
INSERT INTO 培训成绩表 VALUES (7,  2, 88,   '2023-05-20');
INSERT INTO 培训成绩表 VALUES (8,  2, 75,   '2023-05-20');
INSERT INTO 培训成绩表 VALUES (9,  2, 82,   '2023-05-20');
INSERT INTO 培训成绩表 VALUES (10, 2, 60,   '2023-05-20');
INSERT INTO 培训成绩表 VALUES (11, 2, 88,   '2023-05-20');
INSERT INTO 培训成绩表 VALUES (19, 2, 90,   '2023-05-20');
INSERT INTO 培训成绩表 VALUES (20, 2, 79,   '2023-05-20');
INSERT INTO 培训成绩表 VALUES (23, 2, 85,   '2023-05-20');
INSERT INTO 培训成绩表 VALUES (28, 2, NULL, '2023-05-20');
INSERT INTO 培训成绩表 VALUES (13, 3, 95,   '2023-06-10');
INSERT INTO 培训成绩表 VALUES (14, 3, 89,   '2023-06-10');
INSERT INTO 培训成绩表 VALUES (15, 3, 89,   '2023-06-10');
INSERT INTO 培训成绩表 VALUES (16, 3, 93,   '2023-06-10');
INSERT INTO 培训成绩表 VALUES (17, 3, 72,   '2023-06-10');
INSERT INTO 培训成绩表 VALUES (30, 3, 81,   '2023-06-10');
INSERT INTO 培训成绩表 VALUES (1,  4, 87,   '2023-09-16');
INSERT INTO 培训成绩表 VALUES (6,  4, 84,   '2023-09-16');
INSERT INTO 培训成绩表 VALUES (13, 4, 80,   '2023-09-16');
INSERT INTO 培训成绩表 VALUES (18, 4, 90,   '2023-09-16');
INSERT INTO 培训成绩表 VALUES (22, 4, 91,   '2023-09-16');
INSERT INTO 培训成绩表 VALUES (26, 4, 78.5, '2023-09-16');
INSERT INTO 培训成绩表 VALUES (2,  4, 84,   '2023-09-16');
INSERT INTO 培训成绩表 VALUES (7,  5, 76,   '2023-11-25');
INSERT INTO 培训成绩表 VALUES (11, 5, 55,   '2023-11-25');
INSERT INTO 培训成绩表 VALUES (22, 5, 88,   '2023-11-25');
INSERT INTO 培训成绩表 VALUES (24, 5, 69,   '2023-11-25');
INSERT INTO 培训成绩表 VALUES (25, 5, 92,   '2023-11-25');
INSERT INTO 培训成绩表 VALUES (33, 5, 81,   '2023-11-25');
