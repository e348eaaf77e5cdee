// gridova: gridding and contour mapping of scattered data.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "app/data_summary.h"
#include "app/main_window.h"
#include "app/qt_texts.h"
#include "app/startup_run.h"
#include "exchange/picture_writer.h"
#include "platform/language.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_boxes.h"
#include "platform/qt/qt_device.h"
#include "render/startup_options.h"

namespace {

void printUsage(std::ostream& out) {
    out << "usage: gridova [switches] [FILE [DATAFILE...]]\n"
           "       gridova --summary DATAFILE\n"
           "switches (with - or /, any case):\n"
           "  -a          open FILE as an array (folded as Dimensn.arr beside it says)\n"
           "  -d          write trace messages to the message log\n"
           "  -i FILE     isoline levels\n"
        << "  -g FILE     save the first map as a picture (" << gridova::pictureExtensionList()
        << ")\n"
           "  -v FILE     write the grid values (.grd: binary grid file, .tif: GeoTIFF,\n"
           "              else text)\n"
           "  -h          with -g or -v: end after that work\n"
           "  -b FILE     border file instead of Border.brd\n"
           "  -n FILE     grid file instead of EqNet.net (also a .grd or a raster)\n"
           "  -c FILE     colour file for the colour scale\n"
           "  -m TYPE     map type: locate_points, isolines, color_isolines,\n"
           "              color_cells, circle_values\n"
           "  --view VIEW what the -g picture shows: map (the default) or relief\n"
           "              (the 3D block relief of the map's grid)\n"
           "further DATAFILEs are added to the map as more point sets\n";
}

bool hasDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
}

int run(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--summary") == 0) {
        return gridova::writeDataSummary(argv[2], std::cout);
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        printUsage(std::cout);
        return gridova::kExitDone;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    gridova::CommandLineError error;
    std::error_code cwdError;
    const std::filesystem::path start = std::filesystem::current_path(cwdError);
    // A relative profile path means the folder the program was started in.
    if (!cwdError) gridova::anchorProfilePath(start);
    std::optional<gridova::StartupOptions> options = gridova::parseCommandLine(args, start, error);
    if (!options) {
        std::cerr << "gridova: " << error.message << "\n";
        printUsage(std::cerr);
        return gridova::kExitUsage;
    }
    if (options->trace) gridova::messageLog().setTraceOn(true);

    // Without a display Qt draws offscreen, and nobody is there to answer.
    const bool offscreen = !hasDisplay();
    if (offscreen && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        // Qt wants a private runtime directory; headless machines often
        // have none.
        const std::string runtime = "/tmp/gridova-runtime-" + std::to_string(::getuid());
        ::mkdir(runtime.c_str(), 0700);
        struct stat st {};
        if (::stat(runtime.c_str(), &st) == 0 && st.st_uid == ::getuid() &&
            (st.st_mode & 077) == 0) {
            ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        }
    }
    QApplication application(argc, argv);
    // Language files lie beside the program, or in its data folder once it
    // is installed.
    const std::string programDir = QCoreApplication::applicationDirPath().toStdString();
    gridova::setLanguageFolders(
        {programDir, programDir + "/" GRIDOVA_DATA_FROM_BIN, std::string(GRIDOVA_DATA_DIR)});
    gridova::loadStartupLanguage();
    // Without a language file the program's texts are Russian: so are Qt's.
    gridova::followLanguageInQt();
    gridova::QtDeviceFactory factory;
    gridova::gdi::setDeviceFactory(&factory);
    const bool windowless =
        options->unattended() || QGuiApplication::platformName() == QLatin1String("offscreen");
    if (windowless) {
        // Boxes go to standard error and the message log; questions answer No.
        const int status = gridova::runWithoutWindow(*options);
        gridova::gdi::setDeviceFactory(nullptr);
        return status;
    }

    gridova::QtBoxes boxes;
    gridova::setBoxes(&boxes);
    gridova::MainWindow window;
    window.showMaximized();
    int status = gridova::kExitDone;
    if (!options->file.empty()) {
        status = window.openStartupFile(*options);
        if (status == gridova::kExitInputFailed) {
            gridova::setBoxes(nullptr);
            gridova::gdi::setDeviceFactory(nullptr);
            return status;
        }
    }
    const int exitCode = QApplication::exec();
    gridova::setBoxes(nullptr);
    gridova::gdi::setDeviceFactory(nullptr);
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        gridova::outOfMemory();
        return gridova::kExitOutputFailed;
    }
}
