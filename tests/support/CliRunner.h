#pragma once
// Runs the built tinselwick-cli through the shell, as a user would, and catches its
// exit code and both outputs.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/wait.h>

#ifndef TINSELWICK_CLI
#error "TINSELWICK_CLI must name the built tinselwick-cli"
#endif

namespace testsupport {

struct TCliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// One shell word, whatever the text holds.
inline std::string ShellQuoted(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Runs tinselwick-cli with `arguments`; its outputs pass through files in `folder`.
/// `prefix` goes before the program, e.g. "env -u DISPLAY"; `program` is another copy of it.
inline TCliRun RunCli(const std::vector<std::string>& arguments, const std::string& folder,
    const std::string& prefix = "", const std::string& program = TINSELWICK_CLI)
{
    const std::string out = folder + "/cli-stdout";
    const std::string err = folder + "/cli-stderr";
    std::string command = prefix + " " + ShellQuoted(program);
    for (const std::string& a : arguments)
        command += " " + ShellQuoted(a);
    command += " >" + ShellQuoted(out) + " 2>" + ShellQuoted(err);
    const int status = std::system(command.c_str());
    TCliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadText(out);
    run.err = ReadText(err);
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

} // namespace testsupport
