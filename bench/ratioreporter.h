// Prints Google Benchmark's usual table, keeps each benchmark's median time, and ends with the
// ratio of each of our conversions to its standard-library limit and the absolute goals.
#pragma once

#include <benchmark/benchmark.h>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace bench {

struct Comparison
{
    std::string ours;
    std::string limit;
    double goal = 0; // largest acceptable ratio; 0 for figures given for information
};

struct Deadline
{
    std::string ours;
    double goalSeconds = 0;
};

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter(std::vector<Comparison> comparisons, std::vector<Deadline> deadlines);

    void ReportRuns(const std::vector<Run> &runs) override;
    // Returns false when a goal was missed.
    bool printSummary(std::ostream &out) const;

private:
    const double *secondsOf(const std::string &name) const;

    std::vector<Comparison> m_comparisons;
    std::vector<Deadline> m_deadlines;
    std::map<std::string, double> m_seconds; // median real time per iteration
};

} // namespace bench
