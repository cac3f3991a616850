# The fuzz targets: name, source, the library under test and the target's
# compile definitions. Two builds make programs of them, each defining
# ambrelin_fuzz_target(NAME SOURCE LIBRARY [DEFINITION]) before including
# this list: the fuzz build (CMakeLists.txt here, libFuzzer) and the test
# build (Replay.cmake, which replays regressions/NAME in ctest).

# One picture reader target per kind, each over the kind's extensions.
ambrelin_fuzz_target(fuzz_picture_bmp FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="bmp","bmp"]])
ambrelin_fuzz_target(fuzz_picture_ico FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="ico","ico"]])
ambrelin_fuzz_target(fuzz_picture_jpeg FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="jpg","jpeg"]])
ambrelin_fuzz_target(fuzz_picture_metafile FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="wmf","emf"]])
ambrelin_fuzz_target(fuzz_picture_png FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="png","png"]])
ambrelin_fuzz_target(fuzz_picture_gif FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="gif","gif"]])
ambrelin_fuzz_target(fuzz_picture_webp FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="webp","webp"]])
ambrelin_fuzz_target(fuzz_picture_tiff FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="tif","tiff"]])
ambrelin_fuzz_target(fuzz_picture_heif FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="heic","hif"]])
ambrelin_fuzz_target(fuzz_picture_avif FuzzPictureReader.cpp ambrelin_core
                     [[AMBRELIN_FUZZ_EXTENSIONS="avif","avif"]])
ambrelin_fuzz_target(fuzz_text_lines FuzzTextLines.cpp ambrelin_core)
ambrelin_fuzz_target(fuzz_ini_file FuzzIniFile.cpp ambrelin_core)
ambrelin_fuzz_target(fuzz_description_file FuzzDescriptionFile.cpp ambrelin_core)

# Publishing: the web copy of a JPEG kept at its size (segments left out, a
# lossless turn) and shrunk (decoded and encoded), and the manifest.
ambrelin_fuzz_target(fuzz_webcopy_lossless FuzzWebCopy.cpp ambrelin_core AMBRELIN_FUZZ_MAX_SIZE=0)
ambrelin_fuzz_target(fuzz_webcopy_resize FuzzWebCopy.cpp ambrelin_core AMBRELIN_FUZZ_MAX_SIZE=64)
ambrelin_fuzz_target(fuzz_publish_manifest FuzzPublishManifest.cpp ambrelin_core)
# The copies of every other kind, filtered or drawn anew.
ambrelin_fuzz_target(fuzz_webcopy_kinds FuzzWebCopyKinds.cpp ambrelin_drawing)

# One drawing target per kind (metafiles of both forms in one).
ambrelin_fuzz_target(fuzz_draw_metafile FuzzDrawing.cpp ambrelin_drawing
                     AMBRELIN_FUZZ_KIND=Metafile)
ambrelin_fuzz_target(fuzz_draw_bmp FuzzDrawing.cpp ambrelin_drawing AMBRELIN_FUZZ_KIND=Bitmap)
ambrelin_fuzz_target(fuzz_draw_ico FuzzDrawing.cpp ambrelin_drawing AMBRELIN_FUZZ_KIND=Icon)
ambrelin_fuzz_target(fuzz_draw_jpeg FuzzDrawing.cpp ambrelin_drawing AMBRELIN_FUZZ_KIND=Jpeg)
ambrelin_fuzz_target(fuzz_draw_heif FuzzDrawing.cpp ambrelin_drawing AMBRELIN_FUZZ_KIND=Heif)
ambrelin_fuzz_target(fuzz_draw_avif FuzzDrawing.cpp ambrelin_drawing AMBRELIN_FUZZ_KIND=Avif)
ambrelin_fuzz_target(fuzz_draw_png FuzzDrawing.cpp ambrelin_drawing AMBRELIN_FUZZ_KIND=Png)
ambrelin_fuzz_target(fuzz_draw_gif FuzzDrawing.cpp ambrelin_drawing AMBRELIN_FUZZ_KIND=Gif)
ambrelin_fuzz_target(fuzz_draw_tiff FuzzDrawing.cpp ambrelin_drawing AMBRELIN_FUZZ_KIND=Tiff)
ambrelin_fuzz_target(fuzz_draw_webp FuzzDrawing.cpp ambrelin_drawing AMBRELIN_FUZZ_KIND=WebP)
