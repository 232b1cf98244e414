// Looks up "_AutoRotate" and "_ManualRotate" in the engine, then the six
// converters in the converter library, in that order. Each lookup goes
// through FindEntryPoint and is cast to the entry point's own type.
#include "desktop/library_binding.h"

#include "desktop/native_module.h"

namespace LeveloraDesk {

namespace {

template <typename Fn>
Fn Bind(const char* library, const char* symbol) {
    // Function and object pointers share one representation on every
    // platform the program runs on; dlsym and GetProcAddress rely on it.
    return reinterpret_cast<Fn>(FindEntryPoint(library, symbol));
}

}  // namespace

EntryPoints BindLibraries() {
    EntryPoints e;
    e.autoRotate = Bind<AutoRotateFn>(kEngineLibraryName, "_AutoRotate");
    e.manualRotate = Bind<ManualRotateFn>(kEngineLibraryName, "_ManualRotate");
    e.bmp2Jpg = Bind<FormatConverter>(kConverterLibraryName, "Bmp2Jpg");
    e.jpg2Bmp = Bind<FormatConverter>(kConverterLibraryName, "Jpg2Bmp");
    e.bmp2Tif = Bind<FormatConverter>(kConverterLibraryName, "Bmp2Tif");
    e.tif2Bmp = Bind<FormatConverter>(kConverterLibraryName, "Tif2Bmp");
    e.bmp2Png = Bind<FormatConverter>(kConverterLibraryName, "Bmp2Png");
    e.png2Bmp = Bind<FormatConverter>(kConverterLibraryName, "Png2Bmp");
    return e;
}

}  // namespace LeveloraDesk
