// The file formats of Open and Save, numbered by the position of their
// filter in the file dialogs. The chosen filter decides the format, never
// the file's name or content.
#pragma once

namespace LeveloraDesk {

enum class ImageFileFormat : int { Bitmap = 1, Jpeg = 2, Tiff = 3, Png = 4 };

// Description and pattern of each filter, in dialog order.
struct FileFilter {
    const char* description;
    const char* pattern;
};

constexpr FileFilter kFileFilters[] = {
    {"Bitmap", "*.BMP"},
    {"Jpeg", "*.JPG"},
    {"Tiff", "*.TIF"},
    {"Png", "*.PNG"},
};

}  // namespace LeveloraDesk
