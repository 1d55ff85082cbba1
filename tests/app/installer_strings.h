// The installer's message tables read from resources/strings.rc, so that the
// tests see the texts the executable carries (the test program itself has no
// string tables).
#pragma once

#include <fstream>
#include <map>
#include <string>

namespace test {

inline std::wstring FromUtf8(const std::string& text)
{
    std::wstring out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        unsigned code = c;
        std::size_t extra = 0;
        if (c >= 0xF0) {
            code = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            code = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            code = c & 0x1F;
            extra = 1;
        }
        for (std::size_t k = 1; k <= extra && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(static_cast<wchar_t>(code));
        i += extra + 1;
    }
    return out;
}

// id -> text of every entry "    <id>, "<text>"" of the file; "" stands for
// one quote, \r, \n and \t for themselves.
inline std::map<int, std::wstring> InstallerStrings()
{
    std::map<int, std::wstring> table;
    // This header lies in tests/app/ of the source tree.
    std::string here = __FILE__;
    here = here.substr(0, here.find_last_of("/\\") + 1);
    std::ifstream in(here + "../../resources/strings.rc");
    std::string line;
    while (std::getline(in, line)) {
        const auto comma = line.find(", \"");
        if (comma == std::string::npos || line.empty() || line.back() != '"')
            continue;
        const int id = std::stoi(line.substr(0, comma));
        std::string raw = line.substr(comma + 3, line.size() - comma - 4);
        std::string text;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '"' && i + 1 < raw.size() && raw[i + 1] == '"') {
                text += '"';
                ++i;
            } else if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'r') {
                text += '\r';
                ++i;
            } else if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'n') {
                text += '\n';
                ++i;
            } else if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 't') {
                text += '\t';
                ++i;
            } else
                text += raw[i];
        }
        table[id] = FromUtf8(text);
    }
    return table;
}

}  // namespace test
