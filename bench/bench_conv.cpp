// The converters over 32 MiB texts, the plain reference beside them and
// memcpy of the same buffer as the ceiling; a table of the ratios at the end.
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

// The fast converter must give what the plain one gives, or its speed means nothing.
bool OutputsAgree(const Sample& sample) {
    std::vector<char> fast(2 * sample.text.size() + 1), reference(2 * sample.text.size() + 1);
    ConvertToSjis(fast.data(), sample.text.c_str());
    plain::ConvertToSjis(reference.data(), sample.text.c_str());
    return fast == reference;
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
    bool agree = true;
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
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintTable(reporter);
    // Missing a speed target is reported, not a failure of the run; wrong
    // output is.
    return agree ? 0 : 1;
}
