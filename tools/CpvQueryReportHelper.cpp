// cpvquery's report modes: the call goes, arguments unchanged, to the report program
// cpvquery-report, which links the toolkit that this program leaves out so that a search starts
// fast. The report program is looked for beside this executable (the build tree, or an
// installation that keeps both in one folder), then in KODEXA_REPORT_PROGRAM_DIR relative to it
// (an installation: bin/ and libexec/kodexa/). Neither the search path nor the environment is
// asked: a program of the same name elsewhere must not be run in its place.
#include "CpvQuery.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include <unistd.h>

#ifndef KODEXA_REPORT_PROGRAM_DIR
#define KODEXA_REPORT_PROGRAM_DIR "../libexec/kodexa"
#endif

namespace kodexa::cpvquery {
namespace {

constexpr const char* ReportProgram = "cpvquery-report";

std::filesystem::path executableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw std::runtime_error("cannot start the report program: where this program lies is unknown (" +
                                 error.message() + ")");
    return self.parent_path();
}

} // namespace

int runReportModes(const Options&, char** argv) {
    const std::filesystem::path folder = executableFolder();
    const std::filesystem::path candidates[] = {
        folder / ReportProgram,
        (folder / KODEXA_REPORT_PROGRAM_DIR / ReportProgram).lexically_normal(),
    };
    // Nothing has been written yet, so nothing is lost when this process becomes the other one.
    for (const std::filesystem::path& candidate : candidates) {
        ::execv(candidate.c_str(), argv);
        if (errno != ENOENT && errno != ENOTDIR) // there but not runnable: that is the reason to tell
            throw std::runtime_error("cannot start the report program " + candidate.string() + ": " +
                                     std::strerror(errno));
    }
    throw std::runtime_error("cannot find the report program " + std::string(ReportProgram) + " in " +
                             folder.string() + " or " + candidates[1].parent_path().string());
}

} // namespace kodexa::cpvquery
