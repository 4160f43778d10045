-- The few SQL Server catalogue objects the program asks for, supplied by the
-- PostgreSQL server that stands in for SQL Server in the tests. Loaded into
-- the database mstest after its schema public was emptied, before the tables.

-- SQL Server compares texts without regard to case under its default
-- collation; the program's table listing asks for xtype='u'.
CREATE COLLATION public.sqlserver_ci (provider = icu, locale = 'und-u-ks-level2', deterministic = false);

-- sysobjects: one row per user table (xtype 'U') and per view (xtype 'V'),
-- in the order the objects were created. status is never negative for them.
CREATE VIEW public.sysobjects AS
SELECT c.relname::varchar(128) AS name,
       (CASE WHEN c.relkind = 'v' THEN 'V' ELSE 'U' END)::varchar(2) COLLATE public.sqlserver_ci AS xtype,
       0 AS status,
       c.oid::integer AS id
  FROM pg_catalog.pg_class c
  JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
 WHERE n.nspname = 'public' AND c.relkind IN ('r', 'p', 'v')
 ORDER BY c.oid;

-- ISNULL(a, b): the first argument unless it is NULL. One definition serves
-- every pair of argument types that have a common type.
CREATE FUNCTION public.isnull(anycompatible, anycompatible) RETURNS anycompatible
    LANGUAGE sql IMMUTABLE AS 'SELECT coalesce($1, $2)';

-- SQL Server answers information_schema.columns in column order; PostgreSQL's
-- view answers in whatever order its join produces (text columns tend to come
-- last). Put an ordered view in its place, once per database.
DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_catalog.pg_views
                    WHERE schemaname = 'information_schema' AND viewname = 'columns_unordered') THEN
        ALTER VIEW information_schema.columns RENAME TO columns_unordered;
        CREATE VIEW information_schema.columns AS
            SELECT * FROM information_schema.columns_unordered
             ORDER BY table_catalog, table_schema, table_name, ordinal_position;
        GRANT SELECT ON information_schema.columns TO PUBLIC;
    END IF;
END
$$;
