// Scanning throughput: TXmlParser against expat and pugixml on the same documents.
#include "bench/xml/benchsupport.h"
#include "xml/xmlparser.h"

#include <expat.h>
#include <pugixml.hpp>
#include <strings.h>

#include <cstring>
#include <memory>

namespace {

// What a reader of the scanner does per part: look at the name and the content.
void BM_TXmlParserScan(benchmark::State& state, const std::string* doc) {
    TXmlParser parser;
    parser.LoadFromMemory(doc->c_str());
    std::size_t touched = 0;
    for (auto _ : state) {
        parser.Rewind();
        while (parser.NextPart())
            touched += parser.PartName.size() + parser.PartContent.size();
        benchmark::DoNotOptimize(touched);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc->size()));
}

// The same with the scanner's own copy of the text made each time, as a first load does.
void BM_TXmlParserLoadScan(benchmark::State& state, const std::string* doc) {
    std::size_t touched = 0;
    for (auto _ : state) {
        TXmlParser parser;
        parser.LoadFromMemory(doc->c_str());
        while (parser.NextPart())
            touched += parser.PartName.size() + parser.PartContent.size();
        benchmark::DoNotOptimize(touched);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc->size()));
}

// ---- expat: names and character data copied out, as the scanner hands them out ----

struct TExpatSink {
    std::string Name;
    std::string Content;
    std::size_t Touched{0};
};

void XMLCALL ExpatStart(void* data, const XML_Char* name, const XML_Char** attrs) {
    auto* sink = static_cast<TExpatSink*>(data);
    sink->Name.assign(name);
    for (; *attrs; attrs += 2)
        sink->Touched += std::strlen(attrs[0]) + std::strlen(attrs[1]);
    sink->Touched += sink->Name.size() + sink->Content.size();
    sink->Content.clear();
}

void XMLCALL ExpatEnd(void* data, const XML_Char* name) {
    auto* sink = static_cast<TExpatSink*>(data);
    sink->Touched += sink->Name.size() + sink->Content.size();
    sink->Name.assign(name);
    sink->Content.clear();
}

void XMLCALL ExpatText(void* data, const XML_Char* s, int len) {
    static_cast<TExpatSink*>(data)->Content.append(s, static_cast<std::size_t>(len));
}

// windows-1251 is not one of expat's own encodings; this is its byte table.
int XMLCALL ExpatUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    if (strcasecmp(name, "windows-1251") != 0)
        return XML_STATUS_ERROR;
    static constexpr unsigned short kHigh[64] = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
        0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
        0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
        0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
        0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
    for (int b = 0; b < 256; ++b)
        info->map[b] = b < 0x80 ? b : b < 0xC0 ? kHigh[b - 0x80] : 0x0410 + (b - 0xC0);
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

// encoding nullptr: the document's declaration, through the table above; "ISO-8859-1": the
// bytes taken as Latin-1, expat's cheapest way to pass 8-bit text.
void BM_Expat(benchmark::State& state, const std::string* doc, const char* encoding) {
    TExpatSink sink;
    for (auto _ : state) {
        XML_Parser p = XML_ParserCreate(encoding);
        XML_SetUserData(p, &sink);
        XML_SetElementHandler(p, ExpatStart, ExpatEnd);
        XML_SetCharacterDataHandler(p, ExpatText);
        XML_SetUnknownEncodingHandler(p, ExpatUnknownEncoding, nullptr);
        if (XML_Parse(p, doc->data(), static_cast<int>(doc->size()), 1) != XML_STATUS_OK) {
            state.SkipWithError(XML_ErrorString(XML_GetErrorCode(p)));
            XML_ParserFree(p);
            break;
        }
        XML_ParserFree(p);
        benchmark::DoNotOptimize(sink.Touched);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc->size()));
}

// ---- pugixml: the in-memory DOM; the bytes pass as they are (no encoding conversion) ----

std::size_t WalkDom(const pugi::xml_node& root) {
    std::size_t touched = 0;
    for (pugi::xml_node n = root.first_child(); n;) {
        touched += std::strlen(n.name()) + std::strlen(n.value());
        if (n.first_child())
            n = n.first_child();
        else {
            while (n && !n.next_sibling() && n != root)
                n = n.parent();
            if (!n || n == root)
                break;
            n = n.next_sibling();
        }
    }
    return touched;
}

