// Records of the document file, and the direct items written between them.
//
// A record on file is a 32-bit length L followed by L bytes. Inside a record
// everything is a sequence of little-endian 4-byte words:
//   word      4 bytes, signed
//   double    8 bytes (IEEE 754 binary64)
//   optional  a word flag (0 or 1), then the double only when the flag is set
//   presence  a word: 1 when an object follows, 0 when not
//   string    a word W (4-byte words of text), a word L (bytes), then W × 4
//             bytes: the text without terminator, padded; an absent text is
//             the single word -1, an empty one W = 0, L = 0
//
// Every saved object writes a section: a first record that begins with its
// tag ("PS01": letters naming the object, two digits naming the layout) and
// its scalar members, bulk data as direct items or further records, and a
// presence record before each optional sub-object. A reader checks the tag
// and reads nothing more on a mismatch. A value that an older, shorter record
// does not hold leaves the member at its default.
//
// Files are untrusted: every length and count is checked against the bytes
// left in the file before anything is allocated or read; a reader that hits
// a bad length stops, and every later read fails.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/optional_value.h"

namespace gridova {

// Bytes to a file, remembering whether every write succeeded.
class BinaryWriter {
public:
    explicit BinaryWriter(std::FILE* file) : file_(file) {}
    void bytes(const void* data, std::size_t size);
    void word(std::int32_t v);
    void byte(std::uint8_t v) { bytes(&v, 1); }
    void number(double v);
    bool ok() const { return ok_; }

private:
    std::FILE* file_;
    bool ok_ = true;
};

// Bytes from a file whose size is known, or from memory, so that lengths
// read from it can be checked against what is left.
class BinaryReader {
public:
    explicit BinaryReader(std::FILE* file);
    // Reads the bytes, which must outlive the reader.
    explicit BinaryReader(std::string_view memory);
    // False (and the reader failed) when fewer bytes are left.
    bool bytes(void* data, std::size_t size);
    bool word(std::int32_t& v);
    bool byte(std::uint8_t& v) { return bytes(&v, 1); }
    bool number(double& v);
    std::uint64_t remaining() const { return failed_ ? 0 : size_ - position_; }
    // A count of items of itemSize bytes that the rest of the file can hold.
    bool fits(std::int64_t count, std::size_t itemSize) const;
    bool failed() const { return failed_; }
    void fail() { failed_ = true; }

private:
    std::FILE* file_ = nullptr;
    const char* memory_ = nullptr;  // instead of the file
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    bool failed_ = false;
};

class RecordBuffer {
public:
    static constexpr std::int32_t kGrowStep = 10240;

    // --- Composing ---------------------------------------------------------
    // Each returns the new length.
    std::int32_t putWord(std::int32_t v);
    std::int32_t putDouble(double v);
    std::int32_t putOptional(const OptionalValue& v);
    std::int32_t putPresence(bool present) { return putWord(present ? 1 : 0); }
    std::int32_t putString(std::string_view text);
    std::int32_t putString(const std::string& text) { return putString(std::string_view(text)); }
    std::int32_t putString(const char* text) { return putString(std::string_view(text)); }
    // An absent text is the single word -1.
    std::int32_t putString(const std::optional<std::string>& text) {
        return text ? putString(std::string_view(*text)) : putWord(-1);
    }
    // Writes the length and the bytes, then empties the buffer.
    void writeRecord(BinaryWriter& out);

    // --- Taking apart ------------------------------------------------------
    // Empties the buffer and reads one record; the length, 0 for an empty
    // record, -1 when the file holds no record (then the reader has failed).
    std::int32_t readRecord(BinaryReader& in);
    // Each returns the new read position, or -1 when the record holds too
    // few bytes; the destination is then unchanged.
    std::int32_t getWord(std::int32_t& v);
    std::int32_t getDouble(double& v);
    std::int32_t getOptional(OptionalValue& v);
    // -1 for an absent text or too few bytes, 0 for an empty text (the
    // destination unchanged in both cases), else the new read position.
    std::int32_t getString(std::string& text);
    // The text, none for an absent one; -1 when the record holds too few
    // bytes (the destination unchanged).
    std::int32_t takeString(std::optional<std::string>& text);
    // Takes a string and gives the 1-based position of the first accepted
    // tag it equals (case-sensitive), 0 when none.
    int checkTag(std::initializer_list<std::string_view> accepted);

    std::int32_t capacity() const { return static_cast<std::int32_t>(data_.size()); }
    std::int32_t length() const { return length_; }
    std::int32_t position() const { return position_; }
    const std::uint8_t* data() const { return data_.data(); }

private:
    void reserve(std::int32_t bytes);
    void append(const void* bytes, std::int32_t size);
    bool take(void* bytes, std::int32_t size);
    // Reads W and L of a string; false when they do not fit the record.
    bool stringHeader(std::int32_t& words, std::int32_t& bytes, bool& absent);

