// A stand-in for the viewer: records how it was started, so that the launcher's
// tests can compare it with what the launcher should have handed over.
//
// The record goes to the file named by RUVOK_STANDIN_RECORD (written under
// another name first and then renamed, so a reader never sees half of it):
// NUL-terminated fields in this order: the stand-in's own program file, the
// current directory, the value of RUVOK_STANDIN_PROBE, the command line as the
// process got it (Windows; empty elsewhere), STARTUPINFO's dwFlags and
// wShowWindow in decimal (Windows; empty elsewhere), then every argument,
// argv[0] first.
//
// When RUVOK_STANDIN_HOLD names a file, the stand-in waits (up to 20 s) for it
// to exist before it writes the record: a test can so see the launcher end
// while the viewer still runs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::string OwnProgramFile()
{
#ifdef _WIN32
    char path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return n > 0 && n < sizeof path ? std::string(path, n) : std::string{};
#else
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    return n > 0 && static_cast<std::size_t>(n) < sizeof path ? std::string(path, static_cast<std::size_t>(n)) : std::string{};
#endif
}

void WaitForFile(const char* path)
{
    for (int i = 0; i < 2000; ++i) {
        if (std::FILE* f = std::fopen(path, "rb")) {
            std::fclose(f);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string CurrentDirectory()
{
#ifdef _WIN32
    char dir[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    return n > 0 && n < sizeof dir ? std::string(dir, n) : std::string{};
#else
    char dir[4096];
    return getcwd(dir, sizeof dir) != nullptr ? std::string(dir) : std::string{};
#endif
}

void AddField(std::string& record, const std::string& field)
{
    record += field;
    record += '\0';
}

}  // namespace

int main(int argc, char** argv)
{
    const char* recordPath = std::getenv("RUVOK_STANDIN_RECORD");
    if (recordPath == nullptr)
        return 2;
    const char* probe = std::getenv("RUVOK_STANDIN_PROBE");

    if (const char* hold = std::getenv("RUVOK_STANDIN_HOLD"))
        WaitForFile(hold);

    std::string record;
    AddField(record, OwnProgramFile());
    AddField(record, CurrentDirectory());
    AddField(record, probe != nullptr ? probe : "");
#ifdef _WIN32
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    AddField(record, GetCommandLineA());
    AddField(record, std::to_string(startup.dwFlags));
    AddField(record, std::to_string(startup.wShowWindow));
#else
    AddField(record, "");
    AddField(record, "");
    AddField(record, "");
#endif
    for (int i = 0; i < argc; ++i)
        AddField(record, argv[i]);

    const std::string partial = std::string(recordPath) + ".partial";
    std::FILE* f = std::fopen(partial.c_str(), "wb");
    if (f == nullptr)
        return 3;
    const bool written = std::fwrite(record.data(), 1, record.size(), f) == record.size();
    if (std::fclose(f) != 0 || !written)
        return 3;
#ifdef _WIN32
    return MoveFileExA(partial.c_str(), recordPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
#else
    return std::rename(partial.c_str(), recordPath) == 0 ? 0 : 3;
#endif
}
