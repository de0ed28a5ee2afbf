#include "Jobs.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvora::jobs {

namespace {

void enterJobEnvironment(const Launch& launch) {
    for (const auto& [name, value] : launch.environment)
        setenv(name.c_str(), value.c_str(), 1);
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
    }
    // Nothing of ours (the state lock, the caller's pipe) may stay open in the job.
    for (int fd = 3; fd < 1024; ++fd)
        ::close(fd);
    if (chdir(launch.workingFolder.c_str()) != 0 && chdir("/") != 0) _exit(78);
}

} // namespace

std::optional<long long> startTimeOf(pid_t pid) {
    auto stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return std::nullopt;
    auto close = stat->rfind(')');
    if (close == std::string::npos) return std::nullopt;
    auto fields = splitNonEmpty(std::string_view(*stat).substr(close + 1), ' ');
    // fields[0] is the state, fields[19] the start time.
    if (fields.size() < 20 || fields[0] == "Z" || fields[0] == "X") return std::nullopt;
    return std::atoll(fields[19].c_str());
}

std::optional<pid_t> livePid(const nlohmann::json& record) {
    if (!record.contains("pid") || !record["pid"].is_number_integer()) return std::nullopt;
    pid_t pid = record["pid"].get<pid_t>();
    auto started = startTimeOf(pid);
    if (!started || *started != record.value("started", -1LL)) return std::nullopt;
    return pid;
}

void notePid(nlohmann::json& record, pid_t pid) {
    record["pid"] = pid;
    record["started"] = startTimeOf(pid).value_or(-1);
}

std::optional<pid_t> start(const Launch& launch) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return std::nullopt;
    pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        ::close(pipeEnds[0]);
        setsid();
        pid_t grandchild = fork();
        if (grandchild == 0) {
            // A group of its own, so that stopping the job also stops what it started.
            setpgid(0, 0);
            enterJobEnvironment(launch);
            std::vector<std::string> arguments = launch.arguments;
            if (arguments.empty()) arguments.push_back(launch.program);
            std::vector<char*> argv;
            for (auto& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(launch.program.c_str(), argv.data());
            _exit(78);
        }
        ssize_t written = write(pipeEnds[1], &grandchild, sizeof grandchild);
        _exit(written == sizeof grandchild && grandchild > 0 ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    pid_t grandchild = -1;
    ssize_t got = read(pipeEnds[0], &grandchild, sizeof grandchild);
    ::close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    if (got != sizeof grandchild || grandchild <= 0) return std::nullopt;
    return grandchild;
}

void stop(pid_t pid) {
    kill(-pid, SIGTERM);
    kill(pid, SIGTERM);
    auto started = startTimeOf(pid);
    for (int i = 0; i < 40 && started && startTimeOf(pid) == started; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (started && startTimeOf(pid) == started) {
        kill(-pid, SIGKILL);
        kill(pid, SIGKILL);
    }
}

} // namespace kelvora::jobs
