// The converters over 32 MiB texts, the plain reference beside them and
// memcpy of the same buffer as the ceiling; a table of the ratios at the end.
// Then detection alone on the same texts: as they are, where it stops within
// the first characters (JIS excepted: valid in all three, it is read to the
// end), and each Shift_JIS and EUC-JP text after one character of the other
// code, which makes the first deciding byte wrong, so that the text's
// validity in its own code is checked to its end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "kanjicode.h"
#include "kanjicode_plain.h"
#include "text_generator.h"

namespace {

constexpr size_t kTextSize = size_t{32} << 20;
constexpr double kGB = 1e9;

struct Sample {
    TextKind kind;
    TextEncoding encoding;
    std::string name;
    std::string text;
};

std::vector<Sample>& Samples() {
    static std::vector<Sample> samples;
    return samples;
}

std::vector<char>& Output() {
    static std::vector<char> out;
    return out;
}

void MakeSamples() {
    for (TextKind kind : {TextKind::kKanjiHeavy, TextKind::kAsciiHeavy})
        for (TextEncoding encoding : {TextEncoding::kJis, TextEncoding::kEuc, TextEncoding::kSjis})
            Samples().push_back({kind, encoding,
                                 std::string(TextKindName(kind)) + "-" + TextEncodingName(encoding),
                                 MakeText(kind, encoding, kTextSize)});
    // Touched once here, so that no run pays for the first page faults.
    Output().assign(2 * kTextSize + 1, 1);
}

void BM_ConvertToSjis(benchmark::State& state, const Sample* sample) {
    for (auto _ : state) {
        ConvertToSjis(Output().data(), sample->text.c_str());
        benchmark::DoNotOptimize(Output().data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample->text.size()));
}

void BM_PlainConvertToSjis(benchmark::State& state, const Sample* sample) {
    for (auto _ : state) {
        plain::ConvertToSjis(Output().data(), sample->text.c_str());
        benchmark::DoNotOptimize(Output().data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample->text.size()));
}

void BM_Detect(benchmark::State& state, const Sample* sample) {
    for (auto _ : state) {
        int code = DetectKanjiCode(sample->text.c_str());
        benchmark::DoNotOptimize(code);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample->text.size()));
}

// The texts whose detection reads to the end, with the code they must give.
struct FullScan {
    Sample sample;
    int code;
};

std::vector<FullScan>& FullScans() {
    static std::vector<FullScan> scans;
    return scans;
}

void MakeFullScans() {
    for (const Sample& s : Samples()) {
        if (s.encoding == TextEncoding::kJis) continue;
        bool sjis = s.encoding == TextEncoding::kSjis;
        // A half-width katakana first says EUC-JP; SS2 and a katakana say
        // Shift_JIS; then "xx" so the pair stands apart from the text.
        FullScan f{s, sjis ? KC_SJIS : KC_EUC};
        f.sample.name += "-other-first";
        f.sample.text = (sjis ? std::string("\xB1 ") : std::string("\x8E\xB1 ")) + s.text;
        FullScans().push_back(std::move(f));
    }
}

void BM_Memcpy(benchmark::State& state, const Sample* sample) {
    for (auto _ : state) {
        std::memcpy(Output().data(), sample->text.data(), sample->text.size() + 1);
        benchmark::DoNotOptimize(Output().data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample->text.size()));
}

// Keeps each run's bytes per second by name for the closing table.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end()) m_rates[run.benchmark_name()] = it->second.value;
        }
    }
    double Rate(const std::string& name) const {
        auto it = m_rates.find(name);
        return it == m_rates.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> m_rates;
};

// The library's speed targets: 3 GB/s on kanji-heavy text of every
// encoding, 2 GB/s on every ASCII-heavy text.
double TargetRate(const Sample& sample) {
    return sample.kind == TextKind::kAsciiHeavy ? 2 * kGB : 3 * kGB;
}

// The fast converter must give what the plain one gives, or its speed means
// nothing: the texts up to their NUL (what a converter leaves after it is
// unspecified, and the fast one writes ahead).
bool OutputsAgree(const Sample& sample) {
    std::vector<char> fast(2 * sample.text.size() + 1), reference(2 * sample.text.size() + 1);
    ConvertToSjis(fast.data(), sample.text.c_str());
    plain::ConvertToSjis(reference.data(), sample.text.c_str());
    return std::strcmp(fast.data(), reference.data()) == 0;
}

