# Debian packages with CPack, one per install component (packaging/
# CMakeLists.txt): `make package` runs it on the release preset and leaves
# build/release/packages/*.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME levelora)
set(CPACK_PACKAGE_VENDOR "Levelora")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Levelora maintainers <maintainers@users.noreply.c-seed-f563e5b4.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 2)

set(CPACK_DEB_COMPONENT_INSTALL ON)
# One package per installed component (listed in packaging/CMakeLists.txt).
set(CPACK_COMPONENTS_ALL ${levelora_doc_components})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE levelora)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Depends of the linked binaries come from dpkg-shlibdeps; the libraries
# publish shlibs files for programs built against them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(levelora_exact_version "(= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_ENGINE_PACKAGE_NAME ${LEVELORA_PACKAGE_ENGINE})
set(CPACK_DEBIAN_ENGINE_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_ENGINE_DESCRIPTION
    "Levelora page straightening engine (shared library)
The Skewmend engine finds how far the lines of text on a scanned or
photographed document page are tilted and turns the page upright, with
the uncovered corners filled white, black or in the paper's colour.
.
This package holds the shared library libSkewmend.so.1, which the
Levelora desktop program binds at start-up and other programs can link.")

set(CPACK_DEBIAN_CONVERTER_PACKAGE_NAME ${LEVELORA_PACKAGE_CONVERTER})
set(CPACK_DEBIAN_CONVERTER_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_CONVERTER_DESCRIPTION
    "Levelora picture format converter (shared library)
Pictconv converts pictures between BMP and JPEG, TIFF and PNG, file to
file. A failed conversion leaves the destination untouched.
.
This package holds the shared library libPictconv.so.1, which the
Levelora desktop program binds at start-up to open and save JPEG, TIFF
and PNG files.")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME ${LEVELORA_PACKAGE_TOOL})
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_TOOL_DESCRIPTION
    "straighten document pages from the command line
skewmend straightens, turns and measures pictures of document pages in
BMP, JPEG, PNG and TIFF, one at a time or in batches over several
processes, and reports each page's angle as text, JSON or CSV.
.
The tool carries its own copy of the Levelora engine.")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME ${LEVELORA_PACKAGE_DESKTOP})
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION graphics)
# The program binds the two libraries by name at start-up, which
# dpkg-shlibdeps cannot see: these are written here and joined with the
# computed ones.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS
    "${LEVELORA_PACKAGE_ENGINE} ${levelora_exact_version}, ${LEVELORA_PACKAGE_CONVERTER} ${levelora_exact_version}")
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION
    "straighten pictures of document pages in a window
LeveloraDesk opens a scanned or photographed page (BMP, JPEG, TIFF or
PNG), turns it upright automatically or by a typed angle, and copies,
pastes and saves it in any of the four formats.
.
It appears in the desktop menu under Graphics.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${LEVELORA_PACKAGE_DEVELOPMENT})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "${LEVELORA_PACKAGE_ENGINE} ${levelora_exact_version}, ${LEVELORA_PACKAGE_CONVERTER} ${levelora_exact_version}")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "Levelora engine and converter (development files)
C headers, pkg-config files (skewmend, pictconv) and CMake packages
(find_package(Skewmend), find_package(Pictconv)) for programs that
straighten pages through the Levelora engine's file functions or convert
pictures through its converter library.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME ${LEVELORA_PACKAGE_PYTHON})
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
# The extension module is built for the one Python version found; numpy
# holds the images, Dask runs the cluster batches.
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${LEVELORA_PYTHON_DEPENDS}, python3-numpy")
set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "python3-distributed")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION
    "straighten document pages from Python
The Python package levelora estimates how far a page held as a numpy
array is tilted, straightens or turns it, and reads and writes BMP, JPEG,
PNG and TIFF files. python3 -m levelora.batch straightens batches of
files on a Dask cluster with the skewmend tool's page job and report.
.
The package carries its own copy of the Levelora engine.")

# CPack would call ldconfig from maintainer scripts; the library packages
# activate dpkg's ldconfig trigger instead (debian_triggers.cmake).
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/debian_triggers.cmake)
set(CPACK_LEVELORA_TRIGGER_PACKAGES ${LEVELORA_PACKAGE_ENGINE} ${LEVELORA_PACKAGE_CONVERTER})

include(CPack)
