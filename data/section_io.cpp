#include "data/section_io.h"

#include "platform/messages.h"

namespace gridova::section_io {

bool refuse(BinaryReader& in) {
    invalidFormat();
    in.fail();
    return false;
}

bool stop(BinaryReader& in) {
    in.fail();
    return false;
}

bool partFailed(BinaryReader& in) {
    if (in.failed()) invalidFormat();
    in.fail();
    return false;
}

int openSection(BinaryReader& in, RecordBuffer& r, std::string_view tag) {
    if (r.readRecord(in) < 0) {
        refuse(in);
        return -1;
    }
    if (r.checkTag({tag}) != 1) {
        invalidFormat();
        return 0;
    }
    return 1;
}

int openSectionQuietly(BinaryReader& in, RecordBuffer& r, std::string_view tag) {
    if (r.readRecord(in) < 0) {
        in.fail();
        return -1;
    }
    if (r.checkTag({tag}) != 1) {
        invalidFormat();
        return 0;
    }
    return 1;
}

bool countFits(const BinaryReader& in, std::int32_t count, std::size_t minBytes) {
    return count >= 0 && in.fits(count, minBytes);
}

}  // namespace gridova::section_io
