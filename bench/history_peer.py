#!/usr/bin/env python3
"""The peer: Python's sqlite3 on the same history FILE, set up as the program sets it up (WAL,
synchronous=NORMAL, foreign keys): the median milliseconds to record one run with eight
figures in its own transaction (RUNS times, about another site), and to read the runs of
INPUT and KEYWORD with their figures, newest first, into Python objects."""
import sqlite3
import statistics
import sys
import time

path, input_, keyword, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
db = sqlite3.connect(path, isolation_level=None, timeout=2)
db.execute("PRAGMA journal_mode=WAL")
db.execute("PRAGMA synchronous=NORMAL")
db.execute("PRAGMA foreign_keys=ON")

engines = ["百度", "Google", "雅虎", "搜狗", "搜搜", "有道", "中搜", "必应"]
record_times = []
for i in range(runs):
    started = 1793577600000 + i * 600000
    t = time.perf_counter()
    db.execute("BEGIN IMMEDIATE")
    cur = db.execute(
        "INSERT INTO runs (tool, input, keyword, options, started, ended, outcome, error, demo)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        ("keyword-rank", "peer.cn", "关键词", '{"pages":10}', started, started + 4000, "done",
         "", 0))
    run_id = cur.lastrowid
    db.executemany(
        "INSERT INTO figures (run_id, position, label, text, number, why, detail, address)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
        [(run_id, e, engines[e], str(e + 1), e + 1, "", "", "http://127.0.0.1/s")
         for e in range(8)])
    db.execute("COMMIT")
    record_times.append(time.perf_counter() - t)


def read():
    rows = db.execute(
        "SELECT r.id, r.tool, r.input, r.keyword, r.options, r.started, r.ended, r.outcome,"
        " r.error, r.demo, f.label, f.text, f.number, f.why, f.detail, f.address"
        " FROM (SELECT * FROM runs WHERE tool = ? AND input = ? AND keyword = ?"
        " ORDER BY started DESC, id DESC LIMIT -1) AS r"
        " LEFT JOIN figures AS f ON f.run_id = r.id"
        " ORDER BY r.started DESC, r.id DESC, f.position",
        ("keyword-rank", input_, keyword))
    result = []
    for row in rows:
        if not result or result[-1]["id"] != row[0]:
            result.append({"id": row[0], "tool": row[1], "input": row[2], "keyword": row[3],
                           "options": row[4], "started": row[5], "ended": row[6],
                           "outcome": row[7], "error": row[8], "demo": bool(row[9]),
                           "figures": []})
        if row[10] is not None:
            result[-1]["figures"].append({"label": row[10], "text": row[11], "number": row[12],
                                          "why": row[13], "detail": row[14],
                                          "address": row[15]})
    return result


read_times = []
shown = 0
for _ in range(5):
    t = time.perf_counter()
    shown = len(read())
    read_times.append(time.perf_counter() - t)

# Leave the file as the program found it: the peer's runs are not the benchmark's.
db.execute("DELETE FROM runs WHERE input = 'peer.cn'")
print("%.3f %.3f %d" % (statistics.median(record_times) * 1e3,
                        statistics.median(read_times) * 1e3, shown))
