#!/usr/bin/env python3
"""An export's SQLite database read back with Python's sqlite3, as a user reads it.

    database_rows.py compare DB CSV_FOLDER MINUTES
        every symbol's quotes, and its bars of MINUTES, in DB against the CSV export of the
        same folder (SYMBOL.csv, SYMBOL-LENGTH.csv); prints each difference, exits 1 on one
    database_rows.py dump DB
        every quote, bar and day of DB, one per line, for two exports to be compared
"""
import csv
import datetime
import pathlib
import sqlite3
import sys

LENGTHS = {1: "1min", 5: "5min", 15: "15min", 30: "30min", 60: "1h", 240: "4h", 1440: "1d"}


def seconds(date, time):
    moment = datetime.datetime.strptime(date + " " + time, "%Y-%m-%d %H:%M")
    return int(moment.replace(tzinfo=datetime.timezone.utc).timestamp())


def csv_rows(path):
    with open(path, newline="") as file:
        return list(csv.DictReader(file))


def compare(database, folder, minutes):
    connection = sqlite3.connect(database)
    differences = 0
    symbols = [row[0] for row in connection.execute("SELECT symbol FROM symbol_ids ORDER BY symbol")]
    for symbol in symbols:
        stored = connection.execute(
            "SELECT time, price FROM quotes WHERE symbol = ? ORDER BY time, n", (symbol,)).fetchall()
        written = [(seconds(row["date"], row["time"]), float(row["price"]))
                   for row in csv_rows(pathlib.Path(folder) / (symbol + ".csv"))]
        if stored != written:
            print(f"{symbol}: {len(stored)} quotes in the database, {len(written)} in the CSV")
            differences += 1
        bars = connection.execute(
            "SELECT local_time, open, high, low, close, ticks FROM bars"
            " WHERE symbol = ? AND minutes = ? ORDER BY time", (symbol, minutes)).fetchall()
        written = [(row["date"] + " " + row["time"] + ":00", float(row["open"]),
                    float(row["high"]), float(row["low"]), float(row["close"]), int(row["ticks"]))
                   for row in csv_rows(pathlib.Path(folder) / f"{symbol}-{LENGTHS[minutes]}.csv")]
        if bars != written:
            print(f"{symbol}: {len(bars)} bars in the database, {len(written)} in the CSV")
            differences += 1
    print(f"{len(symbols)} symbols compared, {differences} differences")
    return 1 if differences or not symbols else 0


def dump(database):
    connection = sqlite3.connect(database)
    for row in connection.execute("SELECT symbol, time, n, price FROM quotes ORDER BY symbol, time, n"):
        print("quote", *row, sep="|")
    for row in connection.execute(
            "SELECT symbol, minutes, day, time, open, high, low, close, ticks FROM bars"
            " ORDER BY symbol, minutes, time"):
        print("bar", *row, sep="|")
    for row in connection.execute("SELECT symbol, day, quotes FROM days ORDER BY symbol, day"):
        print("day", *row, sep="|")
    return 0


if __name__ == "__main__":
    if sys.argv[1] == "compare":
        sys.exit(compare(sys.argv[2], sys.argv[3], int(sys.argv[4])))
    sys.exit(dump(sys.argv[2]))
