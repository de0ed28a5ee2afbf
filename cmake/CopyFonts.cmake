# Copies the fetched faces and their licence texts into the "Fonts" folder beside the
# executable. Without fetched faces there is nothing to copy: the app then draws with its
# fallback fonts.
#   cmake -DSOURCE=<font cache> -DDESTINATION=<folder> -P CopyFonts.cmake
if(NOT IS_DIRECTORY "${SOURCE}")
  return()
endif()
file(GLOB faces "${SOURCE}/*.ttf" "${SOURCE}/*.otf" "${SOURCE}/*.txt")
if(faces)
  file(MAKE_DIRECTORY "${DESTINATION}")
  file(COPY ${faces} DESTINATION "${DESTINATION}")
endif()
