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

// The 48 items of the settings record, in their order: one list for the
// writer and the reader. An older, shorter record leaves the rest at the
// defaults (every take after its end fails and changes nothing).
template <class View, class Io>
void CVexaView::settingsFields(View& v, Io& io) {
    for (auto& m : v.kept_.printerMargins) io.word(m);  // 1-4
    io.number(v.printSetup.marginLeftCoeff);            // 5
    io.number(v.printSetup.marginTopCoeff);             // 6
    io.number(v.printSetup.marginRightCoeff);           // 7
    io.number(v.printSetup.marginBottomCoeff);          // 8
    io.word(v.kept_.baseMapDefault);                    // 9
    io.word(v.kept_.word10);                            // 10
    io.word(v.printSetup.paperOrientation);             // 11
    io.word(v.aspectRatio);                             // 12
    io.word(v.printSetup.scale);                        // 13
    io.word(v.printSetup.pageUnits);                    // 14
    io.number(v.printSetup.unitsPerInchX);              // 15
    io.number(v.printSetup.unitsPerInchY);              // 16
    io.number(v.printSetup.unitCoef);                   // 17
    io.word(v.kept_.pictureSaved);                      // 18
    io.word(v.pixelMargins[0]);                         // 19 left
    io.word(v.pixelMargins[2]);                         // 20 right
    io.word(v.pixelMargins[1]);                         // 21 top
    io.word(v.pixelMargins[3]);                         // 22 bottom
    // 23: the point sets added; 24: the grid's method (kept when there is
    // no grid); 25: the document kind.
    if constexpr (Io::kReading) {
        std::int32_t added = static_cast<std::int32_t>(v.model_.pointSetsAdded_);
        if (io.word(added) && added >= 0)
            v.model_.pointSetsAdded_ = static_cast<std::size_t>(added);
        io.word(v.kept_.method);
        std::int32_t kind = static_cast<std::int32_t>(v.model_.documentKind);
        if (io.word(kind) && kind >= 0 && kind <= 7)
            v.model_.documentKind = static_cast<DocumentKind>(kind);
    } else {
        io.word(static_cast<std::int32_t>(v.model_.pointSetsAdded_));
        io.word(v.model_.grid_ ? static_cast<std::int32_t>(v.model_.grid_->method)
                               : v.kept_.method);
        io.word(static_cast<std::int32_t>(v.model_.documentKind));
    }
    io.word(v.model_.settings.frameVisible);     // 26
    io.word(v.model_.settings.showBorder);       // 27
    io.word(v.kept_.gridNodesX);                 // 28
    io.word(v.kept_.gridNodesY);                 // 29
    io.word(v.kept_.word30);                     // 30
    for (auto& w : v.kept_.array) io.word(w);    // 31-36
    for (auto& w : v.kept_.newLine) io.word(w);  // 37-40
    // 41: the pick distance in pixels, a constant (read and dropped).
    if constexpr (Io::kReading) {
        std::int32_t pickPixels = kPickPixels;
        io.word(pickPixels);
    } else {
        io.word(kPickPixels);
    }
    io.number(v.pickX_);                        // 42
    io.word(v.kept_.highlighted);               // 43
    io.word(v.model_.settings.sectionCounter);  // 44
    // 45: automatic levels, as 1 or 0.
    if constexpr (Io::kReading) {
        std::int32_t automatic = v.model_.settings.automaticLevels ? 1 : 0;
        if (io.word(automatic)) v.model_.settings.automaticLevels = automatic != 0;
    } else {
        io.word(v.model_.settings.automaticLevels ? 1 : 0);
    }
    io.word(v.kept_.widenCells);                 // 46
    io.optional(v.model_.settings.borderValue);  // 47
    io.text(v.kept_.defaultLineName);            // 48
}

void CVexaView::writeSettingsRecord(BinaryWriter& out) const {
    RecordBuffer r;
    RecordWriting io(r);
    settingsFields(*this, io);
    r.writeRecord(out);
}

