# The Windows bridge, vexmora-bridge32.exe (beside the service's 32-bit control) and
# vexmora-bridge64.exe (the tests under Wine), built into <build>/bridge/ by mingw-w64. Without
# mingw-w64 the build goes on without them.
include(ExternalProject)

set(VEXMORA_BRIDGE_DIR ${CMAKE_BINARY_DIR}/bridge)
set(VEXMORA_BRIDGE_BUILT "")
foreach(arch i686 x86_64)
  if(arch STREQUAL i686)
    set(bits 32)
  else()
    set(bits 64)
  endif()
  find_program(mingw_${arch} ${arch}-w64-mingw32-g++-posix)
  if(NOT mingw_${arch})
    message(STATUS "${arch}-w64-mingw32-g++-posix not found: vexmora-bridge${bits}.exe is not built")
    continue()
  endif()
  ExternalProject_Add(vexmora_bridge${bits}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/cmake/bridge-windows
    BINARY_DIR ${CMAKE_BINARY_DIR}/bridge-build${bits}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw.cmake
      -DVEXMORA_MINGW_ARCH=${arch}
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
      -DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${VEXMORA_BRIDGE_DIR}
      -DVEXMORA_SOURCE_DIR=${CMAKE_SOURCE_DIR}
      -DVEXMORA_VERSION=${PROJECT_VERSION}
      -DBRIDGE_NAME=vexmora-bridge${bits}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
  list(APPEND VEXMORA_BRIDGE_BUILT ${VEXMORA_BRIDGE_DIR}/vexmora-bridge${bits}.exe)
endforeach()
