// Runs the real ruvok-conv binary in a child process and collects what it
// writes, so the tests see exactly what a shell user would.
#ifndef RUVOK_TESTS_TOOLS_PROGRAM_RUNNER_H
#define RUVOK_TESTS_TOOLS_PROGRAM_RUNNER_H

#include <string>
#include <vector>

struct RunOptions {
    std::string stdin_data;
    // Standard output goes to this file instead of a pipe (e.g. /dev/full).
    std::string stdout_path;
    // Standard output is a pipe that nobody reads from: writing fails with EPIPE.
    bool stdout_reader_closed = false;
    // The child gives up root and runs as this user before exec (-1: keep).
    int run_as_uid = -1;
    // Another copy of the program to run instead of the one just built.
    std::string program;
};

struct RunResult {
    int exit_code = -1;    // -1 when the child did not exit normally
    int term_signal = 0;   // the signal that ended it, if any
    bool spawn_failed = false;
    std::string out;
    std::string err;
};

RunResult RunProgram(const std::vector<std::string>& args, const RunOptions& options = {});

// The uid of an unprivileged user ("nobody"), for permission tests under root.
int UnprivilegedUid();

#endif