void CVexaView::readSettingsRecord(RecordBuffer& r) {
    RecordReading io(r);
    settingsFields(*this, io);
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
    model_.pointTree_->writeSection(out);
    {
        RecordBuffer r;
        r.putPresence(model_.mainPoints_ != nullptr);
        if (model_.mainPoints_ != nullptr) r.putString(model_.mainPoints_->name());
        r.writeRecord(out);
    }
    // 5.
    writePresence(out, model_.grid_ != nullptr);
    if (model_.grid_) model_.grid_->writeSection(out);
    // 6.
    writePresence(out, model_.isolines_ != nullptr);
    if (model_.isolines_) model_.isolines_->writeSection(out);
    // 7.
    writePresence(out, model_.colorFill_ != nullptr);
    if (model_.colorFill_) model_.colorFill_->writeSection(out);
    // 8.
    writePresence(out, model_.border_ != nullptr);
    if (model_.border_) model_.border_->writeSection(out);
    // 9.
    const MapTitle* t = const_cast<CVexaView*>(this)->mapTitle();
    writePresence(out, t != nullptr);
    if (t != nullptr) t->writeSection(out);
    // 10. The third tree and its links to the point tree.
    writePresence(out, model_.thirdTree_ != nullptr);
    if (model_.thirdTree_) {
        model_.thirdTree_->writeSection(out);
        RecordBuffer r;
        r.putPresence(true);
        r.putPresence(true);
        r.writeRecord(out);
        for (const auto& [i, j] : model_.thirdTreeLinks_) {
            r.putWord(i);
            r.putWord(j);
        }
        r.putWord(-1);
        r.writeRecord(out);
    }
    // 11. Background pictures are not kept in documents yet.
    writePresence(out, false);
    // 12.
    writePresence(out, model_.objectTree_ != nullptr);
    if (model_.objectTree_) model_.objectTree_->writeSection(out);
    // 13.
    {
        RecordBuffer r;
        r.writeRecord(out);
    }
    if (!out.ok() || !file.commit()) {
        warning(formatText(text(kCannotWrite), {path}));
        return false;
    }
    if (model_.objectTree_) model_.objectTree_->modified = false;
    model_.mapChanged = false;
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
    model_.grid_.reset();
    model_.isolines_.reset();
    model_.colorFill_.reset();
    model_.bandOutlines_.reset();
    model_.border_.reset();
    model_.objectTree_.reset();
    model_.thirdTree_.reset();
    model_.thirdTreeLinks_.clear();
    title.reset();
    model_.pointTree_ = std::make_unique<Bush>();
    model_.mainPoints_ = nullptr;
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
        model_.pointTree_->recomputeExtent();
        invalidateMap();
        return ok;
    };
    // 4.
    if (!readPresence(in, present)) return finish(section_io::refuse(in));
    if (present) {
        if (!model_.pointTree_->readSection(in)) return finish(false);
        if (r.readRecord(in) < 0) return finish(section_io::refuse(in));
        std::int32_t hasMain = 0;
        r.getWord(hasMain);
        std::optional<std::string> name;
        if (hasMain != 0 && r.takeString(name) >= 0 && name) {
            if (BushItem* item = model_.pointTree_->findItem(*name))
                model_.mainPoints_ = item->pointSet();
        }
        if (model_.mainPoints_ == nullptr) {
            const std::vector<PointSet*> sets = model_.pointTree_->pointSets();
            if (hasMain != 0 && !sets.empty()) model_.mainPoints_ = sets.front();
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
    if (!readOptional(model_.grid_) || !readOptional(model_.isolines_) ||
        !readOptional(model_.colorFill_) || !readOptional(model_.border_)) {
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
        model_.thirdTree_ = std::make_unique<Bush>();
        if (!model_.thirdTree_->readSection(in)) return finish(false);
        if (r.readRecord(in) < 0) return finish(section_io::refuse(in));
        std::int32_t first = 0, second = 0;
        r.getWord(first);
        r.getWord(second);
        if (first != 0 && second != 0) {
            if (r.readRecord(in) < 0) return finish(section_io::refuse(in));
            for (;;) {
                std::int32_t i = -1, j = -1;
                if (r.getWord(i) < 0 || i == -1 || r.getWord(j) < 0) break;
                model_.thirdTreeLinks_.emplace_back(i, j);
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
    if (!readOptional(model_.objectTree_)) return finish(false);
    if (model_.objectTree_) model_.objectTree_->modified = false;
    model_.mapChanged = false;
    return finish(true);
}

}  // namespace gridova
