#include "tests/support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

std::string uniqueName() {
    std::random_device device;
    char name[32];
    snprintf(name, sizeof name, "tx-test-%08x%08x", device(), device());
    return name;
}

} // namespace

TempDir::TempDir() {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    std::filesystem::path dir = base / uniqueName();
    std::filesystem::create_directories(dir);
    m_path = dir.string();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::file(const std::string &name) const {
#ifdef _WIN32
    return m_path + "\\" + name;
#else
    return m_path + "/" + name;
#endif
}
