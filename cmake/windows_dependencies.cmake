# What the Windows build takes from this Debian machine: the header-only
# libraries through a folder of links (all of /usr/include would hide the
# cross compiler's own headers), GoogleTest built from its sources, and the
# Windows libraries of the platform layer.
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
foreach(entry asio asio.hpp nlohmann)
  if(NOT EXISTS /usr/include/${entry})
    message(FATAL_ERROR "/usr/include/${entry} is missing: run scripts/setup.sh")
  endif()
  file(CREATE_LINK /usr/include/${entry} ${host_headers}/${entry} SYMBOLIC)
endforeach()

add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${host_headers})
# Windows 10 is the oldest system served.
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(platform_libraries ws2_32 mswsock winhttp ole32 shell32 shlwapi shcore user32 runtimeobject)

# Tests of POSIX processes, shells, signals and descriptors.
# The launcher routes and OCR tests drive a stand-in xdg-open and Tesseract over
# HTTP; the private files are POSIX modes and owners; the routes' answers themselves are tested on both (route_answers_test.cpp).
set(posix_only_tests browser|profile|feed_request|single_instance|launcher_routes|ocr_route|connection|private_files)
# Cases that call POSIX tools (cat, curl, openssl) or make symbolic links; and the plain
# http redirect of a plain http feed, which WinHTTP follows (the real feed is https,
# and a redirect from it down to http is refused there too).
set(posix_only_cases StatusFile.IsWrittenAsOneLineOfAsciiJsonInMemberOrder:WebDirTest.LinksToTheLibraryAreResolved:UpdateCheck.RefusesAServerWhoseCertificateNoTrustedRootSigned:UpdateCheck.ARedirectToPlainHttpFailsTheCheck:*/Answers.AsTheTableSays/Link*:ServerLinks.*:ServerTest.OrdinaryRequestsThroughCurl)
