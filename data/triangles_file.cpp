#include "data/triangles_file.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "data/line_source.h"
#include "data/tokenizer.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr int kCannotOpen = 202;  // "Нельзя открыть файл %s для считывания"
constexpr int kReadError = 9002;  // "Ошибка чтения файла %s: ..."
constexpr int kShortVertices = 9070;  // "Файл %s обрывается: вершин меньше, ..."
constexpr int kShortTriangles = 9071;  // "Файл %s обрывается: треугольников меньше, ..."
constexpr const char* kVerticesWord = "VERTICES";
constexpr const char* kTrianglesWord = "TRIANGLES";
// The fixed warnings of the format, as they have always read.
constexpr const char* kNotVertices = "It's not TRIANGLES file";
constexpr const char* kBadVertexCount = "Invalid VERTICES number";
constexpr const char* kBadDouble = "Invalid double %s";
constexpr const char* kNotTriangles = "It's not TRIANGLE file";
constexpr const char* kBadTriangleCount = "Invalid TRIANGES number";
constexpr const char* kBadInteger = "Invalid integer %s";

// The shortest line that can hold three tokens ("1 2 3") and its line
// feed: no more lines than this allows are reserved ahead.
constexpr std::uint64_t kMinLineBytes = 6;

enum class Header { Ok, OtherWord, BadCount };

// "WORD: count": the word is the text before the first ":" or TAB,
// trimmed of blanks and compared in capitals; the count is the next token
// and must be a non-negative integer.
Header readHeader(std::string_view line, std::string_view word, std::int32_t& count) {
    const std::size_t end = line.find_first_of(":\t");
    std::string_view head = line.substr(0, end);
    while (!head.empty() && head.front() == ' ') head.remove_prefix(1);
    while (!head.empty() && head.back() == ' ') head.remove_suffix(1);
    if (head.size() != word.size()) return Header::OtherWord;
    for (std::size_t k = 0; k < head.size(); ++k) {
        char c = head[k];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != word[k]) return Header::OtherWord;
    }
    Tokenizer tokens(end == std::string_view::npos ? std::string_view() : line.substr(end + 1));
    const std::optional<std::int32_t> n =
        parseInteger(tokens.hasNext() ? tokens.next() : std::string_view());
    if (!n || *n < 0) return Header::BadCount;
    count = *n;
    return Header::Ok;
}

class Reader {
public:
    Reader(const std::string& path, LineSource& source) : path_(path), source_(source) {}

    int read(TriangleNetwork& network) {
        std::string_view line;
        std::int32_t vertices = 0;
        if (source_.next(line)) {
            switch (readHeader(line, kVerticesWord, vertices)) {
                case Header::Ok:
                    break;
                case Header::OtherWord:
                    return refuse(kNotVertices);
                case Header::BadCount:
                    return refuse(kBadVertexCount);
            }
        } else if (source_.failed()) {
            return readFailed();
        }
        reserve(network.xy, 2, vertices);
        reserve(network.values, 1, vertices);
        for (std::int32_t k = 0; k < vertices; ++k) {
            if (!source_.next(line)) return endedEarly(kShortVertices, vertices);
            Tokenizer tokens(line);
            double xyv[3];
            for (double& v : xyv) {
                const std::string_view token =
                    tokens.hasNext() ? tokens.next() : std::string_view();
                const std::optional<double> number = parseNumber(token);
                if (!number) return refuse(formatText(kBadDouble, {toUtf8(token)}));
                v = *number;
            }
            network.xy.push_back(xyv[0]);
            network.xy.push_back(xyv[1]);
            network.values.push_back(xyv[2]);
        }

        std::int32_t triangles = 0;
        if (source_.next(line)) {
            switch (readHeader(line, kTrianglesWord, triangles)) {
                case Header::Ok:
                    break;
                case Header::OtherWord:
                    return refuse(kNotTriangles);
                case Header::BadCount:
                    return refuse(kBadTriangleCount);
            }
        } else if (source_.failed()) {
            return readFailed();
        }
        reserve(network.corners, 3, triangles);
        for (std::int32_t k = 0; k < triangles; ++k) {
            if (!source_.next(line)) return endedEarly(kShortTriangles, triangles);
            Tokenizer tokens(line);
            for (int c = 0; c < 3; ++c) {
                const std::string_view token =
                    tokens.hasNext() ? tokens.next() : std::string_view();
                // A corner names one of the vertices read above.
                const std::optional<std::int32_t> corner = parseInteger(token);
                if (!corner || *corner < 1 || *corner > vertices) {
                    return refuse(formatText(kBadInteger, {toUtf8(token)}));
                }
                network.corners.push_back(*corner);
            }
        }
        return 0;
    }

private:
    // Room for `count` items of `width` numbers, but no more than the rest
    // of the file can hold: a damaged count cannot take the memory.
    template <typename T>
    void reserve(std::vector<T>& list, std::size_t width, std::int32_t count) {
        std::uint64_t n = static_cast<std::uint64_t>(count);
        if (source_.size() > 0) {
            const std::uint64_t left =
                source_.size() - std::min(source_.size(), source_.consumed());
            n = std::min(n, left / kMinLineBytes + 1);
        }
        list.reserve(list.size() + n * width);
    }

