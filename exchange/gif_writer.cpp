#include "exchange/gif_writer.h"
#include "exchange/little_endian.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kTooManyColoursMessage = 276;  // "Изображение содержит более 256 цветов"
constexpr int kMaxDimension = 0xFFFF;  // screen and image sizes are 16-bit fields

// --- Colour reduction -------------------------------------------------------

// Colour (0xRRGGBB) to palette index: open addressing with linear probing,
// at most half full. A colour is never 0xFFFFFFFF, which marks a free slot.
class ColourIndex {
public:
    static constexpr std::uint32_t kFree = 0xFFFFFFFF;

    ColourIndex() : keys_(kInitialCapacity, kFree), values_(kInitialCapacity) {}

    // The colour's index, or -1.
    int find(std::uint32_t colour) const {
        for (std::size_t slot = home(colour);; slot = (slot + 1) & mask()) {
            if (keys_[slot] == colour) return values_[slot];
            if (keys_[slot] == kFree) return -1;
        }
    }

    void insert(std::uint32_t colour, std::uint8_t index) {
        if (2 * (size_ + 1) > keys_.size()) grow();
        place(colour, index);
        ++size_;
    }

private:
    static constexpr std::size_t kInitialCapacity = 1024;  // power of two

    std::size_t mask() const { return keys_.size() - 1; }
    std::size_t home(std::uint32_t colour) const {
        // Fibonacci hashing: the high bits of the product are well mixed.
        return static_cast<std::size_t>((colour * 0x9E3779B1u) >> 8) & mask();
    }
    void place(std::uint32_t colour, std::uint8_t index) {
        std::size_t slot = home(colour);
        while (keys_[slot] != kFree) slot = (slot + 1) & mask();
        keys_[slot] = colour;
        values_[slot] = index;
    }
    void grow() {
        std::vector<std::uint32_t> keys(keys_.size() * 2, kFree);
        std::vector<std::uint8_t> values(values_.size() * 2);
        keys.swap(keys_);
        values.swap(values_);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] != kFree) place(keys[i], values[i]);
        }
    }

    std::vector<std::uint32_t> keys_;
    std::vector<std::uint8_t> values_;
    std::size_t size_ = 0;
};

std::uint8_t nearestPaletteIndex(const std::array<std::uint8_t, 3 * kGifPaletteSize>& palette,
                                 const std::uint8_t* rgb) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < kGifPaletteSize; ++i) {
        const int dr = palette[3 * i] - rgb[0];
        const int dg = palette[3 * i + 1] - rgb[1];
        const int db = palette[3 * i + 2] - rgb[2];
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {  // strict: the lower index wins a tie
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// --- LZW ---------------------------------------------------------------------

constexpr unsigned kClearCode = 256;
constexpr unsigned kEndCode = 257;
constexpr unsigned kFirstFreeCode = 258;
constexpr unsigned kMinCodeWidth = 9;
constexpr unsigned kMaxCodeWidth = 12;
constexpr unsigned kMaxCode = 4095;
constexpr unsigned kFullTableCode = 4096;  // the would-be code of a full table
constexpr std::uint8_t kLzwMinimumCodeSize = 8;

constexpr unsigned kHashSlots = 20003;
constexpr unsigned kProbeLimit = 2 * kHashSlots;
constexpr unsigned kPixelHashShift = 5;  // slot = (pixel × 32 XOR prefix) mod 20003
// A slot holds (prefix << 8 | pixel) << 12 | code. A string's code is
// always above its prefix's, so prefix 4095 with code 4095 never occurs and
// all ones marks a free slot.
constexpr std::uint32_t kFreeSlot = 0xFFFFFFFF;
constexpr unsigned kCodeBits = 12;
constexpr std::uint32_t kCodeMask = 0xFFF;

// The home slot (pixel × 32 XOR prefix) is below 8192: the modulo never
// changes it.
static_assert(((255u << kPixelHashShift) | kMaxCode) < kHashSlots);
// Per prefix code, the pixel and code of the string last found or made
// from it: a run of one colour extends the same strings again and again, so
// most look-ups end here without probing. Held as pixel << 12 | code and
// cleared with the table; all ones matches no pixel.
constexpr std::uint32_t kNoChild = 0xFFFFFFFF;

constexpr std::size_t kFlushBytes = 254;  // 2032 waiting bits
constexpr std::size_t kMaxSubBlock = 255;

// --- File layout ---------------------------------------------------------------

constexpr char kSignature[] = "GIF87a";
constexpr std::uint8_t kScreenPacked = 0xF7;  // global table, 8-bit resolution, 256 entries
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kImagePacked = 0x07;
constexpr std::uint8_t kTrailer = 0x3B;

// Appends the LZW data as sub-blocks and the zero-length block. False when
// the string table overflowed.
bool encodeLzw(const std::vector<std::uint8_t>& pixels, std::vector<std::uint8_t>& out) {
    std::vector<std::uint32_t> table(kHashSlots, kFreeSlot);
    std::vector<std::uint32_t> lastChild(kMaxCode + 1, kNoChild);
    unsigned width = kMinCodeWidth;
    unsigned nextCode = kFirstFreeCode;

    // Bits not yet in a whole byte, and where the open sub-block's length
    // byte sits; the block's complete bytes follow it in `out`.
    std::uint64_t bitBuffer = 0;
    unsigned bitCount = 0;
    std::size_t blockStart = out.size();
    out.push_back(0);

    auto putCode = [&](unsigned code) {
        const std::size_t waiting = out.size() - blockStart - 1;
        if (waiting >= kFlushBytes) {
            out[blockStart] = static_cast<std::uint8_t>(waiting);
            blockStart = out.size();
            out.push_back(0);
        }
        bitBuffer |= static_cast<std::uint64_t>(code) << bitCount;
        bitCount += width;
        while (bitCount >= 8) {
            out.push_back(static_cast<std::uint8_t>(bitBuffer));
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };

    putCode(kClearCode);
    unsigned prefix = pixels.front();
    const std::size_t count = pixels.size();
    for (std::size_t i = 1; i < count; ++i) {
        const unsigned pixel = pixels[i];
        const std::uint32_t child = lastChild[prefix];
        if ((child >> kCodeBits) == pixel) {
            prefix = child & kCodeMask;
            continue;
        }

        const std::uint32_t key = (prefix << 8) | pixel;
        unsigned slot = (pixel << kPixelHashShift) ^ prefix;
        unsigned step = 1;
        bool found = false;
        for (;;) {
            const std::uint32_t entry = table[slot];
            if (entry == kFreeSlot) break;
            if ((entry >> kCodeBits) == key) {
                lastChild[prefix] = (pixel << kCodeBits) | (entry & kCodeMask);
                prefix = entry & kCodeMask;
                found = true;
                break;
            }
            slot += step;
            step += 2;
            if (step > kProbeLimit) {
                log("Over");
                return false;
            }
            while (slot >= kHashSlots) slot -= kHashSlots;
        }
        if (found) continue;

        putCode(prefix);
        unsigned assigned = kFullTableCode;
        if (nextCode <= kMaxCode) {
            assigned = nextCode++;
            table[slot] = (key << kCodeBits) | assigned;
            lastChild[prefix] = (pixel << kCodeBits) | assigned;
        }
        if (assigned == (1u << width)) {
            if (width < kMaxCodeWidth) {
                ++width;
            } else {
                putCode(kClearCode);
                std::fill(table.begin(), table.end(), kFreeSlot);
                std::fill(lastChild.begin(), lastChild.end(), kNoChild);
                width = kMinCodeWidth;
                nextCode = kFirstFreeCode;
            }
        }
        prefix = pixel;
    }
    putCode(prefix);
    putCode(kEndCode);
    if (bitCount > 0) out.push_back(static_cast<std::uint8_t>(bitBuffer));

    // The rest of the open block (up to 256 bytes) in blocks of at most 255.
    const std::vector<std::uint8_t> rest(out.begin() + static_cast<std::ptrdiff_t>(blockStart) + 1,
                                         out.end());
    out.resize(blockStart);
    for (std::size_t done = 0; done < rest.size(); done += kMaxSubBlock) {
        const std::size_t n = std::min(kMaxSubBlock, rest.size() - done);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), rest.begin() + static_cast<std::ptrdiff_t>(done),
                   rest.begin() + static_cast<std::ptrdiff_t>(done + n));
    }
    out.push_back(0);
    return true;
}

}  // namespace

