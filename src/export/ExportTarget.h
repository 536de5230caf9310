// Where an export writes: the small interface between the reading side (day files, quotes,
// bars in the zone of the export) and each kind of output, the text files of a layout
// (TextTarget.h) or a database (SqliteTarget.h). The reading side hands a target each symbol
// as the zone's days, in time order, with their quotes and bars.
#pragma once

#include <QDate>
#include <QString>

#include <span>
#include <string_view>
#include <vector>

namespace pellmark {

struct ExportReport;

// A quote as the export hands it on: its moment, its place on the zone's clock and its
// price as the day file holds it.
struct ExportQuote {
    long long time = 0;     // seconds since 1970, GMT
    int offset = 0;         // seconds the zone's clock is ahead of GMT then
    int second = 0;         // of the zone's day
    int n = 0;              // its place among the quotes of its time, from 0
    std::string_view price; // digits, optionally a point and more digits
    bool running = false;   // from the file of a running day
    bool fresh = false;     // from a file the target asked for, not only read beside one
};

// Quotes of one bar: the first and last by time, the highest and lowest by value.
struct ExportBar {
    long long time = 0; // of its start, seconds since 1970
    int offset = 0;     // the zone's offset at its first quote
    int second = 0;     // of the zone's day at its start: its name
    std::string_view open, high, low, close;
    long long ticks = 0;
};

// One day of the zone: its quotes in time order (the autumn hour that happens twice in the
// order the quotes came) and, per bar length the target asked for, its bars.
struct ExportDay {
    QDate day;
    std::span<const ExportQuote> quotes;
    std::span<const std::vector<ExportBar>> bars;
};

// A day file of the symbol in hand.
struct DayFileEntry {
    QString path;
    QDate day; // the service's (GMT) day it holds
};

// How a symbol ended.
struct SymbolEnd {
    bool keep = true;           // false: its files were read in the wrong layout
    std::vector<QDate> running; // the running days among the files read, in date order
    QDate lastDay;              // of its newest day file
};

class ExportTarget {
public:
    virtual ~ExportTarget() = default;
    // The bar lengths in minutes whose bars each day brings; empty: quotes only.
    virtual std::vector<int> BarLengths() const = 0;
    // Starts a symbol with its day files in date order; true for each file whose quotes it
    // needs (a target that keeps what it wrote before asks for the changed files only).
    virtual std::vector<bool> StartSymbol(const QString& symbol,
                                          const std::vector<DayFileEntry>& files) = 0;
    // A file it asked for was read and held quotes quotes, before any of them is handed on.
    virtual void FileRead(const DayFileEntry& file, long long quotes, bool running) = 0;
    virtual void AddDay(const ExportDay& day) = 0;
    // Ends the symbol; what the target holds of a symbol not kept stays as it was.
    virtual void EndSymbol(const SymbolEnd& end, ExportReport& report) = 0;
    // Makes every symbol kept durable at once, naming what was written in the report.
    virtual void Finish(ExportReport& report) = 0;
};

} // namespace pellmark
