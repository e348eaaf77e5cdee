#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/app_context.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kCannotWrite = 201;
constexpr int kCannotRead = 202;
constexpr int kFileFilter = 203;

void warnCannotRead(const std::string& path) { warning(formatText(text(kCannotRead), {path})); }

void warnCannotWrite(const std::string& path) { warning(formatText(text(kCannotWrite), {path})); }

// Temporary files are named "<target>.tmp<pid>.<6 characters>": the process
// that writes one is known, so a file left by a process that was killed
// while it wrote can be told from one still being written.
constexpr std::string_view kTemporaryMark = ".tmp";

// The writer's process id in a temporary file name of `target`, or 0.
pid_t temporaryOwner(std::string_view name, std::string_view target) {
    if (name.size() <= target.size() + kTemporaryMark.size() ||
        name.substr(0, target.size()) != target ||
        name.substr(target.size(), kTemporaryMark.size()) != kTemporaryMark) {
        return 0;
    }
    std::string_view rest = name.substr(target.size() + kTemporaryMark.size());
    const std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string_view::npos || rest.size() - dot - 1 != 6) return 0;
    long long pid = 0;
    for (const char c : rest.substr(0, dot)) {
        if (c < '0' || c > '9' || pid > 1'000'000'000) return 0;
        pid = pid * 10 + (c - '0');
    }
    return static_cast<pid_t>(pid);
}

}  // namespace

int removeStaleTemporaries(const std::string& target) {
    const std::filesystem::path path(target);
    const std::string base = path.filename().string();
    const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : ".";
    int removed = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const pid_t pid = temporaryOwner(name, base);
        if (pid <= 0 || pid == ::getpid()) continue;
        // Only a process that no longer runs has left its file for good.
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::getuid()) {
            continue;
        }
        if (::unlink(it->path().c_str()) == 0) ++removed;
    }
    return removed;
}

OutputFile::OutputFile(std::string target) : target_(std::move(target)), name_(target_) {
    if (target_.empty()) return;
    // Writing through a symbolic link replaces the file it points to and
    // keeps the link.
    struct stat link {};
    if (::lstat(target_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = ::realpath(target_.c_str(), nullptr)) {
            target_ = resolved;
            std::free(resolved);
        }
    }
    // A target that exists but is not a regular file (a directory, a device)
    // is not replaced.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return;
    removeStaleTemporaries(target_);
    std::string pattern =
        target_ + std::string(kTemporaryMark) + std::to_string(::getpid()) + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return;
    // Keep the mode of the file we replace; new files get the usual 0666
    // less the umask rather than mkstemp's 0600.
    mode_t mode;
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return;
    }
    temporary_ = std::move(pattern);
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

bool OutputFile::commit() {
    if (file_ == nullptr) return false;
    bool ok = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    ok = ok && ::fsync(::fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok) ok = std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (ok) {
        temporary_.clear();
    } else {
        discard();
    }
    return ok;
}

bool isReadableFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), R_OK) == 0;
}

FilePtr openReadQuiet(const std::string& path) {
    if (!isReadableFile(path)) return nullptr;
    return FilePtr(std::fopen(path.c_str(), "rb"));
}

FilePtr openTextRead(const std::string& path) {
    FilePtr f = openReadQuiet(path);
    if (!f) warnCannotRead(path);
    return f;
}

FilePtr openBinaryRead(const std::string& path) { return openTextRead(path); }

std::unique_ptr<OutputFile> openTextWrite(const std::string& path) {
    auto f = std::make_unique<OutputFile>(path);
    if (!f->isOpen()) {
        warnCannotWrite(path);
        return nullptr;
    }
    return f;
}

std::unique_ptr<OutputFile> openBinaryWrite(const std::string& path) { return openTextWrite(path); }

bool commitOrWarn(OutputFile& file) {
    if (file.commit()) return true;
    warnCannotWrite(file.name());
    return false;
}

void setFileChooser(FileChooser* chooser) { processContext().setFiles(chooser); }

std::optional<std::string> chooseFile(FileChooser* chooser, bool forOpen,
                                      std::string_view extension) {
    if (chooser == nullptr) return std::nullopt;
    const std::string ext(extension);
    const std::string filter = formatText(text(kFileFilter), {ext, ext});
    return chooser->choose(forOpen, ext, filter);
}

std::optional<std::string> chooseFile(bool forOpen, std::string_view extension) {
    return chooseFile(processContext().files(), forOpen, extension);
}

FilePtr chooseAndOpenRead(std::string_view extension) {
    const auto path = chooseFile(true, extension);
    return path ? openTextRead(*path) : nullptr;
}

std::unique_ptr<OutputFile> chooseAndOpenTextWrite(std::string_view extension) {
    const auto path = chooseFile(false, extension);
    return path ? openTextWrite(*path) : nullptr;
}

std::unique_ptr<OutputFile> chooseAndOpenBinaryWrite(std::string_view extension) {
    return chooseAndOpenTextWrite(extension);
}

std::string directoryOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string extensionOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return std::string(path.substr(dot + 1));
}

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

}  // namespace gridova
