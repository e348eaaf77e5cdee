#include "data/map_document.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "data/number_reader.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/text_codec.h"

namespace gridova {

namespace {

constexpr int kCannotOpen = 202;  // "Нельзя открыть файл %s для считывания"
constexpr int kNoNumbers = 9427;  // "В файле %s нет чисел"

constexpr const char* kRasterExtensions[] = {".tif", ".tiff", ".asc", ".nc", ".img",
                                             ".dem", ".hgt",  ".vrt", ".bil"};

std::string lowerExtension(std::string_view path) {
    return asciiLower(std::filesystem::path(path).extension().string());
}

}  // namespace

DocumentKind kindForPath(std::string_view path, DocumentKind pending) {
    const std::string ext = lowerExtension(path);
    if (ext == ".bmp" || ext == ".jpg" || ext == ".gif" || ext == ".png") {
        return DocumentKind::Picture;
    }
    if (ext == ".wmf" || ext == ".emf") return DocumentKind::Metafile;
    if (ext == ".cor") return DocumentKind::Coordinates;
    if (ext == ".grd") return DocumentKind::GridFile;
    // Rasters of other programs are read as grids too (through GDAL).
    for (const char* raster : kRasterExtensions) {
        if (ext == raster) return DocumentKind::GridFile;
    }
    if (ext == ".gdv") return DocumentKind::Document;
    return pending;
}

CVexaDoc::CVexaDoc() = default;
CVexaDoc::~CVexaDoc() = default;

int CVexaDoc::addTable(std::unique_ptr<DataTable> table) {
    if (!table) return -1;
    tables_.push_back(std::move(table));
    return static_cast<int>(tables_.size());
}

void CVexaDoc::changeToFileDirectory() const {
    if (directory.empty()) return;
    std::error_code error;
    std::filesystem::current_path(directory, error);
    if (error) log("Can't change to directory " + directory);
}

bool CVexaDoc::open(const std::string& file, DocumentKind pending) {
    // The file must exist and be readable, whatever its kind.
    if (!isReadableFile(file)) {
        warning(formatText(text(kCannotOpen), {file}));
        return false;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    const std::filesystem::path p = error ? std::filesystem::path(file) : absolute;
    path = p.string();
    directory = p.parent_path().string();
    name = p.stem().string();
    extension = p.extension().string();
    title = p.filename().string();

    kind = kindForPath(path, pending);
    switch (kind) {
        case DocumentKind::Picture:
        case DocumentKind::Metafile:
            picturePath = path;
            break;
        case DocumentKind::Document:
            documentPath = path;
            changeToFileDirectory();
            break;
        case DocumentKind::Data: {
            auto table = std::make_unique<DataTable>();
            table->readFile(path);
            DataTable* read = table.get();
            if (addTable(std::move(table)) < 0) return false;
            current_ = read;
            changeToFileDirectory();
            break;
        }
        case DocumentKind::Coordinates: {
            auto table = std::make_unique<DataTable>();
            DataTable* read = table.get();
            if (addTable(std::move(table)) < 0) return false;
            current_ = read;
            changeToFileDirectory();
            read->readCoordinateFile(path);
            changeToFileDirectory();
            break;
        }
        case DocumentKind::Triangles:
            // A failure leaves no network; the document still opens.
            readTriangles(path, triangles);
            changeToFileDirectory();
            break;
        case DocumentKind::GridFile:
            // Read by the view that shows it (exchange/grid_import.h).
            changeToFileDirectory();
            break;
        case DocumentKind::Array: {
            // "Dimensn.arr" is looked for beside the array.
            changeToFileDirectory();
            std::optional<std::vector<double>> numbers = readNumbers(path);
            if (!numbers) return false;
            if (numbers->empty()) {
                warning(formatText(text(kNoNumbers), {file}));
                return false;
            }
            array = std::move(*numbers);
            break;
        }
    }
    return true;
}

}  // namespace gridova
