// The closing summary of the benchmark run: medians over the repetitions, or the one run when
// there are no repetitions.
#include "ratioreporter.h"

#include <iomanip>
#include <ostream>

namespace bench {

RatioReporter::RatioReporter(std::vector<Comparison> comparisons, std::vector<Deadline> deadlines)
    : ConsoleReporter(OO_Tabular)
    , m_comparisons(std::move(comparisons))
    , m_deadlines(std::move(deadlines))
{
}

void RatioReporter::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        if (run.error_occurred)
            continue;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
        if (median || single) {
            m_seconds[run.run_name.function_name]
                = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }
}

const double *RatioReporter::secondsOf(const std::string &name) const
{
    const auto found = m_seconds.find(name);
    return found == m_seconds.end() ? nullptr : &found->second;
}

bool RatioReporter::printSummary(std::ostream &out) const
{
    bool met = true;
    out << "\nRatios, median real time, ours / limit:\n" << std::fixed << std::setprecision(2);
    for (const Comparison &c : m_comparisons) {
        const double *ours = secondsOf(c.ours);
        const double *limit = secondsOf(c.limit);
        if (!ours || !limit)
            continue;
        const double ratio = *ours / *limit;
        out << "  " << std::left << std::setw(44) << c.ours << " / " << std::setw(52) << c.limit
            << std::right << std::setw(7) << ratio << "x";
        if (c.goal > 0) {
            out << "   goal <= " << c.goal << "x: " << (ratio <= c.goal ? "met" : "MISSED");
            met = met && ratio <= c.goal;
        }
        out << '\n';
    }
    out << "Absolute goals, median real time:\n";
    for (const Deadline &d : m_deadlines) {
        const double *ours = secondsOf(d.ours);
        if (!ours)
            continue;
        const bool inTime = *ours <= d.goalSeconds;
        out << "  " << std::left << std::setw(44) << d.ours << std::right << std::setw(10)
            << *ours * 1e6 << " us   goal <= " << d.goalSeconds * 1e6
            << " us: " << (inTime ? "met" : "MISSED") << '\n';
        met = met && inTime;
    }
    return met;
}

} // namespace bench
