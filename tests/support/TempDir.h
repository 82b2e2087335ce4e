#pragma once

#include <string>

// A fresh directory for one test, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // Native path of the directory, without a trailing separator.
    const std::string &path() const { return m_path; }
    // Native path of a name inside the directory.
    std::string file(const std::string &name) const;

private:
    std::string m_path;
};
