// A scratch folder for the payload tests, removed after each test.
#pragma once

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace av_test {

namespace fs = boost::filesystem;

inline std::string read_all(const fs::path& path)
{
    std::ifstream in(path.string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_all(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path.string(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class ScratchFolder : public testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / fs::unique_path("av-payload-%%%%-%%%%-%%%%");
        fs::create_directories(m_root);
        m_root = fs::canonical(m_root);
    }

    void TearDown() override
    {
        boost::system::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    fs::path m_root;
};

}  // namespace av_test
