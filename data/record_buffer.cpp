#include "data/record_buffer.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace gridova {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the document format is little-endian, as this machine");

constexpr std::int32_t kWord = 4;

// The text's bytes must fit in its words.
bool validString(std::int32_t words, std::int32_t bytes) {
    return words >= 0 && bytes >= 0 && bytes <= words * static_cast<std::int64_t>(kWord);
}

}  // namespace

void BinaryWriter::bytes(const void* data, std::size_t size) {
    if (ok_ && size > 0 && std::fwrite(data, 1, size, file_) != size) ok_ = false;
}

void BinaryWriter::word(std::int32_t v) { bytes(&v, sizeof v); }

void BinaryWriter::number(double v) { bytes(&v, sizeof v); }

BinaryReader::BinaryReader(std::FILE* file) : file_(file) {
    struct stat st {};
    const long at = std::ftell(file);
    if (at < 0 || ::fstat(::fileno(file), &st) != 0 || st.st_size < at) {
        failed_ = true;
        return;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    position_ = static_cast<std::uint64_t>(at);
}

BinaryReader::BinaryReader(std::string_view memory)
    : memory_(memory.data()), size_(memory.size()) {}

bool BinaryReader::bytes(void* data, std::size_t size) {
    if (failed_ || size > size_ - position_) {
        failed_ = true;
        return false;
    }
    if (memory_ != nullptr) {
        if (size > 0) std::memcpy(data, memory_ + position_, size);
    } else if (size > 0 && std::fread(data, 1, size, file_) != size) {
        failed_ = true;
        return false;
    }
    position_ += size;
    return true;
}

bool BinaryReader::word(std::int32_t& v) {
    std::int32_t w;
    if (!bytes(&w, sizeof w)) return false;
    v = w;
    return true;
}

bool BinaryReader::number(double& v) {
    double d;
    if (!bytes(&d, sizeof d)) return false;
    v = d;
    return true;
}

bool BinaryReader::fits(std::int64_t count, std::size_t itemSize) const {
    return count >= 0 && static_cast<std::uint64_t>(count) <= remaining() / itemSize;
}

void RecordBuffer::reserve(std::int32_t bytes) {
    const std::int64_t needed = static_cast<std::int64_t>(length_) + bytes;
    if (needed <= capacity()) return;
    const std::int64_t grown = static_cast<std::int64_t>(capacity()) + std::max(kGrowStep, bytes);
    data_.resize(static_cast<std::size_t>(grown));
}

void RecordBuffer::append(const void* bytes, std::int32_t size) {
    reserve(size);
    std::memcpy(data_.data() + length_, bytes, static_cast<std::size_t>(size));
    length_ += size;
}

std::int32_t RecordBuffer::putWord(std::int32_t v) {
    append(&v, kWord);
    return length_;
}

std::int32_t RecordBuffer::putDouble(double v) {
    append(&v, sizeof v);
    return length_;
}

std::int32_t RecordBuffer::putOptional(const OptionalValue& v) {
    putWord(v.present() ? 1 : 0);
    if (v.present()) putDouble(v.value);
    return length_;
}

std::int32_t RecordBuffer::putString(std::string_view text) {
    const auto bytes = static_cast<std::int32_t>(std::min<std::size_t>(
        text.size(), static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 8)));
    const std::int32_t words = (bytes + kWord - 1) / kWord;
    reserve(2 * kWord + words * kWord);  // the whole string in one step
    putWord(words);
    putWord(bytes);
    append(text.data(), bytes);
    const std::int32_t padding = words * kWord - bytes;
    static const std::uint8_t kZeros[kWord] = {};
    append(kZeros, padding);
    return length_;
}

void RecordBuffer::writeRecord(BinaryWriter& out) {
    out.word(length_);
    out.bytes(data_.data(), static_cast<std::size_t>(length_));
    data_.clear();
    data_.shrink_to_fit();
    length_ = 0;
    position_ = 0;
}

std::int32_t RecordBuffer::readRecord(BinaryReader& in) {
    data_.clear();
    length_ = 0;
    position_ = 0;
    std::int32_t length = 0;
    if (!in.word(length)) return -1;
    if (length < 0 || !in.fits(length, 1)) {
        // A length the file cannot hold: the file is damaged from here on.
        in.fail();
        return -1;
    }
    data_.resize(static_cast<std::size_t>(length));
    if (!in.bytes(data_.data(), data_.size())) {
        data_.clear();
        return -1;
    }
    length_ = length;
    return length_;
}

bool RecordBuffer::take(void* bytes, std::int32_t size) {
    if (size < 0 || size > length_ - position_) return false;
    std::memcpy(bytes, data_.data() + position_, static_cast<std::size_t>(size));
    position_ += size;
    return true;
}

std::int32_t RecordBuffer::getWord(std::int32_t& v) {
    std::int32_t w;
    if (!take(&w, kWord)) return -1;
    v = w;
    return position_;
}

std::int32_t RecordBuffer::getDouble(double& v) {
    double d;
    if (!take(&d, sizeof d)) return -1;
    v = d;
    return position_;
}

std::int32_t RecordBuffer::getOptional(OptionalValue& v) {
    const std::int32_t start = position_;
    std::int32_t flag = 0;
    if (getWord(flag) < 0) return -1;
    if (flag == 0) {
        v.clear();
        return position_;
    }
    double d;
    if (getDouble(d) < 0) {
        position_ = start;
        return -1;
    }
    v.set(d);
    return position_;
}

