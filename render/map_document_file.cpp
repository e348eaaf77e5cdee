#include "render/map_document_file.h"

#include <cstring>
#include <type_traits>

#include "data/section_io.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "render/axes.h"
#include "render/triangle_layer.h"

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

// The 49 items of the settings record, in their order: one list for the
// writer and the reader. An older, shorter record leaves the rest at the
// defaults (every take after its end fails and changes nothing).
template <class Model, class Page, class Io>
void MapDocumentFile::settingsFields(Model& m, Page& page, Io& io) {
    for (auto& margin : m.kept.printerMargins) io.word(margin);  // 1-4
    io.number(page.printSetup.marginLeftCoeff);                  // 5
    io.number(page.printSetup.marginTopCoeff);                   // 6
    io.number(page.printSetup.marginRightCoeff);                 // 7
    io.number(page.printSetup.marginBottomCoeff);                // 8
    io.word(m.kept.baseMapDefault);                              // 9
    io.word(m.kept.word10);                                      // 10
    io.word(page.printSetup.paperOrientation);                   // 11
    io.word(page.aspectRatio);                                   // 12
    io.word(page.printSetup.scale);                              // 13
    io.word(page.printSetup.pageUnits);                          // 14
    io.number(page.printSetup.unitsPerInchX);                    // 15
    io.number(page.printSetup.unitsPerInchY);                    // 16
    io.number(page.printSetup.unitCoef);                         // 17
    io.word(m.kept.pictureSaved);                                // 18
    io.word(page.pixelMargins[0]);                               // 19 left
    io.word(page.pixelMargins[2]);                               // 20 right
    io.word(page.pixelMargins[1]);                               // 21 top
    io.word(page.pixelMargins[3]);                               // 22 bottom
    // 23: the point sets added; 24: the grid's method (kept when there is
    // no grid); 25: the document kind.
    if constexpr (Io::kReading) {
        std::int32_t added = static_cast<std::int32_t>(m.pointSetsAdded_);
        if (io.word(added) && added >= 0) m.pointSetsAdded_ = static_cast<std::size_t>(added);
        io.word(m.kept.method);
        std::int32_t kind = static_cast<std::int32_t>(m.documentKind);
        if (io.word(kind) && kind >= 0 && kind <= 7)
            m.documentKind = static_cast<DocumentKind>(kind);
    } else {
        io.word(static_cast<std::int32_t>(m.pointSetsAdded_));
        io.word(m.grid_ ? static_cast<std::int32_t>(m.grid_->method) : m.kept.method);
        io.word(static_cast<std::int32_t>(m.documentKind));
    }
    io.word(m.settings.frameVisible);           // 26
    io.word(m.settings.showBorder);             // 27
    io.word(m.kept.gridNodesX);                 // 28
    io.word(m.kept.gridNodesY);                 // 29
    io.word(m.kept.word30);                     // 30
    for (auto& w : m.kept.array) io.word(w);    // 31-36
    for (auto& w : m.kept.newLine) io.word(w);  // 37-40
    // 41: the pick distance in pixels, a constant (read and dropped).
    if constexpr (Io::kReading) {
        std::int32_t pickPixels = MapPageRecord::kPickPixels;
        io.word(pickPixels);
    } else {
        io.word(MapPageRecord::kPickPixels);
    }
    io.number(page.pickX);               // 42
    io.word(m.kept.highlighted);         // 43
    io.word(m.settings.sectionCounter);  // 44
    // 45: automatic levels, as 1 or 0.
    if constexpr (Io::kReading) {
        std::int32_t automatic = m.settings.automaticLevels ? 1 : 0;
        if (io.word(automatic)) m.settings.automaticLevels = automatic != 0;
    } else {
        io.word(m.settings.automaticLevels ? 1 : 0);
    }
    io.word(m.kept.widenCells);           // 46
    io.optional(m.settings.borderValue);  // 47
    io.text(m.kept.defaultLineName);      // 48
    // 49: the map type shown, after the 48 items of the layout, so that a
    // map read back is built again ("Перерисовать") as the type it shows; a
    // record of 48 items leaves the model's type.
    if constexpr (Io::kReading) {
        std::int32_t type = static_cast<std::int32_t>(m.settings.mapType);
        if (io.word(type) && isMapType(type)) m.settings.mapType = static_cast<MapType>(type);
    } else {
        io.word(static_cast<std::int32_t>(m.settings.mapType));
    }
}