    static int refuse(const std::string& message) {
        warning(message);
        return -1;
    }

    int readFailed() {
        if (source_.failure() == LineSource::Failure::OutOfMemory) {
            outOfMemory();
        } else {
            warning(formatText(text(kReadError), {path_}));
        }
        return -1;
    }

    int endedEarly(int message, std::int32_t announced) {
        if (source_.failed()) return readFailed();
        return refuse(formatText(text(message), {path_, static_cast<std::int64_t>(announced)}));
    }

    const std::string& path_;
    LineSource& source_;
};

}  // namespace

void TriangleNetwork::clear() {
    xy = {};
    values = {};
    corners = {};
}

namespace {

int readTrianglesFrom(LineSource& source, const std::string& path, TriangleNetwork& network) {
    int result = -1;
    try {
        Reader reader(path, source);
        result = reader.read(network);
    } catch (const std::bad_alloc&) {
        outOfMemory();
    }
    if (result != 0) network.clear();
    return result;
}

}  // namespace

int readTriangles(const std::string& path, TriangleNetwork& network) {
    network.clear();
    FilePtr file = openReadQuiet(path);
    if (!file) {
        warning(formatText(text(kCannotOpen), {path}));
        return -1;
    }
    FileLineSource source(file.get());
    return readTrianglesFrom(source, path, network);
}

int readTrianglesText(std::string_view text, const std::string& name, TriangleNetwork& network) {
    network.clear();
    TextLineSource source(text);
    return readTrianglesFrom(source, name, network);
}

bool writeTriangles(std::FILE* file, const TriangleNetwork& network) {
    std::string out = "VERTICES: " + std::to_string(network.vertexCount()) + "\n";
    bool ok = true;
    const auto flush = [&] {
        ok = ok && std::fwrite(out.data(), 1, out.size(), file) == out.size();
        out.clear();
    };
    for (std::int32_t k = 0; k < network.vertexCount(); ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        appendDouble(out, network.xy[2 * i]);
        out += ", ";
        appendDouble(out, network.xy[2 * i + 1]);
        out += ", ";
        appendDouble(out, network.values[i]);
        out += '\n';
        if (out.size() > (1 << 16)) flush();
    }
    out += "TRIANGLES: " + std::to_string(network.triangleCount()) + "\n";
    for (std::size_t k = 0; k + 2 < network.corners.size(); k += 3) {
        out += std::to_string(network.corners[k]) + ", " + std::to_string(network.corners[k + 1]) +
               ", " + std::to_string(network.corners[k + 2]) + "\n";
        if (out.size() > (1 << 16)) flush();
    }
    flush();
    return ok;
}

}  // namespace gridova