bool RecordBuffer::stringHeader(std::int32_t& words, std::int32_t& bytes, bool& absent) {
    const std::int32_t start = position_;
    absent = false;
    if (getWord(words) < 0) return false;
    if (words == -1) {
        absent = true;
        return true;
    }
    if (getWord(bytes) < 0 || !validString(words, bytes) ||
        static_cast<std::int64_t>(words) * kWord > length_ - position_) {
        position_ = start;
        return false;
    }
    return true;
}

std::int32_t RecordBuffer::getString(std::string& text) {
    std::int32_t words = 0, bytes = 0;
    bool absent = false;
    if (!stringHeader(words, bytes, absent) || absent) return -1;
    if (bytes == 0) {
        position_ += words * kWord;
        return 0;
    }
    text.assign(reinterpret_cast<const char*>(data_.data() + position_),
                static_cast<std::size_t>(bytes));
    position_ += words * kWord;
    return position_;
}

std::int32_t RecordBuffer::takeString(std::optional<std::string>& text) {
    std::int32_t words = 0, bytes = 0;
    bool absent = false;
    if (!stringHeader(words, bytes, absent)) return -1;
    if (absent) {
        text.reset();
        return position_;
    }
    text.emplace(reinterpret_cast<const char*>(data_.data() + position_),
                 static_cast<std::size_t>(bytes));
    position_ += words * kWord;
    return position_;
}

int RecordBuffer::checkTag(std::initializer_list<std::string_view> accepted) {
    std::optional<std::string> tag;
    if (takeString(tag) < 0 || !tag) return 0;
    int i = 1;
    for (std::string_view a : accepted) {
        if (*tag == a) return i;
        ++i;
    }
    return 0;
}

bool RecordReading::word(std::uint32_t& v) {
    auto w = static_cast<std::int32_t>(v);
    if (!word(w)) return false;
    v = static_cast<std::uint32_t>(w);
    return true;
}

bool RecordReading::flaggedText(std::optional<std::string>& v) {
    std::int32_t present = 0;
    if (!word(present)) return false;
    if (present == 0) {
        v.reset();
        return true;
    }
    std::optional<std::string> text;
    if (!taken(r_.takeString(text) >= 0)) {
        damaged_ = true;
        return false;
    }
    v = std::move(text);
    return true;
}

void writeDirectText(BinaryWriter& out, const std::optional<std::string>& text) {
    if (!text) {
        out.word(-1);
        return;
    }
    out.word(static_cast<std::int32_t>(text->size()));
    out.bytes(text->data(), text->size());
}

bool readDirectText(BinaryReader& in, std::optional<std::string>& text) {
    std::int32_t length = 0;
    if (!in.word(length)) return false;
    if (length == -1) {
        text.reset();
        return true;
    }
    if (!in.fits(length, 1)) {
        in.fail();
        return false;
    }
    std::string s(static_cast<std::size_t>(length), '\0');
    if (!in.bytes(s.data(), s.size())) return false;
    text = std::move(s);
    return true;
}

void writeDirectOptional(BinaryWriter& out, const OptionalValue& v) {
    out.word(v.present() ? 1 : 0);
    if (v.present()) out.number(v.value);
}

bool readDirectOptional(BinaryReader& in, OptionalValue& v) {
    std::int32_t flag = 0;
    if (!in.word(flag)) return false;
    if (flag == 0) {
        v.clear();
        return true;
    }
    double d;
    if (!in.number(d)) return false;
    v.set(d);
    return true;
}

void writeDirectDoubles(BinaryWriter& out, const std::vector<double>& values) {
    out.word(static_cast<std::int32_t>(values.size()));
    out.bytes(values.data(), values.size() * sizeof(double));
}

bool readDirectDoubles(BinaryReader& in, std::vector<double>& values) {
    std::int32_t count = 0;
    if (!in.word(count)) return false;
    if (!in.fits(count, sizeof(double))) {
        in.fail();
        return false;
    }
    std::vector<double> v(static_cast<std::size_t>(count));
    if (!in.bytes(v.data(), v.size() * sizeof(double))) return false;
    values = std::move(v);
    return true;
}

void writeDirectWords(BinaryWriter& out, const std::vector<std::int32_t>& values) {
    out.word(static_cast<std::int32_t>(values.size()));
    out.bytes(values.data(), values.size() * sizeof(std::int32_t));
}

bool readDirectWords(BinaryReader& in, std::vector<std::int32_t>& values) {
    std::int32_t count = 0;
    if (!in.word(count)) return false;
    if (!in.fits(count, sizeof(std::int32_t))) {
        in.fail();
        return false;
    }
    std::vector<std::int32_t> v(static_cast<std::size_t>(count));
    if (!in.bytes(v.data(), v.size() * sizeof(std::int32_t))) return false;
    values = std::move(v);
    return true;
}

void writeDirectOptionalWords(BinaryWriter& out, const std::vector<std::int32_t>* values) {
    if (values == nullptr) {
        out.word(0);
        return;
    }
    out.word(1);
    writeDirectWords(out, *values);
}

bool readDirectOptionalWords(BinaryReader& in, std::vector<std::int32_t>& values) {
    std::int32_t flag = 0;
    if (!in.word(flag)) return false;
    if (flag == 0) return true;
    return readDirectWords(in, values);
}

}  // namespace gridova
