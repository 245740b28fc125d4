#pragma once

// Helpers for tests that touch the file system or the environment, free of any test framework so
// that every test program can use them: whole files, scratch folders, environment overrides, and
// running a piece of code without root's right to ignore permission bits.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <iterator>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

inline std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// The permission bits of `path` itself, not of what a link points to.
inline mode_t modeOf(const fs::path& path)
{
    struct stat status
    {
    };
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : mode_t{0};
}

// A file last written a minute ago, as one left behind by an interrupted save.
inline void writeStaleBytes(const fs::path& path, std::string_view bytes)
{
    writeBytes(path, bytes);
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(1));
}

inline std::vector<std::string> folderEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A fresh folder, removed with everything in it at the end of the test.
class ScratchFolder
{
public:
    explicit ScratchFolder(const fs::path& base = fs::current_path())
    {
        std::string pattern = (base / "scratch-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw fs::filesystem_error("mkdtemp", base, std::error_code(errno, std::generic_category()));
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(std::string_view name) const { return path_ / name; }

private:
    fs::path path_;
};

// Runs `body` in a child process and returns what it returns (empty when all went as expected), or
// why the child could not report. A child still busy after `deadline` is killed, so that a body that
// blocks fails its test instead of hanging it.
inline std::string runInChild(const std::function<std::string()>& body,
                              std::chrono::seconds deadline = std::chrono::seconds(60))
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child < 0)
        return "fork failed";
    if (child == 0) {
        ::close(channel[0]);
        const std::string outcome = body();
        const ssize_t written = ::write(channel[1], outcome.data(), outcome.size());
        ::_exit(written == static_cast<ssize_t>(outcome.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string outcome;
    const auto end = std::chrono::steady_clock::now() + deadline;
    bool overdue = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd ready{channel[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0) {
            overdue = true;
            ::kill(child, SIGKILL);
            break;
        }
        char buffer[512];
        const ssize_t got = ::read(channel[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        outcome.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (overdue)
        return "the child was still busy after " + std::to_string(deadline.count()) + " s: " + outcome;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child ended abnormally: " + outcome;
    return outcome;
}

// Runs `body` as an ordinary user: root ignores permission bits, so when running as root the body
// runs in a child that has dropped to uid and gid 65534.
inline std::string runUnprivileged(const std::function<std::string()>& body)
{
    if (::geteuid() != 0)
        return body();
    return runInChild([&body]() -> std::string {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            return "could not drop root's rights";
        return body();
    });
}

// A folder that an ordinary user can reach but not write: under /tmp, so that no parent folder
// closed to others stands in the way of the unprivileged child.
class ReadOnlyFolder : public ScratchFolder
{
public:
    ReadOnlyFolder() : ScratchFolder(fs::temp_directory_path()) {}
    void seal() const
    {
        fs::permissions(path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    }
};

// Sets an environment variable for one test and puts the old value back afterwards.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            saved_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvironmentOverride()
    {
        if (saved_)
            ::setenv(name_, saved_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

} // namespace testsupport