void MapDocumentFile::writeSettingsRecord(BinaryWriter& out, const MapModel& model,
                                          const MapPageRecord& page) {
    RecordBuffer r;
    RecordWriting io(r);
    settingsFields(model, page, io);
    r.writeRecord(out);
}

void MapDocumentFile::readSettingsRecord(RecordBuffer& r, MapModel& model, MapPageRecord& page) {
    RecordReading io(r);
    settingsFields(model, page, io);
}

// --- Writing ------------------------------------------------------------------------------

bool MapDocumentFile::write(const std::string& path, MapModel& model, const MapPageRecord& page) {
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
    writeSettingsRecord(out, model, page);
    // 4. The point tree and the main set's name.
    writePresence(out, true);
    model.pointTree_->writeSection(out);
    {
        RecordBuffer r;
        r.putPresence(model.mainPoints_ != nullptr);
        if (model.mainPoints_ != nullptr) r.putString(model.mainPoints_->name());
        r.writeRecord(out);
    }
    // 5.
    writePresence(out, model.grid_ != nullptr);
    if (model.grid_) model.grid_->writeSection(out);
    // 6.
    writePresence(out, model.isolines_ != nullptr);
    if (model.isolines_) model.isolines_->writeSection(out);
    // 7.
    writePresence(out, model.colorFill_ != nullptr);
    if (model.colorFill_) model.colorFill_->writeSection(out);
    // 8.
    writePresence(out, model.border_ != nullptr);
    if (model.border_) model.border_->writeSection(out);
    // 9.
    writePresence(out, model.title_ != nullptr);
    if (model.title_) model.title_->writeSection(out);
    // 10. The third tree and its links to the point tree: the map's axes,
    // or the tree a document brought that held none.
    const Bush* third =
        page.axes != nullptr && !axesIn(*page.axes).empty() ? page.axes : model.thirdTree_.get();
    writePresence(out, third != nullptr);
    if (third != nullptr) {
        third->writeSection(out);
        RecordBuffer r;
        r.putPresence(true);
        r.putPresence(true);
        r.writeRecord(out);
        // Axes are not linked to point sets: only a kept tree has links.
        const std::vector<std::pair<std::int32_t, std::int32_t>> none;
        for (const auto& [i, j] : third == model.thirdTree_.get() ? model.thirdTreeLinks_ : none) {
            r.putWord(i);
            r.putWord(j);
        }
        r.putWord(-1);
        r.writeRecord(out);
    }
    // 11. Background pictures are not kept in documents yet.
    writePresence(out, false);
    // 12.
    writePresence(out, model.objectTree_ != nullptr);
    if (model.objectTree_) model.objectTree_->writeSection(out);
    // 13.
    {
        RecordBuffer r;
        r.writeRecord(out);
    }
    if (!out.ok() || !file.commit()) {
        warning(formatText(text(kCannotWrite), {path}));
        return false;
    }
    if (model.objectTree_) model.objectTree_->modified = false;
    model.mapChanged = false;
    return true;
}

// --- Reading ------------------------------------------------------------------------------

bool MapDocumentFile::read(const std::string& path, MapModel& model, MapPageRecord& page) {
    FilePtr f = openBinaryRead(path);
    if (!f) return false;
    BinaryReader in(f.get());
    return read(in, model, page);
}

bool MapDocumentFile::readBytes(std::string_view bytes, MapModel& model, MapPageRecord& page) {
    BinaryReader in(bytes);
    return read(in, model, page);
}

