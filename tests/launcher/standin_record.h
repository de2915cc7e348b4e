// Reading what the stand-in viewer (standin_ruvok.cpp) recorded.
#ifndef RUVOK_TESTS_STANDIN_RECORD_H
#define RUVOK_TESTS_STANDIN_RECORD_H

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct StandinRecord {
    std::string programFile;
    std::string currentDirectory;
    std::string probe;
    std::string commandLine;
    std::string startupFlags;
    std::string showWindow;
    std::vector<std::string> args;
};

inline std::optional<std::string> ReadWholeFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return std::nullopt;
    std::string bytes;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, n);
    std::fclose(f);
    return bytes;
}

inline std::optional<StandinRecord> ParseStandinRecord(const std::string& bytes)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
        fields.push_back(bytes.substr(start, end - start));
    if (fields.size() < 6 || start != bytes.size())
        return std::nullopt;
    StandinRecord r;
    r.programFile = fields[0];
    r.currentDirectory = fields[1];
    r.probe = fields[2];
    r.commandLine = fields[3];
    r.startupFlags = fields[4];
    r.showWindow = fields[5];
    r.args.assign(fields.begin() + 6, fields.end());
    return r;
}

// The record once it exists, or nothing after `timeout`.
inline std::optional<StandinRecord> WaitForStandinRecord(const std::string& path,
                                                         std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (auto bytes = ReadWholeFile(path))
            return ParseStandinRecord(*bytes);
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Bytes shown so that a failure message can be read: printable ASCII as it
// is, everything else as \xNN.
inline std::string Visible(const std::string& bytes)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

inline std::string Visible(const std::vector<std::string>& args)
{
    std::string out = "[";
    for (std::size_t i = 0; i < args.size(); ++i)
        out += (i ? ", <" : "<") + Visible(args[i]) + ">";
    return out + "]";
}

#endif