// Detection's targets: 4 GB/s on ASCII-heavy text, 2 GB/s on kanji-heavy.
double DetectTarget(const Sample& sample) { return sample.kind == TextKind::kAsciiHeavy ? 4 * kGB : 2 * kGB; }

int PrintDetectTable(const RecordingReporter& reporter) {
    int missed = 0;
    std::printf("\n%-24s %12s %10s %12s %8s  %s\n", "text", "detect GB/s", "memcpy", "convert GB/s", "target",
                "met");
    auto row = [&](const Sample& s, const std::string& copyName, const std::string& convertName) {
        double rate = reporter.Rate("DetectKanjiCode/" + s.name);
        double copy = reporter.Rate("Memcpy/" + copyName);
        double convert = reporter.Rate("ConvertToSjis/" + convertName);
        double target = DetectTarget(s);
        bool met = rate >= target;
        if (!met) ++missed;
        std::printf("%-24s %12.2f %10.2f %12.2f %8.1f  %s\n", s.name.c_str(), rate / kGB, copy / kGB, convert / kGB,
                    target / kGB, met ? "yes" : "NO");
    };
    for (const Sample& s : Samples()) row(s, s.name, s.name);
    for (const FullScan& f : FullScans()) {
        std::string base = f.sample.name.substr(0, f.sample.name.size() - std::strlen("-other-first"));
        row(f.sample, base, base);
    }
    std::printf("detection targets: %s\n", missed == 0 ? "all met" : "some missed (see NO above)");
    return missed;
}

int PrintTable(const RecordingReporter& reporter) {
    int missed = 0;
    std::printf("\n%-11s %10s %10s %10s %8s %8s %8s  %s\n", "text", "fast GB/s", "plain GB/s",
                "memcpy", "fast/mc", "plain/mc", "target", "met");
    for (const Sample& s : Samples()) {
        double fast = reporter.Rate("ConvertToSjis/" + s.name);
        double plain_rate = reporter.Rate("PlainConvertToSjis/" + s.name);
        double copy = reporter.Rate("Memcpy/" + s.name);
        double target = TargetRate(s);
        char target_text[16] = "-";
        const char* met = "";
        if (target > 0) {
            std::snprintf(target_text, sizeof target_text, "%.1f", target / kGB);
            met = fast >= target ? "yes" : "NO";
            if (fast < target) ++missed;
        }
        std::printf("%-11s %10.2f %10.2f %10.2f %8.2f %8.2f %8s  %s\n", s.name.c_str(), fast / kGB,
                    plain_rate / kGB, copy / kGB, copy > 0 ? fast / copy : 0,
                    copy > 0 ? plain_rate / copy : 0, target_text, met);
    }
    std::printf("library targets: %s\n", missed == 0 ? "all met" : "some missed (see NO above)");
    return missed;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    MakeSamples();
    MakeFullScans();
    bool agree = true;
    for (const FullScan& f : FullScans()) {
        if (DetectKanjiCode(f.sample.text.c_str()) != f.code) {
            std::fprintf(stderr, "MISDETECTED: %s\n", f.sample.name.c_str());
            agree = false;
        }
    }
    for (const Sample& s : Samples()) {
        if (!OutputsAgree(s)) {
            std::fprintf(stderr, "MISMATCH: fast and plain conversion differ on %s\n", s.name.c_str());
            agree = false;
        }
    }
    for (const Sample& s : Samples()) {
        benchmark::RegisterBenchmark(("ConvertToSjis/" + s.name).c_str(), BM_ConvertToSjis, &s)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PlainConvertToSjis/" + s.name).c_str(), BM_PlainConvertToSjis, &s)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Memcpy/" + s.name).c_str(), BM_Memcpy, &s)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("DetectKanjiCode/" + s.name).c_str(), BM_Detect, &s)
            ->Unit(benchmark::kMillisecond);
    }
    for (const FullScan& f : FullScans())
        benchmark::RegisterBenchmark(("DetectKanjiCode/" + f.sample.name).c_str(), BM_Detect, &f.sample)
            ->Unit(benchmark::kMillisecond);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintTable(reporter);
    PrintDetectTable(reporter);
    // Missing a speed target is reported, not a failure of the run; wrong
    // output is.
    return agree ? 0 : 1;
}