bool MapDocumentFile::read(BinaryReader& in, MapModel& model, MapPageRecord& page) {
    WaitScope wait;
    // 1. The map objects go.
    model.grid_.reset();
    model.isolines_.reset();
    model.colorFill_.reset();
    model.bandOutlines_.reset();
    model.border_.reset();
    model.network_.reset();
    model.objectTree_.reset();
    model.thirdTree_.reset();
    model.thirdTreeLinks_.clear();
    model.title_.reset();
    model.pointTree_ = std::make_unique<Bush>();
    model.mainPoints_ = nullptr;
    // However reading ends, the observers learn that everything changed;
    // whether the map counts as changed stays as it was (a document read to
    // its end counts as unchanged).
    const auto finish = [&](bool ok) {
        model.pointTree_->recomputeExtent();
        const bool changed = model.mapChanged;
        model.notify(kEverythingChanged);
        model.mapChanged = changed;
        return ok;
    };
    // 2. The header, up to its zero byte.
    std::size_t headerBytes = 0;
    for (;;) {
        std::uint8_t c = 0;
        if (!in.byte(c)) return finish(section_io::refuse(in));
        if (c == 0) break;
        if (++headerBytes > kMaxHeader) return finish(section_io::refuse(in));
    }
    // 3. Two records: the layout number, then the settings.
    RecordBuffer r;
    if (r.readRecord(in) < 0 || r.readRecord(in) < 0) return finish(section_io::refuse(in));
    readSettingsRecord(r, model, page);

    // 4-12. A section that fails leaves the file out of step: what was read
    // so far is kept and reading ends (the reader has said why, once).
    bool present = false;
    // 4.
    if (!readPresence(in, present)) return finish(section_io::refuse(in));
    if (present) {
        if (!model.pointTree_->readSection(in)) return finish(false);
        if (r.readRecord(in) < 0) return finish(section_io::refuse(in));
        std::int32_t hasMain = 0;
        r.getWord(hasMain);
        std::optional<std::string> name;
        if (hasMain != 0 && r.takeString(name) >= 0 && name) {
            if (BushItem* item = model.pointTree_->findItem(*name))
                model.mainPoints_ = item->pointSet();
        }
        if (model.mainPoints_ == nullptr) {
            const std::vector<PointSet*> sets = model.pointTree_->pointSets();
            if (hasMain != 0 && !sets.empty()) model.mainPoints_ = sets.front();
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
    if (!readOptional(model.grid_) || !readOptional(model.isolines_) ||
        !readOptional(model.colorFill_) || !readOptional(model.border_)) {
        return finish(false);
    }
    // 9.
    if (!readPresence(in, present)) return finish(section_io::refuse(in));
    if (present) {
        model.title_ = std::make_unique<MapTitle>();
        if (!model.title_->readSection(in)) return finish(false);
    }
    // 10.
    if (!readPresence(in, present)) return finish(section_io::refuse(in));
    if (present) {
        model.thirdTree_ = std::make_unique<Bush>();
        if (!model.thirdTree_->readSection(in)) return finish(false);
        if (r.readRecord(in) < 0) return finish(section_io::refuse(in));
        std::int32_t first = 0, second = 0;
        r.getWord(first);
        r.getWord(second);
        if (first != 0 && second != 0) {
            if (r.readRecord(in) < 0) return finish(section_io::refuse(in));
            for (;;) {
                std::int32_t i = -1, j = -1;
                if (r.getWord(i) < 0 || i == -1 || r.getWord(j) < 0) break;
                model.thirdTreeLinks_.emplace_back(i, j);
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
    if (!readOptional(model.objectTree_)) return finish(false);
    if (model.objectTree_) model.objectTree_->modified = false;
    // The triangle network is not kept: a map that shows it makes it again.
    if (model.settings.mapType == MapType::TriangleNetwork && model.mainPoints_ != nullptr) {
        model.network_ = buildNetworkLines(model.networkSource(), nullptr);
    }
    model.mapChanged = false;
    return finish(true);
}

}  // namespace gridova
