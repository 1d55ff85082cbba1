// The product key of the product this installer installs and its localized spelling.
#include "support/product.h"

#include <stdexcept>

std::wstring VersionText(std::uint64_t version)
{
    std::wstring text;
    for (int shift = 48; shift >= 0; shift -= 16) {
        text += std::to_wstring((version >> shift) & 0xFFFF);
        if (shift > 0)
            text += L'.';
    }
    return text;
}

std::wstring ProductCatalogue(int productCode)
{
    switch (productCode) {
    case 518:
        return L"Korvane 6";
    default:
        throw std::logic_error("logic error");
    }
}

void LocalizeProductName(std::wstring& text)
{
    const std::wstring from = kProductNameFrench;
    const std::wstring to = kProductNameOther;
    std::wstring result;
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(from, start)) != std::wstring::npos; start = found + from.size()) {
        result.append(text, start, found - start);
        result += to;
    }
    result.append(text, start, std::wstring::npos);
    text = std::move(result);
}
