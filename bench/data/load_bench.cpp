// The classification loader: time of a full load into a fresh store, and its peak memory.
#include "bench/xml/benchsupport.h"
#include "data/loader.h"
#include "text/codepages.h"

#include <pugixml.hpp>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

using namespace mkb::text;

namespace {

// Slots for a document: its record count plus the empty last one, as the store has.
std::size_t StoreSlots(const std::string& doc) {
    std::size_t records = 0;
    for (std::size_t at = doc.find("</rec>"); at != std::string::npos;
         at = doc.find("</rec>", at + 6))
        ++records;
    return records + 1;
}

void BM_Load(benchmark::State& state, const std::string* doc) {
    const std::size_t slots = StoreSlots(*doc);
    for (auto _ : state) {
        // A zero-initialised store each time, as at start-up; making and freeing it is not
        // the loader's cost.
        state.PauseTiming();
        auto store = std::make_unique<std::vector<TMKBRec>>(slots);
        state.ResumeTiming();
        LoadClassificationInto(*store, *doc);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc->size()));
    state.counters["records"] = static_cast<double>(slots - 1);
}

// ---- the peer: pugixml's in-place parse, then a walk that fills a store of the same shape ----

void Decode(const char* raw, std::u16string& out) {
    const std::size_t n = std::strlen(raw);
    out.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = Cp1251Table[static_cast<unsigned char>(raw[i])];
    for (const char* p = std::strstr(raw, "\\n\\r"); p; p = std::strstr(p + 4, "\\n\\r"))
        std::copy_n(u"<br>", 4, out.data() + (p - raw));
}

void FillFromDom(const pugi::xml_document& d, std::vector<TMKBRec>& store) {
    std::size_t index = 0;
    for (pugi::xml_node rec = d.child("data").child("rec"); rec && index < store.size();
         rec = rec.next_sibling("rec"), ++index) {
        TMKBRec& r = store[index];
        for (pugi::xml_node field = rec.first_child(); field; field = field.next_sibling()) {
            const char* name = field.name();
            const char* value = field.child_value();
            if (std::strcmp(name, "id") == 0)
                r.id = static_cast<std::int32_t>(std::strtol(value, nullptr, 10));
            else if (std::strcmp(name, "parent_id") == 0)
                r.parent_id = static_cast<std::int32_t>(std::strtol(value, nullptr, 10));
            else if (std::strcmp(name, "code") == 0)
                r.code.assign(value, std::min<std::size_t>(std::strlen(value), MKBCodeMaxBytes));
            else if (std::strcmp(name, "name") == 0)
                Decode(value, r.name);
            else if (std::strcmp(name, "incl") == 0)
                Decode(value, r.incl);
            else if (std::strcmp(name, "excl") == 0)
                Decode(value, r.excl);
            else if (std::strcmp(name, "note") == 0)
                Decode(value, r.note);
        }
        r.child_count = -1;
    }
}

void BM_PugiFill(benchmark::State& state, const std::string* doc) {
    const std::size_t slots = StoreSlots(*doc);
    std::unique_ptr<char[]> copy(new char[doc->size()]);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(copy.get(), doc->data(), doc->size());
        auto store = std::make_unique<std::vector<TMKBRec>>(slots);
        state.ResumeTiming();
        pugi::xml_document d;
        if (!d.load_buffer_inplace(copy.get(), doc->size(), pugi::parse_default,
                                   pugi::encoding_utf8)) {
            state.SkipWithError("pugixml could not parse the document");
            break;
        }
        FillFromDom(d, *store);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc->size()));
}

// ---- peak memory, measured in a child process so that nothing earlier distorts it ----

struct TMemoryFigures {
    long BaseKb{0};       // resident before the load (the document bytes included)
    long PeakKb{0};       // high-water mark during the load
    long AfterKb{0};      // resident after the load, the store filled
    long MaxRssBefore{0}; // getrusage ru_maxrss before and after
    long MaxRssAfter{0};
    double ColdMs{0};    // the load itself, in a process that has not loaded before
    double ColdCpuMs{0}; // its processor time (user and system), less disturbed by other load
    long ColdFaults{0};  // minor page faults during it: first touches of fresh memory
};

long StatusKb(const char* field) {
    std::string status = ReadWholeFile("/proc/self/status");
    std::size_t at = status.find(field);
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + std::strlen(field) + 1);
}

long MaxRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

