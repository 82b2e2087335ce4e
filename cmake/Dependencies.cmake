# Sanitizers apply to everything built here, GoogleTest included.
if(TX_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(TX_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

if(WIN32)
    # One self-contained executable or DLL: no MinGW runtime DLLs to ship beside it.
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# libbz2: Debian's libbz2-dev natively; for MinGW, the static library the setup
# script builds from Debian's bzip2 source package.
add_library(tx_bzip2 INTERFACE)
if(WIN32)
    set(TX_DEPS_PREFIX "${CMAKE_SOURCE_DIR}/build/deps/${TX_MINGW_TRIPLET}" CACHE PATH
        "Prefix holding the cross-built dependencies")
    if(NOT EXISTS "${TX_DEPS_PREFIX}/lib/libbz2.a")
        message(FATAL_ERROR "libbz2 for ${TX_MINGW_TRIPLET} is missing: run tools/setup.sh")
    endif()
    target_include_directories(tx_bzip2 INTERFACE "${TX_DEPS_PREFIX}/include")
    target_link_libraries(tx_bzip2 INTERFACE "${TX_DEPS_PREFIX}/lib/libbz2.a")
else()
    find_package(BZip2 REQUIRED)
    target_link_libraries(tx_bzip2 INTERFACE BZip2::BZip2)
endif()

# GoogleTest from Debian's sources, built for each target with its flags.
set(TX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${TX_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
