// ruvok-conv: the conversion library on the command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "byte_io.h"
#include "cp932_utf8.h"
#include "kanjicode.h"
#include "sjis_output.h"

namespace {

constexpr char kProgram[] = "ruvok-conv";
constexpr char kVersion[] = "1.0.0.1";

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };
enum class Mode { kConvert, kDetect, kUtf8 };

void PrintHelp() {
    std::printf(
        "Usage: %s [--detect | --utf8] [FILE ...]\n"
        "Converts Japanese text in JIS, EUC-JP or Shift_JIS to Shift_JIS with CR LF line\n"
        "ends and writes it to standard output. Each FILE is read whole and taken as one\n"
        "text; with no FILE, or where FILE is -, standard input is read.\n"
        "\n"
        "  --detect   print the detected code instead: JIS, SJIS or EUC, one line per\n"
        "             file, after the file's name and \": \" when there are several\n"
        "  --utf8     convert to Shift_JIS as above, then decode it as code page 932 and\n"
        "             write UTF-8 with LF line ends, for reading in a terminal; CR LF and\n"
        "             a lone CR each become one LF; each byte that does not decode\n"
        "             becomes U+FFFD and their number is reported on standard error\n"
        "  --help     show this help and exit\n"
        "  --version  show the version and exit\n"
        "  --         end of options: the arguments after it are all files\n"
        "\n"
        "A NUL byte ends the text; the rest of the file is then left out, and standard\n"
        "error says at which offset. Code page 932 decoder: %s.\n"
        "\n"
        "Exit status: 0 when every file was converted, 1 when a file could not be read\n"
        "or the output could not be written (the other files are still converted), 2 for\n"
        "a usage error.\n",
        kProgram, Cp932DecoderName());
}

const char* DisplayName(const char* path) {
    return std::strcmp(path, "-") == 0 ? "standard input" : path;
}

const char* CodeName(int code) {
    switch (code) {
    case KC_JIS: return "JIS";
    case KC_EUC: return "EUC";
    default: return "SJIS";
    }
}

void ReportNulCut(const char* path, const ByteBuffer& text, size_t text_length) {
    if (text_length == text.size()) return;
    size_t after = text.size() - text_length - 1;
    std::fprintf(stderr,
                 "%s: %s: NUL byte at offset %zu ends the text; it and the %zu byte%s "
                 "after it are left out\n",
                 kProgram, DisplayName(path), text_length, after, after == 1 ? "" : "s");
}

class Runner {
public:
    Runner(Mode mode, bool several) : m_mode(mode), m_several(several) {}

    // Handles one file; returns false once standard output is unusable.
    bool Run(const char* path) {
        ByteBuffer text;
        int error = ReadWholeFile(path, text);
        if (error != 0) {
            std::fprintf(stderr, "%s: %s: %s\n", kProgram, DisplayName(path),
                         error == ENOMEM ? "too large to fit in memory" : std::strerror(error));
            m_failed = true;
            return true;
        }
        size_t text_length = std::strlen(text.data());
        ReportNulCut(path, text, text_length);

        if (m_mode == Mode::kDetect) {
            std::string line;
            if (m_several) line.append(path).append(": ");
            line.append(CodeName(DetectKanjiCode(text.data()))).append("\n");
            return Write(line.data(), line.size());
        }

        ByteBuffer out;
        size_t out_length = 0;
        if (!ConvertWholeText(text.data(), text_length, out, &out_length)) {
            std::fprintf(stderr, "%s: %s: too large to convert in memory\n", kProgram,
                         DisplayName(path));
            m_failed = true;
            return true;
        }
        text.Release();
        if (m_mode == Mode::kConvert) return Write(out.data(), out_length);

        Utf8Outcome outcome = WriteCp932AsUtf8(out.data(), out_length);
        if (outcome.decoder_failed) {
            std::fprintf(stderr, "%s: %s: the code page 932 decoder failed\n", kProgram,
                         DisplayName(path));
            m_failed = true;
        }
        if (outcome.undecodable > 0)
            std::fprintf(stderr, "%s: %s: %zu byte%s not decodable as code page 932, shown as U+FFFD\n",
                         kProgram, DisplayName(path), outcome.undecodable,
                         outcome.undecodable == 1 ? "" : "s");
        return CheckWrite(outcome.write_error);
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
