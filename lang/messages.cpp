// Messages by name and their positional formatting.
#include "lang/messages.h"

#include "lang/languages.h"

std::wstring FormatMessageString(const std::wstring& pattern, const std::vector<std::wstring>& args)
{
    std::wstring result;
    result.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] >= L'1' && pattern[i + 1] <= L'9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - L'1');
            if (n < args.size())
                result += args[n];
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

std::wstring Message(msg::Offset offset)
{
    return LoadLocalizedString(msg::FrenchId(offset));
}

std::wstring Message(msg::Offset offset, const std::vector<std::wstring>& args)
{
    return FormatMessageString(Message(offset), args);
}
