// The map document: what was read from the file the user opened. It holds
// the data and draws nothing; the map view builds the map from it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/array_layout.h"
#include "data/data_table.h"
#include "data/triangles_file.h"
#include "data/volume_data.h"

namespace gridova {

// What a document was opened from.
enum class DocumentKind : std::int32_t {
    Data = 0,         // a data file (and "Новая карта")
    Array = 1,        // an array without coordinates
    Picture = 2,      // ".bmp", ".jpg", ".gif", ".png"
    Coordinates = 3,  // ".cor"
    Triangles = 4,    // a TRIANGLES file
    Metafile = 5,     // ".wmf", ".emf"
    GridFile = 6,     // ".grd", and rasters (".tif", ".asc", ".nc", ...)
    Document = 7,     // ".gdv"
};

// The kind a path opens as: the extension (compared in lower case) wins over
// the kind of the command that opened it.
DocumentKind kindForPath(std::string_view path, DocumentKind pending);

class CVexaDoc {
public:
    static constexpr const char* kExtension = "GDV";

    CVexaDoc();
    ~CVexaDoc();
    CVexaDoc(const CVexaDoc&) = delete;
    CVexaDoc& operator=(const CVexaDoc&) = delete;

    // Reads the file by its kind. False when the file cannot be opened
    // (warning 202), a table cannot be added or an array file gives no
    // number (9427); the document is then not to be shown. Pictures,
    // metafiles and grid files are read by the view that shows them.
    bool open(const std::string& path, DocumentKind pending = DocumentKind::Data);

    // Appends the table; the new count, or -1.
    int addTable(std::unique_ptr<DataTable> table);
    DataTable* currentTable() { return current_; }
    const std::vector<std::unique_ptr<DataTable>>& tables() const { return tables_; }

    // Makes the opened file's directory the current directory; nothing
    // when no path is known.
    void changeToFileDirectory() const;

    DocumentKind kind = DocumentKind::Data;
    std::string path;          // as opened
    std::string picturePath;   // kinds 2 and 5
    std::string documentPath;  // kind 7, or where the document was saved
    std::string directory, name, extension;
    std::string title;  // shown in the window's caption
    bool modified = false;
    // The network of a TRIANGLES file (kind 4); empty when it could not be
    // read.
    TriangleNetwork triangles;
    // The numbers of an array file (kind 1), and how they fold once the
    // first map of the document has asked (its later windows take it).
    std::vector<double> array;
    std::optional<ArrayLayout> arrayLayout;
    // The lattice of a volume file (kind 6), read by the first map of the
    // document and kept for the volume view.
    std::shared_ptr<const VolumeData> volume;

private:
    std::vector<std::unique_ptr<DataTable>> tables_;
    DataTable* current_ = nullptr;
};

}  // namespace gridova
