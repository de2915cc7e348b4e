// ruvok-conv: the conversion library on the command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "byte_io.h"
#include "cp932_utf8.h"
#include "kanjicode.h"
#include "ruvok_version.h"
#include "text_stream.h"
#include "unicode_form.h"

namespace {

constexpr char kProgram[] = "ruvok-conv";
constexpr char kVersion[] = RUVOK_VERSION_STRING;

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };
enum class Mode { kConvert, kDetect, kUtf8 };

void PrintHelp() {
    std::printf(
        "Usage: %s [--detect | --utf8] [FILE ...]\n"
        "Converts Japanese text in JIS, EUC-JP or Shift_JIS to Shift_JIS with CR LF line\n"
        "ends and writes it to standard output. Each FILE is taken as one text, read and\n"
        "converted piece by piece in the same small memory whatever its size; with no\n"
        "FILE, or where FILE is -, standard input is read.\n"
        "\n"
        "Unicode text is converted too: text that starts with a byte-order mark (UTF-8,\n"
        "UTF-16LE or UTF-16BE; the mark is left out), or that is valid UTF-8 throughout\n"
        "with at least one character beyond ASCII. Each character code page 932 lacks\n"
        "becomes the GETA MARK (81 AC) and their number is reported on standard error;\n"
        "WAVE DASH, MINUS SIGN and the other Linux forms of the code page's characters\n"
        "become those characters. A NUL character ends UTF-16 text.\n"
        "\n"
        "  --detect   print the detected code instead: JIS, SJIS, EUC, UTF-8, UTF-16LE\n"
        "             or UTF-16BE, one line per file, after the file's name and \": \"\n"
        "             when there are several\n"
        "  --utf8     convert to Shift_JIS as above, then decode it as code page 932 and\n"
        "             write UTF-8 with LF line ends, for reading in a terminal; CR LF and\n"
        "             a lone CR each become one LF; each byte that does not decode\n"
        "             becomes U+FFFD and their number is reported on standard error\n"
        "  --help     show this help and exit\n"
        "  --version  show the version and exit\n"
        "  --         end of options: the arguments after it are all files\n"
        "\n"
        "A NUL byte ends the text; the rest of the file is then left out, and standard\n"
        "error says at which offset. Output starts before the code is decided only where\n"
        "all three codes give the same bytes (ASCII); from the first byte where they\n"
        "differ until a later byte decides, a file is read a second time, and standard\n"
        "input is kept in a temporary file (in TMPDIR). Code page 932 decoder: %s.\n"
        "\n"
        "Exit status: 0 when every file was converted, 1 when a file could not be read\n"
        "or the output could not be written (the other files are still converted), 2 for\n"
        "a usage error.\n",
        kProgram, Cp932DecoderName());
}

const char* DisplayName(const char* path) {
    return std::strcmp(path, "-") == 0 ? "standard input" : path;
}

const char* CodeName(const TextOutcome& outcome) {
    switch (outcome.form) {
    case UF_UTF8: return "UTF-8";
    case UF_UTF16LE: return "UTF-16LE";
    case UF_UTF16BE: return "UTF-16BE";
    default: break;
    }
    switch (outcome.code) {
    case KC_JIS: return "JIS";
    case KC_EUC: return "EUC";
    default: return "SJIS";
    }
}

void ReportNulCut(const char* path, const TextOutcome& outcome) {
    if (!outcome.nul) return;
    unsigned long long after = outcome.after_nul;
    std::fprintf(stderr,
                 "%s: %s: NUL %s at offset %llu ends the text; it and the %llu byte%s "
                 "after it are left out\n",
                 kProgram, DisplayName(path), outcome.form == UF_UTF16LE || outcome.form == UF_UTF16BE ? "character" : "byte",
                 static_cast<unsigned long long>(outcome.nul_offset), after,
                 after == 1 ? "" : "s");
}

class StdoutSink : public TextSink {
public:
    int Put(const char* data, size_t size) override { return WriteToStdout(data, size); }
};

class Utf8Sink : public TextSink {
public:
    int Put(const char* data, size_t size) override {
        m_decoder.Put(data, size);
        return 0;
    }
    Utf8Outcome Finish() { return m_decoder.Finish(); }

private:
    Cp932ToUtf8 m_decoder;
};

