#pragma once
// What the benchmark programs share: the documents they time, and a console report that ends
// with the throughput ratios and targets, so that one run answers the question it is run for.
#include "tools/mkbgen/mkbgen.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#ifndef MKB_EMBEDDED_DOCUMENT
#error "MKB_EMBEDDED_DOCUMENT must name the generated classification document"
#endif

struct TBenchDocument {
    const char* Label;
    const std::string* Bytes;
};

inline std::string ReadWholeFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path);
        std::exit(1);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The embedded document as the build made it, and the synthetic one of the full scale.
inline const std::vector<TBenchDocument>& BenchDocuments() {
    static const std::string embedded = ReadWholeFile(MKB_EMBEDDED_DOCUMENT);
    static const std::string synthetic = GenerateSyntheticClassification();
    static const std::vector<TBenchDocument> docs = {{"embedded", &embedded},
                                                     {"synthetic", &synthetic}};
    return docs;
}

// Prints the usual table, then the summary lines the caller derives from the collected runs.
class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    struct TFigures {
        double BytesPerSecond{0};
        double RealMs{0};
        double CpuMs{0};
        std::map<std::string, double> Counters;
    };
    using TSummary = std::function<void(const std::map<std::string, TFigures>&)>;

    explicit TSummaryReporter(TSummary summary) : FSummary(std::move(summary)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // Repeated runs are summed up by their median, which no single repetition replaces.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || (run.run_type != Run::RT_Iteration && !median))
                continue;
            if (!median && FMedians.count(run.run_name.function_name))
                continue;
            if (median)
                FMedians.insert(run.run_name.function_name);
            TFigures& f = FRuns[run.run_name.function_name];
            auto bps = run.counters.find("bytes_per_second");
            f.BytesPerSecond = bps == run.counters.end() ? 0 : bps->second.value;
            const double toMs = run.time_unit == benchmark::kMillisecond   ? 1.0
                                : run.time_unit == benchmark::kMicrosecond ? 1e-3
                                : run.time_unit == benchmark::kNanosecond  ? 1e-6
                                                                           : 1e3;
            f.RealMs = run.GetAdjustedRealTime() * toMs;
            f.CpuMs = run.GetAdjustedCPUTime() * toMs;
            for (const auto& [name, counter] : run.counters)
                f.Counters[name] = counter.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n");
        FSummary(FRuns);
        std::fflush(stdout);
    }

private:
    TSummary FSummary;
    std::map<std::string, TFigures> FRuns;
    std::set<std::string> FMedians;
};

inline int RunBenchmarks(int argc, char** argv, TSummaryReporter::TSummary summary) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TSummaryReporter reporter(std::move(summary));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
