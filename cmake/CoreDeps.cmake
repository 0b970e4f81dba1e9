# Libraries the core links. Included by the top-level CMakeLists once the
# orbalix_core target exists.

# JPEG codec of the thumbnails and JPEG exports. Debian ships libjpeg for the
# native build only; tools/build-mingw-jpeg.sh builds Debian's source of it for
# the mingw-w64 cross build (tools/test.sh passes it in). Where it is missing
# the core builds without it and the codec answers "no codec": thumbnails are
# then written as "no picture" and read thumbnails are skipped.
find_package(JPEG QUIET)
if(JPEG_FOUND)
  target_link_libraries(orbalix_core PUBLIC JPEG::JPEG)
  target_compile_definitions(orbalix_core PUBLIC ORBALIX_HAVE_JPEG=1)
else()
  message(STATUS "libjpeg not found: settings thumbnails are built without a JPEG codec")
endif()

if(WIN32)
  # SHGetSpecialFolderPathA (the desktop folder).
  target_link_libraries(orbalix_core PUBLIC shell32)
endif()
