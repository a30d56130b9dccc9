#pragma once
// Reading PDF files back with poppler's command-line tools.

#include "persist/PersistTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

/// True when `tool` can be run from the PATH.
inline bool HaveTool(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

/// The standard output of a shell command.
inline std::string CommandOutput(const std::string& command)
{
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

inline std::string Quoted(const std::string& path)
{
    return "'" + path + "'";
}

/// The text of one page (from 1), or of the whole file when page is 0.
inline std::string PdfText(const std::string& path, int page = 0)
{
    std::string range = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
    return CommandOutput("pdftotext -layout" + range + " " + Quoted(path) + " - 2>/dev/null");
}

/// The number of pages, 0 when the file cannot be read.
inline int PdfPageCount(const std::string& path)
{
    const std::string info = CommandOutput("pdfinfo " + Quoted(path) + " 2>/dev/null");
    const std::size_t at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

/// A field of the file's metadata as pdfinfo shows it ("Title", "Creator"); empty when missing.
inline std::string PdfInfoField(const std::string& path, const std::string& field)
{
    const std::string info = CommandOutput("pdfinfo " + Quoted(path) + " 2>/dev/null");
    std::smatch match;
    return std::regex_search(info, match, std::regex("(^|\n)" + field + ": *([^\n]*)")) ? match[2].str() : "";
}

/// A test that reads PDF files back in a fresh folder; skipped where poppler's tools are missing.
class TPdfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveTool("pdftotext") || !HaveTool("pdfinfo"))
            GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are not installed";
    }
    std::string PathOf(const std::string& name) const { return dir / name; }
    testsupport::TTempDir dir;
};
