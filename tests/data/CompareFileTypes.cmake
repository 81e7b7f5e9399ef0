# The file types that Ridaxo declares (MIME), opens (desktop entry) and
# tells software centres of (AppStream) must be the same: a type missing
# from one of them is a file the desktop will not open with Ridaxo, or one
# it offers to open that Ridaxo does not know.
#   cmake -DDESKTOP=<.desktop> -DMETAINFO=<.metainfo.xml> -DMIME=<.xml> -P CompareFileTypes.cmake
cmake_minimum_required(VERSION 3.22)

file(STRINGS "${DESKTOP}" mime_line REGEX "^MimeType=")
# file(STRINGS) keeps the line's semicolons escaped, as one list element.
string(REPLACE "\\;" ";" mime_line "${mime_line}")
string(REGEX REPLACE "^MimeType=|;$" "" opened "${mime_line}")
list(SORT opened)

file(READ "${MIME}" mime)
string(REGEX MATCHALL "<mime-type type=\"[^\"]+\"" declared "${mime}")
list(TRANSFORM declared REPLACE "<mime-type type=\"([^\"]+)\"" "\\1")
list(SORT declared)

file(READ "${METAINFO}" metainfo)
string(REGEX MATCHALL "<mediatype>[^<]+</mediatype>" provided "${metainfo}")
list(TRANSFORM provided REPLACE "<mediatype>([^<]+)</mediatype>" "\\1")
list(SORT provided)

if(NOT opened STREQUAL declared OR NOT provided STREQUAL declared)
    message(FATAL_ERROR "The file types disagree:\n"
                        "  declared in ${MIME}: ${declared}\n"
                        "  MimeType of ${DESKTOP}: ${opened}\n"
                        "  mediatypes of ${METAINFO}: ${provided}")
endif()