    std::vector<std::uint8_t> data_;  // its size is the capacity
    std::int32_t length_ = 0;
    std::int32_t position_ = 0;
};

// One list of a record's fields serves both its writer and its reader: a
// function template names each field once, in order, as io.word(field),
// io.number(field), io.optional(field), io.text(field) or
// io.flaggedText(field), and is called with a RecordWriting (the fields of
// a const object) or a RecordReading. A field that is worked out rather
// than stored, or that is checked, held to a range or converted when read,
// goes through `if constexpr (Io::kReading)`. A value that the record
// carries for its caller (a count of the items that follow the record) is
// handed in by reference: the writer gives it, the reader takes it.
class RecordWriting {
public:
    static constexpr bool kReading = false;
    explicit RecordWriting(RecordBuffer& r) : r_(r) {}
    void word(std::int32_t v) { r_.putWord(v); }
    // An unsigned field (a colour) as the word of the same 32 bits.
    void word(std::uint32_t v) { r_.putWord(static_cast<std::int32_t>(v)); }
    void number(double v) { r_.putDouble(v); }
    void optional(const OptionalValue& v) { r_.putOptional(v); }
    void text(const std::string& v) { r_.putString(v); }
    // An absent text is the single word -1.
    void text(const std::optional<std::string>& v) { r_.putString(v); }
    // A presence word, then the text when there is one.
    void flaggedText(const std::optional<std::string>& v) {
        r_.putPresence(v.has_value());
        if (v) r_.putString(*v);
    }

private:
    RecordBuffer& r_;
};

// Taking a field that the record does not hold any more (an older, shorter
// record) leaves it as it was and gives false; allTaken() then tells that
// some field was not taken. A flagged text whose presence word is set but
// whose text the record does not hold marks the record damaged().
class RecordReading {
public:
    static constexpr bool kReading = true;
    explicit RecordReading(RecordBuffer& r) : r_(r) {}
    bool word(std::int32_t& v) { return taken(r_.getWord(v) >= 0); }
    bool word(std::uint32_t& v);
    bool number(double& v) { return taken(r_.getDouble(v) >= 0); }
    bool optional(OptionalValue& v) { return taken(r_.getOptional(v) >= 0); }
    // An empty text leaves the field as it was; an absent one is not taken
    // (RecordBuffer::getString).
    bool text(std::string& v) { return taken(r_.getString(v) >= 0); }
    // An absent text gives none; an empty one the empty text.
    bool text(std::optional<std::string>& v) { return taken(r_.takeString(v) >= 0); }
    // A presence word 0 gives none; a set one the text that follows (none
    // for an absent text).
    bool flaggedText(std::optional<std::string>& v);

    bool allTaken() const { return allTaken_; }
    bool damaged() const { return damaged_; }

private:
    bool taken(bool ok) {
        if (!ok) allTaken_ = false;
        return ok;
    }

    RecordBuffer& r_;
    bool allTaken_ = true;
    bool damaged_ = false;
};

// --- Direct items -----------------------------------------------------------
// A 32-bit length and the bytes; -1 for an absent text.
void writeDirectText(BinaryWriter& out, const std::optional<std::string>& text);
bool readDirectText(BinaryReader& in, std::optional<std::string>& text);
void writeDirectOptional(BinaryWriter& out, const OptionalValue& v);
bool readDirectOptional(BinaryReader& in, OptionalValue& v);
// A 32-bit count N, then N doubles (words).
void writeDirectDoubles(BinaryWriter& out, const std::vector<double>& values);
bool readDirectDoubles(BinaryReader& in, std::vector<double>& values);
void writeDirectWords(BinaryWriter& out, const std::vector<std::int32_t>& values);
bool readDirectWords(BinaryReader& in, std::vector<std::int32_t>& values);
// A word 1 and a direct word array, or a single word 0 (then the
// destination is unchanged).
void writeDirectOptionalWords(BinaryWriter& out, const std::vector<std::int32_t>* values);
bool readDirectOptionalWords(BinaryReader& in, std::vector<std::int32_t>& values);

// The items written directly, outside records, named once for the writer
// and the reader as a record's fields are (RecordWriting): io.word(field),
// io.byte(field), io.text(field) (a direct text).
class DirectWriting {
public:
    static constexpr bool kReading = false;
    explicit DirectWriting(BinaryWriter& out) : out_(out) {}
    void word(std::int32_t v) { out_.word(v); }
    void byte(std::uint8_t v) { out_.byte(v); }
    void text(const std::optional<std::string>& v) { writeDirectText(out_, v); }

private:
    BinaryWriter& out_;
};

// A read past the end of the file fails the reader, and every later read;
// the field is left as it was and allTaken() turns false.
class DirectReading {
public:
    static constexpr bool kReading = true;
    explicit DirectReading(BinaryReader& in) : in_(in) {}
    bool word(std::int32_t& v) { return taken(in_.word(v)); }
    bool byte(std::uint8_t& v) { return taken(in_.byte(v)); }
    bool text(std::optional<std::string>& v) { return taken(readDirectText(in_, v)); }
    bool allTaken() const { return allTaken_; }

private:
    bool taken(bool ok) {
        if (!ok) allTaken_ = false;
        return ok;
    }

    BinaryReader& in_;
    bool allTaken_ = true;
};

// How deep sections may nest (groups in groups, derived sets); deeper
// sections are refused as "Invalid format.".
inline constexpr int kMaxSectionDepth = 64;

}  // namespace gridova
