# libjpeg-turbo, the JPEG library (SIMD, the field's own): Debian 12's source package, fetched
# by name once into the build folder (tools/fetch-debian-source.sh; later builds need no
# network), cross-compiled with our toolchain and nasm, installed inside the build folder and
# linked statically. Use the target q7_libjpeg.
include(ExternalProject)
set(Q7_THIRD_PARTY ${CMAKE_BINARY_DIR}/third_party)
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/fetch-debian-source.sh libjpeg-turbo ${Q7_THIRD_PARTY}
                RESULT_VARIABLE jpeg_fetched)
if(NOT jpeg_fetched EQUAL 0)
  message(FATAL_ERROR "libjpeg-turbo's source package could not be fetched (see above)")
endif()
find_program(Q7_NASM nasm REQUIRED)

set(jpeg_prefix ${Q7_THIRD_PARTY}/libjpeg-turbo-install)
ExternalProject_Add(libjpeg_turbo
  PREFIX ${Q7_THIRD_PARTY}/libjpeg-turbo-steps
  SOURCE_DIR ${Q7_THIRD_PARTY}/libjpeg-turbo
  BINARY_DIR ${Q7_THIRD_PARTY}/libjpeg-turbo-build
  INSTALL_DIR ${jpeg_prefix}
  DOWNLOAD_COMMAND ""
  UPDATE_COMMAND ""
  # Its default prefix for MinGW, c:/libjpeg-turbo-gcc64, fails its configure step on Linux.
  # REQUIRE_SIMD: a build without nasm fails instead of quietly being four times slower.
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
             -DCMAKE_ASM_NASM_COMPILER=${Q7_NASM} -DENABLE_SHARED=OFF -DREQUIRE_SIMD=ON -DWITH_TURBOJPEG=OFF
  BUILD_BYPRODUCTS ${jpeg_prefix}/lib/libjpeg.a
  LOG_CONFIGURE ON
  LOG_INSTALL ON
  LOG_OUTPUT_ON_FAILURE ON)

file(MAKE_DIRECTORY ${jpeg_prefix}/include)  # imported targets want their folders to exist
add_library(q7_libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(q7_libjpeg PROPERTIES
  IMPORTED_LOCATION ${jpeg_prefix}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${jpeg_prefix}/include)
add_dependencies(q7_libjpeg libjpeg_turbo)