void BM_PugiInplace(benchmark::State& state, const std::string* doc, bool walk) {
    std::unique_ptr<char[]> copy(new char[doc->size()]);
    std::size_t touched = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(copy.get(), doc->data(), doc->size());
        state.ResumeTiming();
        pugi::xml_document d;
        pugi::xml_parse_result r = d.load_buffer_inplace(copy.get(), doc->size(),
                                                         pugi::parse_default, pugi::encoding_utf8);
        if (!r) {
            state.SkipWithError(r.description());
            break;
        }
        if (walk)
            touched += WalkDom(d);
        benchmark::DoNotOptimize(touched);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc->size()));
}

void BM_PugiCopy(benchmark::State& state, const std::string* doc) {
    for (auto _ : state) {
        pugi::xml_document d;
        pugi::xml_parse_result r =
            d.load_buffer(doc->data(), doc->size(), pugi::parse_default, pugi::encoding_utf8);
        if (!r) {
            state.SkipWithError(r.description());
            break;
        }
        benchmark::DoNotOptimize(d.first_child());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc->size()));
}

void Summary(const std::map<std::string, TSummaryReporter::TFigures>& runs) {
    auto rate = [&runs](const std::string& name) {
        auto it = runs.find(name);
        return it == runs.end() ? 0.0 : it->second.BytesPerSecond;
    };
    for (const TBenchDocument& d : BenchDocuments()) {
        const std::string doc = d.Label;
        const double scan = rate("TXmlParser/scan/" + doc);
        const double loadScan = rate("TXmlParser/load+scan/" + doc);
        const double expat = rate("expat/windows-1251/" + doc);
        const double expatLatin1 = rate("expat/latin1/" + doc);
        const double pugi = rate("pugixml/load_buffer_inplace/" + doc);
        if (scan == 0)
            continue;
        // A filtered run (say the scanner against pugixml alone) still gets its ratio.
        if (expat == 0) {
            std::printf("%s: TXmlParser %.0f MB/s; pugixml in place %.0f MB/s; "
                        "TXmlParser / pugixml in place = %.2f\n",
                        d.Label, scan / 1e6, pugi / 1e6, pugi > 0 ? scan / pugi : 0.0);
            continue;
        }
        std::printf("%s (%.1f MB): TXmlParser %.0f MB/s (with its copy %.0f MB/s); "
                    "expat %.0f MB/s (as Latin-1 %.0f MB/s); pugixml in place %.0f MB/s\n",
                    d.Label, d.Bytes->size() / 1e6, scan / 1e6, loadScan / 1e6, expat / 1e6,
                    expatLatin1 / 1e6, pugi / 1e6);
        std::printf("  TXmlParser / expat = %.2f (with its copy %.2f; target >= 1.5: %s); "
                    "TXmlParser / pugixml in place = %.2f\n",
                    scan / expat, loadScan / expat, scan / expat >= 1.5 ? "met" : "MISSED",
                    pugi > 0 ? scan / pugi : 0.0);
    }
}

} // namespace

int main(int argc, char** argv) {
    for (const TBenchDocument& d : BenchDocuments()) {
        const std::string doc = d.Label;
        const std::string* bytes = d.Bytes;
        auto add = [&doc](const std::string& name, auto&&... args) {
            benchmark::RegisterBenchmark((name + "/" + doc).c_str(), args...)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(1.0);
        };
        add("TXmlParser/scan", BM_TXmlParserScan, bytes);
        add("TXmlParser/load+scan", BM_TXmlParserLoadScan, bytes);
        add("expat/windows-1251", BM_Expat, bytes, nullptr);
        add("expat/latin1", BM_Expat, bytes, "ISO-8859-1");
        add("pugixml/load_buffer_inplace", BM_PugiInplace, bytes, false);
        add("pugixml/load_buffer_inplace+walk", BM_PugiInplace, bytes, true);
        add("pugixml/load_buffer", BM_PugiCopy, bytes);
    }
    return RunBenchmarks(argc, argv, Summary);
}
