-- The tests' cost lines: 23 rows, Chinese texts, amounts with fraction zeros to drop.
CREATE TABLE cost_line (
  line_no    integer PRIMARY KEY,
  category   varchar(20),
  content    text,
  expression text,
  amount     numeric(12, 2),
  price      money,
  rate       double precision,
  ratio      real,
  travel_day date,
  note       text
);
INSERT INTO cost_line (line_no, category, content, expression, amount, price, rate, ratio, travel_day, note)
SELECT n,
       (ARRAY['房', '餐', '车', '导游', '景点门票'])[1 + n % 5],
       '第' || n || '项 北京饭店',
       '单价: ' || to_char(100 + n, 'FM999990.00') || ' × ' || n || '间 × 6天',
       (100 + n) * n * 6 + 0.50,
       1234.56,
       0.1 + n,
       0.25,
       date '2024-05-01' + n,
       'extra'
FROM generate_series(1, 23) AS n;
UPDATE cost_line SET amount = 120.50 WHERE line_no = 2;