IndexedImage reduceColours(const RgbImage& image) {
    IndexedImage result;
    result.width = image.width;
    result.height = image.height;
    const std::size_t count = image.pixelCount();
    result.indices.resize(count);

    ColourIndex known;
    int colours = 0;
    // Neighbouring pixels mostly share their colour.
    std::uint32_t lastColour = ColourIndex::kFree;
    std::uint8_t lastIndex = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = image.rgb.data() + 3 * i;
        const std::uint32_t colour = (static_cast<std::uint32_t>(p[0]) << 16) |
                                     (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
        if (colour != lastColour) {
            int index = known.find(colour);
            if (index < 0) {
                if (colours < kGifPaletteSize) {
                    index = colours++;
                    std::copy(p, p + 3, result.palette.begin() + 3 * index);
                } else {
                    index = nearestPaletteIndex(result.palette, p);
                    result.tooManyColours = true;
                }
                known.insert(colour, static_cast<std::uint8_t>(index));
            }
            lastColour = colour;
            lastIndex = static_cast<std::uint8_t>(index);
        }
        result.indices[i] = lastIndex;
    }
    return result;
}

std::optional<std::vector<std::uint8_t>> encodeGif(const IndexedImage& image) {
    if (image.indices.empty()) return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(1024 + image.indices.size() / 4);
    out.insert(out.end(), kSignature, kSignature + 6);
    // Logical screen descriptor.
    put16(out, image.width);
    put16(out, image.height);
    out.push_back(kScreenPacked);
    out.push_back(0);  // background colour index
    out.push_back(0);  // pixel shape: not given
    out.insert(out.end(), image.palette.begin(), image.palette.end());
    // Image descriptor.
    out.push_back(kImageSeparator);
    put16(out, 0);
    put16(out, 0);
    put16(out, image.width);
    put16(out, image.height);
    out.push_back(kImagePacked);
    out.push_back(kLzwMinimumCodeSize);
    if (!encodeLzw(image.indices, out)) return std::nullopt;
    out.push_back(kTrailer);
    return out;
}

bool writeGif(const gdi::Dib& dib, const std::string& path) {
    if (!dib.valid() || dib.width > kMaxDimension || dib.height > kMaxDimension) {
        invalidFormat();
        return false;
    }
    const IndexedImage image = reduceColours(toRgb(dib));
    if (image.tooManyColours) warning(text(kTooManyColoursMessage));
    const auto bytes = encodeGif(image);
    if (!bytes) return false;

    const auto out = openBinaryWrite(path);
    if (!out) return false;
    if (std::fwrite(bytes->data(), 1, bytes->size(), out->file()) != bytes->size()) {
        out->discard();  // commitOrWarn then reports the failure
    }
    return commitOrWarn(*out);
}

}  // namespace gridova
