// The text files of a layout as an export's target: one file per symbol in the output
// folder (OUTDIR/AUDUSD.csv), written whole or not at all, all of them taking their names
// together after one sync of the file system (WholeFiles.h). Every day file is read each time.
#pragma once

#include "core/WholeFiles.h"
#include "export/ExportLayout.h"
#include "export/ExportReport.h"
#include "export/ExportTarget.h"
#include "export/LayoutRows.h"

#include <QDir>

#include <map>
#include <optional>
#include <string>

namespace pellmark {

class TextTarget : public ExportTarget {
public:
    // barMinutes 0: quotes; withRunningDay: the bars hold the running days.
    TextTarget(const QString& outDir, const ExportLayout& layout, int barMinutes,
               bool withRunningDay);

    std::vector<int> BarLengths() const override;
    std::vector<bool> StartSymbol(const QString& symbol,
                                  const std::vector<DayFileEntry>& files) override;
    void FileRead(const DayFileEntry&, long long, bool) override {}
    void AddDay(const ExportDay& day) override;
    void EndSymbol(const SymbolEnd& end, ExportReport& report) override;
    void Finish(ExportReport& report) override;

private:
    QDir outDir_;
    const ExportLayout& layout_;
    int barMinutes_;
    bool withRunningDay_;
    WholeFiles files_;
    std::optional<LayoutRows> rows_;
    QString symbol_;
    std::string bytes_;
    long long rowCount_ = 0;
    QDate first_, last_;                      // the days that gave rows
    std::map<QString, ExportedSeries> added_; // by path
};

} // namespace pellmark
