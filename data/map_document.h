// The map document: what was read from the file the user opened. It holds
// the data and draws nothing; the map view builds the map from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_table.h"
#include "data/triangles_file.h"

namespace gridova {

// What a document was opened from.
enum class DocumentKind : std::int32_t {
    Data = 0,         // a data file (and "Новая карта")
    Array = 1,        // an array without coordinates
    Picture = 2,      // ".bmp", ".jpg", ".gif", ".png"
    Coordinates = 3,  // ".cor"
    Triangles = 4,    // a TRIANGLES file
    Metafile = 5,     // ".wmf", ".emf"
    GridFile = 6,     // ".grd"
    Document = 7,     // ".gdv"
};

// The kind a path opens as: the extension (compared in lower case) wins over
// the kind of the command that opened it.
DocumentKind kindForPath(std::string_view path, DocumentKind pending);

// Whether files of the kind can be read. Arrays, pictures, metafiles and
// grid files have no reader yet: opening one says so (message 9033) and
// opens nothing. A reader that lands takes its kind off this list.
bool kindReadable(DocumentKind kind);

class CVexaDoc {
public:
    static constexpr const char* kExtension = "GDV";

    CVexaDoc();
    ~CVexaDoc();
    CVexaDoc(const CVexaDoc&) = delete;
    CVexaDoc& operator=(const CVexaDoc&) = delete;

    // Reads the file by its kind. False when the file cannot be opened
    // (warning 202), its kind cannot be read yet (warning 9033) or a table
    // cannot be added; the document is then not to be shown.
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

private:
    std::vector<std::unique_ptr<DataTable>> tables_;
    DataTable* current_ = nullptr;
};

}  // namespace gridova