TMemoryFigures MeasureLoadMemory(const std::string& doc) {
    TMemoryFigures figures;
    int fds[2];
    if (pipe(fds) != 0)
        return figures;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        TMemoryFigures f;
        // Hand the pages the parent freed back, so that the load's own allocations show, then
        // reset the high-water mark to what is resident now.
        malloc_trim(0);
        if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", clear);
            std::fclose(clear);
        }
        f.MaxRssBefore = MaxRssKb();
        f.BaseKb = StatusKb("VmHWM:");
        {
            auto store = std::make_unique<std::vector<TMKBRec>>(StoreSlots(doc));
            rusage u0{}, u1{};
            getrusage(RUSAGE_SELF, &u0);
            const auto t0 = std::chrono::steady_clock::now();
            LoadClassificationInto(*store, doc);
            f.ColdMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count();
            getrusage(RUSAGE_SELF, &u1);
            auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
            f.ColdCpuMs = ms(u1.ru_utime) - ms(u0.ru_utime) + ms(u1.ru_stime) - ms(u0.ru_stime);
            f.ColdFaults = u1.ru_minflt - u0.ru_minflt;
            f.PeakKb = StatusKb("VmHWM:");
            f.AfterKb = StatusKb("VmRSS:");
            f.MaxRssAfter = MaxRssKb();
        }
        ssize_t n = write(fds[1], &f, sizeof f);
        _exit(n == static_cast<ssize_t>(sizeof f) ? 0 : 1);
    }
    close(fds[1]);
    if (child > 0) {
        if (read(fds[0], &figures, sizeof figures) != static_cast<ssize_t>(sizeof figures))
            figures = {};
        waitpid(child, nullptr, 0);
    }
    close(fds[0]);
    return figures;
}

void Summary(const std::map<std::string, TSummaryReporter::TFigures>& runs) {
    for (const TBenchDocument& d : BenchDocuments()) {
        auto it = runs.find(std::string("LoadClassificationInto/") + d.Label);
        if (it == runs.end())
            continue;
        const TMemoryFigures m = MeasureLoadMemory(*d.Bytes);
        const TSummaryReporter::TFigures& run = it->second;
        const bool synthetic = std::string(d.Label) == "synthetic";
        auto peer = runs.find(std::string("pugixml+fill/") + d.Label);
        // Wall time is what the user waits; processor time shows the cost when other work
        // shares the machine.
        std::printf("%s (%.1f MB, %.0f records): load %.1f ms (%.1f ms processor time), %.0f MB/s",
                    d.Label, d.Bytes->size() / 1e6, run.Counters.at("records"), run.RealMs,
                    run.CpuMs, run.BytesPerSecond / 1e6);
        if (synthetic)
            std::printf(" (target <= 60 ms: %s)", run.RealMs <= 60  ? "met"
                                                  : run.CpuMs <= 60 ? "met in processor time only"
                                                                    : "MISSED");
        std::printf("\n");
        if (peer != runs.end()) {
            const double ratio = run.CpuMs / peer->second.CpuMs;
            std::printf("  pugixml in place + fill: %.1f ms (%.1f ms processor time); loader / "
                        "peer = %.2f in processor time (target <= 1.3: %s)\n",
                        peer->second.RealMs, peer->second.CpuMs, ratio,
                        ratio <= 1.3 ? "met" : "MISSED");
        }
        std::printf("  first load in a fresh process: %.1f ms (%.1f ms processor time, %ld page "
                    "faults)\n",
                    m.ColdMs, m.ColdCpuMs, m.ColdFaults);
        std::printf("  memory: resident %.1f MB before, peak %.1f MB during (+%.1f MB), "
                    "%.1f MB after (+%.1f MB kept by the store); ru_maxrss %.1f -> %.1f MB\n",
                    m.BaseKb / 1024.0, m.PeakKb / 1024.0, (m.PeakKb - m.BaseKb) / 1024.0,
                    m.AfterKb / 1024.0, (m.AfterKb - m.BaseKb) / 1024.0, m.MaxRssBefore / 1024.0,
                    m.MaxRssAfter / 1024.0);
    }
}

} // namespace

int main(int argc, char** argv) {
    for (const TBenchDocument& d : BenchDocuments()) {
        benchmark::RegisterBenchmark((std::string("LoadClassificationInto/") + d.Label).c_str(),
                                     BM_Load, d.Bytes)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
        benchmark::RegisterBenchmark((std::string("pugixml+fill/") + d.Label).c_str(), BM_PugiFill,
                                     d.Bytes)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
    }
    return RunBenchmarks(argc, argv, Summary);
}
