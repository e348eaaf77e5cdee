#include "data/number_reader.h"

#include <cstdio>
#include <new>

#include "platform/files.h"
#include "platform/messages.h"
#include "platform/text_codec.h"

namespace gridova {

namespace {

constexpr int kReadError = 9002;  // "Ошибка чтения файла %s: прочитано только начало"
constexpr int kTooManyNumbers = 9426;  // "В файле %s больше %d чисел: файл не прочитан"

bool readFailed(const LineSource& lines, const std::string& path) {
    if (lines.failure() == LineSource::Failure::OutOfMemory) {
        outOfMemory();
        return true;
    }
    if (lines.failed()) {
        warning(formatText(text(kReadError), {path}));
        return true;
    }
    return false;
}

}  // namespace

std::optional<std::vector<double>> readNumbers(const std::string& path, std::size_t maxCount) {
    const FilePtr file = openTextRead(path);
    if (file == nullptr) return std::nullopt;
    // The first pass counts, so that the list is allocated once and a file
    // of too many numbers is refused before anything is kept.
    std::size_t count = 0;
    {
        FileLineSource lines(file.get());
        const bool whole = forEachNumber(lines, [&](double) { return ++count <= maxCount; });
        if (!whole) {
            warning(formatText(text(kTooManyNumbers), {path, static_cast<std::int64_t>(maxCount)}));
            return std::nullopt;
        }
        if (readFailed(lines, path)) return std::nullopt;
    }
    if (std::fseek(file.get(), 0, SEEK_SET) != 0) {
        warning(formatText(text(kReadError), {path}));
        return std::nullopt;
    }
    std::vector<double> numbers;
    if (count == 0) return numbers;
    try {
        numbers.reserve(count);
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return std::nullopt;
    }
    FileLineSource lines(file.get());
    // A file that grew between the passes gives the numbers counted.
    forEachNumber(lines, [&](double v) {
        numbers.push_back(v);
        return numbers.size() < count;
    });
    if (readFailed(lines, path)) return std::nullopt;
    return numbers;
}

std::vector<double> readNumbersFromText(std::string_view text) {
    // A UTF-8 byte-order mark is not part of the first line (as in files).
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<double> numbers;
    TextLineSource lines(text);
    forEachNumber(lines, [&](double v) {
        numbers.push_back(v);
        return true;
    });
    return numbers;
}

}  // namespace gridova
