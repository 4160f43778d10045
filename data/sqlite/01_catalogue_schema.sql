-- The catalogue of SQL examples shown as the tree.
CREATE TABLE sql信息表 (
    编号     INTEGER PRIMARY KEY,
    事件     VARCHAR(50),
    父编号   INTEGER,
    级别     INTEGER,
    SQL语句  MEMO,
    执行方式 VARCHAR(50),
    源码段   MEMO,
    数据集   LONGBINARY
);
