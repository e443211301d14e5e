#include "report/output_file.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace nimbra {

OutputFile::OutputFile(std::filesystem::path path, std::string& error) : m_path(std::move(path)) {
    m_file = std::fopen(m_path.c_str(), "wb");
    if (m_file == nullptr) {
        fail("Cannot create");
        error = m_error;
    }
}

OutputFile::~OutputFile() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
}

void OutputFile::fail(const char* what) {
    if (m_error.empty()) {
        m_error = std::string(what) + " " + m_path.string() + ": " + std::strerror(errno);
    }
}

bool OutputFile::write(const void* data, std::size_t size) {
    if (m_file == nullptr || !m_error.empty()) {
        return false;
    }
    if (size > 0 && std::fwrite(data, 1, size, m_file) != size) {
        fail("Cannot write");
        return false;
    }
    return true;
}

bool OutputFile::keep() {
    if (m_file == nullptr) {
        return false;
    }
    const bool flushed = m_error.empty() && std::fflush(m_file) == 0;
    if (!flushed) {
        fail("Cannot write");
    }
    std::FILE* file = std::exchange(m_file, nullptr);
    if (std::fclose(file) != 0 && flushed) {
        fail("Cannot write");
    }
    if (!m_error.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
        return false;
    }
    return true;
}

}  // namespace nimbra
