// Opening files with the program's failure messages, and safe saving.
//
// Reading: the helpers refuse a directory or anything that is not a regular
// file with the same message as a missing file.
// Writing: an `OutputFile` writes a temporary file beside the target and
// renames it over the target on `commit`, so a failed save keeps the old
// file; nothing is renamed unless every write succeeded.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace gridova {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Removes the temporary files of `target` (see OutputFile) that a process
// left behind and that no running process writes any more: its own plain
// files whose writer's process id no longer runs. The number removed. Every
// OutputFile does this for its target before it starts.
int removeStaleTemporaries(const std::string& target);

class OutputFile {
public:
    // Creates the temporary file; check `isOpen`.
    explicit OutputFile(std::string target);
    ~OutputFile();  // without commit: removes the temporary file
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    std::FILE* file() const { return file_; }
    // The file replaced on commit (a symbolic link resolved) and the name
    // it was asked for.
    const std::string& target() const { return target_; }
    const std::string& name() const { return name_; }

    // Flushes, checks every write and renames the temporary file over the
    // target. False (and the target unchanged) when anything failed.
    bool commit();
    // Gives up: the temporary file is removed, the target stays as it was.
    void discard();

private:
    std::string target_;
    std::string name_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};

// Open for reading; on failure the warning message 202 "Нельзя открыть файл
// %s для считывания" with the path, and nothing.
FilePtr openTextRead(const std::string& path);
FilePtr openBinaryRead(const std::string& path);

// Open for writing (through a temporary file, see OutputFile); on failure the
// warning message 201 "Нельзя записать в файл %s" with the path, and nothing.
// A commit that fails shows message 201 too.
std::unique_ptr<OutputFile> openTextWrite(const std::string& path);
std::unique_ptr<OutputFile> openBinaryWrite(const std::string& path);
// Commits the file; shows message 201 when that fails.
bool commitOrWarn(OutputFile& file);

// Opens without any message (for readers that report on their own).
FilePtr openReadQuiet(const std::string& path);

// True when the path names a regular file that can be read.
bool isReadableFile(const std::string& path);

// The path made absolute against the current directory, without "." and
// ".." steps; the path as it is when that fails.
std::string absolutePath(const std::string& path);

// The file dialogs (the application installs them); unattended runs have
// none, and every choice is then cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // filter is message 203 " (*.%s)|*.%s|Все файлы (*.*)|*.*||" filled
    // with the extension in both places.
    virtual std::optional<std::string> choose(bool forOpen, const std::string& extension,
                                              const std::string& filter) = 0;
};

// Installs the file dialogs of the process context (platform/app_context.h).
void setFileChooser(FileChooser* chooser);

// The path chosen with the chooser (none: nothing) for opening or saving a
// file of this extension, or nothing.
std::optional<std::string> chooseFile(FileChooser* chooser, bool forOpen,
                                      std::string_view extension);
// The same with the process context's chooser.
std::optional<std::string> chooseFile(bool forOpen, std::string_view extension);
FilePtr chooseAndOpenRead(std::string_view extension);
std::unique_ptr<OutputFile> chooseAndOpenTextWrite(std::string_view extension);
std::unique_ptr<OutputFile> chooseAndOpenBinaryWrite(std::string_view extension);

// The directory part of a path ("" for a bare name) and the extension
// without its point, as written.
std::string directoryOf(std::string_view path);
std::string extensionOf(std::string_view path);

}  // namespace gridova
