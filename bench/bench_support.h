#pragma once
// What the list benchmarks share: wall and processor time, resident and
// peak memory, work run in a child process of its own (so that what the work
// holds is measured from a small start and given back at its end), and the
// plainest reading of a file to measure against.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Processor time of this process so far (user and system), which a machine
// busy with other work stretches less than the wall clock.
inline double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A figure of /proc/self/status, in megabytes.
inline double StatusMegabytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::string(key).size())) / 1024.0;
    }
    return 0;
}

// Starts the peak (VmHWM) again from what the process holds now.
inline void ResetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

// The output of a child process: work() run in a copy of this one, or, with
// exec_args, the same program started afresh with those arguments (for a
// measurement of memory that nothing this process freed may flatter).
inline std::string ChildOutput(const std::function<std::string()>& work, std::vector<std::string> exec_args = {}) {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return "";
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_fds[0]);
        if (!exec_args.empty()) {
            ::dup2(pipe_fds[1], STDOUT_FILENO);
            std::vector<char*> argv;
            std::string self = "/proc/self/exe";
            argv.push_back(self.data());
            for (std::string& arg : exec_args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            std::perror("execv");
            ::_exit(1);
        }
        const std::string line = work();
        if (::write(pipe_fds[1], line.data(), line.size()) < 0) std::perror("write");
        ::_exit(0);
    }
    ::close(pipe_fds[1]);
    std::string out;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
    ::close(pipe_fds[0]);
    ::waitpid(child, nullptr, 0);
    return out;
}

template <typename Work>
std::string InChild(Work work) {
    return ChildOutput(work);
}

inline std::string RunSelf(std::vector<std::string> args) { return ChildOutput(nullptr, std::move(args)); }

// A file's bytes, read at once.
inline std::string ReadBytes(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return bytes;
    bytes.resize(static_cast<size_t>(std::max<off_t>(0, ::lseek(fd, 0, SEEK_END))));
    size_t done = 0;
    for (ssize_t n; done < bytes.size() &&
                    (n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done))) > 0;) {
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    ::close(fd);
    return bytes;
}

// The plainest load of a list file: its bytes read and split into lines.
inline std::size_t ReadAndSplit(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    std::vector<std::string_view> lines;
    const std::string_view text(bytes);
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
        end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    return lines.size();
}

}  // namespace bench
