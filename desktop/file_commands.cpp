// Open and Save and the format bridge behind them.
//
// The format is always the filter the user chose. Bitmap files are read and
// written by the program itself (bmp_io.h); JPEG, TIFF and PNG pass through
// the converter library and the temporary BMP file: on import the converter
// writes the temporary file and the program reads it, on export the program
// writes it and the converter turns it into the chosen file. A failed import
// leaves SourceImage and everything else as it was.
#include <cstdio>
#include <new>

#include "desktop/bmp_io.h"
#include "desktop/busy_scope.h"
#include "desktop/desk_app.h"
#include "desktop/desk_assert.h"
#include "desktop/file_access.h"
#include "desktop/string_table.h"
#include "desktop/temp_path.h"

namespace LeveloraDesk {

namespace {

bool IsPathSeparator(char ch) {
#if defined(_WIN32)
    return ch == '\\' || ch == '/';
#else
    return ch == '/';
#endif
}

}  // namespace

std::string NotValidFileText(ImageFileFormat format) {
    switch (format) {
        case ImageFileFormat::Bitmap:
            return LoadText(kStrNotValidBitmap);
        case ImageFileFormat::Jpeg:
            return LoadText(kStrNotValidJpeg);
        case ImageFileFormat::Tiff:
            return LoadText(kStrNotValidTiff);
        case ImageFileFormat::Png:
            return LoadText(kStrNotValidPng);
    }
    DESK_ASSERT(false);
}

std::string WithDefaultExtension(const std::string& path, ImageFileFormat format) {
    const char* extension = nullptr;
    switch (format) {
        case ImageFileFormat::Bitmap:
            extension = ".bmp";
            break;
        case ImageFileFormat::Jpeg:
            extension = ".jpg";
            break;
        case ImageFileFormat::Tiff:
            extension = ".tif";
            break;
        case ImageFileFormat::Png:
            extension = ".png";
            break;
    }
    DESK_ASSERT(extension != nullptr);
    const size_t lastDot = path.rfind('.');
    size_t lastSeparator = std::string::npos;
    for (size_t i = path.size(); i-- > 0;) {
        if (IsPathSeparator(path[i])) {
            lastSeparator = i;
            break;
        }
    }
    const bool nameHasDot = lastDot != std::string::npos &&
                            (lastSeparator == std::string::npos || lastDot > lastSeparator);
    return nameHasDot ? path : path + extension;
}

bool DeskApp::ImportImageFile(const std::string& path, ImageFileFormat format) {
    std::string fileToRead = path;
    if (format != ImageFileFormat::Bitmap) {
        FormatConverter toBmp = nullptr;
        switch (format) {
            case ImageFileFormat::Jpeg:
                toBmp = entries_.jpg2Bmp;
                break;
            case ImageFileFormat::Tiff:
                toBmp = entries_.tif2Bmp;
                break;
            case ImageFileFormat::Png:
                toBmp = entries_.png2Bmp;
                break;
            default:
                DESK_ASSERT(false);
        }
        std::string narrowSource;
        std::string narrowTemp;
        if (!ToConverterPath(path, narrowSource) || !ToConverterPath(tempBmpPath_, narrowTemp) ||
            toBmp == nullptr) {
            return false;
        }
        // The converter writes the temporary file by its path. Opening it
        // here first checks its folder and turns a link at its name into a
        // failure before the converter could write through it.
        std::FILE* claimed = OpenTempForWriting(tempBmpPath_);
        if (claimed == nullptr) {
            return false;
        }
        std::fclose(claimed);
        BusyScope busy(window_);
        if (!toBmp(narrowSource.c_str(), narrowTemp.c_str())) {
            return false;
        }
        fileToRead = tempBmpPath_;
    }
    std::FILE* file = OpenForReading(fileToRead);
    if (file == nullptr) {
        return false;
    }
    try {
        return ReadFromFile(state_.SourceImage, file);
    } catch (const std::bad_alloc&) {
        // A picture within the size limits that memory cannot hold is
        // refused like any other unreadable file.
        return false;
    }
}

bool DeskApp::ExportImageFile(const std::string& path, ImageFileFormat format) {
    FormatConverter fromBmp = nullptr;
    switch (format) {
        case ImageFileFormat::Bitmap:
            break;
        case ImageFileFormat::Jpeg:
            fromBmp = entries_.bmp2Jpg;
            break;
        case ImageFileFormat::Tiff:
            fromBmp = entries_.bmp2Tif;
            break;
        case ImageFileFormat::Png:
            fromBmp = entries_.bmp2Png;
            break;
        default:
            DESK_ASSERT(false);
    }
    const bool isBitmap = format == ImageFileFormat::Bitmap;
    std::FILE* file = isBitmap ? OpenForWriting(path) : OpenTempForWriting(tempBmpPath_);
    if (file == nullptr || !WriteToFile(state_.ShownImage, file)) {
        return false;
    }
    if (isBitmap) {
        return true;
    }
    std::string narrowTemp;
    std::string narrowDestination;
    if (!ToConverterPath(tempBmpPath_, narrowTemp) || !ToConverterPath(path, narrowDestination) ||
        fromBmp == nullptr) {
        return false;
    }
    BusyScope busy(window_);
    return fromBmp(narrowTemp.c_str(), narrowDestination.c_str());
}

void DeskApp::Open() {
    std::string path;
    ImageFileFormat format = ImageFileFormat::Bitmap;
    if (!window_.AskOpenPath(path, format)) {
        return;
    }
    if (ImportImageFile(path, format)) {
        AfterNewImage();
    } else {
        window_.ShowMessage(NotValidFileText(format));
    }
}

void DeskApp::Save() {
    if (!state_.ImageOpen) {
        return;
    }
    std::string path;
    ImageFileFormat format = ImageFileFormat::Bitmap;
    if (!window_.AskSavePath(path, format)) {
        return;
    }
    if (!ExportImageFile(WithDefaultExtension(path, format), format)) {
        window_.ShowMessage(LoadText(kStrFailedWrite));
    }
}

}  // namespace LeveloraDesk