class Runner {
public:
    Runner(Mode mode, bool several) : m_mode(mode), m_several(several) {}

    // Handles one file; returns false once standard output is unusable.
    bool Run(const char* path) {
        int fd = -1;
        int error = OpenInput(path, &fd);
        if (error != 0) {
            std::fprintf(stderr, "%s: %s: %s\n", kProgram, DisplayName(path), std::strerror(error));
            m_failed = true;
            return true;
        }
        StdoutSink sjis;
        Utf8Sink utf8;
        TextSink* sink = m_mode == Mode::kDetect ? nullptr : m_mode == Mode::kUtf8 ? static_cast<TextSink*>(&utf8) : &sjis;
        TextOutcome outcome = StreamText(fd, sink);
        CloseInput(path, fd);
        if (outcome.read_error != 0) {
            std::fprintf(stderr, "%s: %s: %s\n", kProgram, DisplayName(path), std::strerror(outcome.read_error));
            m_failed = true;
        }
        ReportNulCut(path, outcome);
        if (outcome.substituted > 0)
            std::fprintf(stderr, "%s: %s: %llu character%s not in code page 932, written as GETA MARK (81 AC)\n",
                         kProgram, DisplayName(path), static_cast<unsigned long long>(outcome.substituted),
                         outcome.substituted == 1 ? "" : "s");

        if (m_mode == Mode::kDetect) {
            if (outcome.read_error != 0) return true;
            std::string line;
            if (m_several) line.append(path).append(": ");
            line.append(CodeName(outcome)).append("\n");
            return Write(line.data(), line.size());
        }
        if (m_mode == Mode::kConvert) return CheckWrite(outcome.write_error);

        Utf8Outcome decoded = utf8.Finish();
        if (decoded.decoder_failed) {
            std::fprintf(stderr, "%s: %s: the code page 932 decoder failed\n", kProgram,
                         DisplayName(path));
            m_failed = true;
        }
        if (decoded.undecodable > 0)
            std::fprintf(stderr, "%s: %s: %zu byte%s not decodable as code page 932, shown as U+FFFD\n",
                         kProgram, DisplayName(path), decoded.undecodable,
                         decoded.undecodable == 1 ? "" : "s");
        return CheckWrite(decoded.write_error);
    }

    bool failed() const { return m_failed; }

private:
    bool Write(const char* data, size_t size) { return CheckWrite(WriteToStdout(data, size)); }

    // A failed write leaves the output cut short; what would follow could
    // only land after a hole, so the run stops there.
    bool CheckWrite(int error) {
        if (error == 0) return true;
        std::fprintf(stderr, "%s: write error on standard output: %s\n", kProgram,
                     std::strerror(error));
        m_failed = true;
        return false;
    }

    Mode m_mode;
    bool m_several;
    bool m_failed = false;
};

int Usage(const char* message, const char* argument) {
    std::fprintf(stderr, "%s: %s%s\nTry '%s --help' for more information.\n", kProgram, message,
                 argument, kProgram);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareStandardStreams();

    bool detect = false;
    bool utf8 = false;
    std::vector<const char*> files;
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (options_done || arg[0] != '-' || std::strcmp(arg, "-") == 0) {
            files.push_back(arg);
        } else if (std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (std::strcmp(arg, "--detect") == 0) {
            detect = true;
        } else if (std::strcmp(arg, "--utf8") == 0) {
            utf8 = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            PrintHelp();
            return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
        } else if (std::strcmp(arg, "--version") == 0) {
            std::printf("%s %s\n", kProgram, kVersion);
            return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
        } else {
            return Usage("unknown option: ", arg);
        }
    }
    if (detect && utf8) return Usage("--detect and --utf8 exclude each other", "");
    if (utf8 && !Cp932DecoderAvailable())
        return Usage("--utf8 is not available: this build has no code page 932 decoder", "");
    if (files.empty()) files.push_back("-");

    Runner runner(detect ? Mode::kDetect : utf8 ? Mode::kUtf8 : Mode::kConvert, files.size() > 1);
    for (const char* path : files)
        if (!runner.Run(path)) break;
    return runner.failed() ? kExitFailure : kExitOk;
}
