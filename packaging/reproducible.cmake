# Two builds of the same sources give the same bytes, whatever folders they
# are made in: the compiler writes file names into debug information and
# __FILE__ relative to the sources (.) and to the build folder (build), never
# the folders' own paths. On Linux this matters even once the program is
# stripped, since its build id is a hash that takes in the debug information.
# The build folder's map comes last, so that it wins for a build folder inside
# the sources. windres takes no such option, hence C and C++ only.
#
# Times come from SOURCE_DATE_EPOCH, which the Makefile sets from the last
# commit: rcc stores it as every resource's time, ld and strip write it as a
# Windows program's or DLL's time stamp, and CPack gives it to every file in
# the .deb and the zip.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(
        "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
        "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")
endif()
