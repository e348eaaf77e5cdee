// The document file of a map (".GDV"): a header text, the settings record
// and one step per map object, each announced by a presence record.
#include <cstring>
#include <type_traits>

#include "data/section_io.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "render/map_view.h"

namespace gridova {

namespace {

constexpr int kCannotWrite = 201;  // "Нельзя записать в файл %s"
constexpr std::size_t kMaxHeader = 1023;

bool readPresence(BinaryReader& in, bool& present) {
    RecordBuffer r;
    if (r.readRecord(in) < 0) return false;
    std::int32_t word = 0;
    r.getWord(word);
    present = word != 0;
    return true;
}

void writePresence(BinaryWriter& out, bool present) {
    RecordBuffer r;
    r.putPresence(present);
    r.writeRecord(out);
}

}  // namespace

// --- Settings record --------------------------------------------------------------------

void CVexaView::writeSettingsRecord(BinaryWriter& out) const {
    RecordBuffer r;
    for (std::int32_t v : kept_.printerMargins) r.putWord(v);                    // 1-4
    r.putDouble(printSetup.marginLeftCoeff);                                     // 5
    r.putDouble(printSetup.marginTopCoeff);                                      // 6
    r.putDouble(printSetup.marginRightCoeff);                                    // 7
    r.putDouble(printSetup.marginBottomCoeff);                                   // 8
    r.putWord(kept_.baseMapDefault);                                             // 9
    r.putWord(kept_.word10);                                                     // 10
    r.putWord(printSetup.paperOrientation);                                      // 11
    r.putWord(aspectRatio);                                                      // 12
    r.putWord(printSetup.scale);                                                 // 13
    r.putWord(printSetup.pageUnits);                                             // 14
    r.putDouble(printSetup.unitsPerInchX);                                       // 15
    r.putDouble(printSetup.unitsPerInchY);                                       // 16
    r.putDouble(printSetup.unitCoef);                                            // 17
    r.putWord(kept_.pictureSaved);                                               // 18
    r.putWord(pixelMargins[0]);                                                  // 19 left
    r.putWord(pixelMargins[2]);                                                  // 20 right
    r.putWord(pixelMargins[1]);                                                  // 21 top
    r.putWord(pixelMargins[3]);                                                  // 22 bottom
    r.putWord(static_cast<std::int32_t>(pointSetsAdded_));                       // 23
    r.putWord(grid_ ? static_cast<std::int32_t>(grid_->method) : kept_.method);  // 24
    r.putWord(static_cast<std::int32_t>(documentKind));                          // 25
    r.putWord(settings.frameVisible);                                            // 26
    r.putWord(settings.showBorder);                                              // 27
    r.putWord(kept_.gridNodesX);                                                 // 28
    r.putWord(kept_.gridNodesY);                                                 // 29
    r.putWord(kept_.word30);                                                     // 30
    for (std::int32_t v : kept_.array) r.putWord(v);                             // 31-36
    for (std::int32_t v : kept_.newLine) r.putWord(v);                           // 37-40
    r.putWord(kPickPixels);                                                      // 41
    r.putDouble(pickX_);                                                         // 42
    r.putWord(kept_.highlighted);                                                // 43
    r.putWord(settings.sectionCounter);                                          // 44
    r.putWord(settings.automaticLevels ? 1 : 0);                                 // 45
    r.putWord(kept_.widenCells);                                                 // 46
    r.putOptional(settings.borderValue);                                         // 47
    r.putString(kept_.defaultLineName);                                          // 48
    r.writeRecord(out);
}

void CVexaView::readSettingsRecord(RecordBuffer& r) {
    // An older, shorter record leaves the rest at the defaults: every take
    // after the end fails and changes nothing.
    for (std::int32_t& v : kept_.printerMargins) r.getWord(v);
    r.getDouble(printSetup.marginLeftCoeff);
    r.getDouble(printSetup.marginTopCoeff);
    r.getDouble(printSetup.marginRightCoeff);
    r.getDouble(printSetup.marginBottomCoeff);
    r.getWord(kept_.baseMapDefault);
    r.getWord(kept_.word10);
    r.getWord(printSetup.paperOrientation);
    r.getWord(aspectRatio);
    r.getWord(printSetup.scale);
    r.getWord(printSetup.pageUnits);
    r.getDouble(printSetup.unitsPerInchX);
    r.getDouble(printSetup.unitsPerInchY);
    r.getDouble(printSetup.unitCoef);
    r.getWord(kept_.pictureSaved);
    r.getWord(pixelMargins[0]);
    r.getWord(pixelMargins[2]);
    r.getWord(pixelMargins[1]);
    r.getWord(pixelMargins[3]);
    std::int32_t added = static_cast<std::int32_t>(pointSetsAdded_);
    if (r.getWord(added) >= 0 && added >= 0) pointSetsAdded_ = static_cast<std::size_t>(added);
    r.getWord(kept_.method);
    std::int32_t kind = static_cast<std::int32_t>(documentKind);
    if (r.getWord(kind) >= 0 && kind >= 0 && kind <= 7)
        documentKind = static_cast<DocumentKind>(kind);
    r.getWord(settings.frameVisible);
    r.getWord(settings.showBorder);
    r.getWord(kept_.gridNodesX);
    r.getWord(kept_.gridNodesY);
    r.getWord(kept_.word30);
    for (std::int32_t& v : kept_.array) r.getWord(v);
    for (std::int32_t& v : kept_.newLine) r.getWord(v);
    std::int32_t pickPixels = kPickPixels;
    r.getWord(pickPixels);
    r.getDouble(pickX_);
    r.getWord(kept_.highlighted);
    r.getWord(settings.sectionCounter);
    std::int32_t automatic = settings.automaticLevels ? 1 : 0;
    if (r.getWord(automatic) >= 0) settings.automaticLevels = automatic != 0;
    r.getWord(kept_.widenCells);
    r.getOptional(settings.borderValue);
    r.getString(kept_.defaultLineName);
}

// --- Writing ------------------------------------------------------------------------------

bool CVexaView::writeDocument(const std::string& path) {
    WaitScope wait;
    OutputFile file(path);
    if (!file.isOpen()) {
        warning(formatText(text(kCannotWrite), {path}));
        return false;
    }
    BinaryWriter out(file.file());
    // 1. Header text and its zero byte.
    const std::string header = std::string(kDocumentHeader) + kVersionText;
    out.bytes(header.data(), header.size());
    out.byte(0);
    // 2. The layout number.
    {
        RecordBuffer r;
        r.putWord(1);
        r.writeRecord(out);
    }
    // 3.
    writeSettingsRecord(out);
    // 4. The point tree and the main set's name.
    writePresence(out, true);
    pointTree_->writeSection(out);
    {
        RecordBuffer r;
        r.putPresence(mainPoints_ != nullptr);
        if (mainPoints_ != nullptr) r.putString(mainPoints_->name());
        r.writeRecord(out);
    }
    // 5.
    writePresence(out, grid_ != nullptr);
    if (grid_) grid_->writeSection(out);
    // 6.
    writePresence(out, isolines_ != nullptr);
    if (isolines_) isolines_->writeSection(out);
    // 7.
    writePresence(out, colorFill_ != nullptr);
    if (colorFill_) colorFill_->writeSection(out);
    // 8.
    writePresence(out, border_ != nullptr);
    if (border_) border_->writeSection(out);
    // 9.
    const MapTitle* t = const_cast<CVexaView*>(this)->mapTitle();
    writePresence(out, t != nullptr);
    if (t != nullptr) t->writeSection(out);
    // 10. The third tree and its links to the point tree.
    writePresence(out, thirdTree_ != nullptr);
    if (thirdTree_) {
        thirdTree_->writeSection(out);
        RecordBuffer r;
        r.putPresence(true);
        r.putPresence(true);
        r.writeRecord(out);
        for (const auto& [i, j] : thirdTreeLinks_) {
            r.putWord(i);
            r.putWord(j);
        }
        r.putWord(-1);
        r.writeRecord(out);
    }
    // 11. Background pictures are not kept in documents yet.
    writePresence(out, false);
    // 12.
    writePresence(out, objectTree_ != nullptr);
    if (objectTree_) objectTree_->writeSection(out);
    // 13.
    {
        RecordBuffer r;
        r.writeRecord(out);
    }
    if (!out.ok() || !file.commit()) {
        warning(formatText(text(kCannotWrite), {path}));
        return false;
    }
    if (objectTree_) objectTree_->modified = false;
    mapChanged = false;
    return true;
}

// --- Reading ------------------------------------------------------------------------------

bool CVexaView::readDocument(const std::string& path) {
    FilePtr f = openBinaryRead(path);
    if (!f) return false;
    BinaryReader in(f.get());
    return readDocument(in);
}

bool CVexaView::readDocumentBytes(std::string_view bytes) {
    BinaryReader in(bytes);
    return readDocument(in);
}

bool CVexaView::readDocument(BinaryReader& in) {
    WaitScope wait;
    // 1. The map objects go.
    grid_.reset();
    isolines_.reset();
    colorFill_.reset();
    bandOutlines_.reset();
    border_.reset();
    objectTree_.reset();
    thirdTree_.reset();
    thirdTreeLinks_.clear();
    title.reset();
    pointTree_ = std::make_unique<Bush>();
    mainPoints_ = nullptr;
    // 2. The header, up to its zero byte.
    std::size_t headerBytes = 0;
    for (;;) {
        std::uint8_t c = 0;
        if (!in.byte(c)) return section_io::refuse(in);
        if (c == 0) break;
        if (++headerBytes > kMaxHeader) return section_io::refuse(in);
    }
    // 3. Two records: the layout number, then the settings.
    RecordBuffer r;
    if (r.readRecord(in) < 0 || r.readRecord(in) < 0) return section_io::refuse(in);
    readSettingsRecord(r);

    // 4-12. A section that fails leaves the file out of step: what was read
    // so far is kept and reading ends (the reader has said why, once).
    bool present = false;
    const auto finish = [&](bool ok) {
        pointTree_->recomputeExtent();
        invalidateMap();
        return ok;
    };
    // 4.
    if (!readPresence(in, present)) return finish(section_io::refuse(in));
    if (present) {
        if (!pointTree_->readSection(in)) return finish(false);
        if (r.readRecord(in) < 0) return finish(section_io::refuse(in));
        std::int32_t hasMain = 0;
        r.getWord(hasMain);
        std::optional<std::string> name;
        if (hasMain != 0 && r.takeString(name) >= 0 && name) {
            if (BushItem* item = pointTree_->findItem(*name)) mainPoints_ = item->pointSet();
        }
        if (mainPoints_ == nullptr) {
            const std::vector<PointSet*> sets = pointTree_->pointSets();
            if (hasMain != 0 && !sets.empty()) mainPoints_ = sets.front();
        }
    }
    // An object announced by a presence record, made with its defaults
    // and read; false when reading ends here (the reason shown).
    const auto readOptional = [&](auto& slot) {
        if (!readPresence(in, present)) return section_io::refuse(in);
        if (!present) return true;
        slot = std::make_unique<typename std::decay_t<decltype(slot)>::element_type>();
        return slot->readSection(in);
    };
    // 5-8.
    if (!readOptional(grid_) || !readOptional(isolines_) || !readOptional(colorFill_) ||
        !readOptional(border_)) {
        return finish(false);
    }
    // 9.
    if (!readPresence(in, present)) return finish(section_io::refuse(in));
    if (present) {
        MapTitle t;
        const bool ok = t.readSection(in);
        setTitle(std::move(t));
        if (!ok) return finish(false);
    }
    // 10.
    if (!readPresence(in, present)) return finish(section_io::refuse(in));
    if (present) {
        thirdTree_ = std::make_unique<Bush>();
        if (!thirdTree_->readSection(in)) return finish(false);
        if (r.readRecord(in) < 0) return finish(section_io::refuse(in));
        std::int32_t first = 0, second = 0;
        r.getWord(first);
        r.getWord(second);
        if (first != 0 && second != 0) {
            if (r.readRecord(in) < 0) return finish(section_io::refuse(in));
            for (;;) {
                std::int32_t i = -1, j = -1;
                if (r.getWord(i) < 0 || i == -1 || r.getWord(j) < 0) break;
                thirdTreeLinks_.emplace_back(i, j);
            }
        }
    }
    // 11. A background picture: its settings cannot be read yet.
    if (!readPresence(in, present)) return finish(section_io::refuse(in));
    if (present) {
        log("Background pictures of documents are not read yet");
        return finish(section_io::refuse(in));
    }
    // 12.
    if (!readOptional(objectTree_)) return finish(false);
    if (objectTree_) objectTree_->modified = false;
    mapChanged = false;
    return finish(true);
}

}  // namespace gridova
